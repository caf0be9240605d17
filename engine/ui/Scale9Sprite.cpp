#include "ui/Scale9Sprite.h"

#include <algorithm>

#include "2d/Sprite.h"
#include "base/Director.h"
#include "base/ccLog.h"
#include "renderer/Texture2D.h"
#include "renderer/TextureCache.h"

namespace cocos2d {
namespace ui {

Scale9Sprite::~Scale9Sprite() {
    if (_texture)
        _texture->release();
}

Scale9Sprite* Scale9Sprite::create() {
    auto* sprite = new Scale9Sprite();
    if (!sprite->init()) {
        delete sprite;
        return nullptr;
    }
    sprite->autorelease();
    return sprite;
}

Scale9Sprite* Scale9Sprite::create(const std::string& file) {
    Scale9Sprite* sprite = create();
    if (sprite && !sprite->initWithFile(file))
        return nullptr;
    return sprite;
}

Scale9Sprite* Scale9Sprite::create(const std::string& file, const Rect& capInsets) {
    Scale9Sprite* sprite = create(file);
    if (sprite)
        sprite->setCapInsets(capInsets);
    return sprite;
}

bool Scale9Sprite::init() {
    if (!Node::init())
        return false;
    setAnchorPoint(Vec2::ANCHOR_MIDDLE);
    setCascadeColorEnabled(true);
    setCascadeOpacityEnabled(true);
    return true;
}

bool Scale9Sprite::initWithFile(const std::string& file) {
    Texture2D* texture = file.empty() ? nullptr : Director::getInstance()->getTextureCache()->addImage(file);
    if (!texture) {
        log("Scale9Sprite: cannot load '%s'", file.c_str());
        return false;
    }
    return setTexture(texture);
}

bool Scale9Sprite::setTexture(Texture2D* texture) {
    if (!texture)
        return false;
    texture->retain();
    if (_texture)
        _texture->release();
    _texture = texture;
    _originalSize = texture->getContentSize();
    Node::setContentSize(_originalSize);
    rebuild();
    return true;
}

void Scale9Sprite::clearTexture() {
    if (_texture)
        _texture->release();
    _texture = nullptr;
    _originalSize = Size::ZERO;
    rebuild();
}

void Scale9Sprite::setCapInsets(const Rect& insets) {
    _capInsets = insets;
    rebuild();
}

void Scale9Sprite::setScale9Enabled(bool enabled) {
    if (_scale9Enabled == enabled)
        return;
    _scale9Enabled = enabled;
    rebuild();
}

void Scale9Sprite::setContentSize(const Size& size) {
    Node::setContentSize(size);
    rebuild();
}

void Scale9Sprite::setFlippedX(bool flipped) {
    _flippedX = flipped;
    rebuild();
}

void Scale9Sprite::setFlippedY(bool flipped) {
    _flippedY = flipped;
    rebuild();
}

std::string Scale9Sprite::getDescription() const {
    return "Scale9Sprite";
}

void Scale9Sprite::rebuild() {
    removeAllChildrenWithCleanup(true);
    if (!_texture || _contentSize.width <= 0 || _contentSize.height <= 0)
        return;
    const float ow = _originalSize.width;
    const float oh = _originalSize.height;
    auto place = [this](const Rect& src, Rect dst) {
        if (src.size.width <= 0 || src.size.height <= 0 || dst.size.width <= 0 || dst.size.height <= 0)
            return;
        Sprite* patch = Sprite::createWithTexture(_texture, src);
        if (!patch)
            return;
        // A flipped picture mirrors the patches' places as well as each patch.
        if (_flippedX)
            dst.origin.x = _contentSize.width - dst.origin.x - dst.size.width;
        if (_flippedY)
            dst.origin.y = _contentSize.height - dst.origin.y - dst.size.height;
        patch->setAnchorPoint(Vec2::ZERO);
        patch->setFlippedX(_flippedX);
        patch->setFlippedY(_flippedY);
        patch->setPosition(dst.origin);
        patch->setScale(dst.size.width / src.size.width, dst.size.height / src.size.height);
        addChild(patch);
    };
    if (!_scale9Enabled) {
        place(Rect(0, 0, ow, oh), Rect(0, 0, _contentSize.width, _contentSize.height));
        return;
    }
    Rect caps = _capInsets;
    if (caps.size.width <= 0 || caps.size.height <= 0)
        caps = Rect(ow / 3.0f, oh / 3.0f, ow / 3.0f, oh / 3.0f);
    // Source columns and rows (texture space, y down) and their destination (y up).
    const float sx[4] = {0, caps.origin.x, caps.origin.x + caps.size.width, ow};
    const float sy[4] = {0, caps.origin.y, caps.origin.y + caps.size.height, oh};
    // Corners shrink together when the target is smaller than the two of them.
    float left = sx[1], right = ow - sx[2], top = sy[1], bottom = oh - sy[2];
    float kx = left + right > _contentSize.width ? _contentSize.width / (left + right) : 1.0f;
    float ky = top + bottom > _contentSize.height ? _contentSize.height / (top + bottom) : 1.0f;
    const float dx[4] = {0, left * kx, _contentSize.width - right * kx, _contentSize.width};
    const float dyTop[4] = {_contentSize.height, _contentSize.height - top * ky, bottom * ky, 0};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            Rect src(sx[c], sy[r], sx[c + 1] - sx[c], sy[r + 1] - sy[r]);
            Rect dst(dx[c], dyTop[r + 1], dx[c + 1] - dx[c], dyTop[r] - dyTop[r + 1]);
            place(src, dst);
        }
    }
}

} // namespace ui
} // namespace cocos2d
