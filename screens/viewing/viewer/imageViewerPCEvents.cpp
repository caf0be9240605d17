#include "viewer/imageViewerPC.h"

#include <cstdlib>

#include "AppConfig.h"
#include "AppServices.h"
#include "KeyViewProperty.h"
#include "appManager.h"
#include "audio/SimpleAudioEngine.h"
#include "cache/isBinReader.h"
#include "data/isImageData.h"
#include "data/isSliceInfo.h"
#include "db/dicomDB.h"
#include "isViewerMulti.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "loader/CSLoader.h"
#include "net/dataService.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "object/isSharedObjects.h"
#include "panel/ModalWindow.h"
#include "overlay/NSActivity.h"
#include "scroll/UIScrollViewBase.h"
#include "study/StoreWorkers.h"
#include "tags/dcmInfoList.h"
#include "ui/CocosGUI.h"
#include "util/ScreenCapture.h"
#include "viewer/favoriteDicomWriter.h"
#include "viewer/seriesLoadJob.h"

using namespace cocos2d;
using isImageSDK::isBinReader;
using NSUI::NSNotificationCenter;
using NSUI::NSNotificationData;

namespace {

const char* const kRootName = "root";
const char* const kPlayButton = "btnCmdPlay";
const char* const kFavoriteButton = "btnCmdFavorite";
const char* const kMessagePanel = "imageViewerMsg";
const char* const kMessageLayout = "noSupport.csb";
const char* const kBadgeSprite = "favoriteNodesBK";
const char* const kBadgeLabel = "favoriteNodes";
const char* const kCaptureSound = "res/dingdong.wav";
const int kStatLeftViewing = 8;
const float kToastSeconds = 1.5f;
const float kTopBarHeight = 60.0f;

dicomDB* store()
{
    dataService* service = dataService::getInstance();
    return service ? service->getDB() : nullptr;
}

void playCaptureSound()
{
    CocosDenshion::SimpleAudioEngine::getInstance()->playEffect(kCaptureSound, false, 1.0f, 0.0f, 1.0f);
}

isBinReader* readerOf(const std::string& folder)
{
    if (folder.empty())
        return nullptr;
    return dynamic_cast<isBinReader*>(isImageSDK::isSharedObjects::getInstance()->getObjectByName(folder));
}

// The loaded series is a volume once its ".raw" cache exists and its output says so.
bool isLoadedVolume(isBinReader* reader)
{
    if (!reader || !reader->rawCacheExists())
        return false;
    reader->updateInformation();
    isImageSDK::isImageData* output = reader->getOutputImage();
    return output && output->isVolume();
}

} // namespace

// ---- Entering and leaving ------------------------------------------------------------------

void imageViewerPC::onEnterTransitionDidFinish()
{
    NSUI::NSLayout::onEnterTransitionDidFinish();
    if (firstEntry) {
        // Only an overlay of this screen's own is styled, and later taken down: while another
        // screen's is up, that one is left to its screen and this one shows none.
        if (NSUI::NSActivity* overlay = NSUI::NSActivity::showHeld(this, busyOverlay)) {
            overlay->enableBKColor(true, Color3B::WHITE, 0.0f);
            overlay->setColor(Color3B::WHITE);
        }
        startLoading();
        firstEntry = false;
        // Done while the series loads, so that the first picture does not wait for it.
        if (layoutManager)
            layoutManager->prepareDrawing(!loadJob || loadJob->getResult() == 0);
        // A result already in (also one that came before the overlay was up) is handled now,
        // after the overlay, rather than a frame later; every kind of tool panel is readied only
        // while the series is still awaited.
        if (!takeLoadResult()) {
            prepareToolPanels();
            takeLoadResult();
        }
    }
    dicomDB* db = store();
    updateFavoriteBadge(db ? db->getFavoriteCount() : 0);
}

void imageViewerPC::startLoading()
{
    if (loadJob || !firstEntry)
        return;
    observeLoadResult();
    dicomDB* db = store();
    loadJob = std::make_shared<seriesLoadJob>(db ? db->getRoot() : std::string(), seriesFolder, this);
    loadJob->setProgressOverlay(busyOverlay);
    loadJob->start();
}

void imageViewerPC::onExit()
{
    NSUI::NSLayout::onExit();
    Director::getInstance()->setClearColor(Color4F(0, 0, 0, 1));
    if (AppServices* services = AppServices::current())
        services->recordStat(kStatLeftViewing);
}

void imageViewerPC::cleanup()
{
    NSUI::NSLayout::cleanup();
    // Left while the series still loads: the overlay goes with the screen, not with a result
    // that will never come.
    NSUI::NSActivity::hideHeld(busyOverlay);
    releaseSeries();
    NSNotificationCenter::getInstance()->removeObserver(this);
}

void imageViewerPC::releaseSeries()
{
    // The loading thread may still run: it must neither announce nor register anything now.
    if (loadJob) {
        loadJob->cancel();
        loadJob.reset();
    }
    multiView = nullptr;
    if (layoutManager) {
        layoutManager->cleanup();
        layoutManager->release();
        layoutManager = nullptr;
    }
    // At the program's end the registry has gone before the scenes: nothing to remove then.
    if (auto* shared = isImageSDK::isSharedObjects::peekInstance(); shared && !seriesFolder.empty())
        shared->removeObjectByName(seriesFolder);
    seriesFolder.clear();
}

