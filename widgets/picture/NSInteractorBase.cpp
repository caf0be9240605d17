#include "picture/NSInteractorBase.h"

#include "base/Touch.h"
#include "ui/Widget.h"

namespace NSUI {

using namespace cocos2d;

namespace {
bool g_gestureInProgress = false;
NSInteractorBase* g_gestureOwner = nullptr;

const double kDoubleTapSeconds = 0.181;
} // namespace

bool NSInteractorBase::isGestureInProgress() {
    return g_gestureInProgress;
}

NSInteractorBase* NSInteractorBase::getGestureOwner() {
    return g_gestureOwner;
}

NSInteractorBase::~NSInteractorBase() {
    releaseTarget();
}

bool NSInteractorBase::init() {
    singleTouch = true;
    active = false;
    pinchEnabled = true;
    panEnabled = true;
    target = nullptr;
    oneFingerMode = 0;
    g_gestureInProgress = false;
    return true;
}

void NSInteractorBase::setTarget(Node* node) {
    target = node;
}

void NSInteractorBase::releaseTarget() {
    target = nullptr;
    tracked.clear();
    active = false;
    singleTouch = true;
    if (g_gestureOwner == this) {
        // A gesture whose view is gone would otherwise block every other view for good.
        g_gestureOwner = nullptr;
        g_gestureInProgress = false;
    }
}

NSInteractorBase::Tracked* NSInteractorBase::findTracked(int id) {
    for (Tracked& t : tracked)
        if (t.id == id)
            return &t;
    return nullptr;
}

Touch* NSInteractorBase::findTouch(const std::vector<Touch*>& touches, int id) {
    for (Touch* t : touches)
        if (t->getID() == id)
            return t;
    return nullptr;
}

void NSInteractorBase::track(const std::vector<Touch*>& touches) {
    for (Touch* t : touches) {
        if (Tracked* known = findTracked(t->getID()))
            known->location = t->getLocation();
        else
            tracked.push_back({t->getID(), t->getLocation()});
    }
}

void NSInteractorBase::endGesture() {
    tracked.clear();
    g_gestureInProgress = false;
    if (g_gestureOwner == this)
        g_gestureOwner = nullptr;
    singleTouch = true;
}

void NSInteractorBase::touchesBegan(const std::vector<Touch*>& touches) {
    if (g_gestureInProgress && !active)
        return;
    if (!target || !target->isRunning() || target->getScene() != Director::getInstance()->getRunningScene())
        return;
    // A hidden view takes no gestures.
    if (!ui::Widget::isAncestorsVisible(target))
        return;
    if (g_gestureInProgress && g_gestureOwner != this) {
        active = false;
        return;
    }
    if (g_gestureInProgress) {
        track(touches);
    } else {
        const Size& size = target->getContentSize();
        bool inside = false;
        for (Touch* t : touches) {
            Vec2 p = target->convertToNodeSpace(t->getLocation());
            if (p.x > 0.0f && p.x < size.width && p.y > 0.0f && p.y < size.height)
                inside = true;
        }
        track(touches);
        if (!inside) {
            active = false;
            return;
        }
        g_gestureInProgress = true;
        g_gestureOwner = this;
        active = true;
    }
    if (singleTouch && tracked.size() > 1) {
        singleTouch = false;
        onOneFingerEnded(tracked[0].location);
    }
    if (!singleTouch)
        onTwoFingerBegan();
    else if (!tracked.empty())
        startOneFinger(tracked[0].location);
}

void NSInteractorBase::startOneFinger(const Vec2& location) {
    accumulated = Vec2::ZERO;
    startLocation = location;
    double now = Director::getInstance()->now();
    bool doubleTap = touchStartTime >= 0.0 && now - touchStartTime < kDoubleTapSeconds;
    touchStartTime = now;
    if (doubleTap && target)
        onDoubleTap(target->convertToNodeSpace(location));
    else
        onOneFingerBegan(location);
}

void NSInteractorBase::touchesMoved(const std::vector<Touch*>& touches) {
    if (!active || !g_gestureInProgress)
        return;
    if (singleTouch) {
        if (tracked.empty())
            return;
        if (Touch* t = findTouch(touches, tracked[0].id))
            onOneFingerMoved(t->getLocation());
    } else {
        onTouchesMoved(touches);
    }
}

void NSInteractorBase::touchesEnded(const std::vector<Touch*>& touches) {
    finishTouches(touches, false);
}

void NSInteractorBase::touchesCancelled(const std::vector<Touch*>& touches) {
    finishTouches(touches, true);
}

void NSInteractorBase::finishTouches(const std::vector<Touch*>& touches, bool cancelled) {
    if (!active) {
        if (!g_gestureInProgress)
            tracked.clear();
        return;
    }
    if (!singleTouch) {
        if (cancelled)
            onTwoFingerCancelled(touches);
        else
            onTwoFingerEnded(touches);
        if (tracked.empty())
            endGesture();
        return;
    }
    if (!tracked.empty()) {
        if (Touch* t = findTouch(touches, tracked[0].id)) {
            if (cancelled)
                onOneFingerCancelled(t->getLocation());
            else
                onOneFingerEnded(t->getLocation());
        }
    }
    endGesture();
}

void NSInteractorBase::onTwoFingerBegan() {
    if (tracked.size() != 2)
        return;
    if (panEnabled)
        accumulated = Vec2::ZERO;
    if (pinchEnabled) {
        initialDistance = tracked[0].location.distance(tracked[1].location);
        pinchScale = 1.0f;
    }
}

void NSInteractorBase::onTouchesMoved(const std::vector<Touch*>& touches) {
    if (touches.size() != 2 || tracked.size() != 2)
        return;
    if (pinchEnabled && initialDistance >= kMinPinchDistance) {
        float d = touches[0]->getLocation().distance(touches[1]->getLocation());
        float previous = initialDistance * pinchScale;
        pinchScale = d / initialDistance;
        if (previous > 0.0f && d > 0.0f)
            pinchZoom(d / previous);
    }
    if (panEnabled) {
        Tracked* a = findTracked(touches[0]->getID());
        Tracked* b = findTracked(touches[1]->getID());
        if (!a || !b)
            return;
        Vec2 mean =
            ((touches[0]->getLocation() - a->location) + (touches[1]->getLocation() - b->location)) * 0.5f;
        Vec2 step = mean - accumulated;
        accumulated += step;
        panBy(step);
    }
}

void NSInteractorBase::onTwoFingerEnded(const std::vector<Touch*>& touches) {
    for (Touch* t : touches) {
        int id = t->getID();
        tracked.erase(
            std::remove_if(tracked.begin(), tracked.end(), [id](const Tracked& k) { return k.id == id; }),
            tracked.end());
    }
    onTwoFingerBegan();
}

void NSInteractorBase::onTwoFingerCancelled(const std::vector<Touch*>& touches) {
    onTwoFingerEnded(touches);
}

void NSInteractorBase::onOneFingerMoved(const Vec2& location) {
    if (!panEnabled)
        return;
    Vec2 total = location - startLocation;
    Vec2 step = total - accumulated;
    accumulated += step;
    onDrag(step);
}

void NSInteractorBase::onOneFingerEnded(const Vec2& location) {
    double elapsedMs = (Director::getInstance()->now() - touchStartTime) * 1000.0;
    float distance = location.distance(startLocation);
    Vec2 local = target ? target->convertToNodeSpace(location) : location;
    if (elapsedMs >= 26.0 && elapsedMs <= 129.0 && distance > 150.0f && distance < 400.0f)
        onSwipe(local, location - startLocation);
    else if (elapsedMs < 100.0 && distance < 50.0f)
        onTap(local);
}

} // namespace NSUI
