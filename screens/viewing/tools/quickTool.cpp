#include "tools/quickTool.h"

#include "json/UIJson.h"
#include "notify/NSNotificationCenter.h"
#include "ui/CocosGUI.h"
#include "util/StringUtils.h"

using namespace cocos2d;

namespace {

const char* const kFullScreenIcon = "res/fullscreen.png";
const char* const kFullScreenExitIcon = "res/fullscreen_exit.png";

struct ButtonSpec {
    const char* name;
    const char* image;
    float offset; // from the bar's first slot
};
// In the order they are made.
const ButtonSpec kButtons[] = {{"max", kFullScreenIcon, 0.0f},
                               {"favorite", "res/favoriteBlue.png", 60.0f},
                               {"capture", "res/cameraBlue.png", 30.0f},
                               {"info", "res/dcmInfoBlue.png", 90.0f}};

// The four slots take 120 points, kept 5 from the view's right edge; raised 5 from its bottom.
const float kSlotsWidth = 120.0f;
const float kMargin = 5.0f;

} // namespace

quickTool* quickTool::create()
{
    auto* bar = new (std::nothrow) quickTool();
    if (bar && bar->init()) {
        bar->autorelease();
        return bar;
    }
    delete bar;
    return nullptr;
}

quickTool::~quickTool()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

bool quickTool::init()
{
    if (!Node::init())
        return false;
    targetId = 0;
    NSUI::NSNotificationCenter::getInstance()->addObserver(
        this, nullptr,
        [this](Ref* sender, unsigned int id, NSUI::NSNotificationData* data) { onNotification(sender, id, data); },
        kMaximizedStateId);
    return true;
}

void quickTool::cleanup()
{
    Node::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
    buttonList.clear();
}

void quickTool::buildButtons()
{
    for (const ButtonSpec& entry : kButtons) {
        ui::Button* button = ui::Button::create(entry.image, "", "", ui::Widget::TextureResType::LOCAL);
        if (!button)
            continue;
        addChild(button, 500);
        button->setAnchorPoint(Vec2::ZERO);
        button->setScale(0.5f);
        button->setName(entry.name);
        button->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
        buttonList.push_back(button);
    }
}

void quickTool::attachTo(Node* view)
{
    if (!view)
        return;
    setContentSize(view->getContentSize());
    setAnchorPoint(Vec2::ZERO);
    const Mat4 world = view->getNodeToWorldTransform();
    setPosition(Vec2(world.m[12], world.m[13] + kMargin));
    const float firstSlot = static_cast<float>(static_cast<int>(getContentSize().width - kSlotsWidth - kMargin));
    for (ui::Button* button : buttonList)
        for (const ButtonSpec& entry : kButtons)
            if (button->getName() == entry.name)
                button->setPosition(Vec2(firstSlot + entry.offset, 0.0f));
    targetId = view->getRefID();
    setVisible(true);
}

void quickTool::onButtonClicked(Ref* sender)
{
    auto* node = dynamic_cast<Node*>(sender);
    if (!node)
        return;
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    const std::string& name = node->getName();
    if (name == "info") {
        centre->postNotification(nullptr, kInfoId, nullptr, nullptr, false);
    } else if (name == "favorite") {
        centre->postNotificationWithTag(kFavoriteId, static_cast<int>(targetId), false);
    } else if (name == "capture") {
        centre->postNotification(nullptr, kCaptureId, nullptr, nullptr, false);
    } else if (name == "max") {
        auto* data = new NSUI::NSNotificationData();
        NSUI::UIJson::setJsonString(data->text, "x", formatString("%.6f", viewRect.origin.x));
        NSUI::UIJson::setJsonString(data->text, "y", formatString("%.6f", viewRect.origin.y));
        NSUI::UIJson::setJsonString(data->text, "w", formatString("%.6f", viewRect.size.width));
        NSUI::UIJson::setJsonString(data->text, "h", formatString("%.6f", viewRect.size.height));
        data->tag = static_cast<int32_t>(targetId);
        centre->postNotification(nullptr, kMaximizeId, data, nullptr, false);
        data->release();
    }
}

void quickTool::onNotification(Ref*, unsigned int id, NSUI::NSNotificationData* data)
{
    if (id != kMaximizedStateId || !data)
        return;
    auto* max = dynamic_cast<ui::Button*>(getChildByName("max"));
    if (!max)
        return;
    const char* icon = data->intValue < 1 ? kFullScreenIcon : kFullScreenExitIcon;
    max->loadTextures(icon, icon, icon);
}
