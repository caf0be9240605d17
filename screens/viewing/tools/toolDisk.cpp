#include "tools/toolDisk.h"

#include <cmath>

#include "2d/actions/ActionCreate.h"
#include "AppConfig.h"
#include "menus/viewingCommands.h"
#include "notify/NSNotificationCenter.h"
#include "ui/CocosGUI.h"

using namespace cocos2d;
using namespace viewingCommands;

namespace {

const char* const kDiskFile = "toolDisk.csb";
const char* const kReturnPicture = "imgs/return.png";
const char* const kReturnName = "return";
// A touch this close to the disk's centre (each axis) on a sub-page goes back to the image page.
const float kCentreReach = 60.0f;

const std::vector<std::string> kImageItems = {"Input", "Default", "WL_WW", "ByTouch", "Opacity", "ClutList"};
const std::vector<std::string> kOpacityItems = {"Linear", "Log10", "Log10Inverse"};
const std::vector<std::string> kClutItems = {"bwInverse", "hotMetal", "geColor", "perfusion", "noClut"};
const std::vector<std::string> kLayoutItems = {"win1x1", "win1x2", "win2x1", "win2x2"};
const std::vector<std::string> kRoiItems = {"angle", "cross", "polygon", "circle", "line"};
const std::vector<std::string> kViewItems = {"axial", "cor", "sag", "vr"};

struct Command {
    const char* item;
    unsigned int id;
    const char* text; // null: no data
    bool nextTick;
};
// Items that post, by page; the rest switch pages.
const Command kClutCommands[] = {{"bwInverse", kColorTable, "bwInverse.plist", true},
                                 {"noClut", kColorTable, "noClut.plist", true},
                                 {"hotMetal", kColorTable, "HotMetal.plist", true},
                                 {"geColor", kColorTable, "GEcolor.plist", true},
                                 {"perfusion", kColorTable, "Perfusion.plist", true}};
const Command kOpacityCommands[] = {{"Linear", kCurveLinear, nullptr, true},
                                    {"Log10", kCurveLog, nullptr, true},
                                    {"Log10Inverse", kCurveLogInverse, nullptr, true}};
const Command kLayoutCommands[] = {{"win1x1", kLayout1x1, nullptr, false},
                                   {"win1x2", kLayout1x2, nullptr, false},
                                   {"win2x1", kLayout2x1, nullptr, false},
                                   {"win2x2", kLayout2x2, nullptr, false}};
const Command kViewCommands[] = {{"axial", kAxial, nullptr, false},
                                 {"sag", kSagittal, nullptr, false},
                                 {"cor", kCoronal, nullptr, false},
                                 {"vr", kVolume, nullptr, false}};
const Command kRoiCommands[] = {{"angle", kNewAngle, nullptr, true},
                                {"polygon", kNewPolygon, nullptr, true},
                                {"cross", kNewPoint, nullptr, true},
                                {"circle", kNewCircle, nullptr, true},
                                {"line", kNewLine, nullptr, true}};

bool inside(Node* node, const Vec2& world)
{
    const Vec2 p = node->convertToNodeSpace(world);
    const Size& size = node->getContentSize();
    return p.x > 0.0f && p.x < size.width && p.y > 0.0f && p.y < size.height;
}

Vec2 windowCentre()
{
    const Size& win = Director::getInstance()->getWinSize();
    return Vec2(win.width * 0.5f, win.height * 0.5f);
}

// Loads a layout centred on the window, laid out and localised.
Node* loadCentred(const std::string& file)
{
    Node* node = CSLoader::createNode(file);
    if (!node)
        return nullptr;
    node->setAnchorPoint(Vec2(0.5f, 0.5f));
    node->setPosition(windowCentre());
    ui::Helper::doLayout(node);
    AppConfig::getInstance()->applyText(node);
    return node;
}

} // namespace

toolDisk* toolDisk::create()
{
    auto* disk = new (std::nothrow) toolDisk();
    if (disk && disk->init()) {
        disk->autorelease();
        return disk;
    }
    delete disk;
    return nullptr;
}

toolDisk* toolDisk::under(Node* parent, Ref* target, const std::vector<WindowPreset>& presets)
{
    auto* disk = dynamic_cast<toolDisk*>(parent->getChildByName(kName));
    if (!disk) {
        disk = create();
        if (!disk)
            return nullptr;
        parent->addChild(disk);
        disk->setName(kName);
        disk->hide();
        disk->setPosition(Vec2::ZERO);
    }
    disk->setTarget(target);
    if (disk->getPresets().empty())
        for (const WindowPreset& preset : presets)
            disk->addPreset(preset.name, preset.level, preset.width);
    return disk;
}

void toolDisk::hideUnder(Node* parent)
{
    auto* disk = dynamic_cast<toolDisk*>(parent->getChildByName(kName));
    if (disk && disk->isVisible())
        disk->hide();
}

