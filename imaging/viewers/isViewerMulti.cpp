#include "imaging/viewers/isViewerMulti.h"

#include "imaging/core/data/isImageData.h"
#include "imaging/core/data/isSliceInfo.h"
#include "imaging/core/reslice/isImagePlane.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorVR.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/viewers/KeyViewProperty.h"
#include "imaging/viewers/isViewerBrowser.h"
#include "imaging/viewers/isViewerImage.h"
#include "imaging/viewers/isViewerVR.h"
#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

namespace {

// The ids the container takes as notifications addressed to it, in registration order.
constexpr NotificationId kObservedIds[] = {
    9065, 9066, 9067, 9022, 9029, 9026, 9027, 9028, 9035, 9037, 9036, 9038,
    9010, 9011, 9012, 9014, 9015, 9096, 9008, 9013, 9017, 9039, 9085, 9030,
    9040, 9041, 9042, 9043, 9044, 9001, 9002, 9018, 9019, 9020, 9021,
};

bool isMember(const KeyViewProperty* tile, const KeyViewProperty* key) {
    return tile->linked || tile == key;
}

bool isMPRMode(uint32_t mode) {
    return mode >= isViewer::kModeAxial && mode <= isViewer::kModeCoronal;
}

} // namespace

isViewerMulti* isViewerMulti::create() {
    auto* container = new (std::nothrow) isViewerMulti();
    if (container && container->init()) {
        container->autorelease();
        return container;
    }
    delete container;
    return nullptr;
}

isViewerMulti::~isViewerMulti() {
    // A container that never entered the node tree still has its observers registered.
    isViewerMulti::cleanup();
}

bool isViewerMulti::init() {
    if (!cocos2d::ui::Layout::init())
        return false;
    keyView = nullptr;
    registerObservers();
    setBackGroundColor(cocos2d::Color3B::BLACK);
    setBackGroundColorOpacity(255);
    setBackGroundColorType(BackGroundColorType::SOLID);
    return true;
}

void isViewerMulti::registerObservers() {
    auto* centre = NSUI::NSNotificationCenter::getInstance();
    for (NotificationId id : kObservedIds) {
        centre->addObserver(
            this, this,
            [this](cocos2d::Ref* sender, unsigned int notified, NSUI::NSNotificationData* data) {
                onNotification(sender, notified, data);
            },
            id);
    }
}

void isViewerMulti::onNotification(cocos2d::Ref* sender, NotificationId id, NSUI::NSNotificationData* data) {
    sendMessage(id, data, sender);
}

void isViewerMulti::sendMessageNoData(NotificationId id, NSUI::NSNotificationData* data) {
    sendMessage(id, data, nullptr);
}

void isViewerMulti::sendMessageInt(NotificationId id, int value) {
    auto* data = new NSUI::NSNotificationData();
    data->intValue = value;
    sendMessageNoData(id, data);
    data->release();
}

void isViewerMulti::sendMessageFloat(NotificationId id, float value) {
    auto* data = new NSUI::NSNotificationData();
    data->floatValue = value;
    sendMessageNoData(id, data);
    data->release();
}

void isViewerMulti::onEnterTransitionDidFinish() {
    cocos2d::ui::Layout::onEnterTransitionDidFinish();
    cocos2d::Director::getInstance()->setClearColor(
        cocos2d::Color4F(233 / 255.0f, 239 / 255.0f, 249 / 255.0f, 1.0f));
}

void isViewerMulti::cleanup() {
    cocos2d::ui::Layout::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    releaseTiles();
    cocos2d::Director::getInstance()->setClearColor(cocos2d::Color4F(0.0f, 0.0f, 0.0f, 1.0f));
}

void isViewerMulti::releaseTiles() {
    for (auto& entry : tiles)
        for (KeyViewProperty* tile : entry.second)
            tile->release();
    tiles.clear();
    entryCount = 0;
    keyView = nullptr;
}

// --- tiles -----------------------------------------------------------------------------------------

