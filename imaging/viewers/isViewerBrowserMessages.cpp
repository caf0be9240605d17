// The browser's message handler: the owner rule, then each command fanned out to the viewers or
// acted on by the browser itself.

#include <algorithm>
#include <cstdlib>

#include "base/messageView.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerImage.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"

namespace isImageSDK {

namespace {

float jsonNumber(const NSUI::NSNotificationData* data, const char* key) {
    return data ? static_cast<float>(std::atof(NSUI::UIJson::getJsonString(data->text, key).c_str())) : 0.0f;
}

} // namespace

void isViewerBrowser::onNotification(cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
    onMessage(id, data, sender);
}

void isViewerBrowser::distribute(unsigned int id, NSUI::NSNotificationData* data) {
    // A viewer's command may change the list (none does today); walk a copy.
    const std::vector<isViewerImage*> list = viewers;
    for (isViewerImage* viewer : list)
        viewer->onMessage(id, data, this);
}

bool isViewerBrowser::repostedToOwner(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender,
                                      bool nextTick) {
    if (!owner || sender == owner)
        return false;
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, id, data, owner, nextTick);
    return true;
}

bool isViewerBrowser::refuseWhileMaximized() {
    if (!isAnyImageMaximized())
        return false;
    NSUI::messageView::showMessage(kMaximizedToast, 2.0f);
    return true;
}

void isViewerBrowser::onMessage(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    switch (id) {
    case isViewerImage::kNextSlice:
    case isViewerImage::kPreviousSlice:
        if (!repostedToOwner(id, data, sender, true)) {
            distribute(id, data);
            updateSlider();
        }
        return;
    case isViewerImage::kAxial:
    case isViewerImage::kSagittal:
    case isViewerImage::kCoronal:
    case isViewerImage::kResetCamera:
    case isViewerImage::kDefaultWindow:
    case isViewerImage::kSetWindow:
    case isViewerImage::kToolSelect:
    case isViewerImage::kToolWindow:
    case isViewerImage::kToolZoom:
    case isViewerImage::kToolMove:
    case isViewerImage::kNewLine:
    case 9041:
    case 9042:
    case 9043:
    case isViewerImage::kNewPolygon:
        if (!repostedToOwner(id, data, sender, false))
            distribute(id, data);
        return;
    case kTiling1x1:
    case kTiling1x2:
    case kTiling2x1:
    case kTiling2x2:
        if (!refuseWhileMaximized())
            setTiling(id == kTiling2x1 || id == kTiling2x2 ? 2 : 1, id == kTiling1x2 || id == kTiling2x2 ? 2 : 1);
        return;
    case isViewerImage::kOpenWindowEditor:
        if (owner)
            NSUI::NSNotificationCenter::getInstance()->postNotification(this, id, data, owner, false);
        return;
    case isViewerImage::kClutCurveLinear:
    case isViewerImage::kClutCurveLog:
    case isViewerImage::kClutCurveLogInverse:
    case isViewerImage::kColorTable:
    case isViewerImage::kRemoveMeasurement:
    case isViewerImage::kKeepReferenceInView:
        distribute(id, data);
        return;
    case isViewerImage::kToolPointer:
        if (repostedToOwner(id, data, sender, false))
            return;
        for (isViewerImage* viewer : std::vector<isViewerImage*>(viewers)) {
            viewer->onMessage(id, data, this);
            viewer->setActive(viewer == currentViewer);
        }
        return;
    case kCine:
        toggleCine();
        return;
    case kSlowerOrPrevious:
    case kFasterOrNext:
        if (playing) {
            const int delta = id == kSlowerOrPrevious ? kTicksStep : -kTicksStep;
            ticksPerStep = std::clamp(ticksPerStep + delta, kMinTicksPerStep, kMaxTicksPerStep);
            tickCounter = 0;
        } else {
            step(id == kSlowerOrPrevious ? -1 : 1);
        }
        return;
    case isViewerImage::kPan:
    case isViewerImage::kZoomKeepReference:
    case isViewerImage::kZoomPinch:
    case isViewerImage::kWindowByDrag:
        if (auto* viewer = dynamic_cast<isViewerImage*>(sender))
            viewer->onMessage(id, data, this);
        return;
    case isViewerImage::kLinkedPan:
    case isViewerImage::kLinkedZoom:
    case isViewerImage::kWindowSync:
        linked(id, data, sender);
        return;
    case isViewerImage::kSetReferencePoint:
        referencePoint(data, sender);
        return;
    case isViewerImage::kViewTouched:
        touched(data, sender);
        return;
    default:
        return;
    }
}

void isViewerBrowser::linked(unsigned int id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    if (!owner || sender == owner) {
        distribute(id, data);
        return;
    }
    for (isViewerImage* viewer : std::vector<isViewerImage*>(viewers)) {
        if (viewer == sender)
            continue;
        if (id != isViewerImage::kWindowSync && viewer->getViewerMode() == kModeAcquired)
            continue;
        viewer->onMessage(id, data, this);
    }
    if (id == isViewerImage::kLinkedPan)
        return;
    if (id == isViewerImage::kLinkedZoom && data)
        setJsonInt(data->text, "validFocal", 0);
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, id, data, owner, false);
}

void isViewerBrowser::referencePoint(NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    if (!owner || sender == owner) {
        moveToPoint(cocos2d::Vec3(jsonNumber(data, "x"), jsonNumber(data, "y"), jsonNumber(data, "z")));
        return;
    }
    for (isViewerImage* viewer : std::vector<isViewerImage*>(viewers))
        if (viewer != currentViewer)
            viewer->onMessage(isViewerImage::kProjectPoint, data, this);
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, isViewerImage::kSetReferencePoint, data, owner,
                                                                true);
}

void isViewerBrowser::touched(NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    if (owner && sender != owner) {
        auto* viewer = dynamic_cast<isViewerImage*>(sender);
        if (viewer && viewer != currentViewer &&
            std::find(viewers.begin(), viewers.end(), viewer) != viewers.end()) {
            if (currentViewer) {
                currentViewer->setActive(false);
                currentViewer->setFrameFlag(false);
                currentViewer->updateFrame();
            }
            currentViewer = viewer;
        }
        if (currentViewer) {
            currentViewer->setActive(true);
            currentViewer->setFrameFlag(true);
            currentViewer->updateFrame();
        }
        NSUI::NSNotificationCenter::getInstance()->postNotification(this, isViewerImage::kViewTouched, data, owner,
                                                                    false);
        return;
    }
    if (owner || !sender) {
        if (currentViewer) {
            currentViewer->setFrameFlag(false);
            currentViewer->updateFrame();
        }
        stopCine();
    }
}

} // namespace isImageSDK
