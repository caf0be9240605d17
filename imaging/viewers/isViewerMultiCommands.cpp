// The container's command router: which tiles each viewer command reaches, the switches of a
// tile between 2D and volume viewing, and the re-posts to the screen.

#include "base/messageView.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/core/roi/ROIData.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/display/interactor/isInteractorImage.h"
#include "imaging/display/roi/isActorROIBase.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerImage.h"
#include "imaging/viewers/isViewerMulti.h"
#include "imaging/viewers/isViewerVR.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

namespace {

constexpr float kToastSeconds = 2.0f;

bool isVolumeMode(uint32_t mode) {
    return mode == isViewer::kModeVolume || mode == isViewer::kModeVolumeAlt;
}

bool isMPRMode(uint32_t mode) {
    return mode >= isViewer::kModeAxial && mode <= isViewer::kModeCoronal;
}

/// A payload that owns itself for the length of a scope.
struct Payload {
    NSUI::NSNotificationData* data = new NSUI::NSNotificationData();
    ~Payload() { data->release(); }
};

/// The browser's zoom as one ratio on every one of its slice viewers.
void applyZoomRatio(isViewerBrowser* browser, float ratio) {
    for (isViewerImage* viewer : browser->getViewers())
        viewer->setZoomRatio(ratio);
}

} // namespace

// --- addressing ------------------------------------------------------------------------------------

KeyViewProperty* isViewerMulti::chooseView(cocos2d::Ref* sender) const {
    if (!sender)
        return keyView;
    // Senders are not retained: match them by identity against the live viewers first, so that
    // nothing is read through a pointer that may no longer be an object.
    for (const auto& entry : tiles)
        for (KeyViewProperty* tile : entry.second)
            if (tile->getViewer() && dynamic_cast<cocos2d::Ref*>(tile->getViewer()) == sender)
                return tile;
    // Deliveries of viewers that left the container are withdrawn (forgetViewer), so a sender
    // still waiting here is alive; a viewer of another container has no say here.
    return dynamic_cast<isViewer*>(sender) ? nullptr : keyView;
}

void isViewerMulti::forgetViewer(isViewer* viewer) {
    auto* ref = dynamic_cast<cocos2d::Ref*>(viewer);
    if (!ref)
        return;
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    for (NotificationId id = 9001; id <= 9105; ++id)
        centre->cancelNotification(ref, id, this);
}

void isViewerMulti::forward(KeyViewProperty* tile, NotificationId id, NSUI::NSNotificationData* data) {
    if (isViewerBrowser* browser = browserOf(tile))
        browser->onMessage(id, data, this);
    else if (isViewerVR* volume = volumeOf(tile))
        volume->onMessage(id, data, this);
}

void isViewerMulti::forwardAll(const TileList& list, NotificationId id, NSUI::NSNotificationData* data,
                               KeyViewProperty* except, bool only2D) {
    for (KeyViewProperty* tile : list) {
        if (tile == except)
            continue;
        if (only2D && !isViewer::is2DMode(tile->getViewerMode()))
            continue;
        forward(tile, id, data);
    }
}

void isViewerMulti::repostToScreen(NotificationId id) {
    if (cocos2d::Node* screen = getParent())
        NSUI::NSNotificationCenter::getInstance()->postNotification(this, id, nullptr, screen, true);
}

void isViewerMulti::postKeyViewKind(bool volume) {
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kKeyViewIsVolume, volume ? 1 : 0,
                                                                      nullptr, false);
}

// --- the router ------------------------------------------------------------------------------------

void isViewerMulti::sendMessage(NotificationId id, NSUI::NSNotificationData* data, cocos2d::Ref* sender) {
    KeyViewProperty* key = chooseView(sender);
    if (!key)
        return;
    const uint32_t mode = key->getViewerMode();
    // Window and tool commands treat a tile without a viewer as 2D.
    const bool as2D = isViewer::is2DMode(mode) || (mode == isViewer::kModeNone && (id == 9022 || id == 9029 || id == 9035));
    if (as2D && route2D(key, id, data))
        return;
    TileList list;
    switch (id) {
    case 9001:
    case 9002:
        repostToScreen(id);
        stepSlice(key, id);
        break;
    case 9008:
        if (mode != isViewer::kModeAcquired)
            forward(key, id, data);
        break;
    case 9010:
    case 9011:
    case 9012:
        switchOrientation(key, id - 9009);
        break;
    case 9014:
    case 9015:
        switchToVolume(key, id);
        break;
    case 9017:
    case 9022:
    case 9029:
    case 9030:
    case 9035:
    case 9053:
    case 9054:
    case 9055:
    case 9057:
        if (isVolumeMode(mode))
            forward(key, id, data);
        break;
    case 9038:
        if (isVolumeMode(mode))
            forward(key, id, nullptr);
        break;
    case 9036:
    case 9037:
        collectLinkedViews(key, list);
        forwardAll(list, id, data, nullptr, false);
        break;
    case 9040:
    case 9041:
    case 9042:
    case 9043:
    case 9044:
        repostToScreen(id);
        break;
    case 9067:
        collectViewsOfImageData(key, key->getImageData(), list);
        forwardAll(list, id, data, key, true);
        collectViewsOfSourceData(key, key->getImageData(), list);
        forwardAll(list, id, data, key, true);
        break;
    case 9096:
        changeKeyView(key);
        break;
    default:
        break;
    }
}