void isViewerMulti::clearViews() {
    NSUI::NSNotificationCenter::getInstance()->cancelNotificationsForTarget(this);
    for (auto& entry : tiles)
        for (KeyViewProperty* tile : entry.second)
            if (auto* node = dynamic_cast<cocos2d::Node*>(tile->getViewer()))
                node->removeFromParentAndCleanup(true);
    releaseTiles();
}

uint32_t isViewerMulti::dataKey(const isImageData* image, const isImageData* source) {
    uint32_t key = image ? image->getRefID() : 0u;
    if (source)
        key += kSourceKeyFactor * source->getRefID();
    return key;
}

bool isViewerMulti::buildSingleView(uint32_t mode, const cocos2d::Rect& rect, isImageData* data) {
    if (!data || mode > isViewer::kModeVolumeAlt)
        return false;
    if (mode != isViewer::kModeAcquired && !data->isVolume())
        return false;
    isViewer* viewer = nullptr;
    cocos2d::Node* node = nullptr;
    if (isViewer::is2DMode(mode)) {
        auto* browser = isViewerBrowser::create();
        viewer = browser;
        node = browser;
    } else {
        auto* volume = isViewerVR::create();
        viewer = volume;
        node = volume;
    }
    if (!node)
        return false;
    node->setContentSize(rect.size);
    node->setPosition(rect.origin);
    addChild(node);
    if (auto* browser = dynamic_cast<isViewerBrowser*>(viewer)) {
        browser->setOwner(this);
        browser->layoutTiles();
    } else {
        auto* volume = static_cast<isViewerVR*>(viewer);
        volume->setOwnerWindow(this);
        if (mode == isViewer::kModeVolume)
            volume->setVolumeMode5();
        else
            volume->setVolumeMode6();
    }
    auto* tile = KeyViewProperty::create();
    tile->setViewer(viewer);
    tile->linked = 1;
    tile->setImageData(data);
    viewer->setImageData(data);
    viewer->setViewerMode(mode);
    addView(tile);
    setBackGroundColorOpacity(0);
    return true;
}

void isViewerMulti::addView(KeyViewProperty* tile) {
    KeyViewProperty* partner = findLinked2DView(tile);
    if (tile->linked && partner) {
        syncViews(tile, partner, true, false, false);
    } else if (tile->getViewerMode() <= isViewer::kModeCoronal) {
        if (isViewerBrowser* browser = browserOf(tile)) {
            browser->centerSeries();
            // The reference point starts in the middle of the shown plane, not at the world
            // origin: tiles built next to this one cut through it, and its lines show there.
            if (isMPRMode(tile->getViewerMode()))
                browser->moveToPoint(browser->getFocalPoint());
        }
    }
    if (tiles.empty())
        keyView = tile;
    auto& list = tiles[dataKey(tile->getImageData(), tile->getSourceData())];
    if (list.empty())
        ++entryCount;
    tile->retain();
    list.push_back(tile);
}

KeyViewProperty* isViewerMulti::findViewOfViewer(isViewer* viewer) const {
    if (!viewer)
        return nullptr;
    auto entry = tiles.find(dataKey(viewer->getImageData(), viewer->getSourceData()));
    if (entry == tiles.end())
        return nullptr;
    for (KeyViewProperty* tile : entry->second)
        if (tile->getViewer() == viewer)
            return tile;
    return nullptr;
}

KeyViewProperty* isViewerMulti::findLinked2DView(KeyViewProperty* tile) const {
    if (!tile || !tile->linked)
        return nullptr;
    for (const auto& entry : tiles)
        for (KeyViewProperty* other : entry.second)
            if (other->linked && other->getViewer() && isViewer::is2DMode(other->getViewerMode()))
                return other;
    return nullptr;
}

isViewerMulti::TileList isViewerMulti::allViews() const {
    TileList out;
    for (const auto& entry : tiles)
        out.insert(out.end(), entry.second.begin(), entry.second.end());
    return out;
}

int isViewerMulti::getViewCount() const {
    int count = 0;
    for (const auto& entry : tiles)
        count += static_cast<int>(entry.second.size());
    return count;
}

