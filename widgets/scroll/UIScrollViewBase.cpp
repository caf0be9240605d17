#include "scroll/UIScrollViewBase.h"

#include "2d/actions/ActionCreate.h"

#include <algorithm>
#include <cmath>

#include "2d/Sprite.h"
#include "base/PlainSprite.h"
#include "2d/actions/FadeTo.h"
#include "base/EventListenerMouse.h"
#include "base/EventMouse.h"
#include "base/Touch.h"
#include "layout/NSLayout.h"

namespace NSUI {

using namespace cocos2d;

namespace {
const Vec2 kUp(0.0f, 1.0f);
const Vec2 kDown(0.0f, -1.0f);
const Vec2 kLeft(-1.0f, 0.0f);
const Vec2 kRight(1.0f, 0.0f);
const float kWheelStep = 20.0f;
const float kAxisLockDistance = 1.5f;
const float kMinPressForGlide = 0.016f;
const float kBarWidth = 5.0f;
} // namespace

UIScrollViewBase* UIScrollViewBase::create() {
    auto* view = new (std::nothrow) UIScrollViewBase();
    return finishCreate(view, view && view->init());
}

UIScrollViewBase::~UIScrollViewBase() {
    if (scrollBar) {
        scrollBar->release();
        scrollBar = nullptr;
    }
    if (wheelListener) {
        getEventDispatcher()->removeEventListener(wheelListener);
        wheelListener->release();
        wheelListener = nullptr;
    }
    scrollCallback = nullptr;
}

bool UIScrollViewBase::init() {
    if (!ui::Layout::init())
        return false;
    setControlOwner(this);
    setHttpOwner(this);
    setClippingEnabled(true);
    innerContainer->setTouchEnabled(false);
    setTouchEnabled(true);
    return true;
}

void UIScrollViewBase::initRenderer() {
    ui::Layout::initRenderer();
    innerContainer = ui::Layout::create();
    innerContainer->setAnchorPoint(Vec2::ZERO);
    addProtectedChild(innerContainer, 1, 1);
}

void UIScrollViewBase::onEnter() {
    ui::Layout::onEnter();
    scheduleUpdate();
}

void UIScrollViewBase::setContentSize(const Size& size) {
    ui::Layout::setContentSize(size);
}

void UIScrollViewBase::onSizeChanged() {
    ui::Layout::onSizeChanged();
    const Size& view = getContentSize();
    topBoundary = view.height;
    rightBoundary = view.width;
    if (!innerContainer)
        return;
    Size inner = innerContainer->getContentSize();
    inner.width = std::max(inner.width, view.width);
    inner.height = std::max(inner.height, view.height);
    innerContainer->setContentSize(inner);
    innerContainer->setPosition(Vec2(0.0f, view.height - inner.height));
    onScrolled();
}

const Size& UIScrollViewBase::getInnerContainerSize() const {
    return innerContainer->getContentSize();
}

void UIScrollViewBase::setInnerContainerSize(const Size& size) {
    const Size& view = getContentSize();
    Size oldSize = innerContainer->getContentSize();
    Size inner(std::max(size.width, view.width), std::max(size.height, view.height));
    innerContainer->setContentSize(inner);
    switch (direction) {
    case kDirVertical:
        scrollChildren(0.0f, oldSize.height - inner.height);
        break;
    case kDirHorizontal:
        if (innerContainer->getRightBoundary() <= view.width)
            scrollChildren(oldSize.width - inner.width, 0.0f);
        break;
    case kDirBoth: {
        float dx = innerContainer->getRightBoundary() <= view.width ? oldSize.width - inner.width : 0.0f;
        scrollChildren(dx, oldSize.height - inner.height);
        break;
    }
    default:
        break;
    }
    const Vec2& anchor = innerContainer->getAnchorPoint();
    if (innerContainer->getLeftBoundary() > 0.0f) {
        innerContainer->setPositionX(anchor.x * inner.width);
        onScrolled();
    }
    if (innerContainer->getRightBoundary() < view.width) {
        innerContainer->setPositionX(view.width - (1.0f - anchor.x) * inner.width);
        onScrolled();
    }
    if (innerContainer->getPositionY() > 0.0f) {
        innerContainer->setPositionY(anchor.y * inner.height);
        onScrolled();
    }
    if (innerContainer->getTopBoundary() < view.height) {
        innerContainer->setPositionY(view.height - (1.0f - anchor.y) * inner.height);
        onScrolled();
    }
}

Vec2 UIScrollViewBase::getContentOffset() const {
    return innerContainer->getPosition();
}

void UIScrollViewBase::setContentOffset(const Vec2& offset) {
    // Clamped on both sides: an offset above 0 would push short content below the top.
    const Size& view = getContentSize();
    const Size& inner = innerContainer->getContentSize();
    Vec2 p = offset;
    if (direction == kDirVertical || direction == kDirBoth)
        p.y = std::min(0.0f, std::max(p.y, std::min(0.0f, view.height - inner.height)));
    if (direction == kDirHorizontal || direction == kDirBoth)
        p.x = std::min(0.0f, std::max(p.x, std::min(0.0f, view.width - inner.width)));
    if (!p.equals(innerContainer->getPosition()))
        innerContainer->setPosition(p);
    onScrolled();
}

void UIScrollViewBase::sendScrollEvent(int eventType) {
    if (!scrollCallback)
        return;
    retain();
    ScrollCallback callback = scrollCallback; // the callback may replace itself
    callback(this, eventType);
    release();
}

bool UIScrollViewBase::scrollChildren(float dx, float dy) {
    sendScrollEvent(kScrolling);
    if (direction == kDirNone)
        return true;
    bool free = true;
    float bottom = innerContainer->getBottomBoundary();
    float top = innerContainer->getTopBoundary();
    float left = innerContainer->getLeftBoundary();
    float right = innerContainer->getRightBoundary();
    auto clampBottom = [&](float& d) {
        if (bottom + d >= bottomBoundary) {
            d = bottomBoundary - bottom;
            sendScrollEvent(kScrollToBottom);
            free = false;
        }
    };
    auto clampTop = [&](float requested, float& d) {
        if (topBoundary >= top + requested) {
            d = topBoundary - top;
            sendScrollEvent(kScrollToTop);
            free = false;
        }
    };
    auto clampRight = [&](float& d) {
        if (rightBoundary >= right + d) {
            d = rightBoundary - right;
            sendScrollEvent(kScrollToRight);
            free = false;
        }
    };
    auto clampLeft = [&](float requested, float& d) {
        if (left + requested >= leftBoundary) {
            d = leftBoundary - left;
            sendScrollEvent(kScrollToLeft);
            free = false;
        }
    };
    switch (direction) {
    case kDirVertical: {
        float requested = dy;
        clampBottom(dy);
        clampTop(requested, dy);
        dx = 0.0f;
        break;
    }
    case kDirHorizontal: {
        float requested = dx;
        clampRight(dx);
        clampLeft(requested, dx);
        dy = 0.0f;
        break;
    }
    case kDirBoth:
        if (dx > 0.0f)
            clampLeft(dx, dx);
        else if (dx < 0.0f)
            clampRight(dx);
        if (dy > 0.0f)
            clampBottom(dy);
        else if (dy < 0.0f)
            clampTop(dy, dy);
        break;
    default:
        break;
    }
    moveChildPoint = innerContainer->getPosition() + Vec2(dx, dy);
    innerContainer->setPosition(moveChildPoint);
    onScrolled();
    return free;
}

void UIScrollViewBase::onPressBegin(Touch* touch) {
    autoScroll = false;
    autoScrollOriginalSpeed = 0.0f;
    autoScrollAddUpTime = 0.0f;
    slidTime = 0.0f;
    bePressed = true;
    if (touch)
        pressBeganPoint = touch->getLocation();
}

void UIScrollViewBase::onPressMove(Touch* touch) {
    Vec2 delta = touch->getLocation() - touch->getPreviousLocation();
    switch (direction) {
    case kDirVertical:
        scrollChildren(0.0f, delta.y);
        break;
    case kDirHorizontal:
        scrollChildren(delta.x, 0.0f);
        break;
    case kDirBoth:
        scrollChildren(delta.x, delta.y);
        break;
    default:
        break;
    }
}

void UIScrollViewBase::onPressEnd(Touch* touch) {
    if (touch)
        pressEndPoint = touch->getLocation();
    startInertiaScroll();
    bePressed = false;
}

void UIScrollViewBase::startInertiaScroll() {
    if (!inertiaScrollEnabled || slidTime <= kMinPressForGlide) {
        slidTime = 0.0f;
        return;
    }
    Vec2 stroke = pressEndPoint - pressBeganPoint;
    float distance = 0.0f;
    switch (direction) {
    case kDirVertical:
        distance = stroke.y;
        autoScrollDir = distance < 0.0f ? kDown : kUp;
        break;
    case kDirHorizontal:
        distance = stroke.x;
        autoScrollDir = distance < 0.0f ? kLeft : kRight;
        break;
    case kDirBoth:
        distance = stroke.length();
        autoScrollDir = stroke.getNormalized();
        break;
    default:
        slidTime = 0.0f;
        return;
    }
    autoScrollOriginalSpeed = std::min(std::fabs(distance) / slidTime, autoScrollMaxSpeed);
    autoScrollAddUpTime = 0.0f;
    isAutoScrollSpeedAttenuated = true;
    autoScroll = autoScrollOriginalSpeed > 0.0f;
    slidTime = 0.0f;
}

float UIScrollViewBase::getAutoScrollSpeed() const {
    if (!autoScroll)
        return 0.0f;
    return std::max(0.0f, autoScrollOriginalSpeed + autoScrollAcceleration * autoScrollAddUpTime);
}

void UIScrollViewBase::glide(float dt) {
    float before = autoScrollAddUpTime;
    autoScrollAddUpTime += dt;
    if (autoScrollOriginalSpeed + autoScrollAcceleration * autoScrollAddUpTime <= 0.0f) {
        autoScroll = false;
        return;
    }
    float step = (autoScrollOriginalSpeed + autoScrollAcceleration * (2.0f * before + dt) * 0.5f) * dt;
    Vec2 move = autoScrollDir * step;
    if (!scrollChildren(move.x, move.y))
        autoScroll = false;
}

void UIScrollViewBase::update(float dt) {
    if (autoScroll)
        glide(dt);
    if (bePressed)
        slidTime += dt;
}

void UIScrollViewBase::setTouchEnabled(bool enabled) {
    if (enabled == isTouchEnabled())
        return;
    ui::Layout::setTouchEnabled(enabled);
    if (enabled) {
        wheelListener = EventListenerMouse::create();
        wheelListener->retain();
        wheelListener->onMouseScroll = [this](EventMouse* e) { onWheel(e); };
        getEventDispatcher()->addEventListenerWithSceneGraphPriority(wheelListener, this);
    } else if (wheelListener) {
        getEventDispatcher()->removeEventListener(wheelListener);
        wheelListener->release();
        wheelListener = nullptr;
    }
}

void UIScrollViewBase::onWheel(EventMouse* event) {
    if (!NSLayout::mouseEventReaches(this, event, nullptr))
        return;
    float amount = event->getScrollY() * kWheelStep;
    if (direction == kDirVertical || direction == kDirBoth)
        scrollChildren(0.0f, amount);
    else if (direction == kDirHorizontal)
        scrollChildren(amount, 0.0f);
    event->stopPropagation();
}

bool UIScrollViewBase::onTouchBegan(Touch* touch, Event* event) {
    bool claimed = ui::Layout::onTouchBegan(touch, event);
    if (!intercepting && _hitted)
        onPressBegin(touch);
    axisUndecided = true;
    axisFactorX = 1.0f;
    axisFactorY = 1.0f;
    return claimed;
}

void UIScrollViewBase::onTouchMoved(Touch* touch, Event* event) {
    if (direction == kDirVertical || direction == kDirHorizontal) {
        Vec2 start = touch->getStartLocation();
        Vec2 at = touch->getLocation();
        if (axisUndecided) {
            Vec2 d = at - start;
            if (d.length() > kAxisLockDistance) {
                axisUndecided = false;
                if (std::fabs(d.x) > std::fabs(d.y))
                    axisFactorY = 0.0f;
                else
                    axisFactorX = 0.0f;
            }
        }
        if (!axisUndecided) {
            // The stroke keeps to the axis it chose: its other coordinate stays where it began.
            if (axisFactorX > axisFactorY)
                touch->setLocation(Vec2(at.x, start.y));
            else
                touch->setLocation(Vec2(start.x, at.y));
        }
    }
    ui::Layout::onTouchMoved(touch, event);
    if (!intercepting)
        onPressMove(touch);
}

void UIScrollViewBase::onTouchEnded(Touch* touch, Event* event) {
    ui::Layout::onTouchEnded(touch, event);
    if (!intercepting)
        onPressEnd(touch);
    intercepting = false;
    axisUndecided = true;
    axisFactorX = axisFactorY = 1.0f;
}

void UIScrollViewBase::onTouchCancelled(Touch* touch, Event* event) {
    ui::Layout::onTouchCancelled(touch, event);
    if (!intercepting)
        onPressEnd(touch);
    intercepting = false;
    axisUndecided = true;
    axisFactorX = axisFactorY = 1.0f;
}

void UIScrollViewBase::interceptTouchEvent(TouchEventType event, ui::Widget* sender, Touch* touch) {
    switch (event) {
    case TouchEventType::BEGAN:
        intercepting = true;
        _touchBeganPosition = touch->getLocation();
        onPressBegin(touch);
        break;
    case TouchEventType::MOVED:
        _touchMovePosition = touch->getLocation();
        if (sender && _touchMovePosition.distance(sender->getTouchBeganPosition()) > childFocusCancelOffset) {
            sender->setHighlighted(false);
            onPressMove(touch);
        }
        break;
    case TouchEventType::ENDED:
    case TouchEventType::CANCELED:
        _touchEndPosition = touch->getLocation();
        onPressEnd(touch);
        if (sender && sender->isSwallowTouches())
            intercepting = false;
        break;
    }
}

void UIScrollViewBase::onScrolled() {
    updateScrollBar();
}

void UIScrollViewBase::updateScrollBar() {
    if (!innerContainer)
        return;
    if (!scrollBar) {
        scrollBar = createSpriteOrPlain("UIRes/white.png", Size(kBarWidth, 1.0f), Color3B::WHITE);
        scrollBar->retain();
        scrollBar->setAnchorPoint(Vec2(1.0f, 0.0f));
        float w = scrollBar->getContentSize().width;
        if (w > 0.0f)
            scrollBar->setScaleX(kBarWidth / w);
        addProtectedChild(scrollBar);
    }
    const Size& view = getContentSize();
    const Size& inner = innerContainer->getContentSize();
    float overflow = view.height - inner.height;
    if (overflow >= 0.0f || inner.height <= 0.0f) {
        scrollBar->setVisible(false);
        return;
    }
    scrollBar->stopAllActions();
    float barHeight = view.height * view.height / inner.height;
    float spriteHeight = scrollBar->getContentSize().height;
    if (spriteHeight > 0.0f)
        scrollBar->setScaleY(barHeight / spriteHeight);
    float ratio = std::min(1.0f, std::max(0.0f, -innerContainer->getPositionY() / -overflow));
    scrollBar->setPosition(Vec2(view.width, (view.height - barHeight) * ratio));
    scrollBar->setLocalZOrder(getLocalZOrder() + 100);
    scrollBar->setVisible(true);
    scrollBar->setOpacity(255);
    scrollBar->runAction(FadeTo::create(2.0f, 0));
}

// --- children live in the inner container -------------------------------------------------

void UIScrollViewBase::addChild(Node* child) {
    if (!innerContainer)
        return ui::Layout::addChild(child);
    innerContainer->addChild(child, child->getLocalZOrder(), child->getTag());
}

void UIScrollViewBase::addChild(Node* child, int localZOrder) {
    if (!innerContainer)
        return ui::Layout::addChild(child, localZOrder);
    innerContainer->addChild(child, localZOrder);
}

void UIScrollViewBase::addChild(Node* child, int localZOrder, int tag) {
    if (!innerContainer)
        return ui::Layout::addChild(child, localZOrder, tag);
    innerContainer->addChild(child, localZOrder, tag);
}

void UIScrollViewBase::addChild(Node* child, int localZOrder, const std::string& name) {
    if (!innerContainer)
        return ui::Layout::addChild(child, localZOrder, name);
    innerContainer->addChild(child, localZOrder, name);
}

void UIScrollViewBase::removeChild(Node* child, bool cleanup) {
    innerContainer->removeChild(child, cleanup);
}

void UIScrollViewBase::removeAllChildren() {
    innerContainer->removeAllChildrenWithCleanup(true);
}

void UIScrollViewBase::removeAllChildrenWithCleanup(bool cleanup) {
    innerContainer->removeAllChildrenWithCleanup(cleanup);
}

Vector<Node*>& UIScrollViewBase::getChildren() {
    return innerContainer->getChildren();
}

const Vector<Node*>& UIScrollViewBase::getChildren() const {
    return static_cast<const Node*>(innerContainer)->getChildren();
}

ssize_t UIScrollViewBase::getChildrenCount() const {
    return innerContainer->getChildrenCount();
}

Node* UIScrollViewBase::getChildByTag(int tag) const {
    return innerContainer->getChildByTag(tag);
}

Node* UIScrollViewBase::getChildByName(const std::string& name) const {
    return innerContainer->getChildByName(name);
}

void UIScrollViewBase::setLayoutType(Type type) {
    innerContainer->setLayoutType(type);
}

ui::Layout::Type UIScrollViewBase::getLayoutType() const {
    return innerContainer->getLayoutType();
}

void UIScrollViewBase::forceDoLayout() {
    // The view never arranges its children; the inner container does.
    _doLayoutDirty = false;
}

ui::Widget* UIScrollViewBase::findNextFocusedWidget(FocusDirection dir, ui::Widget* current) {
    Type type = getLayoutType();
    if (type == Type::VERTICAL || type == Type::HORIZONTAL)
        return innerContainer->findNextFocusedWidget(dir, current);
    return ui::Widget::findNextFocusedWidget(dir, current);
}

ui::Widget* UIScrollViewBase::createCloneInstance() {
    return UIScrollViewBase::create();
}

void UIScrollViewBase::copySpecialProperties(ui::Widget* model) {
    ui::Layout::copySpecialProperties(model);
    auto* other = dynamic_cast<UIScrollViewBase*>(model);
    if (!other)
        return;
    setInnerContainerSize(other->getInnerContainerSize());
    setDirection(other->direction);
    inertiaScrollEnabled = other->inertiaScrollEnabled;
    scrollCallback = other->scrollCallback;
}

} // namespace NSUI
