#include "2d/Layer.h"

#include <new>

#include "base/Director.h"
#include "base/EventDispatcher.h"
#include "base/EventListenerKeyboard.h"
#include "base/EventListenerTouchAllAtOnce.h"
#include "base/EventListenerTouchOneByOne.h"
#include "base/ccMacros.h"

namespace cocos2d {

Layer* Layer::create()
{
    auto* ret = new (std::nothrow) Layer();
    if (ret && ret->init()) {
        ret->autorelease();
        return ret;
    }
    delete ret;
    return nullptr;
}

Layer::Layer()
{
    _ignoreAnchorPointForPosition = true;
    setAnchorPoint(Vec2(0.5f, 0.5f));
}

Layer::~Layer()
{
    unregisterTouchListener();
    if (_keyboardListener) {
        _eventDispatcher->removeEventListener(_keyboardListener);
        CC_SAFE_RELEASE_NULL(_keyboardListener);
    }
}

bool Layer::init()
{
    setContentSize(Director::getInstance()->getWinSize());
    return true;
}

std::string Layer::getDescription() const { return "<Layer | Tag = " + std::to_string(_tag) + ">"; }

void Layer::setTouchEnabled(bool enabled)
{
    if (_touchEnabled == enabled)
        return;
    _touchEnabled = enabled;
    if (enabled)
        registerTouchListener();
    else
        unregisterTouchListener();
}

void Layer::setTouchMode(Touch::DispatchMode mode)
{
    if (_touchMode == mode)
        return;
    _touchMode = mode;
    if (_touchEnabled) {
        unregisterTouchListener();
        registerTouchListener();
    }
}

void Layer::setSwallowsTouches(bool swallowsTouches)
{
    if (_swallowsTouches == swallowsTouches)
        return;
    _swallowsTouches = swallowsTouches;
    if (_touchEnabled) {
        unregisterTouchListener();
        registerTouchListener();
    }
}

void Layer::registerTouchListener()
{
    if (_touchMode == Touch::DispatchMode::ALL_AT_ONCE) {
        auto* listener = EventListenerTouchAllAtOnce::create();
        listener->onTouchesBegan = CC_CALLBACK_2(Layer::onTouchesBegan, this);
        listener->onTouchesMoved = CC_CALLBACK_2(Layer::onTouchesMoved, this);
        listener->onTouchesEnded = CC_CALLBACK_2(Layer::onTouchesEnded, this);
        listener->onTouchesCancelled = CC_CALLBACK_2(Layer::onTouchesCancelled, this);
        _touchListener = listener;
    } else {
        auto* listener = EventListenerTouchOneByOne::create();
        listener->setSwallowTouches(_swallowsTouches);
        listener->onTouchBegan = CC_CALLBACK_2(Layer::onTouchBegan, this);
        listener->onTouchMoved = CC_CALLBACK_2(Layer::onTouchMoved, this);
        listener->onTouchEnded = CC_CALLBACK_2(Layer::onTouchEnded, this);
        listener->onTouchCancelled = CC_CALLBACK_2(Layer::onTouchCancelled, this);
        _touchListener = listener;
    }
    _touchListener->retain();
    _eventDispatcher->addEventListenerWithSceneGraphPriority(_touchListener, this);
}

void Layer::unregisterTouchListener()
{
    if (!_touchListener)
        return;
    _eventDispatcher->removeEventListener(_touchListener);
    CC_SAFE_RELEASE_NULL(_touchListener);
}

void Layer::setKeyboardEnabled(bool enabled)
{
    if (_keyboardEnabled == enabled)
        return;
    _keyboardEnabled = enabled;
    if (_keyboardListener) {
        _eventDispatcher->removeEventListener(_keyboardListener);
        CC_SAFE_RELEASE_NULL(_keyboardListener);
    }
    if (!enabled)
        return;
    auto* listener = EventListenerKeyboard::create();
    listener->onKeyPressed = CC_CALLBACK_2(Layer::onKeyPressed, this);
    listener->onKeyReleased = CC_CALLBACK_2(Layer::onKeyReleased, this);
    listener->retain();
    _keyboardListener = listener;
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, this);
}

bool Layer::onTouchBegan(Touch*, Event*) { return false; }
void Layer::onTouchMoved(Touch*, Event*) {}
void Layer::onTouchEnded(Touch*, Event*) {}
void Layer::onTouchCancelled(Touch*, Event*) {}
void Layer::onTouchesBegan(const std::vector<Touch*>&, Event*) {}
void Layer::onTouchesMoved(const std::vector<Touch*>&, Event*) {}
void Layer::onTouchesEnded(const std::vector<Touch*>&, Event*) {}
void Layer::onTouchesCancelled(const std::vector<Touch*>&, Event*) {}
void Layer::onKeyPressed(EventKeyboard::KeyCode, Event*) {}
void Layer::onKeyReleased(EventKeyboard::KeyCode, Event*) {}

} // namespace cocos2d
