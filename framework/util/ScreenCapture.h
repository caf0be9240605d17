#pragma once
// Screen captures saved as pictures in the capture folder under the writable path.

#include <functional>
#include <string>

/// Told whether the picture was written, and where.
using ScreenCaptureCallback = std::function<void(bool succeeded, const std::string& path)>;
/// Captures a window rectangle into a file and calls back when done; the engine's
/// screen capture once rendering provides it, a stand-in in tests.
using ScreenCaptureBackend = std::function<void(const ScreenCaptureCallback& done,
                                                const std::string& path, int x, int y,
                                                int width, int height)>;

/// Replaces the capture backend; null leaves captures unavailable (they fail at once).
void setScreenCaptureBackend(ScreenCaptureBackend backend);

/// Captures the rectangle into "<writable>/qp/tmp/capture/<seconds since 1970>.jpg"; a
/// capture taken in the same second gets "_1", "_2"... after the seconds instead of
/// overwriting the earlier one. The callback receives the result.
void captureScreenToFile(const ScreenCaptureCallback& callback, int x, int y, int width,
                         int height);
/// The same; when the picture is written, 1004 is posted with its path as text.
void captureScreenToFile(int x, int y, int width, int height);

/// A file path in `folder` (ending in "/") named after `stamp` that neither exists nor was
/// handed out to a capture still running.
std::string reserveCapturePath(const std::string& folder, const std::string& stamp);
/// Ends the reservation of a path (the capture wrote it or gave up).
void releaseCapturePath(const std::string& path);
