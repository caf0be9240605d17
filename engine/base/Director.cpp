#include "base/Director.h"

#include <algorithm>
#include <limits>
#include <mutex>

#include "base/AutoreleasePool.h"
#include "base/PoolManager.h"
#include "base/Scheduler.h"
#include "2d/ActionManager.h"
#include "2d/Scene.h"
#include "2d/TransitionScene.h"
#include "base/EventDispatcher.h"
#include "base/InputInjector.h"
#include "base/ccLog.h"
#include "base/ccUtils.h"
#include "platform/GLView.h"
#include "platform/GLViewImpl.h"
#include "renderer/Renderer.h"
#include "renderer/TextureCache.h"
#include "renderer/ccGLStateCache.h"

namespace cocos2d {

namespace {
std::atomic<Director*> g_director{nullptr};
std::mutex g_directorMutex;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

Director* Director::getInstance()
{
    Director* director = g_director.load(std::memory_order_acquire);
    if (director)
        return director;
    std::lock_guard<std::mutex> lock(g_directorMutex);
    director = g_director.load(std::memory_order_relaxed);
    if (!director) {
        director = new Director();
        g_director.store(director, std::memory_order_release);
    }
    return director;
}

void Director::destroyInstance()
{
    // A capture still being written asks for the director when it is done: it finishes first,
    // and its file is kept. Waited for outside the lock, which that thread takes.
    utils::waitForCaptures();
    std::lock_guard<std::mutex> lock(g_directorMutex);
    Director* director = g_director.load(std::memory_order_relaxed);
    if (!director)
        return;
    director->reset();
    // What the director's parts do as they go may still ask for it.
    director->release();
    g_director.store(nullptr, std::memory_order_release);
}

Director::Director() : _clock(steadySeconds), _mainThread(std::this_thread::get_id())
{
    PoolManager::getInstance()->setMainThreadId(_mainThread);
    _scheduler = new Scheduler();
    _eventDispatcher = new EventDispatcher();
    _actionManager = new ActionManager();
    _scheduler->scheduleUpdate(_actionManager, Scheduler::PRIORITY_SYSTEM, false);
    _renderer = new Renderer();
    resetMatrixStack();
}

Director::~Director()
{
    if (_textureCache) {
        _textureCache->release();
    }
    delete _renderer;
    if (_openGLView) {
        _openGLView->release();
    }
    if (_actionManager) {
        _actionManager->release();
    }
    if (_eventDispatcher) {
        _eventDispatcher->release();
    }
    if (_scheduler) {
        _scheduler->release();
    }
}

void Director::setScheduler(Scheduler* scheduler)
{
    if (scheduler == _scheduler) {
        return;
    }
    if (scheduler) {
        scheduler->retain();
    }
    if (_scheduler) {
        _scheduler->release();
    }
    _scheduler = scheduler;
}

void Director::setClock(std::function<double()> clock)
{
    _clock = clock ? std::move(clock) : std::function<double()>(steadySeconds);
    _lastUpdate = -1.0;
    _lastWorkFrameStart = -std::numeric_limits<double>::infinity();
    _lastEarlyFrameStart = -std::numeric_limits<double>::infinity();
}

double Director::now() const
{
    return _clock();
}

void Director::setAnimationInterval(float interval)
{
    if (interval > 0.0f) {
        _animationInterval = interval;
    }
}

void Director::startAnimation()
{
    _invalid = false;
    markDirty();
    // The time spent stopped is not a frame's worth of animation.
    _nextDeltaTimeZero = true;
}

void Director::stopAnimation()
{
    _invalid = true;
}

void Director::pause()
{
    _paused = true;
}

void Director::resume()
{
    _paused = false;
    markDirty();
    _nextDeltaTimeZero = true;
}

void Director::end()
{
    _ending = true;
}

Size Director::getWinSizeInPixels() const
{
    return Size(_winSizeInPoints.width * _contentScaleFactor, _winSizeInPoints.height * _contentScaleFactor);
}

Size Director::getVisibleSize() const
{
    return _openGLView ? _openGLView->getVisibleSize() : _winSizeInPoints;
}

Vec2 Director::getVisibleOrigin() const
{
    return _openGLView ? _openGLView->getVisibleOrigin() : Vec2::ZERO;
}

void Director::setContentScaleFactor(float scaleFactor)
{
    if (scaleFactor > 0.0f) {
        _contentScaleFactor = scaleFactor;
        markDirty();
    }
}

void Director::calculateDeltaTime()
{
    double current = _clock();
    if (_nextDeltaTimeZero || _lastUpdate < 0.0) {
        _deltaTime = 0.0f;
        _nextDeltaTimeZero = false;
    } else {
        _deltaTime = static_cast<float>(std::max(0.0, current - _lastUpdate));
    }
    _lastUpdate = current;
}

void Director::mainLoop()
{
    calculateDeltaTime();
    mainLoop(_deltaTime);
}

void Director::mainLoop(float dt)
{
    _frameStart = _clock();
    // A frame run at once for posted work keeps the slot of the frame due next, which draws.
    const bool posted = _postedWork.exchange(false, std::memory_order_acq_rel);
    _earlyFrame = posted && _frameStart < _lastWorkFrameStart + _animationInterval;
    if (_earlyFrame) {
        _lastEarlyFrameStart = _frameStart;
    }
    // Taking the early slot here, drawn or not, keeps a change that cannot be drawn (a stopped
    // director) from making every wait end at once.
    if (!_earlyFrame && hasArrivedWork()) {
        _lastWorkFrameStart = _frameStart;
    }
    _deltaTime = dt < 0.0f ? 0.0f : dt;
    _frameTime = std::max(0.0f, _deltaTime - static_cast<float>(_waitedSinceFrame));
    _waitedSinceFrame = 0.0;
    if (!_invalid) {
        drawScene();
    }
    // Objects autoreleased during the frame go now, on the main thread.
    PoolManager::getInstance()->getCurrentPool()->clear();
}

void Director::markDirty()
{
    // Only the first request wakes the loop, and the main thread never sleeps while it asks.
    if (!_dirty.exchange(true, std::memory_order_acq_rel) && !isMainThread()) {
        wakeUp();
    }
}

void Director::markWorkPosted()
{
    // Only the first post since the last frame wakes the loop.
    if (!isMainThread() && !_postedWork.exchange(true, std::memory_order_acq_rel)) {
        wakeUp();
    }
}

bool Director::isDirty() const
{
    return _dirty.load(std::memory_order_acquire);
}

void Director::markChanged()
{
    if (!isDrawing()) {
        markDirty();
    }
}

double Director::getTimeToNextWork() const
{
    if (isDirty()) {
        return 0.0;
    }
    if (_invalid || _paused) {
        return std::numeric_limits<double>::infinity();
    }
    if (_nextScene || _actionManager->hasUnpausedActions()) {
        return 0.0;
    }
    // The action manager's hook runs every frame but has work only while actions run.
    return _scheduler->getTimeToNextWork(_actionManager);
}

bool Director::hasArrivedWork() const
{
    return isDirty() || (!_paused && _scheduler->getPendingFunctionCount() > 0);
}

double Director::getNextFrameTime(double frameStart) const
{
    const double interval = _animationInterval;
    double due = frameStart + std::max(interval, getTimeToNextWork());
    if (hasArrivedWork()) {
        due = std::min(due, _lastWorkFrameStart + interval);
    }
    // One early frame between due ones: posts that keep coming (a loader's progress) wait.
    if (_postedWork.load(std::memory_order_acquire) && _lastEarlyFrameStart < _lastWorkFrameStart) {
        due = std::min(due, frameStart);
    }
    return due;
}

void Director::waitForWork(double seconds)
{
    if (!(seconds > 0.0)) {
        return;
    }
    const double start = _clock();
    if (!_openGLView || !_openGLView->waitEvents(seconds)) {
        // No window system to wait in: wait for a wake-up alone.
        std::unique_lock<std::mutex> lock(_wakeMutex);
        _wakeCondition.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return _wakeRequested; });
        _wakeRequested = false;
    }
    _waitedSinceFrame += std::max(0.0, _clock() - start);
}

