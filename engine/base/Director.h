#pragma once
// Drives frames on the main thread: time step, scheduler, drawing, pool drain; owns the
// scheduler and knows the window size.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Ref.h"
#include "math/CCMath.h"

namespace cocos2d {

class GLView;
class Renderer;
class ActionManager;
class EventDispatcher;
class Scene;
class Scheduler;
class TextureCache;

enum class MATRIX_STACK_TYPE { MATRIX_STACK_MODELVIEW, MATRIX_STACK_PROJECTION, MATRIX_STACK_TEXTURE };

class Director : public Ref {
public:
    /// _2D: orthographic, one unit per point; _3D: perspective with the design area filling the
    /// view at z = 0 (the default).
    enum class Projection { _2D, _3D, CUSTOM, DEFAULT = _3D };

    /// The one director; the thread that first asks for it is the main thread.
    static Director* getInstance();
    /// Ends the director with its scheduler, dispatcher, textures and view (the program's
    /// last step, while its GL context is still current). No other thread may use it then;
    /// a later getInstance makes a new one.
    static void destroyInstance();

    Scheduler* getScheduler() const { return _scheduler; }
    void setScheduler(Scheduler* scheduler);

    /// One frame with the time step measured by the clock.
    void mainLoop();
    /// One frame with the given time step (tests drive frames with it).
    void mainLoop(float dt);

    /// Seconds from an arbitrary origin; tests inject a clock they advance themselves.
    void setClock(std::function<double()> clock);
    double now() const;

    float getDeltaTime() const { return _deltaTime; }
    /// The time step less the time the loop waited for work in it: what the last frame's
    /// work took (the time step itself when frames follow each other).
    float getFrameTime() const { return _frameTime; }
    unsigned int getTotalFrames() const { return _totalFrames; }
    float getAnimationInterval() const { return _animationInterval; }
    void setAnimationInterval(float interval);

    /// A stopped director runs no scheduler and draws nothing until started again.
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return !_invalid; }
    /// A paused director keeps drawing but its scheduler does not run.
    void pause();
    void resume();
    bool isPaused() const { return _paused; }

    /// Asks the application loop to end after this frame.
    void end();
    bool isEnding() const { return _ending; }

    const Size& getWinSize() const { return _winSizeInPoints; }
    Size getWinSizeInPixels() const;
    Size getVisibleSize() const;
    Vec2 getVisibleOrigin() const;
    /// The size in points of the design area; views set it when their resolution changes.
    void setWinSize(const Size& size)
    {
        _winSizeInPoints = size;
        markDirty();
    }

    float getContentScaleFactor() const { return _contentScaleFactor; }
    void setContentScaleFactor(float scaleFactor);

    void setDisplayStats(bool displayStats) { _displayStats = displayStats; }
    bool isDisplayStats() const { return _displayStats; }

    std::thread::id getCocos2dThreadId() const { return _mainThread; }
    bool isMainThread() const { return std::this_thread::get_id() == _mainThread; }

    /// Clears scheduled work and queued main-thread functions (between tests).
    void reset();

    /// Asks for the next frame to be drawn: something visible changed. Safe from any thread;
    /// from another thread it also wakes the application loop.
    void markDirty();
    /// True when the next frame must draw.
    bool isDirty() const;
    /// What the engine's own setters call: the next frame draws, unless the change is made
    /// while the frame is being drawn, which then already shows it (lazy layout, glyph and
    /// texture uploads during the visit).
    void markChanged();
    /// True while the running scene is visited and drawn.
    bool isDrawing() const { return _drawing.load(std::memory_order_relaxed); }

    /// Seconds from the last frame until the scheduler has work again: 0 when something runs
    /// every frame (update hooks, running actions, queued main-thread functions) or the
    /// next frame must draw; infinity when only input or another thread can bring work.
    double getTimeToNextWork() const;
    /// When the loop should run its next frame, after one that began at `frameStart` (clock
    /// seconds): an animation interval later at the soonest, later still while the scheduler has
    /// nothing to do. Work that arrives between frames (a change to draw, work queued by another
    /// thread) counts from the last frame that drew or began with such work instead, so it runs
    /// at once when the frames since only ran timers; frames that draw stay an interval apart.
    double getNextFrameTime(double frameStart) const;
    /// Work another thread handed to the main thread outside the scheduler's queue (a posted
    /// notification): the loop runs a frame for it at once, which draws only when drawn frames
    /// stay an interval apart; otherwise the change it makes is drawn in the frame then due.
    /// Once such an early frame ran, later posts wait for the due frame. Safe from any thread;
    /// from the main thread it does nothing (its posts run next frame).
    void markWorkPosted();
    /// Waits at most `seconds` for window input or a wake-up from another thread (work queued
    /// for the main thread, a redraw asked for); input received is dispatched.
    void waitForWork(double seconds);
    /// Ends a waitForWork early. Safe from any thread.
    void wakeUp();

    EventDispatcher* getEventDispatcher() const { return _eventDispatcher; }
    ActionManager* getActionManager() const { return _actionManager; }

