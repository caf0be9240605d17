#include "favorites/favoriteView.h"

#include "AppConfig.h"
#include "KeyViewProperty.h"
#include "data/isImageData.h"
#include "data/isSliceInfo.h"
#include "json/UIJson.h"
#include "loader/CSLoader.h"
#include "ui/CocosGUI.h"
#include "io/isDcmReader.h"
#include "appManager.h"
#include "isViewerMulti.h"
#include "menu/NSMenu.h"
#include "menus/viewingMenus.h"
#include "notify/NSNotificationCenter.h"
#include "notify/NSNotificationData.h"
#include "panel/ModalWindow.h"
#include "send/dcmSend.h"
#include "tags/dcmInfoList.h"
#include "tools/editWW.h"
#include "util/ScreenCapture.h"

using namespace cocos2d;

namespace {

const char* const kPlayButton = "btnCmdPlay";
const int kCinePlaying = 2001;
const float kCaptureColumn = 300.0f;

const std::vector<const char*> kButtons = {
    "btnCmdSelection", "btnCmdMove", "btnCmdZoom", "btnCmdSend", "btnCmdRemoveDicom",
    "btnCmdWL", "btnCmdClut", "btnCmdWLOpaticy",
    "btnCmdPoint", "btnCmdLine", "btnCmdAngle", "btnCmdPolygon", "btnCmdCircle", "btnCmdRemoveROI",
    "btnCmdCapture"};

// Tool buttons that send one command: name, the container's id, whether it is posted at the
// next tick instead of sent at once, and whether it waits for the cine to stop.
struct Command {
    const char* name;
    unsigned id;
    bool posted;
    bool idleOnly;
};
const Command kCommands[] = {
    {"btnCmdSelection", 9034, false, true}, {"btnCmdMove", 9037, false, false},
    {"btnCmdZoom", 9036, false, false},     {"btnCmdLine", 9040, true, true},
    {"btnCmdPoint", 9041, true, true},      {"btnCmdAngle", 9042, true, true},
    {"btnCmdCircle", 9043, true, true},     {"btnCmdPolygon", 9044, true, true},
    {"btnCmdRemoveROI", 9045, false, true},
};

} // namespace

favoriteView* favoriteView::create()
{
    auto* view = new favoriteView();
    if (view->init()) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

bool favoriteView::init()
{
    if (!NSUI::NSLayout::init())
        return false;
    manager = isImageSDK::appManager::create();
    if (!manager)
        return false;
    manager->retain();
    setTouchEnabled(true);
    Director::getInstance()->setClearColor(Color4F(0, 0, 0, 1));
    return true;
}

favoriteView::~favoriteView()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    if (manager) {
        manager->cleanup();
        manager->release();
    }
}

