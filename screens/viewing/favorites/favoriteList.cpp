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
    Node* root = addLayout(this, kLayoutFile);
    if (!root)
        return true;
    captures = addCaptureList(root, Size(kCaptureWidth, win.height - 60),
                              [this](const std::string& path, int type) { onRowSelected(path, type); });
    bindControls(root, captures);

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

Node* favoriteList::addLayout(Node* owner, const char* file)
{
    Node* root = CSLoader::createNode(file);
    if (!root)
        return nullptr;
    root->setContentSize(Director::getInstance()->getWinSize());
    if (AppConfig* config = AppConfig::getInstance())
        config->applyText(root, "");
    ui::Helper::doLayout(root);
    owner->addChild(root);
    return root;
}

captureList* favoriteList::addCaptureList(Node* root, const Size& size,
                                          std::function<void(const std::string&, int)> onRow)
{
    captureList* list = captureList::create();
    if (!list)
        return nullptr;
    list->setPosition(Vec2::ZERO);
    list->setContentSize(size);
    list->setup();
    list->rowSelected = std::move(onRow);
    root->addChild(list);
    return list;
}

void favoriteList::bindControls(Node* root, captureList* captures)
{
    // The library is a child of root, so it outlives every button bound here.
    for (const char* name : {"btnShare", "btnRemove", "goBack"}) {
        auto* button = dynamic_cast<ui::Widget*>(root->getChildByNameDeep(name));
        if (!button)
            continue;
        if (auto* pressable = dynamic_cast<ui::Button*>(button))
            pressable->setPressedActionEnabled(true);
        button->addClickEventListener([captures](Ref* sender) {
            const std::string& pressed = static_cast<ui::Widget*>(sender)->getName();
            if (pressed == "goBack")
                Director::getInstance()->popSceneIfOnTop(static_cast<ui::Widget*>(sender)->getScene());
            else if (pressed == "btnShare" && captures)
                captures->shareByMail();
            else if (pressed == "btnRemove" && captures)
                captures->removeChecked();
        });
    }
    if (auto* all = dynamic_cast<ui::CheckBox*>(root->getChildByNameDeep("chkAll"))) {
        all->addEventListener([captures](Ref* sender, ui::CheckBox::EventType) {
            if (captures)
                captures->setAllChecked(static_cast<ui::CheckBox*>(sender)->isSelected());
        });
        all->setSelected(false);
    }
}