bool isViewerMulti::route2D(KeyViewProperty* key, NotificationId id, NSUI::NSNotificationData* data) {
    const uint32_t mode = key->getViewerMode();
    isViewerBrowser* browser = browserOf(key);
    TileList list;
    switch (id) {
    case 9005:
        if (browser)
            browser->setFirstImageIndex(data ? data->intValue : 0, true);
        return true;
    case 9013:
    case 9018:
    case 9019:
    case 9020:
    case 9021:
    case 9026:
    case 9027:
    case 9028:
    case 9053:
    case 9054:
    case 9055:
        forward(key, id, data);
        return true;
    case 9017:
    case 9034:
    case 9035:
        collectLinkedViews(key, list);
        forwardAll(list, id, data, nullptr, true);
        return true;
    case 9022:
    case 9029:
    case 9030:
        collectViewsOfImageData(key, key->getImageData(), list);
        forwardAll(list, id, data, nullptr, true);
        if (id == 9022) {
            collectViewsOfSourceData(key, key->getImageData(), list);
            forwardAll(list, 9025, data, nullptr, true);
        }
        return true;
    case 9039:
        if (mode != isViewer::kModeAcquired) {
            collect2DViews(key, list);
            forwardAll(list, id, data, nullptr, false);
        }
        return true;
    case 9040:
    case 9041:
    case 9042:
    case 9043:
    case 9044:
        forward(key, id, data);
        repostToScreen(id);
        return true;
    case 9045:
        removeMeasurement(key);
        return true;
    case 9065:
        if (isMPRMode(mode)) {
            collectViewsLikeKey(key, list);
            forwardAll(list, id, data, key, false);
        }
        return true;
    case 9066:
        if (isMPRMode(mode)) {
            collectMPRViews(key, list);
            forwardAll(list, id, data, key, false);
        }
        return true;
    case 9085:
        if (mode != isViewer::kModeAcquired) {
            collectLinkedViews(key, list);
            forwardAll(list, id, data, key, true);
        }
        return true;
    case 9105:
        if (browser)
            browser->hideControls();
        return true;
    default:
        return false;
    }
}

// --- slice stepping --------------------------------------------------------------------------------

void isViewerMulti::stepSlice(KeyViewProperty* key, NotificationId id) {
    const uint32_t mode = key->getViewerMode();
    isViewerBrowser* browser = browserOf(key);
    if (mode > isViewer::kModeCoronal || !browser || browser->getViewers().empty())
        return;
    isViewerImage* first = browser->getViewers().front();
    isActorImage* actor = first->getImageActor();
    if (!actor || !actor->getInputData())
        return;
    const int index = actor->getSliceIndex();
    const int count = first->getSliceCount();
    const bool canStep = id == 9001 ? (index >= 0 && index < count - 1) : (index >= 1 && index <= count - 1);
    if (!canStep)
        return;
    if (!key->linked) {
        forward(key, id, nullptr);
        return;
    }
    TileList alike;
    collectViewsLikeKey(key, alike);
    forward(key, id, nullptr);
    for (KeyViewProperty* tile : alike)
        if (tile != key)
            syncViews(tile, key, true, false, false);
    if (!isMPRMode(mode))
        return;
    TileList planes;
    collectMPRViews(key, planes);
    const cocos2d::Vec3 p = referencePointOf(key);
    Payload point;
    setJsonFloat(point.data->text, "x", p.x);
    setJsonFloat(point.data->text, "y", p.y);
    setJsonFloat(point.data->text, "z", p.z);
    for (KeyViewProperty* tile : planes)
        if (tile->getViewerMode() != mode)
            forward(tile, 9085, point.data);
}

// --- switching between 2D and volume viewing --------------------------------------------------------

void isViewerMulti::replaceViewerNode(KeyViewProperty* key, cocos2d::Node* fresh) {
    auto* old = dynamic_cast<cocos2d::Node*>(key->getViewer());
    fresh->setContentSize(old->getContentSize());
    fresh->setPosition(old->getPosition());
    forgetViewer(key->getViewer());
    old->removeFromParentAndCleanup(true);
    addChild(fresh);
}

isViewerBrowser* isViewerMulti::convertToBrowser(KeyViewProperty* key) {
    isViewerBrowser* browser = isViewerBrowser::create();
    replaceViewerNode(key, browser);
    browser->setOwner(this);
    key->setViewer(browser);
    browser->setImageData(key->getImageData());
    return browser;
}

isViewerVR* isViewerMulti::convertToVolume(KeyViewProperty* key, uint32_t mode) {
    isViewerVR* volume = isViewerVR::create();
    replaceViewerNode(key, volume);
    volume->setOwnerWindow(this);
    if (mode == isViewer::kModeVolume)
        volume->setVolumeMode5();
    else
        volume->setVolumeMode6();
    key->setViewer(volume);
    volume->setImageData(key->getImageData());
    return volume;
}

