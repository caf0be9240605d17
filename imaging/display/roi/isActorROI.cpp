#include "imaging/display/roi/isActorROI.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "imaging/core/cache/KeyHash.h"
#include "imaging/core/roi/ROIAngle.h"
#include "imaging/core/roi/ROICircle.h"
#include "imaging/core/roi/ROILine.h"
#include "imaging/core/roi/ROIPoint.h"
#include "imaging/core/roi/ROIPolygon.h"
#include "imaging/core/roi/isROIManager.h"
#include "imaging/display/roi/isActorROIAngle.h"
#include "imaging/display/roi/isActorROICircle.h"
#include "imaging/display/roi/isActorROILine.h"
#include "imaging/display/roi/isActorROIPoint.h"
#include "imaging/display/roi/isActorROIPolygon.h"
#include "imaging/display/window/isRenderWindow.h"
#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"

namespace isImageSDK {

using cocos2d::Vec3;

namespace {

isActorROIBase* newActorFor(int type)
{
    switch (type) {
    case ROIData::kLine: return isActorROILine::create();
    case ROIData::kAngle: return isActorROIAngle::create();
    case ROIData::kPoint: return isActorROIPoint::create();
    case ROIData::kCircle: return isActorROICircle::create();
    case ROIData::kPolygon: return isActorROIPolygon::create();
    default: return nullptr;
    }
}

int jsonNumber(const NSUI::NSNotificationData* data, const char* key)
{
    return data ? std::atoi(NSUI::UIJson::getJsonString(data->text, key).c_str()) : 0;
}

} // namespace

isActorROI* isActorROI::create() { return createObject<isActorROI>(); }

isActorROI::~isActorROI() { isActorROI::cleanup(); }

bool isActorROI::init()
{
    if (!isActorObject::init()) return false;
    imageText.clear();
    orientation = slice = -1;
    hash = 0;
    nextNumber = 1;
    return true;
}

void isActorROI::cleanup()
{
    dropActors();
    isActorObject::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

void isActorROI::attachTo(isRenderWindow* target)
{
    isActorObject::attachTo(target);
    if (!window) return;
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    centre->addObserver(this, window, callback, kOrientationChangedId);
    centre->addObserver(this, window, callback, kSliceChangedId);
}

void isActorROI::onNotification(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data)
{
    if (id == kSliceChangedId)
        setSlice(jsonNumber(data, "index"));
    else if (id == kOrientationChangedId)
        setOrientation(jsonNumber(data, "orient"));
    else
        return;
    rebuild();
}

// --- the view shown ----------------------------------------------------------------------------------

void isActorROI::setImageText(const std::string& text)
{
    if (text == imageText) return;
    imageText = text;
    hash = 0;
    dropActors();
}

void isActorROI::setOrientation(int value)
{
    if (value == orientation) return;
    orientation = value;
    hash = 0;
    dropActors();
}

void isActorROI::setSlice(int value)
{
    if (value == slice) return;
    slice = value;
    hash = 0;
    dropActors();
}

uint32_t isActorROI::keyHash()
{
    if (hash == 0) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ",%i,%i", orientation, slice);
        hash = isImageSDK::keyHash(imageText + suffix);
    }
    return hash;
}

void isActorROI::dropActors()
{
    // An actor may outlive the list (the interactor holds the one being drawn): it must leave
    // the window and stop listening now; its model goes with its last reference, so that the
    // drawing in hand can go on.
    std::vector<isActorROIBase*> dropped;
    dropped.swap(actors);
    for (isActorROIBase* actor : dropped) {
        actor->leaveWindow();
        actor->release();
    }
}

void isActorROI::rebuild()
{
    dropActors();
    nextNumber = 1;
    const uint32_t key = keyHash();
    // A copy: creating actors must not disturb the walk over the registry.
    const std::vector<ROIData*> models = isROIManager::getInstance()->getROIs();
    for (ROIData* model : models) {
        if (model->ownerKey != key || !model->isValid()) continue;
        if (isActorROIBase* actor = newActorFor(model->type)) adopt(actor, model);
    }
}

isActorROIBase* isActorROI::adopt(isActorROIBase* actor, ROIData* model)
{
    actor->setData(model);
    actor->attachTo(window);
    actor->setNumber(nextNumber++);
    actor->retain();
    actors.push_back(actor);
    return actor;
}

// --- new measurements --------------------------------------------------------------------------------

isActorROIBase* isActorROI::addNew(isActorROIBase* actor, ROIData* model, int currentPoint)
{
    if (!actor || !model) return nullptr;
    model->ownerKey = keyHash();
    adopt(actor, model);
    actor->setCurrentPoint(currentPoint);
    isROIManager::getInstance()->addROI(model);
    return actor;
}

isActorROIBase* isActorROI::newPoint(const Vec3& position)
{
    ROIPoint* model = ROIPoint::create();
    if (model) model->point = position;
    return addNew(isActorROIPoint::create(), model, 0);
}

isActorROIBase* isActorROI::newAngle(const Vec3& position)
{
    ROIAngle* model = ROIAngle::create();
    if (model) model->points[0] = model->points[1] = model->points[2] = position;
    return addNew(isActorROIAngle::create(), model, 1);
}

isActorROIBase* isActorROI::newPolygon(const Vec3& first, const Vec3& second)
{
    ROIPolygon* model = ROIPolygon::create();
    if (model) model->points = {first, second};
    return addNew(isActorROIPolygon::create(), model, 1);
}

isActorROIBase* isActorROI::newTwoPoint(int type, const Vec3& position)
{
    ROIData* model = nullptr;
    if (type == ROIData::kLine)
        model = ROILine::create();
    else if (type == ROIData::kCircle)
        model = ROICircle::create();
    if (!model) return nullptr;
    model->setPoint(0, position);
    model->setPoint(1, position);
    return addNew(newActorFor(type), model, 1);
}

// --- removal and picking -----------------------------------------------------------------------------

void isActorROI::removeROI(isActorROIBase* actor)
{
    auto it = std::find(actors.begin(), actors.end(), actor);
    if (it == actors.end()) return;
    actors.erase(it);
    // The last number is handed out again; a gap in the middle stays.
    if (actor->getNumber() == nextNumber - 1) --nextNumber;
    if (ROIData* model = actor->getData()) isROIManager::getInstance()->removeROI(model);
    actor->cleanup();
    actor->release();
}

void isActorROI::removeROIByRefId(unsigned int refId)
{
    for (isActorROIBase* actor : actors) {
        if (actor->getData() && actor->getData()->getRefID() == refId) {
            removeROI(actor);
            return;
        }
    }
}

isActorROIBase* isActorROI::pickROI(const Vec3& rayOrigin, const Vec3& rayDirection)
{
    isActorROIBase* best = nullptr;
    float bestDistance = 0.0f;
    int bestIndex = -1;
    for (isActorROIBase* actor : actors) {
        ROIData* model = actor->getData();
        if (!model) continue;
        float distance = 0.0f;
        int index = -1;
        model->pick(rayOrigin, rayDirection, distance, index);
        if (index < 0 || (best && !(distance < bestDistance))) continue;
        best = actor;
        bestDistance = distance;
        bestIndex = index;
    }
    if (!best) return nullptr;
    const float pixel = isActorROIBase::pixelSizeIn(window);
    if (pixel > 0.0f) bestDistance /= pixel;
    if (!(bestDistance <= kPickDistance)) return nullptr;
    best->setCurrentPoint(bestIndex);
    return best;
}

} // namespace isImageSDK
