#include "layout/NSLayout.h"

#include "2d/actions/ActionCreate.h"

#include "2d/Camera.h"
#include "base/EventListenerMouse.h"
#include "base/EventMouse.h"
#include "http/NSHttpClient.h"

namespace NSUI {

using namespace cocos2d;

NSLayout* NSLayout::create() {
    auto* layout = new (std::nothrow) NSLayout();
    return finishCreate(layout, layout && layout->init());
}

NSLayout::~NSLayout() {
    NSLayout::cleanup();
}

bool NSLayout::init() {
    if (!ui::Layout::init())
        return false;
    setTouchEnabled(false);
    setControlOwner(this);
    setHttpOwner(this);
    clearButtons();
    if (!mouseListener) {
        mouseListener = EventListenerMouse::create();
        mouseListener->retain();
        mouseListener->onMouseDown = [this](EventMouse* e) { dispatchDown(e); };
        mouseListener->onMouseUp = [this](EventMouse* e) { dispatchUp(e); };
        mouseListener->onMouseMove = [this](EventMouse* e) { dispatchMove(e); };
        mouseListener->onMouseScroll = [this](EventMouse* e) { dispatchScroll(e); };
        getEventDispatcher()->addEventListenerWithSceneGraphPriority(mouseListener, this);
    }
    return true;
}

void NSLayout::cleanup() {
    ui::Layout::cleanup();
    if (mouseListener) {
        getEventDispatcher()->removeEventListener(mouseListener);
        mouseListener->release();
        mouseListener = nullptr;
    }
    if (getHttpOwner() && NSHttpClient::hasInstance())
        NSHttpClient::getInstance()->cancelRequestsForOwner(this);
}

void NSLayout::onEnterTransitionDidFinish() {
    ui::Layout::onEnterTransitionDidFinish();
    schedule([this](float dt) { imageLoadTick(dt); }, 0.05f, CC_REPEAT_FOREVER, 0.1f, kImagePumpKey);
}

void NSLayout::onExit() {
    ui::Layout::onExit();
    unschedule(kImagePumpKey);
}

bool NSLayout::onMouseScroll(float, float, float) {
    return false;
}
bool NSLayout::onMouseDown(float, float) {
    return false;
}
bool NSLayout::onMouseUp(float, float) {
    return false;
}
bool NSLayout::onMouseMove(float, float) {
    return false;
}

bool NSLayout::mouseEventReaches(Node* node, EventMouse* event, Vec2* point) {
    for (Node* n = node; n; n = n->getParent())
        if (!n->isVisible())
            return false;
    const Camera* camera = Camera::getVisitingCamera();
    const auto& cameras = node->getCameraList();
    unsigned short flag = camera ? static_cast<unsigned short>(camera->getCameraFlag())
                                 : static_cast<unsigned short>(CameraFlag::DEFAULT);
    if (cameras.empty() || !cameras.count(flag))
        return false;
    Vec2 p = node->convertToNodeSpace(event->getLocationInView());
    const Size& size = node->getContentSize();
    if (!(p.x > 0.0f && p.x < size.width && p.y > 0.0f && p.y < size.height))
        return false;
    if (point)
        *point = p;
    return true;
}

void NSLayout::dispatchScroll(EventMouse* event) {
    Vec2 p;
    if (!mouseEventReaches(this, event, &p))
        return;
    previousMousePoint = convertToNodeSpace(event->getPreviousLocationInView());
    if (onMouseScroll(p.x, p.y, event->getScrollY()))
        event->stopPropagation();
}

void NSLayout::dispatchDown(EventMouse* event) {
    Vec2 p;
    if (!mouseEventReaches(this, event, &p))
        return;
    previousMousePoint = convertToNodeSpace(event->getPreviousLocationInView());
    clearButtons();
    switch (event->getMouseButton()) {
    case EventMouse::BUTTON_LEFT:
        leftButtonDown = true;
        break;
    case EventMouse::BUTTON_RIGHT:
        rightButtonDown = true;
        break;
    case EventMouse::BUTTON_MIDDLE:
        middleButtonDown = true;
        break;
    default:
        break;
    }
    if (onMouseDown(p.x, p.y))
        event->stopPropagation();
}

void NSLayout::dispatchUp(EventMouse* event) {
    Vec2 p;
    if (!mouseEventReaches(this, event, &p)) {
        // The press ends wherever the button comes up, or a later plain move would drag.
        clearButtons();
        return;
    }
    previousMousePoint = convertToNodeSpace(event->getPreviousLocationInView());
    bool consumed = onMouseUp(p.x, p.y);
    clearButtons();
    if (consumed)
        event->stopPropagation();
}

void NSLayout::dispatchMove(EventMouse* event) {
    Vec2 p;
    if (!mouseEventReaches(this, event, &p))
        return;
    previousMousePoint = convertToNodeSpace(event->getPreviousLocationInView());
    if (onMouseMove(p.x, p.y))
        event->stopPropagation();
}

} // namespace NSUI
