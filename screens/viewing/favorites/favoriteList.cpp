#include "favorites/favoriteList.h"

#include "AppConfig.h"
#include "AppServices.h"
#include "favorites/captureList.h"
#include "favorites/favoriteView.h"
#include "loader/CSLoader.h"
#include "notify/NSNotificationCenter.h"
#include "picture/NSSpriteView.h"

using namespace cocos2d;

namespace {

const int kStatOpened = 13;
const int kStatLeft = 14;

void recordStat(int type)
{
    if (AppServices* services = AppServices::current())
        services->recordStat(type);
}

} // namespace

favoriteList* favoriteList::create()
{
    auto* screen = new favoriteList();
    if (screen->init()) {
        screen->autorelease();
        return screen;
    }
    delete screen;
    return nullptr;
}

Scene* favoriteList::createScene()
{
    Scene* scene = Scene::create();
    favoriteList* screen = create();
    if (!scene || !screen)
        return nullptr;
    scene->addChild(screen);
    scene->enableAndroidReturnKey(true);
    return scene;
}

bool favoriteList::init()
{
    if (!NSUI::NSLayout::init())
        return false;
    recordStat(kStatOpened);
    const Size win = Director::getInstance()->getWinSize();
    setContentSize(win);
    Node* root = CSLoader::createNode(kLayoutFile);
    if (!root)
        return true;
    root->setContentSize(win);
    if (AppConfig* config = AppConfig::getInstance())
        config->applyText(root, "");
    ui::Helper::doLayout(root);
    addChild(root);

    captures = captureList::create();
    if (captures) {
        captures->setPosition(Vec2::ZERO);
        captures->setContentSize(Size(kCaptureWidth, win.height - 60));
        captures->setup();
        captures->rowSelected = [this](const std::string& path, int type) { onRowSelected(path, type); };
        root->addChild(captures);
    }
    for (const char* name : {"btnShare", "btnRemove", "goBack"}) {
        if (auto* button = dynamic_cast<ui::Widget*>(root->getChildByNameDeep(name))) {
            if (auto* pressable = dynamic_cast<ui::Button*>(button))
                pressable->setPressedActionEnabled(true);
            button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        }
    }
    if (auto* all = dynamic_cast<ui::CheckBox*>(root->getChildByNameDeep("chkAll"))) {
        all->addEventListener([this](Ref* sender, ui::CheckBox::EventType type) { onCheckAll(sender, type); });
        all->setSelected(false);
    }

    viewer = favoriteView::create();
    if (viewer) {
        viewer->setPosition(Vec2(kCaptureWidth, 0));
        viewer->setContentSize(Size(win.width - kCaptureWidth, win.height));
        root->addChild(viewer);
        viewer->setupToolBar();
    }
    pictureView = NSUI::NSSpriteView::create();
    if (pictureView) {
        pictureView->setContentSize(Size(win.width - kCaptureWidth, win.height));
        pictureView->setAnchorPoint(Vec2::ZERO);
        pictureView->setPosition(Vec2(kCaptureWidth, 0));
        root->addChild(pictureView);
    }
    return true;
}

favoriteList::~favoriteList()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

// Leaving is counted once, when the screen leaves the stage; clean-up and destruction follow
// the same leave and add no count of their own.
void favoriteList::onExit()
{
    NSUI::NSLayout::onExit();
    recordStat(kStatLeft);
}

void favoriteList::cleanup()
{
    NSUI::NSLayout::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

void favoriteList::onRowSelected(const std::string& path, int type)
{
    if (type == captureList::kDicom) {
        if (pictureView)
            pictureView->setVisible(false);
        if (viewer) {
            viewer->setVisible(true);
            viewer->loadFile(path);
        }
    } else if (type == captureList::kCapture) {
        if (viewer)
            viewer->setVisible(false);
        if (pictureView) {
            pictureView->setVisible(true);
            pictureView->setImage(path);
        }
    }
}

void favoriteList::onButtonClicked(Ref* sender)
{
    auto* widget = dynamic_cast<ui::Widget*>(sender);
    if (!widget)
        return;
    const std::string& name = widget->getName();
    if (name == "goBack")
        Director::getInstance()->popScene();
    else if (name == "btnShare" && captures)
        captures->shareByMail();
    else if (name == "btnRemove" && captures)
        captures->removeChecked();
}

void favoriteList::onCheckAll(Ref* sender, ui::CheckBox::EventType)
{
    auto* box = dynamic_cast<ui::CheckBox*>(sender);
    if (box && captures)
        captures->setAllChecked(box->isSelected());
}
