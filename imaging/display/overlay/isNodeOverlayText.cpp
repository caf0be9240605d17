#include "imaging/display/overlay/isNodeOverlayText.h"

#include "notify/NSNotificationCenter.h"
#include "util/StringUtils.h"

namespace isImageSDK {

namespace {

constexpr unsigned int kPointer = 9071;
constexpr unsigned int kWindow = 9072;
constexpr unsigned int kSlice = 9073;
constexpr unsigned int kOrientation = 9074;
constexpr unsigned int kPosition = 9077;
constexpr unsigned int kSlab = 9078;
constexpr unsigned int kProgress = 9110;
constexpr unsigned int kShownIds[] = {kPointer, kWindow, kSlice, kOrientation, kPosition, kSlab, kProgress};

bool isShownId(unsigned int id) {
    for (unsigned int shown : kShownIds)
        if (shown == id)
            return true;
    return false;
}

} // namespace

isNodeOverlayText* isNodeOverlayText::create() {
    auto* item = new (std::nothrow) isNodeOverlayText();
    if (item && item->init()) {
        item->autorelease();
        return item;
    }
    delete item;
    return nullptr;
}

isNodeOverlayText::~isNodeOverlayText() {
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

bool isNodeOverlayText::init() {
    if (!cocos2d::ui::Text::init())
        return false;
    initialText.clear();
    suffix.clear();
    prefix.clear();
    touchable = false;
    boundId = kUnbound;
    setTextVerticalAlignment(cocos2d::TextVAlignment::TOP);
    setTextColor(cocos2d::Color4B(235, 235, 235, 255));
    enableShadow(cocos2d::Color4B(0, 0, 0, 255), cocos2d::Size(2, -2), 0);
    return true;
}

void isNodeOverlayText::cleanup() {
    cocos2d::ui::Text::cleanup();
    unbind();
}

void isNodeOverlayText::unbind() {
    setTouchEnabled(false);
    initialText.clear();
    suffix.clear();
    prefix.clear();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

void isNodeOverlayText::bind(const std::string& initial, const std::string& newPrefix,
                             const std::string& newSuffix, unsigned int id, bool takesTouches) {
    unbind();
    initialText = initial;
    prefix = newPrefix;
    suffix = newSuffix;
    touchable = takesTouches;
    boundId = id;
    if (isShownId(id))
        NSUI::NSNotificationCenter::getInstance()->addObserver(
            this, owner,
            [this](cocos2d::Ref* sender, unsigned int got, NSUI::NSNotificationData* data) {
                onValue(sender, got, data);
            },
            id);
    if (touchable) {
        setTouchEnabled(true);
        setTouchScaled(1.0f);
        raiseAboveOwner(this, owner);
    }
    setString(prefix + initialText + suffix);
    relayoutParent(this);
}

void isNodeOverlayText::setValue(const std::string& text) {
    setString(prefix + text + suffix);
    relayoutParent(this);
}

void isNodeOverlayText::onValue(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data) {
    if (!data)
        return;
    const std::string& json = data->text;
    switch (id) {
    case kPointer:
        setValue(formatString("x:%.1f,y:%.1f,z:%.1f ", getJsonFloat(json, "x", 0.0f),
                              getJsonFloat(json, "y", 0.0f), getJsonFloat(json, "z", 0.0f)));
        break;
    case kWindow:
        setValue(getJsonString(json, "ww") + " " + getJsonString(json, "wl") + " ");
        break;
    case kSlice:
        if (getJsonInt(json, "index", 0) < 0 && getJsonInt(json, "count", 0) < 1) {
            // Laid out again below, so that what followed the hidden text closes up.
            setVisible(false);
            break;
        }
        setVisible(true);
        setValue(getJsonString(json, "index") + "/" + getJsonString(json, "count") + " ");
        break;
    case kOrientation:
    case kPosition:
        setValue(json);
        break;
    case kSlab:
        setString(prefix + formatString("%.2f", data->floatValue));
        break;
    case kProgress:
        if (data->floatValue <= 0.999f) {
            setString(formatString("(%.0f%%)", data->floatValue * 100.0f) + " ");
        } else {
            setVisible(false);
            setString("");
        }
        break;
    default:
        return;
    }
    relayoutParent(this);
}

bool isNodeOverlayText::onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) {
    const bool accepted = cocos2d::ui::Text::onTouchBegan(touch, event);
    if (accepted && _hitted && boundId == kWindow)
        NSUI::NSNotificationCenter::getInstance()->postNotification(this, kOpenWindowEditorId, nullptr, owner,
                                                                    false);
    return accepted;
}

} // namespace isImageSDK
