#include "imaging/display/interactor/isInteractorBase.h"

#include <algorithm>
#include <cmath>

#include "base/Touch.h"
#include "imaging/display/window/isRenderWindow.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

using cocos2d::Touch;
using cocos2d::Vec2;

namespace {

// The gesture in progress and its owner, shared by every interactor of the program.
bool g_gestureInProgress = false;
isInteractorBase* g_gestureOwner = nullptr;

// A press time that no real press is near, so the first press is never a double tap.
const int64_t kNoPress = INT64_MIN / 4;
const float kTapSlop = 2.0f;

Touch* findTouch(const std::vector<Touch*>& touches, int id)
{
    for (Touch* touch : touches)
        if (touch->getID() == id) return touch;
    return nullptr;
}

} // namespace

bool isInteractorBase::isGestureInProgress() { return g_gestureInProgress; }
isInteractorBase* isInteractorBase::getGestureOwner() { return g_gestureOwner; }

int64_t isInteractorBase::nowMicros()
{
    return std::llround(cocos2d::Director::getInstance()->now() * 1e6);
}

isInteractorBase* isInteractorBase::create() { return createObject<isInteractorBase>(); }

isInteractorBase::~isInteractorBase()
{
    isInteractorBase::cleanup();
    releaseTouches();
    if (g_gestureOwner == this) {
        // A gesture whose interactor is gone would otherwise block every other view for good.
        g_gestureOwner = nullptr;
        g_gestureInProgress = false;
    }
}

bool isInteractorBase::init()
{
    isObject::init();
    oneFingerMode = true;
    typeTag = 0;
    window = nullptr;
    touchDownMicros = previousMicros = kNoPress;
    g_gestureInProgress = false;
    g_gestureOwner = nullptr;
    active = false;
    pinchEnabled = true;
    dragEnabled = true;
    return true;
}

void isInteractorBase::cleanup() { CC_SAFE_RELEASE_NULL(window); }

void isInteractorBase::setRenderWindow(isRenderWindow* newWindow)
{
    CC_SAFE_RETAIN(newWindow);
    CC_SAFE_RELEASE(window);
    window = newWindow;
}

Vec2 isInteractorBase::toWindow(const Vec2& location) const
{
    return window ? window->convertToNodeSpace(location) : location;
}

// --- tracked copies ------------------------------------------------------------------------------

void isInteractorBase::releaseTouches()
{
    for (Touch* touch : trackedTouches)
        touch->release();
    trackedTouches.clear();
}

Touch* isInteractorBase::findTracked(int id) const { return findTouch(trackedTouches, id); }

void isInteractorBase::track(const std::vector<Touch*>& touches)
{
    for (Touch* touch : touches) {
        if (Touch* known = findTracked(touch->getID())) {
            known->setLocation(touch->getLocation());
        } else {
            auto* copy = new Touch();
            copy->setTouchInfoInGL(touch->getID(), touch->getLocation());
            trackedTouches.push_back(copy);
        }
    }
}

void isInteractorBase::forgetTracked(const std::vector<Touch*>& touches)
{
    for (Touch* touch : touches) {
        auto it = std::find_if(trackedTouches.begin(), trackedTouches.end(),
                               [touch](Touch* known) { return known->getID() == touch->getID(); });
        if (it == trackedTouches.end()) continue;
        (*it)->release();
        trackedTouches.erase(it);
    }
}

// --- touches from the window ---------------------------------------------------------------------

void isInteractorBase::touchesBegan(const std::vector<Touch*>& touches)
{
    if (g_gestureInProgress && !active) return;
    if (!window || window->getScene() != cocos2d::Director::getInstance()->getRunningScene()) return;
    if (g_gestureInProgress) {
        if (g_gestureOwner != this) {
            active = false;
            return;
        }
        track(touches);
    } else {
        const cocos2d::Size size = window->getContentSize();
        bool inside = false;
        for (Touch* touch : touches) {
            const Vec2 p = toWindow(touch->getLocation());
            if (p.x > 0.0f && p.x < size.width && p.y > 0.0f && p.y < size.height) inside = true;
        }
        if (!inside) {
            // Copies of rejected touches would later count as extra fingers.
            active = false;
            return;
        }
        track(touches);
        g_gestureInProgress = true;
        g_gestureOwner = this;
        active = true;
        NSUI::NSNotificationCenter::getInstance()->postNotification(this, kViewTouchedId, nullptr, window, true);
    }
    if (oneFingerMode && trackedTouches.size() > 1) {
        oneFingerMode = false;
        singleTouchEnded(trackedTouches.front());
    }
    tapCandidate = true;
    if (!oneFingerMode)
        multiTouchBegan(touches);
    else if (!trackedTouches.empty())
        oneFingerPress(trackedTouches.front());
}