void Director::wakeUp()
{
    if (auto wakeWindow = _wakeWindow.load(std::memory_order_acquire)) {
        wakeWindow();
    }
    {
        std::lock_guard<std::mutex> lock(_wakeMutex);
        _wakeRequested = true;
    }
    _wakeCondition.notify_one();
}

void Director::drawScene()
{
    if (!_paused) {
        _scheduler->update(_deltaTime);
    }
    if (_nextScene) {
        setNextScene();
    }
    // Cleared before the visit: a node that asks again while drawing gets the next frame too.
    if (!_earlyFrame && _dirty.exchange(false, std::memory_order_acq_rel)) {
        // Also when the change came from this frame's own timers: drawn frames stay apart.
        _lastWorkFrameStart = _frameStart;
        renderScene();
    }
    ++_totalFrames;
}

void Director::renderScene()
{
    _drawing.store(true, std::memory_order_relaxed);
    _renderer->countFrame();
    if (!_openGLView && _runningScene) {
        // Headless: the tree is still visited (with no renderer) so cameras and transforms update.
        _runningScene->render(nullptr);
    }
    if (_openGLView) {
        _renderer->clearDrawStats();
        _renderer->clear();
        pushMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_MODELVIEW);
        // The running scene is visited here and queues its render commands.
        if (_runningScene) {
            _runningScene->render(_renderer);
        }
        _renderer->render();
        _renderer->runFrameEndTasks();
        popMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_MODELVIEW);
        _openGLView->swapBuffers();
    }
    _drawing.store(false, std::memory_order_relaxed);
}

