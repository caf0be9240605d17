#include "XSession.h"

#include "detail/PngWriter.h"
#include "tests/support/TestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace acceptance {

int Picture::count(int x0, int y0, int x1, int y1, const std::function<bool(const unsigned char*)>& test) const {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
            n += test(at(x, y)) ? 1 : 0;
    return n;
}

int Picture::changedFrom(const Picture& other, int x0, int y0, int x1, int y1) const {
    if (other.width != width || other.height != height)
        return width * height;
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(width, x1); ++x) {
            const unsigned char *a = at(x, y), *b = other.at(x, y);
            n += std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 60 ? 1 : 0;
        }
    return n;
}

XSession::XSession(int width, int height) : _width(width), _height(height) {
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const std::string geometry = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::vector<std::string> args = {"Xvfb", "-displayfd", "3", "-screen", "0", geometry, "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&_server, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        _server = 0;
        close(fds[0]);
        return;
    }
    // The server writes its display number once it accepts clients.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (!number.empty())
        _display = std::stoi(number);
}

XSession::~XSession() {
    if (_server > 0) {
        kill(_server, SIGTERM);
        int status = 0;
        waitpid(_server, &status, 0);
    }
}

bool XSession::xdotool(const std::string& arguments) const {
    const std::string command = "DISPLAY=" + name() + " xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

void XSession::click(int x, int y) const {
    xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

void XSession::drag(int fromX, int fromY, int toX, int toY) const {
    std::string steps = "mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) + " mousedown 1";
    for (int i = 1; i <= 10; ++i)
        steps += " mousemove " + std::to_string(fromX + (toX - fromX) * i / 10) + " " +
                 std::to_string(fromY + (toY - fromY) * i / 10) + " sleep 0.03";
    xdotool(steps + " mouseup 1");
}

void XSession::type(const std::string& text) const {
    xdotool("type --delay 20 '" + text + "'");
}

void XSession::key(const std::string& keys) const {
    xdotool("key " + keys);
}

unsigned long XSession::findWindow(const std::string& title) const {
    Display* display = XOpenDisplay(name().c_str());
    if (!display)
        return 0;
    unsigned long found = 0;
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) {
            char* windowName = nullptr;
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                XFetchName(display, children[i], &windowName) && windowName) {
                if (title == windowName)
                    found = children[i];
                XFree(windowName);
            }
        }
        if (children)
            XFree(children);
    }
    XCloseDisplay(display);
    return found;
}

namespace {

void sendClientMessage(Display* display, Window to, Atom type, const long (&values)[5]) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = values[i];
    XSendEvent(display, to, False, NoEventMask, &event);
    XFlush(display);
}

} // namespace

bool XSession::dropPath(unsigned long window, int x, int y, const std::string& path) const {
    Display* display = XOpenDisplay(name().c_str());
    if (!display)
        return false;
    auto atom = [display](const char* n) { return XInternAtom(display, n, False); };
    const Atom enter = atom("XdndEnter"), position = atom("XdndPosition"), status = atom("XdndStatus"),
               drop = atom("XdndDrop"), finished = atom("XdndFinished"), selection = atom("XdndSelection"),
               copy = atom("XdndActionCopy"), uriList = atom("text/uri-list");
    const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, selection, source, CurrentTime);
    const long self = static_cast<long>(source);
    sendClientMessage(display, window, enter, {self, 5L << 24, static_cast<long>(uriList), 0, 0});
    sendClientMessage(display, window, position, {self, 0, (x << 16) | y, CurrentTime, static_cast<long>(copy)});

    const std::string uris = "file://" + path + "\r\n";
    bool dropped = false, done = false;
    poll([&] {
        while (!done && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.message_type == status && !dropped) {
                dropped = true;
                sendClientMessage(display, window, drop, {self, 0, CurrentTime, 0, 0});
            } else if (event.type == SelectionRequest) {
                const XSelectionRequestEvent& request = event.xselectionrequest;
                XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uris.data()), static_cast<int>(uris.size()));
                XEvent answer{};
                answer.xselection.type = SelectionNotify;
                answer.xselection.requestor = request.requestor;
                answer.xselection.selection = request.selection;
                answer.xselection.target = request.target;
                answer.xselection.property = request.property;
                answer.xselection.time = request.time;
                XSendEvent(display, request.requestor, False, NoEventMask, &answer);
                XFlush(display);
            } else if (event.type == ClientMessage && event.xclient.message_type == finished) {
                done = true;
            }
        }
        return done;
    }, 100);
    XDestroyWindow(display, source);
    XCloseDisplay(display);
    return done;
}

bool XSession::requestClose(unsigned long window) const {
    Display* display = XOpenDisplay(name().c_str());
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XCloseDisplay(display);
    return sent;
}

Picture XSession::grab() const {
    Picture picture;
    Display* display = XOpenDisplay(name().c_str());
    if (!display)
        return picture;
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, _width, _height, AllPlanes, ZPixmap);
    if (image) {
        picture.width = _width;
        picture.height = _height;
        picture.rgb.resize(static_cast<size_t>(_width) * _height * 3);
        unsigned char* out = picture.rgb.data();
        for (int y = 0; y < _height; ++y)
            for (int x = 0; x < _width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                *out++ = static_cast<unsigned char>((pixel & image->red_mask) >> 16);
                *out++ = static_cast<unsigned char>((pixel & image->green_mask) >> 8);
                *out++ = static_cast<unsigned char>(pixel & image->blue_mask);
            }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return picture;
}

Picture XSession::screenshot(const std::string& name) const {
    Picture picture = grab();
    const std::string folder = qptest::binaryDir() + "/acceptance";
    std::filesystem::create_directories(folder);
    if (!picture.empty())
        dcmSDK::writeRgbPng(picture.width, picture.height, picture.rgb.data(), folder + "/" + name + ".png");
    return picture;
}

bool poll(const std::function<bool()>& done, int attempts) {
    for (int i = 0; i < attempts; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return done();
}

} // namespace acceptance
