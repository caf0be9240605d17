#pragma once
// The base of every full-screen layout and render window: an engine layout with the toolkit's
// mixins that turns mouse input into four hooks, called only while the pointer is over the
// layout where it is drawn, and pumps its asynchronous image loads while on screen.

#include "base/UIControlBase.h"
#include "base/UIControlGenerater.h"
#include "cocos2d.h"
#include "http/UIHttpPhisical.h"
#include "json/UIJson.h"
#include "lang/UILocalConfig.h"
#include "ui/Layout.h"

namespace cocos2d {
class EventListenerMouse;
class EventMouse;
} // namespace cocos2d

namespace NSUI {

class NSLayout : public cocos2d::ui::Layout,
                 public UIControlGenerater,
                 public UILocalConfig,
                 public UIJson,
                 public UIControlBase,
                 public UIHttpPhisical {
public:
    static NSLayout* create();
    bool init() override;
    void cleanup() override;
    void onEnterTransitionDidFinish() override;
    void onExit() override;

    /// Hooks get the pointer in node space; true consumes the event. The base ones do nothing.
    virtual bool onMouseScroll(float x, float y, float scrollY);
    virtual bool onMouseDown(float x, float y);
    virtual bool onMouseUp(float x, float y);
    virtual bool onMouseMove(float x, float y);

    /// Whether the pointer of a mouse event reaches this node: it and every ancestor visible,
    /// its camera list holding the visiting camera, and the point strictly inside its content.
    /// point receives the location in node space.
    static bool mouseEventReaches(cocos2d::Node* node, cocos2d::EventMouse* event, cocos2d::Vec2* point);

    bool isLeftButtonDown() const { return leftButtonDown; }
    bool isRightButtonDown() const { return rightButtonDown; }
    bool isMiddleButtonDown() const { return middleButtonDown; }

    static constexpr const char* kImagePumpKey = "NSLayout_imagePump";

protected:
    NSLayout() = default;
    ~NSLayout() override;

    cocos2d::EventListenerMouse* mouseListener = nullptr;
    bool leftButtonDown = false;
    bool rightButtonDown = false;
    bool middleButtonDown = false;
    cocos2d::Vec2 previousMousePoint;

private:
    void dispatchScroll(cocos2d::EventMouse* event);
    void dispatchDown(cocos2d::EventMouse* event);
    void dispatchUp(cocos2d::EventMouse* event);
    void dispatchMove(cocos2d::EventMouse* event);
    void clearButtons() { leftButtonDown = rightButtonDown = middleButtonDown = false; }
};

} // namespace NSUI