TextureCache* Director::getTextureCache()
{
    if (!_textureCache) {
        _textureCache = new TextureCache();
    }
    return _textureCache;
}

void Director::setOpenGLView(GLView* openGLView)
{
    if (openGLView == _openGLView) {
        return;
    }
    if (openGLView) {
        openGLView->retain();
    }
    _wakeWindow.store(nullptr, std::memory_order_release);
    if (_openGLView) {
        _openGLView->release();
    }
    _openGLView = openGLView;
    if (!_openGLView) {
        return;
    }
    _winSizeInPoints = _openGLView->getDesignResolutionSize();
    markDirty();
    _renderer->initGLView();
    setAlphaBlending(true);
    setDepthTest(false);
    setProjection(_projection);
    // The window's mouse, keys and characters become engine events from now on.
    if (auto* window = dynamic_cast<GLViewImpl*>(_openGLView)) {
        InputInjector::getInstance()->attachView(window);
        _wakeWindow.store(&GLViewImpl::postEmptyEvent, std::memory_order_release);
    }
}

void Director::setClearColor(const Color4F& clearColor)
{
    _renderer->setClearColor(clearColor);
    markDirty();
}

float Director::getZEye() const
{
    // The eye distance at which a 60 degree field of view spans the design height.
    return _winSizeInPoints.height / 1.1547005f;
}

void Director::setViewport()
{
    if (_openGLView) {
        _openGLView->setViewPortInPoints(0, 0, _winSizeInPoints.width, _winSizeInPoints.height);
    }
}

void Director::setProjection(Projection projection)
{
    Size size = _winSizeInPoints;
    if (size.width <= 0 || size.height <= 0) {
        _projection = projection;
        return;
    }
    setViewport();
    loadIdentityMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_MODELVIEW);
    switch (projection) {
    case Projection::_2D: {
        Mat4 ortho;
        Mat4::createOrthographicOffCenter(0, size.width, 0, size.height, -1024, 1024, &ortho);
        loadMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION, ortho);
        break;
    }
    case Projection::_3D: {
        float zeye = getZEye();
        Mat4 perspective, lookAt;
        Mat4::createPerspective(60, size.width / size.height, 10, zeye + size.height / 2, &perspective);
        Mat4::createLookAt(Vec3(size.width / 2, size.height / 2, zeye), Vec3(size.width / 2, size.height / 2, 0),
                           Vec3(0, 1, 0), &lookAt);
        loadMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION, perspective * lookAt);
        break;
    }
    default:
        break;
    }
    _projection = projection;
    markDirty();
}

void Director::setDepthTest(bool on)
{
    _renderer->setDepthTest(on);
}

void Director::setAlphaBlending(bool on)
{
    if (!GL::isContextReady()) {
        return;
    }
    if (on) {
        GL::blendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        GL::blendFunc(GL_ONE, GL_ZERO);
    }
}

std::vector<Mat4>& Director::stackFor(MATRIX_STACK_TYPE type)
{
    switch (type) {
    case MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION: return _projectionStack;
    case MATRIX_STACK_TYPE::MATRIX_STACK_TEXTURE: return _textureStack;
    default: return _modelViewStack;
    }
}

void Director::resetMatrixStack()
{
    _modelViewStack.assign(1, Mat4::IDENTITY);
    _projectionStack.assign(1, Mat4::IDENTITY);
    _textureStack.assign(1, Mat4::IDENTITY);
}

void Director::pushMatrix(MATRIX_STACK_TYPE type)
{
    auto& stack = stackFor(type);
    stack.push_back(stack.back());
}

void Director::popMatrix(MATRIX_STACK_TYPE type)
{
    auto& stack = stackFor(type);
    // The bottom matrix stays: an unbalanced pop must not leave the stack empty.
    if (stack.size() > 1) {
        stack.pop_back();
    } else {
        log("Director::popMatrix: stack %d is already at its bottom", static_cast<int>(type));
    }
}

void Director::loadIdentityMatrix(MATRIX_STACK_TYPE type)
{
    stackFor(type).back() = Mat4::IDENTITY;
}

void Director::loadMatrix(MATRIX_STACK_TYPE type, const Mat4& mat)
{
    stackFor(type).back() = mat;
}

void Director::multiplyMatrix(MATRIX_STACK_TYPE type, const Mat4& mat)
{
    auto& top = stackFor(type).back();
    top = top * mat;
}

const Mat4& Director::getMatrix(MATRIX_STACK_TYPE type) const
{
    return const_cast<Director*>(this)->stackFor(type).back();
}

