#include "ui/CheckBox.h"

#include "base/Touch.h"
#include "ui/Scale9Sprite.h"

namespace cocos2d {
namespace ui {

CheckBox* CheckBox::create() {
    auto* box = new CheckBox();
    if (!box->init()) {
        delete box;
        return nullptr;
    }
    box->autorelease();
    return box;
}

CheckBox* CheckBox::create(const std::string& backGround, const std::string& cross, TextureResType type) {
    return create(backGround, "", cross, "", "", type);
}

CheckBox* CheckBox::create(const std::string& backGround, const std::string& backGroundSelected,
                           const std::string& cross, const std::string& backGroundDisabled,
                           const std::string& frontCrossDisabled, TextureResType type) {
    CheckBox* box = create();
    if (box)
        box->loadTextures(backGround, backGroundSelected, cross, backGroundDisabled, frontCrossDisabled,
                          type);
    return box;
}

bool CheckBox::init() {
    if (!Widget::init())
        return false;
    setTouchEnabled(true);
    setSelected(false);
    return true;
}

void CheckBox::initRenderer() {
    _backGround = Scale9Sprite::create();
    _backGroundSelected = Scale9Sprite::create();
    _frontCross = Scale9Sprite::create();
    _backGroundDisabled = Scale9Sprite::create();
    _frontCrossDisabled = Scale9Sprite::create();
    int z = -5;
    for (Scale9Sprite* r :
         {_backGround, _backGroundSelected, _backGroundDisabled, _frontCross, _frontCrossDisabled}) {
        r->setScale9Enabled(false);
        addProtectedChild(r, z++);
    }
}

std::string CheckBox::getDescription() const {
    return "CheckBox";
}

void CheckBox::loadTextures(const std::string& backGround, const std::string& backGroundSelected,
                            const std::string& cross, const std::string& backGroundDisabled,
                            const std::string& frontCrossDisabled, TextureResType /*type*/) {
    const std::string* files[5] = {&backGround, &backGroundSelected, &cross, &backGroundDisabled,
                                   &frontCrossDisabled};
    Scale9Sprite* renderers[5] = {_backGround, _backGroundSelected, _frontCross, _backGroundDisabled,
                                  _frontCrossDisabled};
    for (int i = 0; i < 5; ++i) {
        if (!files[i]->empty() && renderers[i]->initWithFile(*files[i])) {
            _files[i] = *files[i];
        } else {
            renderers[i]->clearTexture();
            _files[i].clear();
        }
    }
    rendererChanged();
    refreshRenderers();
}

void CheckBox::loadTextureBackGround(const std::string& file, TextureResType type) {
    loadTextures(file, _files[1], _files[2], _files[3], _files[4], type);
}

void CheckBox::loadTextureFrontCross(const std::string& file, TextureResType type) {
    loadTextures(_files[0], _files[1], file, _files[3], _files[4], type);
}

void CheckBox::setSelected(bool selected) {
    _selected = selected;
    refreshRenderers();
}

void CheckBox::onTouchEnded(Touch* touch, Event* /*unusedEvent*/) {
    _touchEndPosition = touch->getLocation();
    if (_propagateTouchEvents)
        propagateTouchEvent(TouchEventType::ENDED, this, touch);
    bool highlight = _highlight;
    setHighlighted(false);
    if (highlight) {
        setSelected(!_selected);
        releaseUpEvent();
    } else {
        cancelUpEvent();
    }
}

void CheckBox::releaseUpEvent() {
    retain();
    Widget::releaseUpEvent();
    if (_eventCallback)
        _eventCallback(this, _selected ? EventType::SELECTED : EventType::UNSELECTED);
    release();
}

Size CheckBox::getVirtualRendererSize() const {
    return _backGround->getOriginalSize();
}

Node* CheckBox::getVirtualRenderer() {
    return _backGround;
}

void CheckBox::adaptRenderers() {
    const Vec2 centre(_contentSize.width * 0.5f, _contentSize.height * 0.5f);
    for (Scale9Sprite* r :
         {_backGround, _backGroundSelected, _frontCross, _backGroundDisabled, _frontCrossDisabled}) {
        r->setPreferredSize(_ignoreSize ? r->getOriginalSize() : _contentSize);
        r->setPosition(centre);
    }
}

void CheckBox::refreshRenderers() {
    const bool disabled = !_bright;
    const bool pressed = _highlight;
    // A state without its own picture falls back to the plain box or cross.
    Scale9Sprite* box = _backGround;
    if (disabled && _backGroundDisabled->hasTexture())
        box = _backGroundDisabled;
    else if (pressed && _backGroundSelected->hasTexture())
        box = _backGroundSelected;
    Scale9Sprite* cross = disabled && _frontCrossDisabled->hasTexture() ? _frontCrossDisabled : _frontCross;
    for (Scale9Sprite* r : {_backGround, _backGroundSelected, _backGroundDisabled})
        r->setVisible(r == box);
    for (Scale9Sprite* r : {_frontCross, _frontCrossDisabled})
        r->setVisible(_selected && r == cross);
}

void CheckBox::onPressStateChangedToNormal() {
    refreshRenderers();
}

void CheckBox::onPressStateChangedToPressed() {
    refreshRenderers();
}

void CheckBox::onPressStateChangedToDisabled() {
    refreshRenderers();
}

Widget* CheckBox::createCloneInstance() {
    return CheckBox::create();
}

void CheckBox::copySpecialProperties(Widget* model) {
    auto* box = dynamic_cast<CheckBox*>(model);
    if (!box)
        return;
    loadTextures(box->_files[0], box->_files[1], box->_files[2], box->_files[3], box->_files[4]);
    setSelected(box->_selected);
    _eventCallback = box->_eventCallback;
}

} // namespace ui
} // namespace cocos2d
