#include "platform/GLViewImpl.h"

#include <mutex>

#include "platform/CCGL.h"
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "base/Director.h"
#include "base/ccLog.h"
#include "platform/Application.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

namespace {

// Other threads post wake-ups only while a window is open: a window is not destroyed while
// one is being posted.
std::mutex g_windowsMutex;
int g_openWindows = 0; // guarded by g_windowsMutex

void glfwErrorLog(int code, const char* description)
{
    log("GLFW error %d: %s", code, description ? description : "");
}

bool ensureGlfw()
{
    static bool initialised = false;
    if (!initialised) {
        glfwSetErrorCallback(glfwErrorLog);
        initialised = glfwInit() == GLFW_TRUE;
        if (!initialised) {
            log("GLViewImpl: no display: GLFW cannot start");
        }
    }
    return initialised;
}

GLViewImpl* viewOf(GLFWwindow* window)
{
    return static_cast<GLViewImpl*>(glfwGetWindowUserPointer(window));
}

} // namespace

// GLFW calls plain functions; these forward to the view that owns the window.
struct GLViewImpl::Callbacks {
    static void iconify(GLFWwindow*, int iconified)
    {
        Director::getInstance()->markDirty();
        Application* app = Application::getInstance();
        if (!app) return;
        if (iconified) app->applicationDidEnterBackground();
        else app->applicationWillEnterForeground();
    }
    static void drop(GLFWwindow*, int count, const char** paths)
    {
        Application* app = Application::getInstance();
        for (int i = 0; app && i < count; ++i) {
            if (paths[i]) app->applicationOpenPath(paths[i]);
        }
    }
    static void framebufferSize(GLFWwindow* window, int width, int height)
    {
        GLViewImpl* view = viewOf(window);
        if (view && width > 0 && height > 0) {
            view->setFrameSize(static_cast<float>(width), static_cast<float>(height));
            // The projection (and the viewport with it) follows the new size.
            Director* director = Director::getInstance();
            director->setProjection(director->getProjection());
        }
        Director::getInstance()->markDirty();
    }
    // Uncovered or refocused, the window shows the last frame again.
    static void refresh(GLFWwindow*) { Director::getInstance()->markDirty(); }
    static void focus(GLFWwindow*, int) { Director::getInstance()->markDirty(); }
    static void mouseButton(GLFWwindow* window, int button, int action, int)
    {
        GLViewImpl* view = viewOf(window);
        // GLFW numbers left 0, right 1, middle 2, as the engine does.
        if (view && view->_input.mouseButton) {
            view->_input.mouseButton(button, action == GLFW_PRESS, view->_mouseX, view->_mouseY);
        }
    }
    static void cursor(GLFWwindow* window, double x, double y)
    {
        GLViewImpl* view = viewOf(window);
        if (!view) return;
        view->_mouseX = static_cast<float>(x);
        view->_mouseY = static_cast<float>(y);
        if (view->_input.mouseMove) view->_input.mouseMove(view->_mouseX, view->_mouseY);
    }
    static void scroll(GLFWwindow* window, double dx, double dy)
    {
        GLViewImpl* view = viewOf(window);
        if (view && view->_input.scroll) {
            view->_input.scroll(static_cast<float>(dx), static_cast<float>(dy), view->_mouseX, view->_mouseY);
        }
    }
    static void key(GLFWwindow* window, int key, int scancode, int action, int mods)
    {
        GLViewImpl* view = viewOf(window);
        if (view && view->_input.key) view->_input.key(key, scancode, action, mods);
    }
    static void character(GLFWwindow* window, unsigned int codepoint)
    {
        GLViewImpl* view = viewOf(window);
        if (view && view->_input.character) view->_input.character(codepoint);
    }
};

GLViewImpl* GLViewImpl::create(const std::string& viewName)
{
    return createWithRect(viewName, Rect(0, 0, 960, 640));
}

GLViewImpl* GLViewImpl::createWithRect(const std::string& viewName, const Rect& rect, float frameZoomFactor,
                                       bool resizable)
{
    auto* view = new GLViewImpl();
    if (!view->initWithRect(viewName, rect, frameZoomFactor, resizable)) {
        view->release();
        return nullptr;
    }
    view->autorelease();
    return view;
}

Rect GLViewImpl::getDesktopWorkArea()
{
    if (!ensureGlfw()) {
        return Rect();
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    if (!monitor) {
        return Rect();
    }
    int x = 0, y = 0, w = 0, h = 0;
    glfwGetMonitorWorkarea(monitor, &x, &y, &w, &h);
    if (w <= 0 || h <= 0) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitor);
        if (!mode) return Rect();
        w = mode->width;
        h = mode->height;
    }
    return Rect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(w), static_cast<float>(h));
}