void Director::reset()
{
    _scheduler->unscheduleAll();
    clearScenes();
    _actionManager->removeAllActions();
    _scheduler->scheduleUpdate(_actionManager, Scheduler::PRIORITY_SYSTEM, false);
    _scheduler->removeAllFunctionsToBePerformedInCocosThread();
    _scheduler->setTimeScale(1.0f);
    _invalid = false;
    _paused = false;
    _ending = false;
    _nextDeltaTimeZero = false;
    _lastUpdate = -1.0;
    markDirty();
    PoolManager::getInstance()->getCurrentPool()->clear();
}

// --- scene stack ---------------------------------------------------------------------

namespace {
/// A transition is shown at once: the director takes its incoming scene in its place.
Scene* unwrapTransition(Scene* scene)
{
    auto* transition = dynamic_cast<TransitionScene*>(scene);
    return transition ? transition->finishInstantly() : scene;
}
} // namespace

void Director::runWithScene(Scene* scene)
{
    if (!scene) {
        log("Director::runWithScene: null scene");
        return;
    }
    if (_runningScene || !_scenesStack.empty()) {
        log("Director::runWithScene: a scene is already running; use replaceScene");
        replaceScene(scene);
        return;
    }
    pushScene(scene);
}

void Director::pushScene(Scene* scene)
{
    scene = unwrapTransition(scene);
    if (!scene) {
        log("Director::pushScene: null scene");
        return;
    }
    _sendCleanupToScene = false;
    scene->retain();
    _scenesStack.push_back(scene);
    _nextScene = scene;
}

void Director::popScene()
{
    if (_scenesStack.empty()) {
        log("Director::popScene: no scene to pop");
        return;
    }
    Scene* top = _scenesStack.back();
    _scenesStack.pop_back();
    if (_nextScene == top)
        _nextScene = nullptr;
    if (_scenesStack.empty()) {
        top->release();
        end();
        return;
    }
    _sendCleanupToScene = true;
    _nextScene = _scenesStack.back();
    // The running scene stays alive through _runningScene until the next frame replaces it.
    top->release();
}

bool Director::popSceneIfOnTop(Scene* scene)
{
    if (!scene || getTopScene() != scene)
        return false;
    popScene();
    return true;
}

void Director::popToRootScene() { popToSceneStackLevel(1); }

void Director::popToSceneStackLevel(int level)
{
    if (level <= 0) {
        end();
        return;
    }
    while (_scenesStack.size() > static_cast<size_t>(level)) {
        Scene* top = _scenesStack.back();
        _scenesStack.pop_back();
        if (top != _runningScene && top->isRunning()) {
            top->onExit();
        }
        if (top != _runningScene)
            top->cleanup();
        top->release();
    }
    if (!_scenesStack.empty()) {
        _nextScene = _scenesStack.back();
        _sendCleanupToScene = true;
    }
}

void Director::replaceScene(Scene* scene)
{
    scene = unwrapTransition(scene);
    if (!scene) {
        log("Director::replaceScene: null scene");
        return;
    }
    if (!_runningScene && _scenesStack.empty()) {
        pushScene(scene);
        return;
    }
    if (scene == _nextScene)
        return;
    _sendCleanupToScene = true;
    scene->retain();
    if (_scenesStack.empty()) {
        _scenesStack.push_back(scene);
    } else {
        Scene* old = _scenesStack.back();
        _scenesStack.back() = scene;
        old->release();
    }
    _nextScene = scene;
}

void Director::setNextScene()
{
    Scene* next = _nextScene;
    _nextScene = nullptr;
    if (next == _runningScene)
        return;
    next->retain();
    if (_runningScene) {
        _runningScene->onExitTransitionDidStart();
        _runningScene->onExit();
        if (_sendCleanupToScene)
            _runningScene->cleanup();
        _runningScene->release();
    }
    _runningScene = next;
    _runningScene->onEnter();
    _runningScene->onEnterTransitionDidFinish();
    markDirty();
}

void Director::clearScenes()
{
    _nextScene = nullptr;
    markDirty();
    if (_runningScene) {
        _runningScene->onExitTransitionDidStart();
        _runningScene->onExit();
        _runningScene->cleanup();
        _runningScene->release();
        _runningScene = nullptr;
    }
    std::vector<Scene*> stack;
    stack.swap(_scenesStack);
    for (Scene* scene : stack)
        scene->release();
}

Vec2 Director::convertToGL(const Vec2& uiPoint) const
{
    return Vec2(uiPoint.x, _winSizeInPoints.height - uiPoint.y);
}

Vec2 Director::convertToUI(const Vec2& glPoint) const
{
    return Vec2(glPoint.x, _winSizeInPoints.height - glPoint.y);
}

} // namespace cocos2d