void favoriteView::cleanup()
{
    NSUI::NSLayout::cleanup();
    editorOpener.reset();
    if (manager) {
        manager->cleanup();
        manager->release();
        manager = nullptr;
    }
    multiView = nullptr;
    filePath.clear();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

void favoriteView::setupToolBar()
{
    observe(editWW::kWindowSetId, nullptr);
    observe(9060, this);

    toolBar = CSLoader::createNode(kToolLayout);
    if (!toolBar)
        return;
    const Size size = getContentSize();
    toolBar->setAnchorPoint(Vec2::ZERO);
    toolBar->setPosition(Vec2(size.width - kToolWidth, 0));
    toolBar->setContentSize(Size(kToolWidth, size.height));
    addChild(toolBar);
    ui::Helper::doLayout(toolBar);
    bindButtons(toolBar, kButtons);
}

void favoriteView::observe(unsigned int id, Ref* object)
{
    auto callback = [this](Ref* sender, unsigned int which, NSUI::NSNotificationData* data) {
        onMenuItem(sender, which, data);
    };
    NSUI::NSNotificationCenter::getInstance()->addObserver(this, object, callback, id);
}

void favoriteView::bindButtons(Node* root, const std::vector<const char*>& names)
{
    for (const char* name : names) {
        auto* button = dynamic_cast<ui::Widget*>(root->getChildByNameDeep(name));
        if (!button)
            continue;
        if (auto* pressable = dynamic_cast<ui::Button*>(button))
            pressable->setPressedActionEnabled(true);
        button->setLocalZOrder(100);
        button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
    }
}

// ---- Showing a file ------------------------------------------------------------------------

void favoriteView::loadFile(const std::string& path)
{
    filePath.clear();
    if (path.empty())
        showMessage(" Select a file from the list.");
    else if (!showImageOf(path))
        showMessage("Not Valid File");
}

Rect favoriteView::viewerRect() const
{
    const Size size = getContentSize();
    return Rect(0, 0, size.width - kToolWidth, size.height);
}

bool favoriteView::showImageOf(const std::string& path)
{
    auto* reader = isImageSDK::isDcmReader::create();
    if (!reader)
        return false;
    reader->retain();
    reader->setFileName(path);
    reader->Update();
    isImageSDK::isImageData* output = reader->getOutputImage();
    isImageSDK::isSliceInfo* first = output && output->getSliceCount() >= 1 ? output->getSlice(0) : nullptr;
    const int maxTexture = Configuration::getInstance()->getMaxTextureSize();
    if (!first) {
        reader->release();
        return false;
    }
    filePath = path;
    if (first->columns >= maxTexture || first->rows >= maxTexture) {
        showMessage("The size of image is tool large");
    } else {
        showMessage("");
        if (!multiView) {
            const Rect rect = viewerRect();
            manager->createViewer(output, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height,
                                  isImageSDK::appManager::kLayoutSingle);
            multiView = manager->getContainer();
            if (multiView) {
                addChild(multiView);
                observe(9023, multiView);
            }
        } else {
            multiView->setVisible(true);
            manager->setImageData(output);
        }
        presets = WindowPreset::forModality(first->modality);
        if (toolBar)
            if (Node* menu = toolBar->getChildByName(viewingMenus::name(viewingMenus::kWindow)))
                menu->removeFromParent();
    }
    reader->release();
    return true;
}

void favoriteView::showMessage(const std::string& text)
{
    Node* pane = getChildByName(messageName);
    if (!pane && text.empty())
        return;
    if (!pane) {
        pane = CSLoader::createNode("noSupport.csb");
        if (!pane)
            return;
        const Size size = getContentSize();
        const Size own = pane->getContentSize();
        addChild(pane, messageZOrder);
        pane->setName(messageName);
        pane->setPosition(Vec2((size.width - own.width) / 2, (size.height - 100 - own.height) / 2 + 100));
    }
    if (auto* intro = dynamic_cast<ui::Text*>(pane->getChildByNameDeep("intro")))
        intro->setString(text);
    pane->setVisible(!text.empty());
    if (multiView && !text.empty())
        multiView->setVisible(false);
}

// ---- What the user does ------------------------------------------------------------------

bool favoriteView::onTouchBegan(Touch* touch, Event* event)
{
    if (NSUI::NSLayout::onTouchBegan(touch, event))
        closeMenus();
    return false;
}

void favoriteView::closeMenus()
{
    if (toolBar)
        for (int kind : {viewingMenus::kWindow, viewingMenus::kClut, viewingMenus::kOpacity, viewingMenus::kDicom})
            if (Node* menu = toolBar->getChildByName(viewingMenus::name(static_cast<viewingMenus::Kind>(kind))))
                menu->setVisible(false);
}

void favoriteView::onButtonClicked(Ref* sender)
{
    auto* widget = dynamic_cast<ui::Widget*>(sender);
    if (!widget)
        return;
    // A click while a menu is open only closes it.
    for (int kind : {viewingMenus::kWindow, viewingMenus::kClut, viewingMenus::kOpacity, viewingMenus::kDicom}) {
        Node* menu = toolBar ? toolBar->getChildByName(viewingMenus::name(static_cast<viewingMenus::Kind>(kind))) : nullptr;
        if (menu && menu->isVisible()) {
            menu->setVisible(false);
            return;
        }
    }
    const std::string& name = widget->getName();
    if (name == "btnCmdSend") {
        openSend();
        return;
    }
    if (!multiView)
        return;
    for (const Command& command : kCommands) {
        if (name != command.name)
            continue;
        if (command.idleOnly && isPlaying())
            return;
        if (command.posted)
            NSUI::NSNotificationCenter::getInstance()->postNotification(this, command.id, nullptr, multiView, true);
        else
            multiView->sendMessageNoData(command.id, nullptr);
        return;
    }
    if (name == "btnCmdWL")
        showMenu(viewingMenus::kWindow, widget, Vec2(-100, -250));
    else if (name == "btnCmdClut")
        showMenu(viewingMenus::kClut, widget, Vec2(-100, -120));
    else if (name == "btnCmdWLOpaticy")
        showMenu(viewingMenus::kOpacity, widget, Vec2(-100, 20));
    else if (name == "btnCmdCapture" && !isPlaying())
        capture();
}

void favoriteView::showMenu(int kind, ui::Widget* button, const Vec2& offset)
{
    viewingMenus::Targets targets;
    targets.multiView = multiView;
    targets.screen = this;
    const auto menuKind = static_cast<viewingMenus::Kind>(kind);
    const float rowHeight = menuKind == viewingMenus::kWindow ? 40.0f : 60.0f;
    if (auto* menu = viewingMenus::show(toolBar, menuKind, true, targets, presets, rowHeight))
        menu->setPosition(button->getPosition() + offset);
}

bool favoriteView::isPlaying() const
{
    Node* play = const_cast<favoriteView*>(this)->getChildByNameDeep(kPlayButton);
    return play && play->getTag() == kCinePlaying;
}

void favoriteView::capture()
{
    const Size win = Director::getInstance()->getWinSize();
    Rect rect(0, 0, win.width, win.height);
    Rect key;
    if (multiView->getKeyView() && multiView->getKeyViewRect(key) && key.size.width > 0 && key.size.height > 0)
        rect = key;
    captureScreenToFile(static_cast<int>(rect.origin.x), static_cast<int>(rect.origin.y),
                        static_cast<int>(rect.size.width), static_cast<int>(rect.size.height));
}

void favoriteView::openSend()
{
    // The phone layout pushes the panels as scenes of their own.
    const bool phone = AppConfig::getInstance()->phoneLayout;
    Node* window = phone ? dcmSend::createScene() : dcmSend::create();
    if (!window)
        return;
    ModalWindow::show(this, window, 10000);
    if (!phone)
        window->setPositionX(window->getPositionX() - kCaptureColumn);
    if (dcmSend* panel = dcmSend::fromWindow(window))
        panel->setSendSource(filePath, "favoriteDicom");
}

void favoriteView::openTagList()
{
    const std::string path = multiView ? multiView->getImagePath() : std::string();
    if (path.size() <= 2)
        return;
    Node* window = AppConfig::getInstance()->phoneLayout ? dcmInfoList::createScene() : dcmInfoList::create();
    if (dcmInfoList* list = dcmInfoList::fromWindow(window))
        list->setFile(path);
    ModalWindow::show(this, window, 10000);
}

// ---- Notifications ------------------------------------------------------------------------

void favoriteView::onMenuItem(Ref* sender, unsigned int id, NSUI::NSNotificationData* data)
{
    if (id == 9060) {
        openTagList();
    } else if (id == editWW::kWindowSetId) {
        // Only the values of the editor this view opened.
        if (multiView && data && editorOpener.accept(sender))
            multiView->setWindowLevel(NSUI::UIJson::getJsonFloat(data->text, "ww", 0.0f),
                                      NSUI::UIJson::getJsonFloat(data->text, "wl", 0.0f));
    } else if (id == 9023) {
        if (editWW* editor = editorOpener.open(this)) {
            float width = 0.0f, level = 0.0f;
            if (multiView && multiView->getKeyView() && multiView->getWindowLevel(width, level))
                editor->setWindow(width, level);
        }
    }
}
