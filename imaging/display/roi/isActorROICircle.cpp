#include "imaging/display/roi/isActorROICircle.h"

#include "imaging/core/roi/ROICircle.h"
#include "imaging/display/draw/isDrawNode.h"

namespace isImageSDK {

using cocos2d::Color4F;
using cocos2d::Vec2;
using cocos2d::Vec3;

isActorROICircle* isActorROICircle::create() { return createObject<isActorROICircle>(); }

bool isActorROICircle::init()
{
    if (!isActorROIBase::init()) return false;
    statisticsLabel = true;
    return sceneDrawNode(drawNode) != nullptr;
}

bool isActorROICircle::acceptsType(int type) const { return type == ROIData::kCircle; }

void isActorROICircle::drawFigure()
{
    isDrawNode* node = sceneDrawNode(drawNode);
    if (!node || !model) return;
    node->clear();
    Vec3 a, b;
    screenAxes(a, b);
    const Vec3 centre = model->getPoint(0), rim = model->getPoint(1);
    const float radius = centre.distance(rim);
    // While one handle is edited the centre dot and the outline show which one it is.
    Color4F outline = model->color;
    if (currentPoint == 0 || currentPoint == 1) {
        node->addPoint(centre, handleSize, currentPoint == 0 ? Color4F::RED : Color4F::YELLOW);
        outline = currentPoint == 0 ? Color4F::YELLOW : Color4F::RED;
    }
    node->addEllipse(centre, a, b, radius, 0.0f, 1.0f, 1.0f, outline);
    node->markContentChanged();
    if (!model->isValid()) return;

    const Vec2 c = project(centre);
    const float rs = c.distance(project(rim));
    setLabelText(model->label);
    placeLabel(c.x - rs, c.y + rs);
    placeNumber(c.x - rs, c.y);
    if (labelMoved) return;
    ROICircle* copy = ROICircle::create();
    if (auto* circle = dynamic_cast<ROICircle*>(model); circle && copy) circle->copyTo(copy);
    requestStatistics(copy);
}

} // namespace isImageSDK