void isInteractorBase::oneFingerPress(Touch* touch)
{
    accumulated = Vec2::ZERO;
    downLocation = touch->getLocation();
    previousMicros = touchDownMicros;
    touchDownMicros = nowMicros();
    if ((touchDownMicros - previousMicros) / 1000 < kDoubleTapMs)
        onDoubleTap(toWindow(touch->getLocation()));
    else
        singleTouchBegan(touch);
}

void isInteractorBase::touchesEnded(const std::vector<Touch*>& touches) { finishTouches(touches, false); }

void isInteractorBase::touchesCancelled(const std::vector<Touch*>& touches) { finishTouches(touches, true); }

void isInteractorBase::finishTouches(const std::vector<Touch*>& touches, bool cancelled)
{
    if (!active) {
        if (!g_gestureInProgress) releaseTouches();
        return;
    }
    if (!oneFingerMode) {
        if (cancelled)
            multiTouchCancelled(touches);
        else
            multiTouchEnded(touches);
        if (trackedTouches.empty()) endGesture();
        return;
    }
    if (!trackedTouches.empty()) {
        if (Touch* touch = findTouch(touches, trackedTouches.front()->getID())) {
            if (cancelled)
                singleTouchCancelled(touch);
            else
                singleTouchEnded(touch);
        }
    }
    releaseTouches();
    endGesture();
}

void isInteractorBase::endGesture()
{
    g_gestureInProgress = false;
    if (g_gestureOwner == this) g_gestureOwner = nullptr;
    oneFingerMode = true;
}

// --- one finger ------------------------------------------------------------------------------------

void isInteractorBase::singleTouchMoved(Touch* touch)
{
    if (dragEnabled) {
        const int64_t now = nowMicros();
        const int64_t dt = (now - previousMicros) / 1000;
        previousMicros = now;
        const Vec2 delta = (touch->getLocation() - downLocation) - accumulated;
        accumulated += delta;
        const float speed = dt > 0 ? delta.length() / static_cast<float>(dt) : 0.0f;
        onDrag(delta, speed);
    }
    if (touch->getStartLocation().distance(touch->getLocation()) > kTapSlop) tapCandidate = false;
}

void isInteractorBase::singleTouchEnded(Touch* touch)
{
    const int64_t dt = wholeMillisSince(touchDownMicros);
    const Vec2 move = touch->getLocation() - downLocation;
    const float distance = move.length();
    const Vec2 p = toWindow(touch->getLocation());
    if (dt >= 26 && dt <= 129 && distance > 150.0f && distance < 400.0f)
        onSwipe(p, move);
    else if (dt < 100 && distance < 50.0f)
        onTap(p);
}

// --- two fingers -----------------------------------------------------------------------------------

void isInteractorBase::multiTouchBegan(const std::vector<Touch*>&)
{
    if (trackedTouches.size() != 2) return;
    if (dragEnabled) accumulated = Vec2::ZERO;
    if (pinchEnabled) {
        pinchStartDistance = trackedTouches[0]->getLocation().distance(trackedTouches[1]->getLocation());
        pinchScale = 1.0f;
    }
}

void isInteractorBase::multiTouchMoved(const std::vector<Touch*>& touches)
{
    if (touches.size() != 2 || trackedTouches.size() != 2) return;
    // Fingers that started on one point give no ratio to scale by.
    if (pinchEnabled && pinchStartDistance > 0.0f && pinchScale > 0.0f) {
        const float d = touches[0]->getLocation().distance(touches[1]->getLocation());
        const float scale = d / pinchStartDistance;
        const float factor = d / (pinchStartDistance * pinchScale);
        pinchScale = scale;
        onPinch(scale, factor);
    }
    if (dragEnabled) {
        Touch* a = findTracked(touches[0]->getID());
        Touch* b = findTracked(touches[1]->getID());
        if (!a || !b) return;
        const Vec2 mean =
            ((touches[0]->getLocation() - a->getLocation()) + (touches[1]->getLocation() - b->getLocation())) * 0.5f;
        const Vec2 delta = mean - accumulated;
        accumulated += delta;
        onTwoFingerPan(delta);
    }
}

void isInteractorBase::multiTouchEnded(const std::vector<Touch*>& touches)
{
    forgetTracked(touches);
    multiTouchBegan(trackedTouches);
}

void isInteractorBase::multiTouchCancelled(const std::vector<Touch*>& touches) { multiTouchEnded(touches); }

} // namespace isImageSDK
