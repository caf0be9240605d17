#include "viewer/imageViewerPC.h"

#include <cmath>

#include "AppConfig.h"
#include "AppServices.h"
#include "KeyViewProperty.h"
#include "appManager.h"
#include "isViewerMulti.h"
#include "loader/CSLoader.h"
#include "menus/viewingMenus.h"
#include "notify/NSNotificationCenter.h"
#include "object/isSharedObjects.h"
#include "overlay/NSActivity.h"
#include "patient/patientListLinks.h"
#include "scroll/UIScrollViewBase.h"
#include "ui/CocosGUI.h"
#include "viewer/seriesLoadJob.h"

using namespace cocos2d;
using NSUI::NSNotificationCenter;
using NSUI::NSNotificationData;

namespace {

// Layout files and the widgets the screen looks up in them.
const char* const kScreenLayout = "singleViewPC.csb";
const char* const kToolLayouts[] = {"2DTool.csb", "3DTool.csb", "3DVRTool.csb"};
const char* const kRootName = "root";
const char* const kToolPlaceholder = "tool";
const char* const kToolPanelName = "imageTool";
const char* const kSliderName = "sliderSlice";
const char* const kPlayButton = "btnCmdPlay";
const char* const kFavoriteButton = "btnCmdFavorite";
const char* const kTopBarItems[] = {"Image_5", kFavoriteButton, "btnCmdToolbox", "selectLine"};
const char* const kToolButtons[] = {
    "btnTile1x1",    "btnTile1x2",    "btnTile2x1",      "btnTile2x2",     "btnViewAxial",
    "btnViewSagittal", "btnViewCoronal", "btnViewVR",     "btnCmdSelection", "btnCmdMove",
    "btnCmdZoom",    "btnCmdRotate",  "btnCmdPlay",      "btnCmdPrior",    "btnCmdNext",
    "btnCmdOriS",    "btnCmdOriI",    "btnCmdOriA",      "btnCmdOriP",     "btnCmdOriR",
    "btnCmdOriL",    "btnCmdWL",      "btnCmdClut",      "btnCmdWLOpaticy", "btnCmdPoint",
    "btnCmdLine",    "btnCmdAngle",   "btnCmdPolygon",   "btnCmdCircle",   "btnCmdRemoveROI",
    "btnCmdCapture"};
const char* const kMenuNames[] = {"windowLevelMenu", "clutMenu", "opacityMenu", "dcmMenu", "captureMenu"};

// Usage statistics types of this screen.
const int kStatViewing = 7;
const int kStatLeftViewing = 8;

const float kTopBarHeight = 60.0f;
const int kToolZOrder = 100;
const int kTopBarZOrder = 1000;

void recordStat(int type)
{
    if (AppServices* services = AppServices::current())
        services->recordStat(type);
}

// A command to the container: who gets it and how.
enum class Send { Post, PostNextTick, Direct, DirectInt };
struct ButtonCommand {
    const char* name;
    bool guarded; // does nothing while cine plays
    Send send;
    unsigned id;
    int value;
};
const ButtonCommand kCommands[] = {
    {"btnCmdOriS", true, Send::DirectInt, 9057, 1},   {"btnCmdOriI", true, Send::DirectInt, 9057, 2},
    {"btnCmdOriA", true, Send::DirectInt, 9057, 3},   {"btnCmdOriP", true, Send::DirectInt, 9057, 4},
    {"btnCmdOriR", true, Send::DirectInt, 9057, 5},   {"btnCmdOriL", true, Send::DirectInt, 9057, 6},
    {"btnTile1x1", true, Send::Post, 9018, 0},        {"btnTile1x2", true, Send::Post, 9019, 0},
    {"btnTile2x1", true, Send::Post, 9020, 0},        {"btnTile2x2", true, Send::Post, 9021, 0},
    {"btnViewAxial", true, Send::Post, 9010, 0},      {"btnViewSagittal", true, Send::Post, 9011, 0},
    {"btnViewCoronal", true, Send::Post, 9012, 0},    {"btnViewVR", true, Send::Post, 9014, 0},
    {"btnCmdAngle", true, Send::PostNextTick, 9042, 0}, {"btnCmdPolygon", true, Send::PostNextTick, 9044, 0},
    {"btnCmdPoint", true, Send::PostNextTick, 9041, 0}, {"btnCmdCircle", true, Send::PostNextTick, 9043, 0},
    {"btnCmdLine", true, Send::PostNextTick, 9040, 0}, {"btnCmdSelection", true, Send::Direct, 9034, 0},
    {"arrow", true, Send::Direct, 9034, 0},           {"btnCmdMove", false, Send::Direct, 9037, 0},
    {"btnCmdZoom", false, Send::Direct, 9036, 0},     {"btnCmdRemoveROI", true, Send::Direct, 9045, 0},
    {"remove", true, Send::Direct, 9045, 0},          {"btnCmdRotate", false, Send::Direct, 9038, 0},
    {"btnCmdPlay", false, Send::Direct, 9053, 0},     {"btnCmdPrior", false, Send::Direct, 9054, 0},
    {"btnCmdNext", false, Send::Direct, 9055, 0},
};

// Texts lay out their glyphs when first measured.
void measureTexts(Node* node)
{
    if (auto* label = dynamic_cast<Label*>(node))
        label->getContentSize();
    for (Node* child : node->getChildren())
        measureTexts(child);
    if (auto* owner = dynamic_cast<ProtectedNode*>(node))
        for (Node* child : owner->getProtectedChildren())
            measureTexts(child);
}

Size windowSize()
{
    return AppConfig::getGlobalWinSize();
}

} // namespace

