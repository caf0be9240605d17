#include "imaging/display/roi/isActorROIPoint.h"

#include "imaging/core/roi/ROIPoint.h"
#include "imaging/display/draw/isDrawNode.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

// The cross leaves the point itself free: arms from 5 to 15 screen pixels.
const float kGap = 5.0f;
const float kArm = 15.0f;

} // namespace

isActorROIPoint* isActorROIPoint::create() { return createObject<isActorROIPoint>(); }

bool isActorROIPoint::init()
{
    if (!isActorROIBase::init()) return false;
    return sceneDrawNode(drawNode) != nullptr;
}

bool isActorROIPoint::acceptsType(int type) const { return type == ROIData::kPoint; }

void isActorROIPoint::drawFigure()
{
    isDrawNode* node = sceneDrawNode(drawNode);
    if (!node || !model) return;
    node->clear();
    Vec3 a, b;
    screenAxes(a, b);
    const float s = pixelSize();
    const Vec3 p = model->getPoint(0);
    const cocos2d::Color4F colour = currentPoint >= 0 ? cocos2d::Color4F::RED : model->color;
    for (const Vec3& axis : {a, -a, b, -b})
        node->addLine(p + axis * (kGap * s), p + axis * (kArm * s), colour);
    node->markContentChanged();

    const Vec2 screen = project(p);
    setLabelText(model->label);
    placeLabel(screen.x - kArm, screen.y + kArm);
    placeNumber(screen.x - kArm, screen.y);
    if (labelMoved) return;
    ROIPoint* copy = ROIPoint::create();
    if (auto* point = dynamic_cast<ROIPoint*>(model); point && copy) point->copyTo(copy);
    requestStatistics(copy);
}

} // namespace isImageSDK
