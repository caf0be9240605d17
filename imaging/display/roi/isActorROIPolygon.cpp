#include "imaging/display/roi/isActorROIPolygon.h"

#include <vector>

#include "imaging/core/roi/ROIPolygon.h"
#include "imaging/display/draw/isDrawNode.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const float kMinStep = 0.05f;
// Closing takes away the moving point and its duplicate; three vertices must stay.
const size_t kMinPointsToFinish = 5;

} // namespace

isActorROIPolygon* isActorROIPolygon::create() { return createObject<isActorROIPolygon>(); }

bool isActorROIPolygon::init()
{
    if (!isActorROIBase::init()) return false;
    statisticsLabel = true;
    closed = false;
    dottedNode = nullptr;
    return sceneDrawNode(drawNode) && sceneDrawNode(dottedNode, true);
}

void isActorROIPolygon::leaveWindow()
{
    isActorROIBase::leaveWindow();
    dottedNode = nullptr;
}

bool isActorROIPolygon::acceptsType(int type) const { return type == ROIData::kPolygon; }

void isActorROIPolygon::setData(ROIData* newModel)
{
    if (newModel == model || (newModel && !acceptsType(newModel->type))) return;
    isActorROIBase::setData(newModel);
    closed = model && model->isValid();
}

void isActorROIPolygon::setClosed(bool value)
{
    closed = value;
    setDirty();
}

void isActorROIPolygon::addVertex()
{
    auto* polygon = dynamic_cast<ROIPolygon*>(model);
    if (closed || !polygon || polygon->points.size() < 2) return;
    const size_t n = polygon->points.size();
    if (polygon->points[n - 1].distance(polygon->points[n - 2]) <= kMinStep) return;
    polygon->points.push_back(polygon->points[n - 1]);
    setCurrentPoint(static_cast<int>(n));
    setDirty();
}

void isActorROIPolygon::finishPolygon()
{
    auto* polygon = dynamic_cast<ROIPolygon*>(model);
    if (closed || !polygon || polygon->points.size() < kMinPointsToFinish) return;
    polygon->points.resize(polygon->points.size() - 2);
    setCurrentPoint(static_cast<int>(polygon->points.size()) - 1);
    setDirty();
}

void isActorROIPolygon::drawFigure()
{
    isDrawNode* solid = sceneDrawNode(drawNode);
    isDrawNode* dotted = sceneDrawNode(dottedNode, true);
    if (!solid || !dotted || !model) return;
    solid->clear();
    dotted->clear();
    const int n = model->getPointCount();
    std::vector<Vec3> points(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        points[static_cast<size_t>(i)] = model->getPoint(i);
    for (int i = 1; i < n; ++i)
        solid->addLine(points[i - 1], points[i], model->color);
    if (n > 1) (closed ? solid : dotted)->addLine(points[n - 1], points[0], model->color);
    drawHandles(solid, points.data(), n);
    solid->markContentChanged();
    dotted->markContentChanged();
    if (!closed || n == 0) return;

    std::vector<Vec2> screen(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        screen[i] = project(points[i]);
    setLabelText(model->label);
    placeLabels(screen.data(), n);
    if (labelMoved) return;
    ROIPolygon* copy = ROIPolygon::create();
    if (auto* polygon = dynamic_cast<ROIPolygon*>(model); polygon && copy) polygon->copyTo(copy);
    requestStatistics(copy);
}

} // namespace isImageSDK
