#include "imaging/viewers/isViewerBrowser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/messageView.h"
#include "imaging/core/clut/isClut.h"
#include "imaging/core/data/isImageData.h"
#include "imaging/display/actor/isActorImage.h"
#include "imaging/display/actor/isActorOverlay.h"
#include "imaging/viewers/isViewerImage.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "ui/Slider.h"

namespace isImageSDK {

using cocos2d::Vec2;
using cocos2d::Vec3;

namespace {

const unsigned int kObservedIds[] = {9065, 9066, 9067, 9068, 9064, 9062, 9063, 9061, 9022, 9029,
                                     9026, 9027, 9028, 9035, 9037, 9036, 9010, 9011, 9012, 9096,
                                     9008, 9017, 9039, 9085, 9030, 9040, 9041, 9042, 9043, 9044,
                                     9023, 9001, 9002, 9018, 9019, 9020, 9021};
const char* const kControls[] = {"addImage", "delImage", "slider", "btnNext", "btnPrior"};
const float kCineInterval = 0.005f;
const float kCineDelay = 0.1f;

cocos2d::Node* findBelow(cocos2d::Node* node, const std::string& name) {
    for (cocos2d::Node* child : node->getChildren()) {
        if (child->getName() == name)
            return child;
        if (cocos2d::Node* found = findBelow(child, name))
            return found;
    }
    return nullptr;
}

bool touchInside(cocos2d::Node* node, cocos2d::Touch* touch) {
    if (!node || !touch)
        return false;
    const Vec2 p = node->convertToNodeSpace(touch->getLocation());
    const cocos2d::Size size = node->getContentSize();
    return p.x > 0.0f && p.y > 0.0f && p.x < size.width && p.y < size.height;
}

// A viewer's posts to the browser still waiting for delivery carry it as their sender, which
// the handlers read: they are withdrawn before the viewer goes.
void withdrawPosts(cocos2d::Ref* viewer, cocos2d::Ref* browser) {
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    for (unsigned int id : kObservedIds)
        centre->cancelNotification(viewer, id, browser);
}

int wrap(int index, int count) {
    return count > 0 ? (index % count + count) % count : 0;
}

} // namespace

isViewerBrowser* isViewerBrowser::create() {
    auto* browser = new (std::nothrow) isViewerBrowser();
    if (browser && browser->init()) {
        browser->autorelease();
        return browser;
    }
    delete browser;
    return nullptr;
}

isViewerBrowser::~isViewerBrowser() {
    for (isViewerImage* viewer : viewers)
        viewer->release();
}

bool isViewerBrowser::init() {
    if (!cocos2d::Layer::init())
        return false;
    rows = columns = 1;
    firstIndex = 0;
    playing = false;
    tickCounter = 0;
    ticksPerStep = kDefaultTicksPerStep;
    currentViewer = addViewer();
    if (!currentViewer)
        return false;
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    auto callback = [this](cocos2d::Ref* sender, unsigned int id, NSUI::NSNotificationData* data) {
        onNotification(sender, id, data);
    };
    for (unsigned int id : kObservedIds)
        centre->addObserver(this, this, callback, id);
    setTouchMode(cocos2d::Touch::DispatchMode::ONE_BY_ONE);
    setTouchEnabled(true);
    return true;
}

void isViewerBrowser::cleanup() {
    cocos2d::Layer::cleanup();
    unscheduleAllCallbacks();
    playing = false;
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    for (isViewerImage* viewer : viewers)
        viewer->release();
    viewers.clear();
    currentViewer = nullptr;
}

isViewerImage* isViewerBrowser::addViewer() {
    isViewerImage* viewer = isViewerImage::create();
    if (!viewer)
        return nullptr;
    addChild(viewer);
    viewer->setOwnerWindow(this);
    viewer->retain();
    viewers.push_back(viewer);
    return viewer;
}

std::string isViewerBrowser::cineKey() const {
    char key[32];
    std::snprintf(key, sizeof key, "browser:%i", static_cast<int>(getRefID()));
    return key;
}

// --- the viewer interface ----------------------------------------------------------------------------

void isViewerBrowser::setViewerMode(uint32_t mode) {
    if (mode == viewerMode)
        return;
    for (isViewerImage* viewer : viewers)
        viewer->setViewerMode(mode);
    viewerMode = mode;
}

void isViewerBrowser::setImageData(isImageData* data) {
    for (isViewerImage* viewer : viewers)
        viewer->setImageData(data);
    if (!data)
        return;
    data->Update();
    if (data->getSliceCount() == 1)
        hideControls();
}

isImageData* isViewerBrowser::getImageData() const {
    return viewers.empty() ? nullptr : viewers.front()->getImageData();
}

// --- grid --------------------------------------------------------------------------------------------

void isViewerBrowser::setTiling(int newRows, int newColumns) {
    if (newRows == rows && newColumns == columns)
        return;
    if (currentViewer)
        currentViewer->setActive(false);
    rows = std::max(newRows, 1);
    columns = std::max(newColumns, 1);
    const size_t n = static_cast<size_t>(rows * columns);
    while (viewers.size() > n) {
        isViewerImage* last = viewers.back();
        viewers.pop_back();
        withdrawPosts(last, this);
        last->removeFromParentAndCleanup(true);
        last->release();
        if (last == currentViewer)
            currentViewer = viewers.back();
    }
    if (viewers.size() < n && !viewers.empty()) {
        isViewerImage* first = viewers.front();
        isActorImage* actor = first->getImageActor();
        isClut* clut = actor ? actor->getClut() : nullptr;
        const int slice = actor ? actor->getSliceIndex() : 0;
        unsigned char rgb[768];
        if (clut)
            clut->getRGBTable(rgb);
        while (viewers.size() < n) {
            const int position = static_cast<int>(viewers.size());
            isViewerImage* viewer = addViewer();
            if (!viewer)
                break;
            viewer->setImageData(first->getImageData());
            viewer->setViewerMode(first->getViewerMode());
            viewer->setSlice(slice + position, false);
            if (isActorImage* own = viewer->getImageActor(); own && clut) {
                own->setWindow(clut->windowWidth, clut->windowLevel);
                own->setColorTable(rgb);
            }
        }
    }
    layoutTiles();
    // Every tile has a new size, and the new ones were given their image before they had one:
    // each fits its image to its tile now.
    for (isViewerImage* viewer : viewers)
        viewer->resetCamera();
}

void isViewerBrowser::layoutTiles() {
    const cocos2d::Size size = getContentSize();
    if (std::trunc(size.width) < 1.0f || std::trunc(size.height) < 1.0f)
        return;
    const float w = columns > 1 ? (size.width - (columns - 1) * kTileGap) / columns : size.width;
    const float h = rows > 1 ? (size.height - (rows - 1) * kTileGap) / rows : size.height;
    for (size_t k = 0; k < viewers.size(); ++k) {
        const int row = static_cast<int>(k) / columns;
        const int column = static_cast<int>(k) % columns;
        isViewerImage* viewer = viewers[k];
        viewer->setAnchorPoint(Vec2::ZERO);
        const float x = column == columns - 1 ? size.width - w : column * (w + kTileGap);
        const float y = row == rows - 1 ? 0.0f : (rows - row - 1) * (h + kTileGap);
        viewer->setPosition(Vec2(x, y));
        viewer->setContentSize(cocos2d::Size(w, h));
        isActorManager* manager = viewer->getActorManager();
        if (auto* overlay = static_cast<isActorOverlay*>(manager ? manager->peekOverlay() : nullptr))
            overlay->relayout();
    }
    if (currentViewer) {
        currentViewer->setActive(false);
        currentViewer->setActive(true);
    }
}

// --- paging ------------------------------------------------------------------------------------------

int isViewerBrowser::sliceCount() const {
    return viewers.empty() ? 0 : viewers.front()->getSliceCount();
}

void isViewerBrowser::setFirstImageIndex(int index, bool update) {
    firstIndex = index;
    for (size_t k = 0; k < viewers.size(); ++k)
        viewers[k]->setSlice(index + static_cast<int>(k), false);
    if (update)
        updateSlider();
}

void isViewerBrowser::showImages() {
    setFirstImageIndex(firstIndex, true);
}

void isViewerBrowser::centerSeries() {
    isActorImage* actor = viewers.empty() ? nullptr : viewers.front()->getImageActor();
    if (!actor || !actor->isReslicing() || !actor->getImageInfo())
        return;
    const int c = sliceCount();
    const int n = rows * columns;
    if (c > 0)
        firstIndex = c > 2 * n ? static_cast<int>((c - n) * 0.5) : 0;
    for (size_t k = 0; k < viewers.size(); ++k)
        viewers[k]->setSlice(firstIndex + static_cast<int>(k), true);
    updateSlider();
}

void isViewerBrowser::moveToPoint(const Vec3& p) {
    if (viewers.empty())
        return;
    Vec3 s = Vec3::ZERO;
    viewers.front()->getSliceSpacing(s);
    spreadFromPoint(p, s);
}

void isViewerBrowser::spreadFromPoint(const Vec3& p, const Vec3& s) {
    if (!currentViewer)
        return;
    const auto at = std::find(viewers.begin(), viewers.end(), currentViewer);
    const float i = static_cast<float>(at - viewers.begin());
    for (size_t k = 0; k < viewers.size(); ++k)
        viewers[k]->moveReferencePoint(p - s * i + s * static_cast<float>(k));
    currentViewer->setActive(true);
    if (isActorImage* actor = viewers.front()->getImageActor())
        firstIndex = actor->getSliceIndex();
    updateSlider();
}

void isViewerBrowser::step(int delta) {
    // The tiles may have been paged by other commands since the browser last stepped them.
    if (isActorImage* actor = viewers.empty() ? nullptr : viewers.front()->getImageActor())
        firstIndex = actor->getSliceIndex();
    firstIndex = wrap(firstIndex + delta, sliceCount());
    showImages();
}

// --- cine --------------------------------------------------------------------------------------------

void isViewerBrowser::toggleCine() {
    if (playing) {
        playing = false;
        unschedule(cineKey());
    } else if (isImageData* data = getImageData()) {
        data->Update();
        if (data->getSliceCount() >= 2) {
            playing = true;
            if (isActorImage* actor = viewers.front()->getImageActor())
                firstIndex = actor->getSliceIndex();
            tickCounter = 0;
            lastStepFrame = 0;
            schedule([this](float) { onCineTick(); }, kCineInterval, CC_REPEAT_FOREVER, kCineDelay, cineKey());
        }
    }
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kCineState, playing ? 1 : 0, owner,
                                                                       true);
}

