#pragma once
// A full-window node that can take touches (all at once or one by one, optionally
// swallowing them) and keys through overridable callbacks.

#include <vector>

#include "2d/Node.h"
#include "base/EventKeyboard.h"
#include "base/Touch.h"

namespace cocos2d {

class Event;
class EventListener;

class Layer : public Node {
public:
    static Layer* create();
    bool init() override;

    /// Registers (or removes) this layer's touch listener, in the current touch mode.
    virtual void setTouchEnabled(bool enabled);
    virtual bool isTouchEnabled() const { return _touchEnabled; }
    virtual void setTouchMode(Touch::DispatchMode mode);
    virtual Touch::DispatchMode getTouchMode() const { return _touchMode; }
    /// One-by-one mode only: a touch claimed in onTouchBegan goes to no listener below.
    virtual void setSwallowsTouches(bool swallowsTouches);
    virtual bool isSwallowsTouches() const { return _swallowsTouches; }

    virtual void setKeyboardEnabled(bool enabled);
    virtual bool isKeyboardEnabled() const { return _keyboardEnabled; }

    virtual bool onTouchBegan(Touch* touch, Event* event);
    virtual void onTouchMoved(Touch* touch, Event* event);
    virtual void onTouchEnded(Touch* touch, Event* event);
    virtual void onTouchCancelled(Touch* touch, Event* event);
    virtual void onTouchesBegan(const std::vector<Touch*>& touches, Event* event);
    virtual void onTouchesMoved(const std::vector<Touch*>& touches, Event* event);
    virtual void onTouchesEnded(const std::vector<Touch*>& touches, Event* event);
    virtual void onTouchesCancelled(const std::vector<Touch*>& touches, Event* event);
    virtual void onKeyPressed(EventKeyboard::KeyCode keyCode, Event* event);
    virtual void onKeyReleased(EventKeyboard::KeyCode keyCode, Event* event);

    std::string getDescription() const override;

protected:
    Layer();
    ~Layer() override;

    void registerTouchListener();
    void unregisterTouchListener();

    bool _touchEnabled = false;
    bool _keyboardEnabled = false;
    bool _swallowsTouches = true;
    Touch::DispatchMode _touchMode = Touch::DispatchMode::ALL_AT_ONCE;
    EventListener* _touchListener = nullptr;
    EventListener* _keyboardListener = nullptr;
};

} // namespace cocos2d
