#pragma once
// A private X display for one acceptance run: started and ended with the run, driven with
// xdotool as a user's mouse and keyboard would, and read back as pixels.

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace acceptance {

/// One RGB picture of the whole screen.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // row after row, three bytes a pixel

    bool empty() const { return rgb.empty(); }
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    /// Pixels of the rectangle whose colour passes the test.
    int count(int x0, int y0, int x1, int y1, const std::function<bool(const unsigned char*)>& test) const;
    /// Pixels of the rectangle that differ clearly from the same pixels of `other`.
    int changedFrom(const Picture& other, int x0, int y0, int x1, int y1) const;
};

/// An Xvfb display of its own (so no other test's windows share it) and the input sent to it.
class XSession {
public:
    XSession(int width, int height);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool ok() const { return _display >= 0; }
    /// ":N", for the DISPLAY of the programs started on it.
    std::string name() const { return ":" + std::to_string(_display); }

    /// Runs xdotool with these arguments on this display; false when it fails.
    bool xdotool(const std::string& arguments) const;
    void click(int x, int y) const;
    /// Presses at `from`, moves to `to` in steps and lets go, as a hand drags.
    void drag(int fromX, int fromY, int toX, int toY) const;
    void type(const std::string& text) const;
    void key(const std::string& keys) const;

    /// The first top-level window with this exact title, or 0.
    unsigned long findWindow(const std::string& title) const;
    /// Drops a file or folder on the window at (x, y) as a file manager does (drag and drop
    /// with a "text/uri-list"); true once the window has taken the drop.
    bool dropPath(unsigned long window, int x, int y, const std::string& path) const;
    /// What the window manager's close button does: asks the window to close.
    bool requestClose(unsigned long window) const;

    Picture grab() const;
    /// Grabs the screen and saves it as build/acceptance/<name>.png.
    Picture screenshot(const std::string& name) const;

private:
    pid_t _server = 0;
    int _display = -1;
    int _width;
    int _height;
};

/// Asks `done` up to `attempts` times, a tenth of a second apart, until it answers true.
bool poll(const std::function<bool()>& done, int attempts = 300);

} // namespace acceptance