// ---- Notifications -------------------------------------------------------------------------

void imageViewerPC::onNotification(Ref* sender, unsigned int id, NSNotificationData* data)
{
    switch (id) {
    case kLoadResultId:
        // Before the screen is shown the result waits in the job: the entry takes it.
        if (!firstEntry && loadResult == 0)
            onLoadResult(!(data && data->intValue < 0));
        return;
    case 2027:
    case 9033:
    case 9032:
    case 9031:
        capture(id);
        return;
    case 9104:
    case 1004:
        updateFavoriteBadge(-1);
        return;
    case 9103:
        saveFavoriteFrom(data);
        return;
    case 9111:
        if (layoutManager && isLoadedVolume(readerOf(seriesFolder)))
            layoutManager->setLayout(isImageSDK::appManager::kLayoutFourViews);
        return;
    case 9056:
        applyCineState(data && data->intValue > 0);
        return;
    case 9060:
        openTagList();
        return;
    case 9112:
        // Only this screen's container: another screen's (the favourites viewer over this one)
        // tells of its own key view.
        if (multiView && sender == multiView)
            chooseToolKindForKeyView(data ? data->intValue : 0);
        return;
    default:
        onToolNotification(sender, id, data);
        return;
    }
}

void imageViewerPC::saveFavoriteDicom(void* record, const std::string& storeRoot)
{
    auto* slice = static_cast<isImageSDK::isSliceInfo*>(record);
    if (!slice)
        return;
    if (!storeRoot.empty())
        favoriteDicomWriter::save(*slice, storeRoot);
    // The record and its pixel copy are this thread's to free.
    std::free(slice->pixels);
    slice->pixels = nullptr;
    delete slice;
}

bool imageViewerPC::saveFavoriteFrom(NSNotificationData* data)
{
    if (!data || !data->userData)
        return false;
    playCaptureSound();
    auto* record = reinterpret_cast<isImageSDK::isSliceInfo*>(data->userData);
    data->userData = 0;
    dicomDB* db = store();
    std::string root = db ? db->getRoot() : std::string();
    // The program lets the file be written whole before it ends.
    StoreWorkers::start([record, root] { saveFavoriteDicom(record, root); });
    return true;
}

bool imageViewerPC::takeLoadResult()
{
    const int result = loadJob ? loadJob->getResult() : 0;
    if (result == 0 || loadResult != 0)
        return false;
    onLoadResult(result > 0);
    return true;
}

void imageViewerPC::onLoadResult(bool loaded)
{
    loadResult = loaded ? 1 : -1;
    NSUI::NSActivity::hideHeld(busyOverlay);
    if (!loaded) {
        showMessageBox(NSUI::UILocalConfig::getLanguageString("failed_loadSeries"), kToastSeconds);
        return;
    }
    isBinReader* reader = readerOf(seriesFolder);
    if (!reader)
        return;
    reader->Update();
    isImageSDK::isImageData* output = reader->getOutputImage();
    isImageSDK::isSliceInfo* first = output ? output->getSlice(0) : nullptr;
    const int maxTexture = Configuration::getInstance()->getMaxTextureSize();
    std::string refusal;
    if (!first)
        refusal = "Failed to load series";
    else if (first->columns >= maxTexture || first->rows >= maxTexture)
        refusal = NSUI::UILocalConfig::getLanguageString("noSupportSize");
    if (!refusal.empty()) {
        showMessagePanel(refusal);
        isImageSDK::isSharedObjects::getInstance()->removeObjectByName(seriesFolder);
        seriesFolder.clear();
        return;
    }

    // The views open on the middle image: its pixels are asked for before the views are built.
    if (isImageSDK::isSliceInfo* middle = output->getSlice(output->getSliceCount() / 2))
        reader->addObserver(this, middle->filePath);
    const Size size = getContentSize();
    const bool volume = isLoadedVolume(reader);
    if (layoutManager) {
        // Below the top bar, so that the views' corner texts are never covered.
        layoutManager->createViewer(output, static_cast<float>(toolWidth), 0.0f, size.width - toolWidth,
                                    size.height - kTopBarHeight,
                                    volume ? isImageSDK::appManager::kLayoutFourViews
                                           : isImageSDK::appManager::kLayoutAcquired);
        attachMultiView(layoutManager->getContainer());
    }
    chooseToolKindAfterLoad(output->isVolume());
    setTopBarVisible(true);
    buildWindowPresets();
}

void imageViewerPC::attachMultiView(isImageSDK::isViewerMulti* view)
{
    auto* centre = NSNotificationCenter::getInstance();
    centre->removeObserver(9023, this);
    centre->removeObserver(9056, this);
    if (!view)
        return;
    if (view->getParent() != this)
        addChild(view);
    multiView = view;
    for (unsigned id : {9023u, 9056u})
        centre->addObserver(this, view,
                            [this](Ref* sender, unsigned n, NSNotificationData* data) { onNotification(sender, n, data); },
                            id);
}

