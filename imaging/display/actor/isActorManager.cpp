#include "imaging/display/actor/isActorManager.h"

#include "imaging/display/actor/isActorCrossLine.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/window/isRenderWindow.h"

namespace isImageSDK {

isActorManager* isActorManager::create() { return createObject<isActorManager>(); }

isActorManager::~isActorManager() { isActorManager::cleanup(); }

bool isActorManager::init()
{
    isObject::init();
    window = nullptr;
    overlay = roiActor = vrActor = imageActor = nullptr;
    crossLine = nullptr;
    return true;
}

void isActorManager::cleanup()
{
    releaseActors();
    CC_SAFE_RELEASE_NULL(window);
}

void isActorManager::setWindow(isRenderWindow* newWindow)
{
    releaseActors();
    if (newWindow == window) return;
    CC_SAFE_RETAIN(newWindow);
    CC_SAFE_RELEASE(window);
    window = newWindow;
}

isActorObject* isActorManager::peekCrossLine() const { return crossLine; }

isActorCrossLine* isActorManager::getCrossLine()
{
    createCrossLine();
    return crossLine;
}

void isActorManager::createCrossLine()
{
    if (!window || crossLine) return;
    isActorCrossLine* actor = isActorCrossLine::create();
    if (!actor) return;
    actor->attachTo(window);
    actor->retain();
    crossLine = actor;
}

void isActorManager::showFrame(bool show)
{
    if (isActorCrossLine* actor = getCrossLine()) actor->showFrame(show);
}

void isActorManager::showCornerMarker()
{
    if (isActorCrossLine* actor = getCrossLine()) actor->showCornerMarker();
}

void isActorManager::showCrossLines()
{
    if (isActorCrossLine* actor = getCrossLine()) actor->showLines(true);
}

void isActorManager::clearCrossLines()
{
    if (isActorCrossLine* actor = getCrossLine()) actor->clearLines();
}

isActorImage* isActorManager::getImageActor()
{
    const bool created = window && !imageActor;
    isActorImage* actor = shared<isActorImage>(imageActor);
    if (created && actor) actor->setSliceIndex(0);
    return actor;
}

void isActorManager::releaseOverlay()
{
    if (!overlay) return;
    overlay->clear();
    CC_SAFE_RELEASE_NULL(overlay);
}

void isActorManager::releaseActors()
{
    if (!window) return;
    CC_SAFE_RELEASE_NULL(vrActor);
    CC_SAFE_RELEASE_NULL(imageActor);
    releaseOverlay();
    CC_SAFE_RELEASE_NULL(crossLine);
    CC_SAFE_RELEASE_NULL(roiActor);
}

} // namespace isImageSDK
