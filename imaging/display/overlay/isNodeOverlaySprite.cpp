#include "imaging/display/overlay/isNodeOverlaySprite.h"

#include "notify/NSNotificationCenter.h"

namespace isImageSDK {

namespace {
constexpr unsigned int kSeveralFrames[3] = {9050, 9051, 9052};
}

isNodeOverlaySprite* isNodeOverlaySprite::create() {
    auto* button = new (std::nothrow) isNodeOverlaySprite();
    if (button && button->init()) {
        button->autorelease();
        return button;
    }
    delete button;
    return nullptr;
}

isNodeOverlaySprite::~isNodeOverlaySprite() {
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

bool isNodeOverlaySprite::init() {
    if (!cocos2d::ui::Button::init())
        return false;
    lineHeight = 10;
    imageHeight = 10;
    boundId = kUnbound;
    setAnchorPoint(cocos2d::Vec2::ANCHOR_BOTTOM_RIGHT);
    return true;
}

void isNodeOverlaySprite::cleanup() {
    cocos2d::ui::Button::cleanup();
    NSUI::NSNotificationCenter::getInstance()->removeObserver(this);
}

void isNodeOverlaySprite::bind(const std::string& normal, const std::string& pressed, unsigned int id,
                               const std::string& disabled) {
    NSUI::NSNotificationCenter* centre = NSUI::NSNotificationCenter::getInstance();
    centre->removeObserver(this);
    // Bound to the command or to the state it toggles, it is the same play button.
    if (id == kPlayPause)
        id = kPlay;
    bound = true;
    boundId = id;
    auto callback = [this](cocos2d::Ref* sender, unsigned int got, NSUI::NSNotificationData* data) {
        onCineState(sender, got, data);
    };
    if (id == kPlay) {
        centre->addObserver(this, owner, callback, kPlay);
        centre->addObserver(this, owner, callback, kSeveralFrames[0]);
    } else if (id == kSlower) {
        centre->addObserver(this, owner, callback, kSeveralFrames[1]);
    } else if (id == kFaster) {
        centre->addObserver(this, owner, callback, kSeveralFrames[2]);
    }
    loadTextures(normal, pressed, disabled);
    imageHeight = static_cast<int>(Button::getVirtualRendererSize().height);
    raiseAboveOwner(this, owner);
    relayoutParent(this);
}

void isNodeOverlaySprite::setLineHeight(float height) {
    lineHeight = static_cast<int>(height);
    // A missing picture has no height: keep the button at its own size then.
    const float scale = imageHeight > 0 ? float(lineHeight) / float(imageHeight) * 0.8f : 1.0f;
    setScale(scale);
    setTouchScaled(scale > 0.0f ? 1.0f / scale : 1.0f);
    reportedSize = cocos2d::Size(lineHeight * 1.5f, float(lineHeight));
}

void isNodeOverlaySprite::onCineState(cocos2d::Ref*, unsigned int id, NSUI::NSNotificationData* data) {
    if (!data)
        return;
    if (id == kPlay) {
        const char* picture = data->intValue > 0 ? kPausePicture : kPlayPicture;
        loadTextures(picture, picture, "");
    } else {
        setVisible(data->intValue >= 1);
    }
    markContentChanged();
}

bool isNodeOverlaySprite::onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) {
    const bool accepted = cocos2d::ui::Button::onTouchBegan(touch, event);
    if (accepted && _hitted && (boundId == kPlay || boundId == kSlower || boundId == kFaster)) {
        // The play button shows the cine state but commands play/pause, which the image obeys.
        const unsigned int command = boundId == kPlay ? kPlayPause : boundId;
        NSUI::NSNotificationCenter::getInstance()->postNotification(this, command, nullptr, owner, true);
    }
    return accepted;
}

} // namespace isImageSDK
