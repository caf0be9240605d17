#include "favorites/favoriteListPhone.h"

#include "AppServices.h"
#include "favorites/captureList.h"
#include "favorites/favoriteList.h"
#include "favorites/favoriteViewPhone.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "picture/NSSpriteView.h"
#include "picture/spriteViewScene.h"

using namespace cocos2d;

namespace {

const int kStatOpened = 13;
const int kStatLeft = 14;
const float kFlipSeconds = 0.5f;

void recordStat(int type)
{
    if (AppServices* services = AppServices::current())
        services->recordStat(type);
}

} // namespace

favoriteListPhone* favoriteListPhone::create()
{
    auto* screen = new favoriteListPhone();
    if (screen->init()) {
        screen->autorelease();
        return screen;
    }
    delete screen;
    return nullptr;
}

Scene* favoriteListPhone::createScene()
{
    Scene* scene = Scene::create();
    favoriteListPhone* screen = create();
    if (!scene || !screen)
        return nullptr;
    scene->addChild(screen);
    scene->enableAndroidReturnKey(true);
    return scene;
}

bool favoriteListPhone::init()
{
    if (!NSUI::NSLayout::init())
        return false;
    recordStat(kStatOpened);
    const Size win = Director::getInstance()->getWinSize();
    setContentSize(win);
    Node* root = favoriteList::addLayout(this, kLayoutFile);
    if (!root)
        root = this;
    captures = favoriteList::addCaptureList(root, Size(win.width, win.height - 60),
                                            [this](const std::string& path, int type) { onRowSelected(path, type); });
    favoriteList::bindControls(root, captures);
    // Captures taken while the screen is open appear at once.
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, nullptr,
        [this](Ref*, unsigned int, NSUI::NSNotificationData* data) {
            if (data && !data->text.empty() && captures)
                captures->addCaptureRow(data->text, data->floatValue, data->intValue);
        },
        kCaptureAddedId);
    return true;
}

favoriteListPhone::~favoriteListPhone()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    recordStat(kStatLeft);
}

void favoriteListPhone::onRowSelected(const std::string& path, int type)
{
    Scene* scene = nullptr;
    if (type == captureList::kDicom) {
        scene = favoriteViewPhone::create();
        if (favoriteViewPhone* view = favoriteViewPhone::of(scene))
            view->loadFile(path);
    } else if (type == captureList::kCapture) {
        spriteViewScene* pictures = spriteViewScene::createScene();
        if (pictures && pictures->getSpriteView())
            pictures->getSpriteView()->setImage(path);
        scene = pictures;
    }
    if (scene)
        Director::getInstance()->pushScene(TransitionFlipX::create(kFlipSeconds, scene));
}
