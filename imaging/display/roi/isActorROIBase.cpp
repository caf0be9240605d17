#include "imaging/display/roi/isActorROIBase.h"

#include <cmath>
#include <cstdio>

#include "imaging/core/roi/ROIData.h"
#include "imaging/display/draw/isDrawNode.h"
#include "imaging/display/text/isNodeText.h"
#include "imaging/display/window/isRenderWindow.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "platform/Device.h"
#include "ui/LayoutParameter.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const int kLabelZOrder = 1000;

// Labels stand 2 mm off their anchor on the user's screen.
float twoMillimetres() { return std::trunc(cocos2d::Device::getDPI() * 2.0f / 25.4f); }

isNodeText* newLabel(float fontSize, const Vec2& anchor)
{
    isNodeText* text = isNodeText::create();
    if (!text) return nullptr;
    text->setFontSize(fontSize);
    text->setTextColor(cocos2d::Color4B::WHITE);
    text->setAnchorPoint(anchor);
    text->setLayoutParameter(cocos2d::ui::RelativeLayoutParameter::create());
    return text;
}

} // namespace

Vec3 scaleVec3(float scale, const Vec3& v) { return v * scale; }

isActorROIBase::~isActorROIBase() { isActorROIBase::cleanup(); }

void isActorROIBase::leaveWindow()
{
    isActorObject::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    // The labels went with the node lists.
    label = nullptr;
    numberLabel = nullptr;
    drawNode = nullptr;
}

void isActorROIBase::cleanup()
{
    leaveWindow();
    CC_SAFE_RELEASE_NULL(model);
}

bool isActorROIBase::init()
{
    if (!isActorObject::init()) return false;
    currentPoint = -1;
    model = nullptr;
    dirty = labelMoved = false;
    number = 0;
    statisticsLabel = false;
    fontSize = kFontSize;
    handleSize = kHandleSize;
    return true;
}

void isActorROIBase::attachTo(isRenderWindow* target)
{
    isActorObject::attachTo(target);
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(this);
    if (!window) return;
    auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    centre->addObserver(this, window, callback, kLabelDraggedId);
    centre->addObserver(this, window, callback, kRedrawId);
    centre->addObserver(this, this, callback, kLabelDraggedId);
    // Labels are placed in screen space: every camera move must place them again.
    centre->addObserver(this, window, callback, kCameraMovedId);
    if (measuresStatistics()) centre->addObserver(this, window, callback, kStatisticsId);
}

bool isActorROIBase::acceptsType(int) const { return true; }

void isActorROIBase::setDirty()
{
    dirty = true;
    labelMoved = false;
    // The figure is redrawn when the window draws its next frame: make sure one comes.
    cocos2d::Director::getInstance()->markDirty();
}

bool isActorROIBase::modelValid() const { return model && model->isValid(); }

void isActorROIBase::setData(ROIData* newModel)
{
    if (newModel == model || (newModel && !acceptsType(newModel->type))) return;
    CC_SAFE_RETAIN(newModel);
    CC_SAFE_RELEASE(model);
    model = newModel;
    setDirty();
}

void isActorROIBase::movePoint(const Vec3& point)
{
    if (!model) return;
    if (currentPoint >= 0) model->setPoint(currentPoint, point);
    setDirty();
}

void isActorROIBase::setCurrentPoint(int index)
{
    if (index == currentPoint) return;
    currentPoint = index;
    setDirty();
}

void isActorROIBase::endPointEdit()
{
    if (currentPoint == -1) return;
    currentPoint = -1;
    setDirty();
}

void isActorROIBase::onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data)
{
    switch (id) {
    case kRedrawId:
        drawAndMeasure();
        break;
    case kCameraMovedId:
    case kLabelDraggedId:
        if (id == kLabelDraggedId && data && model && data->object == model) {
            setDirty();
        } else if (id == kCameraMovedId || (label && sender == label)) {
            // Only the labels need placing again; the measurement itself is unchanged.
            if (!dirty) labelMoved = true;
            dirty = true;
        }
        break;
    case kStatisticsId:
        // A request carries the measurement copy as its object; only replies carry none.
        if (!measuresStatistics() || !data || !model || data->object) break;
        if (data->intValue2 != static_cast<int32_t>(model->ownerKey) || data->intValue != number) break;
        setLabelText(data->text);
        model->label = data->text;
        break;
    default:
        break;
    }
}

