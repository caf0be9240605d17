#include "base/Director.h"

#include <algorithm>
#include <mutex>

#include "base/AutoreleasePool.h"
#include "base/PoolManager.h"
#include "base/Scheduler.h"
#include "base/ccLog.h"

namespace cocos2d {

namespace {
Director* g_director = nullptr;
std::once_flag g_directorOnce;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

Director* Director::getInstance()
{
    std::call_once(g_directorOnce, [] { g_director = new Director(); });
    return g_director;
}

Director::Director() : _clock(steadySeconds), _mainThread(std::this_thread::get_id())
{
    PoolManager::getInstance()->setMainThreadId(_mainThread);
    _scheduler = new Scheduler();
}

Director::~Director()
{
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
    return _winSizeInPoints;
}

Vec2 Director::getVisibleOrigin() const
{
    return Vec2::ZERO;
}

void Director::setContentScaleFactor(float scaleFactor)
{
    if (scaleFactor > 0.0f) {
        _contentScaleFactor = scaleFactor;
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
    _deltaTime = dt < 0.0f ? 0.0f : dt;
    if (!_invalid) {
        drawScene();
    }
    // Objects autoreleased during the frame go now, on the main thread.
    PoolManager::getInstance()->getCurrentPool()->clear();
}

void Director::drawScene()
{
    if (!_paused) {
        _scheduler->update(_deltaTime);
    }
    ++_totalFrames;
}

void Director::reset()
{
    _scheduler->unscheduleAll();
    _scheduler->removeAllFunctionsToBePerformedInCocosThread();
    _scheduler->setTimeScale(1.0f);
    _invalid = false;
    _paused = false;
    _ending = false;
    _nextDeltaTimeZero = false;
    _lastUpdate = -1.0;
    PoolManager::getInstance()->getCurrentPool()->clear();
}

} // namespace cocos2d