    /// The scene stack. Changes take effect at the start of the next frame's drawing, after
    /// the scheduler ran; transitions are shown instantly.
    Scene* getRunningScene() const { return _runningScene; }
    void runWithScene(Scene* scene);
    void pushScene(Scene* scene);
    /// Popping the last scene ends the director.
    void popScene();
    /// Pops `scene` only while it is the top of the stack (the scene shown from the next frame
    /// on), so that two ways of going back used in one frame (a back button and the return
    /// key) leave one scene, not two. False when it is not on top.
    bool popSceneIfOnTop(Scene* scene);
    void popToRootScene();
    /// Pops until `level` scenes are left (level 0 ends the director).
    void popToSceneStackLevel(int level);
    void replaceScene(Scene* scene);
    size_t getSceneStackSize() const { return _scenesStack.size(); }
    /// The top of the stack; null when it is empty.
    Scene* getTopScene() const { return _scenesStack.empty() ? nullptr : _scenesStack.back(); }
    bool isSendCleanupToScene() const { return _sendCleanupToScene; }
    /// Between window points (y down) and GL points (y up).
    Vec2 convertToGL(const Vec2& uiPoint) const;
    Vec2 convertToUI(const Vec2& glPoint) const;

    /// The view drawn into (retained); null in headless runs, where frames draw nothing.
    GLView* getOpenGLView() const { return _openGLView; }
    void setOpenGLView(GLView* openGLView);
    Renderer* getRenderer() const { return _renderer; }
    TextureCache* getTextureCache();
    void setClearColor(const Color4F& clearColor);
    void setProjection(Projection projection);
    Projection getProjection() const { return _projection; }
    /// Distance of the eye from the z = 0 plane in the 3D projection.
    float getZEye() const;
    /// The whole design area as the GL viewport.
    void setViewport();
    void setDepthTest(bool on);
    void setAlphaBlending(bool on);

    /// Matrix stacks: the projection in force when commands are drawn (cameras load theirs),
    /// the model-view and the texture matrix.
    void pushMatrix(MATRIX_STACK_TYPE type);
    void popMatrix(MATRIX_STACK_TYPE type);
    void loadIdentityMatrix(MATRIX_STACK_TYPE type);
    void loadMatrix(MATRIX_STACK_TYPE type, const Mat4& mat);
    void multiplyMatrix(MATRIX_STACK_TYPE type, const Mat4& mat);
    const Mat4& getMatrix(MATRIX_STACK_TYPE type) const;
    void resetMatrixStack();

protected:
    Director();
    ~Director() override;

    /// Runs the scheduler and, when something changed, draws the running scene.
    void drawScene();
    /// Visits and draws the running scene, and shows the frame.
    void renderScene();
    void calculateDeltaTime();
    /// A change to draw, or work another thread queued for a running scheduler.
    bool hasArrivedWork() const;

    Scheduler* _scheduler = nullptr;
    std::function<double()> _clock;
    double _lastUpdate = -1.0;
    float _deltaTime = 0.0f;
    float _frameTime = 0.0f;
    double _waitedSinceFrame = 0.0; // main thread only
    // Main thread: when the running frame began, and when the last frame that drew or began
    // with arrived work began.
    double _frameStart = 0.0;
    double _lastWorkFrameStart = -std::numeric_limits<double>::infinity();
    // Main thread: the running frame was begun for posted work before its drawing slot, and
    // when the last such frame began.
    bool _earlyFrame = false;
    double _lastEarlyFrameStart = -std::numeric_limits<double>::infinity();
    unsigned int _totalFrames = 0;
    float _animationInterval = 1.0f / 60.0f;
    bool _invalid = false;
    bool _paused = false;
    bool _ending = false;
    bool _nextDeltaTimeZero = false;
    bool _displayStats = false;
    std::atomic<bool> _dirty{true};
    std::atomic<bool> _drawing{false};
    std::atomic<bool> _postedWork{false};
    // The window system's own wake-up (posts an empty event); null without a window.
    std::atomic<void (*)()> _wakeWindow{nullptr};
    std::mutex _wakeMutex;
    std::condition_variable _wakeCondition;
    bool _wakeRequested = false; // guarded by _wakeMutex
    float _contentScaleFactor = 1.0f;
    Size _winSizeInPoints;
    std::thread::id _mainThread;

    void setNextScene();
    void clearScenes();
    EventDispatcher* _eventDispatcher = nullptr;
    ActionManager* _actionManager = nullptr;
    Scene* _runningScene = nullptr;
    Scene* _nextScene = nullptr;
    bool _sendCleanupToScene = false;
    std::vector<Scene*> _scenesStack; // each retained

    std::vector<Mat4>& stackFor(MATRIX_STACK_TYPE type);
    std::vector<Mat4> _modelViewStack;
    std::vector<Mat4> _projectionStack;
    std::vector<Mat4> _textureStack;
    GLView* _openGLView = nullptr;
    Renderer* _renderer = nullptr;
    TextureCache* _textureCache = nullptr;
    Projection _projection = Projection::DEFAULT;
};

} // namespace cocos2d