void imageViewerPC::chooseToolKindAfterLoad(bool volume)
{
    int kind = kTool2D;
    if (volume && multiView) {
        const uint32_t mode = multiView->getKeyViewMode();
        kind = (mode == 5 || mode == 6) ? kToolVolume : kToolMPR;
    }
    setupToolPanel(kind);
    updateSlider();
}

void imageViewerPC::chooseToolKindForKeyView(int volumeFlag)
{
    int kind = kToolMPR;
    if (volumeFlag > 0)
        kind = kToolVolume;
    else if (!multiView || !multiView->getKeyView())
        kind = kTool2D;
    else if (multiView->getKeyView()->getViewer() && multiView->getKeyView()->getViewerMode() == 0)
        kind = kTool2D;
    setupToolPanel(kind);
    updateSlider();
}

void imageViewerPC::capture(unsigned int id)
{
    const Size win = Director::getInstance()->getWinSize();
    Rect rect(0, 0, win.width, win.height);
    if (id == 9031) {
        rect = Rect::ZERO;
    } else if (id == 9032) {
        rect = Rect(static_cast<float>(toolWidth), 0, win.width - toolWidth, win.height);
    } else if (multiView && multiView->getKeyView()) {
        Rect key;
        if (multiView->getKeyViewRect(key) && key.size.width > 0 && key.size.height > 0)
            rect = key;
    }
    playCaptureSound();
    captureScreenToFile(static_cast<int>(rect.origin.x), static_cast<int>(rect.origin.y),
                        static_cast<int>(rect.size.width), static_cast<int>(rect.size.height));
}

void imageViewerPC::applyCineState(bool playing)
{
    auto* play = toolPanel ? dynamic_cast<ui::Button*>(findNode(toolPanel, kPlayButton)) : nullptr;
    if (!play)
        return;
    const char* picture = playing ? "imgs/pause.png" : "imgs/play.png";
    play->loadTextures(picture, picture, picture);
    play->setTag(playing ? kCinePlaying : kCineStopped);
}

void imageViewerPC::openTagList()
{
    if (!multiView)
        return;
    const std::string path = multiView->getImagePath();
    if (path.size() <= 2)
        return;
    // The phone layout pushes the list as a scene of its own.
    Node* window = AppConfig::getInstance()->phoneLayout ? dcmInfoList::createScene() : dcmInfoList::create();
    if (dcmInfoList* list = dcmInfoList::fromWindow(window))
        list->setFile(path);
    ModalWindow::show(this, window, 10000);
}

// ---- Badge and message panel ---------------------------------------------------------------

void imageViewerPC::updateFavoriteBadge(int count)
{
    Node* root = getChildByName(kRootName);
    auto* button = root ? dynamic_cast<ui::Widget*>(findNode(root, kFavoriteButton)) : nullptr;
    if (!button || !button->getParent())
        return;
    if (count < 0)
        count = std::atoi(button->getUserString().c_str()) + 1;
    button->setUserString(std::to_string(count));

    // The badge lives beside the button, so it is looked up where it was added.
    Node* parent = button->getParent();
    auto* sprite = parent->getChildByName(kBadgeSprite);
    auto* label = dynamic_cast<Label*>(parent->getChildByName(kBadgeLabel));
    const Vec2 at = button->getPosition() + Vec2(15, 15);
    if (!label) {
        sprite = Sprite::create("imgs/newFiles.png");
        if (sprite) {
            sprite->setName(kBadgeSprite);
            sprite->setAnchorPoint(Vec2(0.5f, 0.5f));
            sprite->setPosition(at);
            sprite->setScale(2.0f);
            parent->addChild(sprite, button->getLocalZOrder() + 10000);
        }
        label = Label::createWithSystemFont("", "", 15);
        label->setName(kBadgeLabel);
        label->setColor(Color3B::WHITE);
        label->setAnchorPoint(Vec2(0.5f, 0.5f));
        label->setPosition(at);
        parent->addChild(label, button->getLocalZOrder() + 10002);
    }
    const bool shown = count >= 1;
    if (sprite)
        sprite->setVisible(shown);
    label->setVisible(shown);
    if (shown)
        label->setString(std::to_string(count));
}

void imageViewerPC::showMessagePanel(const std::string& text)
{
    Node* panel = getChildByName(kMessagePanel);
    if (!panel && !text.empty()) {
        panel = CSLoader::createNode(kMessageLayout);
        if (panel) {
            const Size size = getContentSize();
            const Size own = panel->getContentSize();
            addChild(panel, 1000);
            panel->setPosition(Vec2(toolWidth + (size.width - toolWidth - own.width) * 0.5f,
                                    100 + (size.height - 100 - own.height) * 0.5f));
            panel->setName(kMessagePanel);
        }
    }
    if (panel) {
        if (auto* intro = dynamic_cast<ui::Text*>(findNode(panel, "intro")))
            intro->setString(text);
        panel->setVisible(!text.empty());
    }
    if (multiView)
        multiView->setVisible(false);
}
