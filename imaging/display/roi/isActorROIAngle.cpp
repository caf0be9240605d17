#include "imaging/display/roi/isActorROIAngle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "imaging/core/roi/ROIData.h"
#include "imaging/display/draw/isDrawNode.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const float kMinArm = 0.05f;

} // namespace

isActorROIAngle* isActorROIAngle::create() { return createObject<isActorROIAngle>(); }

bool isActorROIAngle::init()
{
    if (!isActorROIBase::init()) return false;
    closed = false;
    return sceneDrawNode(drawNode) != nullptr;
}

bool isActorROIAngle::acceptsType(int type) const { return type == ROIData::kAngle; }

void isActorROIAngle::setData(ROIData* newModel)
{
    if (newModel == model || (newModel && !acceptsType(newModel->type))) return;
    isActorROIBase::setData(newModel);
    closed = model && model->isValid();
}

void isActorROIAngle::advancePoint()
{
    if (closed || !model) return;
    if (currentPoint == 1 && model->getPoint(0).distance(model->getPoint(1)) > kMinArm)
        setCurrentPoint(2);
    else if (currentPoint == 2)
        closed = true;
}

float isActorROIAngle::degrees(const Vec3& vertex, const Vec3& a, const Vec3& b)
{
    const Vec3 u = a - vertex, v = b - vertex;
    const float lengths = u.length() * v.length();
    // An arm of no length has no direction: no angle rather than NaN.
    if (!(lengths > 0.0f)) return 0.0f;
    const float cosine = std::clamp(u.dot(v) / lengths, -1.0f, 1.0f);
    return std::acos(cosine) * 180.0f / 3.1415926f;
}

void isActorROIAngle::drawFigure()
{
    isDrawNode* node = sceneDrawNode(drawNode);
    if (!node || !model) return;
    node->clear();
    const Vec3 p[3] = {model->getPoint(0), model->getPoint(1), model->getPoint(2)};
    node->addLine(p[0], p[1], model->color);
    node->addLine(p[0], p[2], model->color);
    drawHandles(node, p, 3);
    node->markContentChanged();
    if (!model->isValid()) return;

    char text[32];
    std::snprintf(text, sizeof text, "%.1fdeg", degrees(p[0], p[1], p[2]));
    setLabelText(text);
    const Vec2 screen[3] = {project(p[0]), project(p[1]), project(p[2])};
    placeLabels(screen, 3);
}

} // namespace isImageSDK
