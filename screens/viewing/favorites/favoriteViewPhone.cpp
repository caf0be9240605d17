#include "favorites/favoriteViewPhone.h"

#include "AppConfig.h"
#include "audio/SimpleAudioEngine.h"
#include "favorites/favoriteList.h"
#include "isViewerMulti.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "tools/editWW.h"
#include "tools/toolDisk.h"
#include "ui/CocosGUI.h"
#include "viewer/imageViewerPC.h"

#include <filesystem>
#include <new>

using namespace cocos2d;

namespace {

const unsigned kSelectionMode = 9034;
const unsigned kRemoveMeasurements = 9045;
const char* const kCaptureSound = "res/dingdong.wav";

// "view", "removeImage", "nextImage" and "priorImage" are bound but do nothing: one favourite
// has no other images or views.
const std::vector<const char*> kButtons = {
    "dcmInfo",  "arrow",       "view",      "wwwl",       "favoriteDicom", "captureScreen", "remove",
    "favorite", "removeImage", "nextImage", "priorImage", "btnCmdSend",    "goBack"};

// The viewer's scene: the return key goes back, as the back button does.
class ViewerScene : public Scene {
public:
    bool onResponseReturn() override
    {
        Director::getInstance()->popSceneIfOnTop(this);
        return true;
    }
};

} // namespace

favoriteViewPhone::favoriteViewPhone()
{
    messageName = kMessageName;
    messageZOrder = 0;
}

Scene* favoriteViewPhone::create()
{
    auto* scene = new (std::nothrow) ViewerScene();
    if (!scene || !scene->init()) {
        delete scene;
        return nullptr;
    }
    scene->autorelease();
    scene->enableAndroidReturnKey(true);
    auto* view = new (std::nothrow) favoriteViewPhone();
    if (!view || !view->initView()) {
        delete view;
        return nullptr;
    }
    view->autorelease();
    scene->addChild(view);
    return scene;
}

bool favoriteViewPhone::initView()
{
    if (!init())
        return false;
    setContentSize(Director::getInstance()->getWinSize());
    setTag(kViewTag);
    observe(editWW::kWindowSetId, nullptr);
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, nullptr,
        [this](Ref*, unsigned int, NSUI::NSNotificationData* data) {
            if (data && data->object)
                referenceId = data->object->getRefID();
        },
        kViewTouchedId);
    // With no viewing screen below this one, the copy its favourite button asked for would
    // find no one to save or free it.
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, nullptr, [](Ref*, unsigned int, NSUI::NSNotificationData* data) { imageViewerPC::saveFavoriteFrom(data); },
        kFavoriteCopiedId);
    if (Node* root = favoriteList::addLayout(this, layoutFile().c_str())) {
        root->setName("root");
        bindButtons(root, kButtons);
    }
    return true;
}

const std::string& favoriteViewPhone::layoutFile()
{
    static const std::string file = std::string(AppConfig::kPhoneLayouts) + "favoriteView.csb";
    return file;
}

favoriteViewPhone* favoriteViewPhone::of(Scene* scene)
{
    return scene ? dynamic_cast<favoriteViewPhone*>(scene->getChildByTag(kViewTag)) : nullptr;
}

Rect favoriteViewPhone::viewerRect() const
{
    const Size size = getContentSize();
    return Rect(0, kToolBarHeight, size.width, size.height - kToolBarHeight - kTitleBarHeight);
}

void favoriteViewPhone::loadFile(const std::string& path)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return;
    if (!showImageOf(path))
        return;
    // A new file brings its own presets: the menu is made again with them when next shown.
    if (Node* disk = getChildByName(toolDisk::kName))
        disk->removeFromParent();
    if (getMultiView() && getMultiView()->isVisible())
        getMultiView()->sendMessageNoData(kHideBrowserId, nullptr);
}

toolDisk* favoriteViewPhone::getToolDisk() const
{
    return dynamic_cast<toolDisk*>(getChildByName(toolDisk::kName));
}

void favoriteViewPhone::onButtonClicked(Ref* sender)
{
    auto* widget = dynamic_cast<ui::Widget*>(sender);
    if (!widget)
        return;
    const std::string& name = widget->getName();
    isImageSDK::isViewerMulti* multiView = getMultiView();
    if (name == "goBack") {
        Director::getInstance()->popSceneIfOnTop(getScene());
    } else if (name == "favorite") {
        if (Scene* library = favoriteList::createScene())
            Director::getInstance()->pushScene(library);
    } else if (name == "btnCmdSend") {
        if (!getFilePath().empty())
            openSend();
    } else if (name == "dcmInfo") {
        openTagList();
    } else if (name == "favoriteDicom") {
        auto* centre = NSUI::NSNotificationCenter::getInstance();
        centre->postNotificationWithTag(kFavoriteId, static_cast<int>(referenceId), false);
    } else if (!multiView) {
        return;
    } else if (name == "arrow") {
        multiView->sendMessageNoData(kSelectionMode, nullptr);
    } else if (name == "remove") {
        multiView->sendMessageNoData(kRemoveMeasurements, nullptr);
    } else if (name == "captureScreen") {
        if (isPlaying())
            return;
        capture();
        CocosDenshion::SimpleAudioEngine::getInstance()->playEffect(kCaptureSound, false, 1.0f, 0.0f, 1.0f);
    } else if (name == "wwwl") {
        if (toolDisk* disk = toolDisk::under(this, multiView, getPresets())) {
            disk->showImagePage();
            disk->show();
        }
    }
}

void favoriteViewPhone::closeMenus()
{
    toolDisk::hideUnder(this);
}

void favoriteViewPhone::onEnterTransitionDidFinish()
{
    favoriteView::onEnterTransitionDidFinish();
    firstEntry = false;
}

void favoriteViewPhone::onExit()
{
    favoriteView::onExit();
    Director::getInstance()->setClearColor(Color4F(0, 0, 0, 1));
}