void isActorROIBase::drawAndMeasure()
{
    if (!(dirty || labelMoved) || !window) return;
    drawFigure();
    dirty = labelMoved = false;
}

// --- labels ----------------------------------------------------------------------------------------

void isActorROIBase::setLabelText(const std::string& text)
{
    if (!label) {
        label = newLabel(fontSize, Vec2::ANCHOR_BOTTOM_LEFT);
        if (!label) return;
        label->setTouchEnabled(true);
        label->setLocalZOrder(kLabelZOrder);
        if (statisticsLabel) label->setTouchScaleChangeEnabled(false);
        addPlainNode(label);
    }
    std::string shown = text;
    if (!text.empty() && number > 0 && label->wasDragged()) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%i. ", number);
        shown = prefix + text;
    }
    label->setString(shown);
}

void isActorROIBase::placeLabel(float x, float y)
{
    if (!label || label->wasDragged()) return;
    label->setPosition(Vec2(x, y + twoMillimetres()));
}

void isActorROIBase::placeNumber(float x, float y)
{
    if (!label || !label->wasDragged()) return;
    if (!numberLabel) {
        numberLabel = newLabel(fontSize, Vec2::ANCHOR_MIDDLE_RIGHT);
        if (!numberLabel) return;
        addPlainNode(numberLabel);
    }
    numberLabel->setPosition(Vec2(x - twoMillimetres(), y));
    numberLabel->setVisible(number >= 0);
    if (number >= 0) {
        char text[16];
        std::snprintf(text, sizeof text, "%i ", number);
        numberLabel->setString(text);
    }
}

void isActorROIBase::placeLabels(const Vec2* screen, int count)
{
    if (count <= 0) return;
    int leftmost = 0;
    float top = screen[0].y;
    for (int i = 1; i < count; ++i) {
        if (screen[i].x < screen[leftmost].x) leftmost = i;
        top = std::max(top, screen[i].y);
    }
    placeLabel(screen[leftmost].x, top);
    placeNumber(screen[leftmost].x, screen[leftmost].y);
}

// --- geometry ---------------------------------------------------------------------------------------

float isActorROIBase::pixelSizeIn(isRenderWindow* window)
{
    isCamera* camera = window ? window->getSceneCamera() : nullptr;
    if (!camera || camera->isPerspective()) return 1.0f;
    Vec3 a, b;
    camera->unproject(0.0f, 0.0f, 1.0f, a);
    camera->unproject(1.0f, 0.0f, 1.0f, b);
    return a.distance(b);
}

Vec2 isActorROIBase::project(const Vec3& world) const
{
    Vec2 screen;
    if (window && window->getSceneCamera()) window->projectToScreen(world, screen);
    return screen;
}

void isActorROIBase::screenAxes(Vec3& right, Vec3& down) const
{
    isCamera* camera = window ? window->getSceneCamera() : nullptr;
    if (!camera) {
        right = Vec3(1.0f, 0.0f, 0.0f);
        down = Vec3(0.0f, 1.0f, 0.0f);
        return;
    }
    right = camera->rightAxis;
    down = -camera->storedViewUp;
}

void isActorROIBase::drawHandles(isDrawNode* node, const Vec3* points, int count) const
{
    if (currentPoint < 0 || currentPoint >= count) return;
    for (int i = 0; i < count; ++i)
        node->addPoint(points[i], handleSize, i == currentPoint ? cocos2d::Color4F::RED : cocos2d::Color4F::YELLOW);
}

isDrawNode* isActorROIBase::sceneDrawNode(isDrawNode*& slot, bool dotted)
{
    if (!slot) {
        slot = isDrawNode::create();
        if (!slot) return nullptr;
        slot->setDotted(dotted);
        addSceneNode(slot);
    }
    return slot;
}

void isActorROIBase::requestStatistics(ROIData* copy)
{
    if (!copy || !model || !window) return;
    auto* data = new NSUI::NSNotificationData();
    data->setObject(copy);
    data->intValue = number;
    data->intValue2 = static_cast<int32_t>(model->ownerKey);
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    // Only the newest figure is worth measuring.
    centre->cancelNotification(this, kStatisticsId, window);
    centre->postNotification(this, kStatisticsId, data, window, false);
    data->release();
}

} // namespace isImageSDK