void isViewerMulti::switchOrientation(KeyViewProperty* key, uint32_t target) {
    const uint32_t mode = key->getViewerMode();
    if (isMPRMode(mode)) {
        if (mode == target)
            return;
        isViewerBrowser* browser = browserOf(key);
        TileList same;
        collectViewsOfMode(target, same);
        if (same.empty()) {
            const cocos2d::Vec3 p = referencePointOf(key);
            const float zoom = browser->getZoomRatio();
            browser->setViewerMode(target);
            browser->moveToPoint(p);
            applyZoomRatio(browser, zoom);
            browser->centerOn(p);
        } else {
            browser->setViewerMode(target);
            syncViews(key, same.front(), true, true, true);
        }
    } else if (isVolumeMode(mode)) {
        isViewerVR* volume = volumeOf(key);
        if (volume->maximized) {
            NSUI::messageView::showMessage(kNormalSizeFirst, kToastSeconds);
            return;
        }
        TileList same;
        collectViewsOfMode(target, same);
        cocos2d::Vec3 focal, up;
        volume->getCameraVectors(focal, up);
        const float zoom = volume->getZoomRatio();
        float width = 0.0f, level = 0.0f;
        if (isActorVR* actor = volume->getVRActor()) {
            width = actor->getSettings().windowWidth;
            level = actor->getSettings().windowLevel;
        }
        isViewerBrowser* browser = convertToBrowser(key);
        // A volume without an actor has no window to hand over; (0, 0) would blank the slices.
        if (width != 0.0f || level != 0.0f)
            browser->setWindowLevel(width, level);
        browser->layoutTiles();
        browser->setViewerMode(target);
        if (same.empty()) {
            browser->moveToPoint(focal);
            applyZoomRatio(browser, zoom);
            browser->centerOn(focal);
        } else {
            syncViews(key, same.front(), true, true, true);
        }
    }
    postKeyViewKind(false);
}

void isViewerMulti::switchToVolume(KeyViewProperty* key, NotificationId id) {
    const uint32_t mode = key->getViewerMode();
    const uint32_t wanted = id == 9014 ? isViewer::kModeVolume : isViewer::kModeVolumeAlt;
    if (mode >= isViewer::kModeAxial && mode <= isViewer::kModeOblique) {
        isViewerBrowser* browser = browserOf(key);
        if (browser->isAnyImageMaximized()) {
            NSUI::messageView::showMessage(kNormalSizeFirst, kToastSeconds);
            return;
        }
        float width = 0.0f, level = 0.0f;
        isViewerImage* first = browser->getViewers().empty() ? nullptr : browser->getViewers().front();
        if (first && first->getImageActor() && first->getImageActor()->getClut()) {
            width = first->getImageActor()->getClut()->windowWidth;
            level = first->getImageActor()->getClut()->windowLevel;
        }
        unsigned char colors[768] = {};
        browser->getColorTable(colors);
        isViewerVR* volume = convertToVolume(key, wanted);
        if (width != 0.0f || level != 0.0f)
            volume->setWindowLevel(width, level);
        if (isActorVR* actor = volume->getVRActor()) {
            actor->setColorTable(colors);
            actor->setRedrawFlag(true);
        }
        postKeyViewKind(true);
    } else if (isVolumeMode(mode)) {
        if (mode != wanted) {
            if (wanted == isViewer::kModeVolume)
                volumeOf(key)->setVolumeMode5();
            else
                volumeOf(key)->setVolumeMode6();
        }
        postKeyViewKind(true);
    } else {
        // Nothing is converted: the key view stays what it is, so it is reported as 2D.
        postKeyViewKind(false);
    }
}

// --- measurements and the key view -----------------------------------------------------------------

void isViewerMulti::removeMeasurement(KeyViewProperty* key) {
    isViewerBrowser* browser = browserOf(key);
    isViewerImage* current = browser ? browser->getCurrentViewer() : nullptr;
    auto* tracker = current ? dynamic_cast<isInteractorImage*>(current->getInteractor()) : nullptr;
    isActorROIBase* selected = tracker ? tracker->getCurrentROI() : nullptr;
    // The viewers find a measurement by its model's id, not by its actor's.
    ROIData* model = selected ? selected->getData() : nullptr;
    if (!model)
        return;
    Payload removal;
    removal.data->tag = static_cast<int32_t>(model->getRefID());
    TileList same;
    collectViewsOfImageData(key, key->getImageData(), same);
    forwardAll(same, 9045, removal.data, nullptr, true);
}

void isViewerMulti::changeKeyView(KeyViewProperty* key) {
    keyView = key;
    TileList linked;
    collectLinkedViews(key, linked);
    forwardAll(linked, 9096, nullptr, key, false);
    postKeyViewKind(isVolumeMode(key->getViewerMode()));
}

} // namespace isImageSDK