void isViewerBrowser::onCineTick() {
    if (!playing)
        return;
    const int c = sliceCount();
    if (getImageData() && c >= 2 && tickCounter % ticksPerStep == 0) {
        // The timer is shorter than a frame and the scheduler catches up on it: one step per
        // drawn frame at most.
        const unsigned int frame = cocos2d::Director::getInstance()->getTotalFrames();
        if (frame == lastStepFrame)
            return;
        lastStepFrame = frame;
        firstIndex = wrap(firstIndex + 1, c);
        showImages();
    }
    tickCounter = (tickCounter + 1) % (ticksPerStep * 1000000);
}

void isViewerBrowser::stopCine() {
    // The tiles stay on the slices they show: stopping does not page back to the start.
    if (!playing)
        return;
    playing = false;
    unschedule(cineKey());
    NSUI::NSNotificationCenter::getInstance()->postNotificationWithInt(this, kCineState, 0, owner, true);
}

// --- for the container -------------------------------------------------------------------------------

Vec3 isViewerBrowser::getFocalPoint() const {
    return viewers.empty() ? Vec3::ZERO : viewers.front()->getFocalPoint();
}

void isViewerBrowser::centerOn(const Vec3& p) {
    for (isViewerImage* viewer : viewers)
        viewer->centerOn(p);
}

