#include "imaging/display/roi/isActorROILine.h"

#include <cstdio>

#include "imaging/core/roi/ROIData.h"
#include "imaging/display/draw/isDrawNode.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

isActorROILine* isActorROILine::create() { return createObject<isActorROILine>(); }

bool isActorROILine::init()
{
    if (!isActorROIBase::init()) return false;
    return sceneDrawNode(drawNode) != nullptr;
}

bool isActorROILine::acceptsType(int type) const { return type == ROIData::kLine; }

void isActorROILine::drawFigure()
{
    isDrawNode* node = sceneDrawNode(drawNode);
    if (!node || !model) return;
    node->clear();
    const Vec3 ends[2] = {model->getPoint(0), model->getPoint(1)};
    node->addLine(ends[0], ends[1], model->color);
    drawHandles(node, ends, 2);
    node->markContentChanged();

    char text[32];
    std::snprintf(text, sizeof text, "%.1fmm", ends[0].distance(ends[1]));
    setLabelText(text);
    const Vec2 screen[2] = {project(ends[0]), project(ends[1])};
    placeLabels(screen, 2);
}

} // namespace isImageSDK