// ---- Building ----------------------------------------------------------------------------

Scene* imageViewerPC::createScene(const std::string& folder)
{
    Scene* scene = Scene::create();
    if (!scene)
        return nullptr;
    scene->enableAndroidReturnKey(true);
    // The series starts loading before the screen's layout is built.
    auto* screen = new (std::nothrow) imageViewerPC();
    if (!screen)
        return scene;
    screen->setSeriesFolder(folder);
    screen->startLoading();
    if (!screen->init()) {
        delete screen;
        return scene;
    }
    screen->autorelease();
    scene->addChild(screen);
    screen->setPosition(Vec2::ZERO);
    screen->setContentSize(windowSize());
    screen->bindControls();
    return scene;
}

imageViewerPC* imageViewerPC::create()
{
    auto* screen = new (std::nothrow) imageViewerPC();
    if (screen && screen->init()) {
        screen->autorelease();
        return screen;
    }
    delete screen;
    return nullptr;
}

imageViewerPC::~imageViewerPC()
{
    CC_SAFE_RELEASE_NULL(busyOverlay);
    releaseSeries();
    // A screen whose init failed, or that never reached a scene, is destroyed without cleanup:
    // its callbacks must not outlive it.
    NSNotificationCenter::getInstance()->removeObserver(this);
}

bool imageViewerPC::init()
{
    if (!NSUI::NSLayout::init())
        return false;
    recordStat(kStatViewing);
    layoutManager = isImageSDK::appManager::create();
    if (layoutManager)
        layoutManager->retain();

    const Size size = windowSize();
    if (Node* root = CSLoader::createNode(kScreenLayout)) {
        root->setName(kRootName);
        root->setContentSize(size);
        if (AppConfig* config = AppConfig::getInstance())
            config->applyText(root, "");
        ui::Helper::doLayout(root);
        addChild(root);
    }
    setTouchEnabled(true);
    if (Node* tool = findNode(this, kToolPlaceholder)) {
        tool->setVisible(false);
        toolWidth = static_cast<int>(tool->getContentSize().width);
    }
    setTopBarVisible(false);
    return true;
}

void imageViewerPC::setSeriesFolder(const std::string& folder)
{
    if (folder != seriesFolder && !seriesFolder.empty())
        isImageSDK::isSharedObjects::getInstance()->removeObjectByName(seriesFolder);
    seriesFolder = folder;
}

void imageViewerPC::setTopBarVisible(bool visible)
{
    Node* root = getChildByName(kRootName);
    if (!root)
        return;
    for (const char* name : kTopBarItems)
        if (Node* item = findNode(root, name))
            item->setVisible(visible);
}

void imageViewerPC::bindControls()
{
    const char* const names[] = {"goBack", "btnCmdToolbox", kFavoriteButton};
    for (const char* name : names) {
        auto* button = dynamic_cast<ui::Widget*>(findNode(this, name));
        if (!button)
            continue;
        button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        button->setLocalZOrder(kTopBarZOrder);
        if (auto* pressable = dynamic_cast<ui::Button*>(button); pressable && std::string(name) != "goBack")
            pressable->setPressedActionEnabled(true);
    }
    auto* centre = NSNotificationCenter::getInstance();
    auto observe = [this, centre](unsigned id, Ref* object) {
        centre->addObserver(this, object,
                            [this](Ref* sender, unsigned n, NSNotificationData* data) { onNotification(sender, n, data); },
                            id);
    };
    observeLoadResult();
    for (unsigned id : {9024u, 9112u, 9111u, 1004u, 9104u, 9097u, 9098u, 9099u, 2026u, 2027u, 9103u})
        observe(id, nullptr);
    for (unsigned id : {9060u, 9033u, 9032u, 9031u})
        observe(id, this);
}

