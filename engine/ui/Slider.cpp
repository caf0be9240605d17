#include "ui/Slider.h"

#include <cmath>

#include "2d/Camera.h"
#include "base/Touch.h"
#include "ui/Scale9Sprite.h"

namespace cocos2d {
namespace ui {

namespace {
// Loads a picture into a renderer, or clears it for an empty or unreadable name.
std::string load(Scale9Sprite* renderer, const std::string& file) {
    if (!file.empty() && renderer->initWithFile(file))
        return file;
    renderer->clearTexture();
    return std::string();
}
} // namespace

Slider* Slider::create() {
    auto* slider = new Slider();
    if (!slider->init()) {
        delete slider;
        return nullptr;
    }
    slider->autorelease();
    return slider;
}

Slider* Slider::create(const std::string& barTexture, const std::string& normalBallTexture,
                       TextureResType type) {
    Slider* slider = create();
    if (slider) {
        slider->loadBarTexture(barTexture, type);
        slider->loadSlidBallTextureNormal(normalBallTexture, type);
    }
    return slider;
}

bool Slider::init() {
    if (!Widget::init())
        return false;
    setTouchEnabled(true);
    return true;
}

void Slider::initRenderer() {
    _barRenderer = Scale9Sprite::create();
    _progressRenderer = Scale9Sprite::create();
    _ballNormal = Scale9Sprite::create();
    _ballPressed = Scale9Sprite::create();
    _ballDisabled = Scale9Sprite::create();
    _barRenderer->setScale9Enabled(false);
    _progressRenderer->setScale9Enabled(false);
    _progressRenderer->setAnchorPoint(Vec2(0.0f, 0.5f));
    addProtectedChild(_barRenderer, -3);
    addProtectedChild(_progressRenderer, -2);
    for (Scale9Sprite* ball : {_ballNormal, _ballPressed, _ballDisabled}) {
        ball->setScale9Enabled(false);
        addProtectedChild(ball, -1);
    }
    onPressStateChangedToNormal();
}

std::string Slider::getDescription() const {
    return "Slider";
}

void Slider::loadBarTexture(const std::string& file, TextureResType /*type*/) {
    _barFile = load(_barRenderer, file);
    _barRenderer->setCapInsets(_capInsets);
    rendererChanged();
}

void Slider::loadProgressBarTexture(const std::string& file, TextureResType /*type*/) {
    _progressFile = load(_progressRenderer, file);
    _progressRenderer->setCapInsets(_capInsets);
    adaptRenderers();
}

void Slider::loadSlidBallTextures(const std::string& normal, const std::string& pressed,
                                  const std::string& disabled, TextureResType type) {
    loadSlidBallTextureNormal(normal, type);
    loadSlidBallTexturePressed(pressed, type);
    loadSlidBallTextureDisabled(disabled, type);
}

void Slider::loadSlidBallTextureNormal(const std::string& file, TextureResType /*type*/) {
    _ballNormalFile = load(_ballNormal, file);
    onPressStateChangedToNormal();
}

void Slider::loadSlidBallTexturePressed(const std::string& file, TextureResType /*type*/) {
    _ballPressedFile = load(_ballPressed, file);
    onPressStateChangedToNormal();
}

void Slider::loadSlidBallTextureDisabled(const std::string& file, TextureResType /*type*/) {
    _ballDisabledFile = load(_ballDisabled, file);
    onPressStateChangedToNormal();
}

void Slider::setScale9Enabled(bool enabled) {
    _scale9Enabled = enabled;
    _barRenderer->setScale9Enabled(enabled);
    _progressRenderer->setScale9Enabled(enabled);
    if (enabled && _ignoreSize)
        ignoreContentAdaptWithSize(false);
    adaptRenderers();
}

void Slider::setCapInsets(const Rect& capInsets) {
    _capInsets = capInsets;
    _barRenderer->setCapInsets(capInsets);
    _progressRenderer->setCapInsets(capInsets);
}

void Slider::setPercent(int percent) {
    if (percent < 0)
        percent = 0;
    if (percent > _maxPercent)
        percent = _maxPercent;
    _percent = percent;
    placeBallAndProgress();
}

void Slider::setMaxPercent(int percent) {
    _maxPercent = percent > 0 ? percent : 1;
    setPercent(_percent);
}

void Slider::placeBallAndProgress() {
    const float w = _contentSize.width;
    const float h = _contentSize.height;
    const float x = _maxPercent > 0 ? w * _percent / _maxPercent : 0.0f;
    for (Scale9Sprite* ball : {_ballNormal, _ballPressed, _ballDisabled}) {
        ball->setPreferredSize(ball->getOriginalSize());
        ball->setPosition(Vec2(x, h * 0.5f));
    }
    _progressRenderer->setPreferredSize(Size(x, h));
    _progressRenderer->setPosition(Vec2(0.0f, h * 0.5f));
}

int Slider::percentAt(const Vec2& worldPoint) const {
    const float w = _contentSize.width;
    if (w <= 0)
        return 0;
    Vec3 local;
    hitTest(worldPoint, Camera::getVisitingCamera(), &local);
    float p = local.x / w * _maxPercent;
    return static_cast<int>(std::lround(p));
}

void Slider::send(EventType type) {
    retain();
    if (_eventCallback)
        _eventCallback(this, type);
    release();
}

bool Slider::hitTest(const Vec2& pt, const Camera* camera, Vec3* p) const {
    if (Widget::hitTest(pt, camera, p))
        return true;
    // The ball may stand out of the bar.
    const Node* ball = _ballNormal;
    Vec2 local;
    const Size& s = ball->getContentSize();
    return toNodeSpace(ball, pt, camera, &local) && Rect(0, 0, s.width, s.height).containsPoint(local);
}

bool Slider::onTouchBegan(Touch* touch, Event* unusedEvent) {
    bool claimed = Widget::onTouchBegan(touch, unusedEvent);
    if (_hitted) {
        setPercent(percentAt(_touchBeganPosition));
        send(EventType::ON_SLIDEBALL_DOWN);
        send(EventType::ON_PERCENTAGE_CHANGED);
    }
    return claimed;
}

void Slider::onTouchMoved(Touch* touch, Event* /*unusedEvent*/) {
    _touchMovePosition = touch->getLocation();
    setPercent(percentAt(_touchMovePosition));
    send(EventType::ON_PERCENTAGE_CHANGED);
    if (_propagateTouchEvents)
        propagateTouchEvent(TouchEventType::MOVED, this, touch);
    moveEvent();
}

void Slider::onTouchEnded(Touch* touch, Event* unusedEvent) {
    Widget::onTouchEnded(touch, unusedEvent);
    send(EventType::ON_SLIDEBALL_UP);
}

void Slider::onTouchCancelled(Touch* touch, Event* unusedEvent) {
    Widget::onTouchCancelled(touch, unusedEvent);
    send(EventType::ON_SLIDEBALL_CANCEL);
}

Size Slider::getVirtualRendererSize() const {
    return _barRenderer->getOriginalSize();
}

Node* Slider::getVirtualRenderer() {
    return _barRenderer;
}

void Slider::ignoreContentAdaptWithSize(bool ignore) {
    Widget::ignoreContentAdaptWithSize(_scale9Enabled ? false : ignore);
    adaptRenderers();
}

void Slider::adaptRenderers() {
    _barRenderer->setPreferredSize(_contentSize);
    _barRenderer->setPosition(Vec2(_contentSize.width * 0.5f, _contentSize.height * 0.5f));
    placeBallAndProgress();
}

void Slider::onPressStateChangedToNormal() {
    _ballNormal->setVisible(true);
    _ballPressed->setVisible(false);
    _ballDisabled->setVisible(false);
}

void Slider::onPressStateChangedToPressed() {
    bool own = _ballPressed->hasTexture();
    _ballNormal->setVisible(!own);
    _ballPressed->setVisible(own);
    _ballDisabled->setVisible(false);
}

void Slider::onPressStateChangedToDisabled() {
    bool own = _ballDisabled->hasTexture();
    _ballNormal->setVisible(!own);
    _ballPressed->setVisible(false);
    _ballDisabled->setVisible(own);
}

Widget* Slider::createCloneInstance() {
    return Slider::create();
}

void Slider::copySpecialProperties(Widget* model) {
    auto* slider = dynamic_cast<Slider*>(model);
    if (!slider)
        return;
    setScale9Enabled(slider->_scale9Enabled);
    setCapInsets(slider->_capInsets);
    loadBarTexture(slider->_barFile);
    loadProgressBarTexture(slider->_progressFile);
    loadSlidBallTextures(slider->_ballNormalFile, slider->_ballPressedFile, slider->_ballDisabledFile);
    setMaxPercent(slider->_maxPercent);
    setPercent(slider->_percent);
    _eventCallback = slider->_eventCallback;
}

} // namespace ui
} // namespace cocos2d