isViewerBrowser* isViewerMulti::browserOf(const KeyViewProperty* tile) {
    return tile ? dynamic_cast<isViewerBrowser*>(tile->getViewer()) : nullptr;
}

isViewerVR* isViewerMulti::volumeOf(const KeyViewProperty* tile) {
    return tile ? dynamic_cast<isViewerVR*>(tile->getViewer()) : nullptr;
}

// --- gatherers -------------------------------------------------------------------------------------

template <class Pred>
static void gather(const std::map<uint32_t, std::list<KeyViewProperty*>>& tiles, KeyViewProperty* key,
                   isViewerMulti::TileList& out, Pred pred) {
    out.clear();
    if (tiles.empty() || !key)
        return;
    if (!key->linked) {
        out.push_back(key);
        return;
    }
    for (const auto& entry : tiles)
        for (KeyViewProperty* tile : entry.second)
            if (isMember(tile, key) && pred(tile))
                out.push_back(tile);
}

void isViewerMulti::collectLinkedViews(KeyViewProperty* key, TileList& out) const {
    gather(tiles, key, out, [](KeyViewProperty*) { return true; });
}

void isViewerMulti::collect2DViews(KeyViewProperty* key, TileList& out) const {
    gather(tiles, key, out, [](KeyViewProperty* tile) {
        uint32_t mode = tile->getViewerMode();
        return mode >= isViewer::kModeAxial && mode <= isViewer::kModeOblique;
    });
}

void isViewerMulti::collectMPRViews(KeyViewProperty* key, TileList& out) const {
    gather(tiles, key, out, [](KeyViewProperty* tile) { return isMPRMode(tile->getViewerMode()); });
}

void isViewerMulti::collectViewsLikeKey(KeyViewProperty* key, TileList& out) const {
    const uint32_t mode = key ? key->getViewerMode() : isViewer::kModeNone;
    gather(tiles, key, out, [mode](KeyViewProperty* tile) { return tile->getViewerMode() == mode; });
}

void isViewerMulti::collectViewsOfImageData(KeyViewProperty* key, isImageData* data, TileList& out) const {
    gather(tiles, key, out, [data](KeyViewProperty* tile) { return tile->getImageData() == data; });
}

void isViewerMulti::collectViewsOfSourceData(KeyViewProperty* key, isImageData* data, TileList& out) const {
    gather(tiles, key, out, [data](KeyViewProperty* tile) { return tile->getSourceData() == data; });
}

void isViewerMulti::collectViewsOfMode(uint32_t mode, TileList& out) const {
    out.clear();
    for (const auto& entry : tiles)
        for (KeyViewProperty* tile : entry.second)
            if (tile->linked && tile->getViewerMode() == mode)
                out.push_back(tile);
}

// --- synchronisation -------------------------------------------------------------------------------

namespace {

bool showsImage(isViewerImage* viewer) {
    return viewer && viewer->getImageActor() && viewer->getImageActor()->getInputData();
}

isViewerImage* firstViewer(isViewerBrowser* browser) {
    return browser && !browser->getViewers().empty() ? browser->getViewers().front() : nullptr;
}

} // namespace

cocos2d::Vec3 isViewerMulti::referencePointOf(KeyViewProperty* tile) {
    isViewerBrowser* browser = browserOf(tile);
    isViewerImage* current = browser ? browser->getCurrentViewer() : nullptr;
    return showsImage(current) ? current->getReferencePoint() : cocos2d::Vec3::ZERO;
}

