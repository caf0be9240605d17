#include "imaging/display/actor/isActorCrossLine.h"

#include <algorithm>

#include "2d/DrawNode.h"
#include "imaging/display/draw/isNodeLine.h"
#include "imaging/display/window/isRenderWindow.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

using cocos2d::Color4F;
using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const int kLineWidth = 4;
const float kLineLength = 10000.0f;
// The gap around the crossing is 30 screen points, but never under 2 world units.
const float kGapPoints = 30.0f;
const float kMinGap = 2.0f;
const float kMarkerSize = 20.0f;
const float kMarkerInset = 5.0f;

} // namespace

isActorCrossLine* isActorCrossLine::create() { return createObject<isActorCrossLine>(); }

isActorCrossLine::~isActorCrossLine() { isActorCrossLine::cleanup(); }

bool isActorCrossLine::init()
{
    if (!isActorObject::init()) return false;
    referencePlane = cocos2d::Mat4();
    dirty = false;
    frameShown = markerShown = linesShown = false;
    colors[0] = Color4F::MAGENTA;
    colors[1] = Color4F::ORANGE;
    colors[2] = Color4F::BLUE;
    colorIndex = 0;
    return true;
}

void isActorCrossLine::cleanup()
{
    isActorObject::cleanup();
    cancelHide();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    // The nodes were released with the lists.
    lineNode = nullptr;
    cornerMarker = nullptr;
    frame = nullptr;
    frameShown = markerShown = linesShown = false;
}

void isActorCrossLine::attachTo(isRenderWindow* target)
{
    isActorObject::attachTo(target);
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(this);
    if (!window) return;
    auto callback = [this](cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(id, data);
    };
    for (unsigned int id : {kReferencePlaneId, isRenderWindowBase::kRedrawId, isRenderWindowBase::kCameraMovedId})
        centre->addObserver(this, window, callback, id);
}

void isActorCrossLine::onNotification(unsigned int id, NSUI::NSNotificationData* data)
{
    if (id == kReferencePlaneId) {
        setReferencePlane(data ? data->text : std::string());
    } else if (id == isRenderWindowBase::kCameraMovedId) {
        dirty = true;
    } else if (id == isRenderWindowBase::kRedrawId) {
        redraw();
    }
}

void isActorCrossLine::setReferencePlane(const std::string& json)
{
    dirty = true;
    static const char* const kKeys[4][3] = {
        {"nx1", "nx2", "nx3"}, {"ny1", "ny2", "ny3"}, {"nz1", "nz2", "nz3"}, {"x", "y", "z"}};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 3; ++row)
            referencePlane.m[column * 4 + row] = NSUI::UIJson::getJsonFloat(json, kKeys[column][row], 0.0f);
}

// --- frame and corner marker -------------------------------------------------------------------

void isActorCrossLine::showFrame(bool show)
{
    if (!frame) {
        frame = cocos2d::DrawNode::create();
        if (!frame) return;
        frame->setLineWidth(kLineWidth);
        addPlainNode(frame);
    }
    if (show == frameShown) return;
    frameShown = show;
    frame->setVisible(show);
    drawFrame();
}

void isActorCrossLine::setFrameColor(int index)
{
    if (index == colorIndex) return;
    colorIndex = index;
    if (frameShown) drawFrame();
}

void isActorCrossLine::drawFrame()
{
    if (!frame) return;
    frame->clear();
    const cocos2d::Size size = window ? window->getContentSize() : cocos2d::Size::ZERO;
    frame->drawRect(Vec2(1.0f, 1.0f), Vec2(size.width - 1.0f, size.height - 1.0f),
                    colors[std::clamp(colorIndex, 0, 2)]);
    frame->markContentChanged();
}

void isActorCrossLine::showCornerMarker()
{
    if (!cornerMarker) {
        cornerMarker = cocos2d::DrawNode::create();
        if (!cornerMarker) return;
        addPlainNode(cornerMarker);
    }
    if (markerShown) return;
    markerShown = true;
    cornerMarker->setVisible(true);
    const cocos2d::Size size = window ? window->getContentSize() : cocos2d::Size::ZERO;
    const Vec2 topRight(size.width - kMarkerInset, size.height - kMarkerInset);
    cornerMarker->drawSolidRect(topRight - Vec2(kMarkerSize, kMarkerSize), topRight,
                                colors[std::clamp(colorIndex, 0, 2)]);
    cornerMarker->markContentChanged();
}

// --- reference lines ------------------------------------------------------------------------------

void isActorCrossLine::showLines(bool show)
{
    if (!lineNode) {
        lineNode = isNodeLine::create();
        if (!lineNode) return;
        lineNode->setLineWidth(kLineWidth);
        addSceneNode(lineNode);
    }
    if (show == linesShown) return;
    linesShown = show;
    lineNode->setVisible(show);
}

void isActorCrossLine::clearLines()
{
    dirty = false;
    if (!lineNode) return;
    lineNode->clear();
    lineNode->markContentChanged();
}

float isActorCrossLine::gapLength() const
{
    isCamera* camera = window->getSceneCamera();
    if (!camera) return kMinGap;
    Vec3 a, b;
    camera->unproject(0.0f, 0.0f, 1.0f, a);
    camera->unproject(0.0f, kGapPoints, 1.0f, b);
    return std::max(a.distance(b), kMinGap);
}

void isActorCrossLine::redraw()
{
    if (!dirty || !window) return;
    if (lineNode && linesShown) {
        lineNode->clear();
        lineNode->setVisible(true);
        const float gap = gapLength();
        // Each viewport's own colour is left out, so the lines carry the other views' colours.
        Color4F first = Color4F::ORANGE, second = Color4F::MAGENTA;
        if (colorIndex == 0) {
            first = Color4F::BLUE;
            second = Color4F::ORANGE;
        } else if (colorIndex == 1) {
            first = Color4F::BLUE;
            second = Color4F::MAGENTA;
        }
        const Vec3 origin(referencePlane.m[12], referencePlane.m[13], referencePlane.m[14]);
        const Vec3 xAxis(referencePlane.m[0], referencePlane.m[1], referencePlane.m[2]);
        const Vec3 yAxis(referencePlane.m[4], referencePlane.m[5], referencePlane.m[6]);
        lineNode->addLine(origin + xAxis * gap, origin + xAxis * kLineLength, first);
        lineNode->addLine(origin - xAxis * gap, origin - xAxis * kLineLength, first);
        lineNode->addLine(origin + yAxis * gap, origin + yAxis * kLineLength, second);
        lineNode->addLine(origin - yAxis * gap, origin - yAxis * kLineLength, second);
        lineNode->markContentChanged();
        scheduleHide();
    }
    dirty = false;
}

void isActorCrossLine::scheduleHide()
{
    // Scheduling an existing key would keep its first due time: the lines must hide 5 s after
    // the last drawing, so the timer starts over.
    cancelHide();
    cocos2d::Director::getInstance()->getScheduler()->schedule(
        [this](float) {
            if (lineNode) lineNode->setVisible(false);
        },
        this, 1.0f, 1, kHideDelay, false, kHideTimerKey);
}

void isActorCrossLine::cancelHide()
{
    cocos2d::Director::getInstance()->getScheduler()->unschedule(kHideTimerKey, this);
}

} // namespace isImageSDK
