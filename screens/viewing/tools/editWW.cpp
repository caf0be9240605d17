#include "tools/editWW.h"

#include <cstdlib>

#include "AppConfig.h"
#include "notify/NSNotificationCenter.h"
#include "panel/ModalWindow.h"
#include "tools/editWWScene.h"
#include "ui/CocosGUI.h"
#include "util/StringUtils.h"

using namespace cocos2d;

namespace {

const char* const kLayoutFile = "editWW.csb";
const char* const kBackButton = "btn_back";

struct FieldSpec {
    const char* name;
    const char* placeholderKey;
    const char* placeWidget;
};
const FieldSpec kFields[] = {{"editWW", "editWWPrompt", "editWW_window"},
                             {"editWL", "editWLPrompt", "editWW_level"},
                             {"editMin", "editMinPrompt", "editWW_min"},
                             {"editMax", "editMaxPrompt", "editWW_max"}};

const int kLineHeight = 25;
const Size kFieldSize(300, 29);
// Fields a finger can hit, in the phone layout.
const int kPhoneLineHeight = 30;
const Size kPhoneFieldSize(300, 34);
const Rect kTouchRect(0, 0, 500, 60);
const int kTextSize = 22;
const Color3B kTextColor(22, 22, 22);
const int kMaxCharacters = 10;
const float kToastSeconds = 1.5f;

} // namespace

editWW* editWW::make()
{
    auto* panel = new (std::nothrow) editWW();
    if (!panel || !panel->init()) {
        delete panel;
        return nullptr;
    }
    panel->autorelease();
    return panel;
}

Node* editWW::create()
{
    editWW* panel = make();
    if (!panel)
        return nullptr;
    panel->enableAndroidReturnKey(true);
    panel->setupLayout();
    Node* window = ModalWindow::wrap(panel, panel->_layout);
    // The name lets an opener see that an editor is already open.
    if (window)
        window->setName(kWindowName);
    return window;
}

Scene* editWW::createScene()
{
    editWW* panel = make();
    editWWScene* scene = panel ? editWWScene::create() : nullptr;
    if (!scene)
        return nullptr;
    scene->addContent(panel, panel->_layout);
    panel->setupLayout();
    return scene;
}

editWW* editWW::fromWindow(Node* window)
{
    return window ? dynamic_cast<editWW*>(window->getChildByName(kViewName)) : nullptr;
}

bool editWW::init()
{
    if (!Node::init())
        return false;
    setName(kViewName);
    setControlOwner(this);
    _layout = CSLoader::createNode(kLayoutFile);
    if (_layout) {
        _layout->setName(kLayoutFile);
        addChild(_layout);
    }
    return true;
}

void editWW::setupLayout()
{
    if (!_layout)
        return;
    AppConfig* config = AppConfig::getInstance();
    config->applyText(_layout);
    const int lineHeight = config->phoneLayout ? kPhoneLineHeight : kLineHeight;
    if (auto* back = dynamic_cast<ui::Widget*>(_layout->getChildByNameDeep(kBackButton))) {
        back->setLocalZOrder(1001);
        back->addClickEventListener([this](Ref* sender) { onButtonClicked(sender); });
    }
    for (const FieldSpec& entry : kFields) {
        Node* place = _layout->getChildByNameDeep(entry.placeWidget);
        Vec2 at = place ? place->getPosition() + Vec2(22, -3) : Vec2::ZERO;
        NSUI::NSTextField* field = createTextField(config->getText(entry.placeholderKey), at, lineHeight,
                                                   Vec2(0.0f, 0.5f));
        if (!field)
            continue;
        field->setName(entry.name);
        field->setLineHeight(lineHeight);
        field->setContentSize(config->phoneLayout ? kPhoneFieldSize : kFieldSize);
        field->setTouchRect(kTouchRect);
        field->setFontSize(kTextSize);
        field->setPlaceHolderFontSize(kTextSize);
        field->setTextColor(kTextColor);
        field->setInputMode(NSUI::NSTextField::kInputDecimal);
        field->setMaxLength(kMaxCharacters);
        field->setCursorImage("UIRes/cursorBlack.png");
        field->setCallback([this](Ref* sender, NSUI::NSTextField::EventType event) { onTextFieldEvent(sender, event); });
        field->refresh();
        // The field sits beside its place widget, in the same parent, so both share coordinates.
        (place && place->getParent() ? place->getParent() : _layout)->addChild(field, 10);
    }
}

void editWW::cleanup()
{
    Node::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

NSUI::NSTextField* editWW::field(const std::string& name) const
{
    return _layout ? dynamic_cast<NSUI::NSTextField*>(_layout->getChildByNameDeep(name)) : nullptr;
}

float editWW::value(const std::string& name) const
{
    NSUI::NSTextField* f = field(name);
    // strtod reads nothing from an empty or non-numeric text: 0.
    return f ? static_cast<float>(std::strtod(f->getString().c_str(), nullptr)) : 0.0f;
}

void editWW::setValue(const std::string& name, const std::string& text)
{
    if (NSUI::NSTextField* f = field(name))
        f->setString(text);
}

void editWW::setWindow(float width, float level)
{
    setValue("editWW", formatString("%.0f", width));
    setValue("editWL", formatString("%.0f", level));
    setValue("editMin", formatString("%.0f", level - width * 0.5f));
    setValue("editMax", formatString("%.0f", level + width * 0.5f));
}

void editWW::onTextFieldEvent(Ref* sender, NSUI::NSTextField::EventType)
{
    auto* changed = dynamic_cast<Node*>(sender);
    if (!changed)
        return;
    const std::string& name = changed->getName();
    const float width = value("editWW");
    const float level = value("editWL");
    const float low = value("editMin");
    const float high = value("editMax");
    if (name == "editWW" || name == "editWL") {
        if (width > 0.0f) {
            setValue("editMin", floatToString(level - width * 0.5f, 4));
            setValue("editMax", floatToString(level + width * 0.5f, 4));
        }
    } else if (name == "editMin" || name == "editMax") {
        if (high > low) {
            setValue("editWW", floatToString(high - low, 4));
            setValue("editWL", floatToString(low + (high - low) * 0.5f, 4));
        }
    }
}

bool editWW::apply()
{
    const float width = value("editWW");
    const float level = value("editWL");
    AppConfig* config = AppConfig::getInstance();
    // "not greater than 0" also refuses a width that is not a number.
    if (!(width > 0.0f)) {
        showMessageBox(config->getText("editWWError"), kToastSeconds);
        return false;
    }
    if (value("editMin") > value("editMax")) {
        showMessageBox(config->getText("editMinMaxError"), kToastSeconds);
        return false;
    }
    auto* data = new NSUI::NSNotificationData();
    std::string json;
    setJsonString(json, "ww", formatString("%.6f", width));
    setJsonString(json, "wl", formatString("%.6f", level));
    data->text = json;
    NSUI::NSNotificationCenter::getInstance()->postNotification(this, kWindowSetId, data, nullptr, false);
    data->release();
    return true;
}

bool editWW::onResponseReturn()
{
    if (apply())
        ModalWindow::close(this);
    return true;
}

void editWW::onButtonClicked(Ref* sender)
{
    auto* node = dynamic_cast<Node*>(sender);
    if (node && node->getName() == kBackButton)
        onResponseReturn();
}