void isViewerMulti::syncViews(KeyViewProperty* target, KeyViewProperty* source, bool slice, bool zoom,
                              bool camera) {
    if (!target || !source || !target->linked)
        return;
    isViewerBrowser* to = browserOf(target);
    isViewerBrowser* from = browserOf(source);
    const uint32_t mode = target->getViewerMode();
    if (slice && to) {
        if (mode == isViewer::kModeAcquired) {
            isViewerImage* first = firstViewer(from);
            if (first && first->getImageActor())
                to->setFirstImageIndex(first->getImageActor()->getSliceIndex(), true);
        } else if (isMPRMode(mode)) {
            const cocos2d::Vec3 p = referencePointOf(source);
            if (mode != source->getViewerMode()) {
                to->moveToPoint(p);
            } else {
                cocos2d::Vec3 step;
                if (isViewerImage* first = firstViewer(from))
                    first->getSliceSpacing(step);
                to->spreadFromPoint(p, step);
            }
        }
    }
    if (!to || !from || mode >= isViewer::kModeOblique)
        return;
    if (camera)
        to->centerOn(from->getFocalPoint());
    if (zoom) {
        // The ratio itself, so that orthographic slice cameras follow as well as perspective ones.
        const float ratio = from->getZoomRatio();
        for (isViewerImage* viewer : to->getViewers())
            viewer->setZoomRatio(ratio);
    }
}

// --- queries ---------------------------------------------------------------------------------------

uint32_t isViewerMulti::getKeyViewMode() const {
    return keyView ? keyView->getViewerMode() : isViewer::kModeAcquired;
}

bool isViewerMulti::getKeyViewRect(cocos2d::Rect& out) const {
    // Without a viewer there is no rectangle: callers fall back to the whole window.
    if (!keyView || !keyView->getViewer() || keyView->getViewerMode() == isViewer::kModeNone)
        return false;
    if (isViewerBrowser* browser = browserOf(keyView)) {
        if (!browser->getCurrentRect(out))
            return false;
    } else if (isViewerVR* volume = volumeOf(keyView)) {
        out.origin = volume->getPosition();
        out.size = volume->getContentSize();
    } else {
        return false;
    }
    out.origin += getPosition();
    return true;
}

void isViewerMulti::setWindowLevel(float width, float level) {
    if (!keyView || !keyView->getViewer())
        return;
    if (isViewerVR* volume = volumeOf(keyView)) {
        volume->setWindowLevel(width, level);
        return;
    }
    TileList same;
    collectViewsOfImageData(keyView, keyView->getImageData(), same);
    for (KeyViewProperty* tile : same)
        if (isViewerBrowser* browser = browserOf(tile))
            browser->setWindowLevel(width, level);
}

bool isViewerMulti::getWindowLevel(float& width, float& level) const {
    if (!keyView || keyView->getViewerMode() == isViewer::kModeNone)
        return false;
    if (isViewerVR* volume = volumeOf(keyView)) {
        if (isActorVR* actor = volume->getVRActor()) {
            width = actor->getSettings().windowWidth;
            level = actor->getSettings().windowLevel;
        }
        return true;
    }
    isViewerImage* first = firstViewer(browserOf(keyView));
    if (showsImage(first) && first->getImageActor()->getClut()) {
        width = first->getImageActor()->getClut()->windowWidth;
        level = first->getImageActor()->getClut()->windowLevel;
    }
    return true;
}

bool isViewerMulti::getSliceIndex(SliceIndex& out) const {
    if (!keyView || keyView->getViewerMode() > isViewer::kModeCoronal)
        return false;
    isViewerImage* first = firstViewer(browserOf(keyView));
    if (!first)
        return false;
    isActorImage* actor = first->getImageActor();
    // Without an image actor the window shows nothing: slice 0 of an unknown count.
    out.index = actor ? actor->getSliceIndex() : 0;
    out.count = showsImage(first) && actor->getPlaneFilter() ? actor->getPlaneFilter()->getSliceCount() : -1;
    return true;
}

std::string isViewerMulti::getImagePath() const {
    if (!keyView || keyView->getViewerMode() == isViewer::kModeNone)
        return {};
    if (isViewerBrowser* browser = browserOf(keyView))
        return browser->getImagePath();
    if (isViewerVR* volume = volumeOf(keyView)) {
        isImageData* data = volume->getImageData();
        if (data && data->getSliceCount() > 0 && data->getSlice(0))
            return data->getSlice(0)->filePath;
    }
    return {};
}

} // namespace isImageSDK
