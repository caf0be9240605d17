#include "base/Touch.h"

#include <atomic>
#include <chrono>

#include "base/Director.h"

namespace cocos2d {

namespace {
std::atomic<double> g_lastTouchTime{0.0};

float windowHeight() { return Director::getInstance()->getWinSize().height; }

Vec2 flip(const Vec2& p) { return Vec2(p.x, windowHeight() - p.y); }
} // namespace

Vec2 Touch::getLocationInView() const { return flip(_point); }
Vec2 Touch::getPreviousLocationInView() const { return flip(_prevPoint); }
Vec2 Touch::getStartLocationInView() const { return flip(_startPoint); }

void Touch::setTouchInfo(int id, float x, float y)
{
    setTouchInfoInGL(id, flip(Vec2(x, y)));
}

void Touch::setTouchInfoInGL(int id, const Vec2& point)
{
    _id = id;
    _prevPoint = _point;
    _point = point;
    if (!_startPointCaptured) {
        _startPoint = _point;
        _prevPoint = _point;
        _startPointCaptured = true;
    }
    using namespace std::chrono;
    g_lastTouchTime = duration<double>(system_clock::now().time_since_epoch()).count();
}

double Touch::getTimeStamp() { return g_lastTouchTime.load(); }

} // namespace cocos2d