float isViewerBrowser::getZoomRatio() const {
    return viewers.empty() ? 1.0f : viewers.front()->getZoomRatio();
}

void isViewerBrowser::dollyBy(float factor) {
    for (isViewerImage* viewer : viewers)
        viewer->dollyBy(factor);
}

void isViewerBrowser::setWindowLevel(float width, float level) {
    for (isViewerImage* viewer : viewers)
        if (isActorImage* actor = viewer->getImageActor())
            actor->setWindow(width, level);
}

void isViewerBrowser::getColorTable(unsigned char rgb[768]) const {
    isActorImage* actor = viewers.empty() ? nullptr : viewers.front()->getImageActor();
    if (isClut* clut = actor ? actor->getClut() : nullptr)
        clut->getRGBTable(rgb);
}

std::string isViewerBrowser::getImagePath() const {
    isViewerImage* viewer = currentViewer ? currentViewer : viewers.empty() ? nullptr : viewers.front();
    return viewer ? viewer->getImagePath() : std::string();
}

bool isViewerBrowser::getCurrentRect(cocos2d::Rect& out) const {
    if (!currentViewer)
        return false;
    out.origin = currentViewer->getPosition() + getPosition();
    out.size = currentViewer->getContentSize();
    return true;
}

bool isViewerBrowser::isAnyImageMaximized() const {
    return std::any_of(viewers.begin(), viewers.end(), [](isViewerImage* v) { return v->maximized; });
}

// --- controls ----------------------------------------------------------------------------------------

cocos2d::Node* isViewerBrowser::findControl(const std::string& name) const {
    cocos2d::Node* root = getChildByName("root");
    return root ? root->getChildByName(name) : nullptr;
}

void isViewerBrowser::hideControls() {
    for (const char* name : kControls)
        if (cocos2d::Node* node = findBelow(this, name))
            node->setVisible(false);
}

void isViewerBrowser::updateSlider() {
    auto* slider = dynamic_cast<cocos2d::ui::Slider*>(findControl("slider"));
    if (!slider)
        return;
    isActorImage* actor = viewers.empty() ? nullptr : viewers.front()->getImageActor();
    const int c = sliceCount();
    const double percent = actor && c > 1 ? actor->getSliceIndex() * 100.0 / (c - 1) : 0.0;
    slider->setPercent(static_cast<int>(std::lround(percent)));
}

bool isViewerBrowser::onTouchBegan(cocos2d::Touch* touch, cocos2d::Event*) {
    return touchInside(findControl("addImage"), touch) || touchInside(findControl("delImage"), touch);
}

void isViewerBrowser::onTouchEnded(cocos2d::Touch* touch, cocos2d::Event*) {
    const bool add = touchInside(findControl("addImage"), touch);
    if (!add && !touchInside(findControl("delImage"), touch))
        return;
    if (!refuseWhileMaximized())
        setTiling(rows, columns + (add ? 1 : -1));
}

} // namespace isImageSDK