void imageViewerPC::observeLoadResult()
{
    auto* centre = NSNotificationCenter::getInstance();
    if (!centre->isObserverRegistered(kLoadResultId, this, this))
        centre->addObserver(
            this, this, [this](Ref* sender, unsigned n, NSNotificationData* data) { onNotification(sender, n, data); },
            kLoadResultId);
}

void imageViewerPC::prepareToolPanels()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    for (const char* layout : kToolLayouts) {
        if (Node* tools = CSLoader::createNode(layout))
            measureTexts(tools);
    }
}

void imageViewerPC::setupToolPanel(int kind)
{
    if (kind == toolKind || kind < kTool2D || kind > kToolVolume)
        return;
    toolKind = kind;
    Node* root = getChildByName(kRootName);
    Node* tool = root ? findNode(root, kToolPlaceholder) : nullptr;
    if (!tool)
        return;
    const Size size = getContentSize();

    // The panel of the previous kind goes; its menus, which live on the screen, close.
    closeMenus();
    if (toolPanel) {
        if (Node* holder = toolPanel->getParent())
            holder->removeFromParent();
        toolPanel = nullptr;
    }
    Node* tools = CSLoader::createNode(kToolLayouts[kind]);
    if (!tools)
        return;
    const Size panelSize(tool->getContentSize().width, size.height - kTopBarHeight);
    auto* panel = NSUI::UIScrollViewBase::create();
    auto* holder = ui::Layout::create();
    if (!panel || !holder)
        return;
    panel->setContentSize(panelSize);
    panel->setAnchorPoint(Vec2::ZERO);
    holder->setAnchorPoint(Vec2::ZERO);
    holder->setPosition(Vec2::ZERO);
    holder->setContentSize(panelSize);
    holder->addChild(panel);
    addChild(holder);
    panel->setDirection(NSUI::UIScrollViewBase::kDirVertical);
    panel->setName(kToolPanelName);
    panel->addChild(tools);
    panel->setInnerContainerSize(tools->getContentSize());
    // A panel taller than its tools shows them from the top.
    tools->setPositionY(panel->getInnerContainerSize().height - tools->getContentSize().height);
    toolPanel = panel;

    for (const char* name : kToolButtons) {
        auto* button = dynamic_cast<ui::Button*>(findNode(tools, name));
        if (!button)
            continue;
        button->setPressedActionEnabled(true);
        button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        button->setLocalZOrder(kToolZOrder);
    }
    if (auto* play = dynamic_cast<ui::Widget*>(findNode(tools, kPlayButton)))
        play->setTag(kCineStopped);
    if (auto* slider = dynamic_cast<ui::Slider*>(findNode(tools, kSliderName))) {
        slider->setTouchScaled(2.0f);
        slider->setLocalZOrder(kToolZOrder);
        slider->addEventListener([this](Ref* sender, ui::Slider::EventType type) { onSliderEvent(sender, type); });
    }
    if (Node* list = findNode(tools, "roiList"))
        list->setVisible(false);
}

// ---- What the user does ----------------------------------------------------------------

void imageViewerPC::onButtonClicked(Ref* sender)
{
    auto* widget = dynamic_cast<ui::Widget*>(sender);
    if (!widget)
        return;
    for (const char* name : kMenuNames) {
        Node* menu = findNode(this, name);
        if (menu && menu->isVisible()) {
            menu->setVisible(false);
            return;
        }
    }
    const bool cine = isCinePlaying();
    const std::string& name = widget->getName();

    if (name == kFavoriteButton || name == "favorite") {
        if (patientListLinks::openFavorites())
            patientListLinks::openFavorites()();
        return;
    }
    if (name == "goBack") {
        Director::getInstance()->popSceneIfOnTop(getScene());
        return;
    }
    for (const ButtonCommand& command : kCommands) {
        if (name != command.name)
            continue;
        if ((command.guarded && cine) || !multiView)
            return;
        auto* centre = NSNotificationCenter::getInstance();
        switch (command.send) {
        case Send::Post:
            centre->postNotification(this, command.id, nullptr, multiView, false);
            break;
        case Send::PostNextTick:
            centre->postNotification(this, command.id, nullptr, multiView, true);
            break;
        case Send::Direct:
            multiView->sendMessageNoData(command.id, nullptr);
            break;
        case Send::DirectInt:
            multiView->sendMessageInt(command.id, command.value);
            break;
        }
        return;
    }
    if (name == "btnCmdCapture") {
        if (!cine)
            openMenuAtButton(viewingMenus::kCapture, widget);
    } else if (name == "btnCmdWL") {
        openMenuAtButton(viewingMenus::kWindow, widget);
    } else if (name == "btnCmdClut") {
        openMenuAtButton(viewingMenus::kClut, widget);
    } else if (name == "btnCmdWLOpaticy") {
        openMenuAtButton(viewingMenus::kOpacity, widget);
    } else {
        onToolDiskButton(name);
    }
}

