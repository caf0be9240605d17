#pragma once
// Screen capture into PNG or JPEG files.

#include <functional>
#include <string>

namespace cocos2d {
namespace utils {

/// Captures the rectangle (x, y, width, height in points, origin at the bottom-left) of what
/// this frame draws, after everything else, and writes it to filename (PNG or JPEG by its
/// extension; a relative name goes under the writable path). The file is written off the main
/// thread; afterCaptured then runs on the main thread with success and the full path. A
/// rectangle reaching outside the window is cut to the window.
void captureScreen(const std::function<void(bool, const std::string&)>& afterCaptured, const std::string& filename,
                   int x, int y, int width, int height);
/// The whole window.
void captureScreen(const std::function<void(bool, const std::string&)>& afterCaptured, const std::string& filename);
/// Waits until every capture whose pixels were read has its file written and its callback
/// queued. The director calls it as it goes, so a capture taken just before closing is kept.
void waitForCaptures();

} // namespace utils
} // namespace cocos2d