int GLViewImpl::getMonitorDPI()
{
    if (!ensureGlfw()) {
        return 96;
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    int widthMM = 0, heightMM = 0;
    if (monitor) glfwGetMonitorPhysicalSize(monitor, &widthMM, &heightMM);
    if (!mode || widthMM <= 0) {
        return 96;
    }
    return static_cast<int>(mode->width * 25.4 / widthMM + 0.5);
}

bool GLViewImpl::initWithRect(const std::string& viewName, const Rect& rect, float frameZoomFactor, bool resizable)
{
    if (!ensureGlfw()) {
        return false;
    }
    setViewName(viewName);
    _frameZoomFactor = frameZoomFactor > 0 ? frameZoomFactor : 1.0f;
    int width = static_cast<int>(rect.size.width * _frameZoomFactor);
    int height = static_cast<int>(rect.size.height * _frameZoomFactor);
    if (width <= 0 || height <= 0) {
        log("GLViewImpl: window size %dx%d refused", width, height);
        return false;
    }
    GLContextAttrs attrs = getGLContextAttrs();
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RESIZABLE, resizable ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_RED_BITS, attrs.redBits);
    glfwWindowHint(GLFW_GREEN_BITS, attrs.greenBits);
    glfwWindowHint(GLFW_BLUE_BITS, attrs.blueBits);
    glfwWindowHint(GLFW_ALPHA_BITS, attrs.alphaBits);
    glfwWindowHint(GLFW_DEPTH_BITS, attrs.depthBits);
    glfwWindowHint(GLFW_STENCIL_BITS, attrs.stencilBits);
    glfwWindowHint(GLFW_SAMPLES, attrs.multisamplingCount);
    // No version or profile asked: the driver gives its compatibility context.
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_ANY_PROFILE);
    GLFWwindow* window = glfwCreateWindow(width, height, viewName.c_str(), nullptr, nullptr);
    if (!window) {
        log("GLViewImpl: cannot create a %dx%d window with a GL context", width, height);
        return false;
    }
    _window = window;
    {
        std::lock_guard<std::mutex> lock(g_windowsMutex);
        ++g_openWindows;
    }
    glfwSetWindowUserPointer(window, this);
    glfwSetWindowPos(window, static_cast<int>(rect.origin.x), static_cast<int>(rect.origin.y));
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    GLenum glewStatus = glewInit();
    // GLEW may report a missing GLX display under EGL-only stacks although GL itself works.
    if (glewStatus != GLEW_OK && !glCreateShader) {
        log("GLViewImpl: GLEW cannot load GL: %s", reinterpret_cast<const char*>(glewGetErrorString(glewStatus)));
        return false;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    GL::setContextReady(true);
    glfwSwapInterval(0);

    glfwSetWindowIconifyCallback(window, Callbacks::iconify);
    glfwSetDropCallback(window, Callbacks::drop);
    glfwSetFramebufferSizeCallback(window, Callbacks::framebufferSize);
    glfwSetWindowRefreshCallback(window, Callbacks::refresh);
    glfwSetWindowFocusCallback(window, Callbacks::focus);
    glfwSetMouseButtonCallback(window, Callbacks::mouseButton);
    glfwSetCursorPosCallback(window, Callbacks::cursor);
    glfwSetScrollCallback(window, Callbacks::scroll);
    glfwSetKeyCallback(window, Callbacks::key);
    glfwSetCharCallback(window, Callbacks::character);

    int fbWidth = 0, fbHeight = 0;
    glfwGetFramebufferSize(window, &fbWidth, &fbHeight);
    setFrameSize(static_cast<float>(fbWidth), static_cast<float>(fbHeight));
    return true;
}

GLViewImpl::~GLViewImpl()
{
    if (_window) {
        GL::setContextReady(false);
        std::lock_guard<std::mutex> lock(g_windowsMutex);
        glfwDestroyWindow(static_cast<GLFWwindow*>(_window));
        _window = nullptr;
        --g_openWindows;
    }
}

void GLViewImpl::end()
{
    if (_window) {
        glfwSetWindowShouldClose(static_cast<GLFWwindow*>(_window), GLFW_TRUE);
    }
}

bool GLViewImpl::isOpenGLReady()
{
    return _window != nullptr;
}

void GLViewImpl::swapBuffers()
{
    if (_window) {
        glfwSwapBuffers(static_cast<GLFWwindow*>(_window));
    }
}

bool GLViewImpl::windowShouldClose()
{
    return !_window || glfwWindowShouldClose(static_cast<GLFWwindow*>(_window));
}

void GLViewImpl::pollEvents()
{
    glfwPollEvents();
}

bool GLViewImpl::waitEvents(double seconds)
{
    glfwWaitEventsTimeout(seconds);
    return true;
}

void GLViewImpl::postEmptyEvent()
{
    std::lock_guard<std::mutex> lock(g_windowsMutex);
    if (g_openWindows > 0) {
        glfwPostEmptyEvent();
    }
}

} // namespace cocos2d

// Mesa's software renderer runs its own threads without the race detector's instrumentation;
// its internal races are not this program's. Sanitizer builds are told so.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:swrast_dri.so\n";
}