void imageViewerPC::onSliderEvent(Ref* sender, ui::Slider::EventType type)
{
    auto* slider = dynamic_cast<ui::Slider*>(sender);
    if (!slider)
        return;
    const float percent = static_cast<float>(slider->getPercent());
    switch (type) {
    case ui::Slider::EventType::ON_SLIDEBALL_DOWN:
        sliderLast = percent / 100.0f;
        break;
    case ui::Slider::EventType::ON_SLIDEBALL_UP:
        if (toolKind == kToolVolume)
            slider->setPercent(50);
        break;
    case ui::Slider::EventType::ON_PERCENTAGE_CHANGED:
        if (toolKind == kTool2D || toolKind == kToolMPR) {
            isImageSDK::SliceIndex slice;
            if (!multiView || !multiView->getKeyView() || !multiView->getSliceIndex(slice) || slice.count < 1)
                return;
            int target = static_cast<int>(percent / 100.0f * static_cast<float>(slice.count));
            target = std::max(0, std::min(target, slice.count - 1));
            if (target != slice.index)
                pendingSlice = target;
        } else if (toolKind == kToolVolume) {
            const float p = percent / 100.0f;
            const float angle = (p - sliderLast) * 6.0f * 3.1415926f;
            if (std::fabs(angle) > 0.001f) {
                pendingRotation = angle;
                sliderLast = p;
            }
        }
        break;
    default:
        break;
    }
}

void imageViewerPC::updateSlider()
{
    if (toolKind != kTool2D && toolKind != kToolMPR)
        return;
    auto* slider = toolPanel ? dynamic_cast<ui::Slider*>(findNode(toolPanel, kSliderName)) : nullptr;
    isImageSDK::SliceIndex slice;
    if (!slider || !multiView || !multiView->getKeyView() || !multiView->getSliceIndex(slice))
        return;
    int percent = 0;
    if (slice.count >= 2)
        percent = static_cast<int>(static_cast<float>(slice.index) / static_cast<float>(slice.count - 1) * 100.0f);
    slider->setPercent(percent);
}

bool imageViewerPC::onTouchBegan(Touch* touch, Event* event)
{
    if (ui::Layout::onTouchBegan(touch, event))
        closeMenus();
    return false;
}

void imageViewerPC::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!isVisible())
        return;
    ui::Layout::visit(renderer, parentTransform, parentFlags);
    const unsigned frame = Director::getInstance()->getTotalFrames();
    if (frame == lastFrame)
        return;
    lastFrame = frame;
    flushPendingCommands();
}

void imageViewerPC::flushPendingCommands()
{
    if (!multiView || !multiView->getKeyView())
        return;
    const uint32_t mode = multiView->getKeyView()->getViewerMode();
    if (mode == 5 || mode == 6) {
        if (std::fabs(pendingRotation) > 0.001f) {
            multiView->sendMessageFloat(9008, pendingRotation);
            pendingRotation = 0.0f;
        }
    } else if (pendingSlice >= 0) {
        auto* data = new NSNotificationData();
        data->intValue = pendingSlice;
        pendingSlice = -1;
        multiView->sendMessageNoData(9005, data);
        data->release();
    }
}

bool imageViewerPC::isCinePlaying()
{
    Node* play = toolPanel ? findNode(toolPanel, kPlayButton) : nullptr;
    return play && play->getTag() == kCinePlaying;
}

void imageViewerPC::closeMenus()
{
    showClutMenu(false);
    showWindowMenu(false);
    showOpacityMenu(false);
    showDicomMenu(false);
    showCaptureMenu(false);
    hideToolDisk();
}