toolDisk::~toolDisk()
{
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

bool toolDisk::init()
{
    if (!Layer::init())
        return false;
    fontSize = AppConfig::getInstance()->phoneLayout ? 36.0f : 18.0f;
    FileUtils* files = FileUtils::getInstance();
    for (const char* path : {"particle/materials", "particle/scripts", "particle/textures"})
        files->addSearchPath(path);
    page = kNoPage;
    target = nullptr;
    // The phone layout's disk is larger, to hold its larger labels.
    const std::string diskFile =
        AppConfig::getInstance()->phoneLayout ? std::string(AppConfig::kPhoneLayouts) + kDiskFile : kDiskFile;
    if (Node* disk = loadCentred(diskFile))
        addChild(disk, -100);
    showImagePage();
    setTouchMode(Touch::DispatchMode::ONE_BY_ONE);
    setSwallowsTouches(true);
    setTouchEnabled(true);
    setGlobalZOrder(1000);
    return true;
}

void toolDisk::cleanup()
{
    Layer::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

void toolDisk::addPreset(const std::string& name, float level, float width)
{
    presets.push_back({name, width, level});
}

void toolDisk::show()
{
    // A disk still spinning away counts as hidden: showing it again brings it back.
    if (isVisible() && !leaving)
        return;
    leaving = false;
    stopAllActions();
    setPosition(Vec2::ZERO);
    setRotation(0.0f);
    setScale(0.1f);
    setVisible(true);
    runAction(EaseCubicActionOut::create(ScaleTo::create(0.3f, 1.0f)));
}

void toolDisk::hide()
{
    if (!isVisible() || leaving)
        return;
    stopAllActions();
    leaving = true;
    setScale(1.0f);
    const float drop = -Director::getInstance()->getWinSize().height * 0.5f;
    auto* away = Spawn::create(ScaleTo::create(0.5f, 0.01f), RotateBy::create(0.5f, 360.0f),
                               MoveTo::create(0.5f, Vec2(0.0f, drop)), nullptr);
    runAction(Sequence::create(EaseCubicActionIn::create(away), Hide::create(),
                               CallFunc::create([this] { leaving = false; }), nullptr));
}

bool toolDisk::switchPage(uint32_t newPage, const std::string& layoutFile, bool emptied)
{
    if (page == newPage)
        return false;
    items.clear();
    removeChildByName(kDetailName, true);
    Node* detail = loadCentred(layoutFile);
    if (!detail) {
        // Without its layout the page still exists, as an empty node over the disk's centre.
        detail = Node::create();
        detail->setContentSize(Size(320, 320));
        detail->setAnchorPoint(Vec2(0.5f, 0.5f));
        detail->setPosition(windowCentre());
    }
    if (emptied)
        detail->removeAllChildren();
    detail->setName(kDetailName);
    addChild(detail);
    page = newPage;
    return true;
}

void toolDisk::addLabelItems(const std::vector<std::string>& names, bool withPrefix)
{
    Node* detail = getChildByName(kDetailName);
    if (!detail)
        return;
    for (const std::string& name : names) {
        std::string text = withPrefix ? AppConfig::getInstance()->getText("tool_ww_" + name) : name;
        if (text.empty())
            text = name;
        for (char& c : text)
            if (c == ' ')
                c = '\n';
        Label* label = Label::createWithSystemFont(text, "", fontSize);
        label->setTextColor(Color4B::WHITE);
        label->setAlignment(TextHAlignment::CENTER);
        label->setAnchorPoint(Vec2(0.5f, 0.5f));
        label->setName(name);
        detail->addChild(label);
    }
}

void toolDisk::collectItems(const std::vector<std::string>& names)
{
    items.clear();
    if (Node* detail = getChildByName(kDetailName))
        for (const std::string& name : names)
            if (Node* item = detail->getChildByName(name))
                items.push_back(item);
    arrangeItems();
}

void toolDisk::addReturnSprite()
{
    Node* detail = getChildByName(kDetailName);
    Sprite* back = detail ? Sprite::create(kReturnPicture) : nullptr;
    if (!back)
        return;
    back->setName(kReturnName);
    back->setPosition(Vec2(detail->getContentSize().width * 0.5f, detail->getContentSize().height * 0.5f));
    detail->addChild(back);
}

void toolDisk::arrangeItems()
{
    Node* detail = getChildByName(kDetailName);
    const size_t n = items.size();
    if (!detail || n == 0)
        return;
    const float step = n > 1 ? 6.2831852f / static_cast<float>(n) : 0.0f;
    const float start = n >= 3 && n <= 5 ? 1.5707963f : 0.0f;
    const float radius = AppConfig::getInstance()->phoneLayout ? 150.0f : 110.0f;
    const Vec2 centre(detail->getContentSize().width * 0.5f, detail->getContentSize().height * 0.5f);
    for (size_t i = 0; i < n; ++i) {
        const float a = start + static_cast<float>(i) * step;
        items[i]->setPosition(Vec2(std::cos(a) * radius + centre.x, std::sin(a) * radius + centre.y));
    }
}

void toolDisk::showImagePage()
{
    if (!switchPage(kImagePage, "toolImage.csb", false))
        return;
    addLabelItems(kImageItems, true);
    collectItems(kImageItems);
}

void toolDisk::showPresetPage()
{
    if (!switchPage(kPresetPage, "toolImage.csb", true))
        return;
    std::vector<std::string> names;
    for (const WindowPreset& preset : presets)
        names.push_back(preset.name);
    addLabelItems(names, false);
    addReturnSprite();
    collectItems(names);
}

void toolDisk::showOpacityPage()
{
    if (!switchPage(kOpacityPage, "toolImage.csb", true))
        return;
    addLabelItems(kOpacityItems, true);
    addReturnSprite();
    collectItems(kOpacityItems);
}

void toolDisk::showClutPage()
{
    if (!switchPage(kClutPage, "toolImageClut.csb", false))
        return;
    addReturnSprite();
    collectItems(kClutItems);
}

void toolDisk::showLayoutPage()
{
    if (switchPage(kLayoutPage, "tooLayout.csb", false))
        collectItems(kLayoutItems);
}

void toolDisk::showRoiPage()
{
    if (switchPage(kRoiPage, "toolROI.csb", false))
        collectItems(kRoiItems);
}

void toolDisk::showViewTypePage()
{
    if (switchPage(kViewTypePage, "toolViewType.csb", false))
        collectItems(kViewItems);
}

bool toolDisk::onTouchBegan(Touch* touch, Event*)
{
    Node* detail = getChildByName(kDetailName);
    return isVisible() && detail && inside(detail, touch->getLocation());
}

void toolDisk::onTouchEnded(Touch* touch, Event*)
{
    const Vec2 at = touch->getLocation();
    for (Node* item : items)
        if (inside(item, at)) {
            perform(item->getName());
            return;
        }
    if (page != kPresetPage && page != kOpacityPage && page != kClutPage)
        return;
    Node* detail = getChildByName(kDetailName);
    if (!detail)
        return;
    const Vec2 centre =
        detail->convertToWorldSpace(Vec2(detail->getContentSize().width * 0.5f, detail->getContentSize().height * 0.5f));
    if (std::fabs(at.x - centre.x) <= kCentreReach && std::fabs(at.y - centre.y) <= kCentreReach)
        showImagePage();
}

bool toolDisk::perform(std::string item)
{
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    auto post = [&](const Command& c) {
        if (c.text)
            centre->postNotificationWithString(this, c.id, c.text, target, c.nextTick);
        else
            centre->postNotification(this, c.id, nullptr, target, c.nextTick);
        hide();
        return true;
    };
    auto find = [&](const Command* begin, const Command* end) -> const Command* {
        for (const Command* c = begin; c != end; ++c)
            if (item == c->item)
                return c;
        return nullptr;
    };
    switch (page) {
    case kImagePage:
        if (item == "Input") {
            // Gone at once: the editor opens in its place.
            stopAllActions();
            leaving = false;
            setVisible(false);
            centre->postNotification(this, kOpenWindowEditor, nullptr, target, false);
            return true;
        }
        if (item == "Default")
            return post({"", kDefaultWindow, nullptr, false});
        if (item == "ByTouch")
            return post({"", kWindowByDrag, nullptr, true});
        if (item == "WL_WW")
            showPresetPage();
        else if (item == "Opacity")
            showOpacityPage();
        else if (item == "ClutList")
            showClutPage();
        else
            return false;
        return true;
    case kPresetPage:
        for (const WindowPreset& preset : presets)
            if (preset.name == item) {
                centre->postNotificationWithString(this, kSetWindow, preset.payload(), target, true);
                hide();
                return true;
            }
        return false;
    case kOpacityPage:
        if (const Command* c = find(std::begin(kOpacityCommands), std::end(kOpacityCommands)))
            return post(*c);
        return false;
    case kClutPage:
        if (const Command* c = find(std::begin(kClutCommands), std::end(kClutCommands)))
            return post(*c);
        return false;
    case kLayoutPage:
        if (const Command* c = find(std::begin(kLayoutCommands), std::end(kLayoutCommands)))
            return post(*c);
        return false;
    case kViewTypePage:
        if (const Command* c = find(std::begin(kViewCommands), std::end(kViewCommands)))
            return post(*c);
        return false;
    case kRoiPage:
        if (const Command* c = find(std::begin(kRoiCommands), std::end(kRoiCommands)))
            return post(*c);
        return false;
    default:
        return false;
    }
}
