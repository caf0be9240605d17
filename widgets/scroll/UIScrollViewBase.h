#pragma once
// The toolkit's scroll container: a clipping layout that moves a larger inner container by
// touch drags, the mouse wheel and an inertial glide after a flick, reports scroll events to
// one callback and shows a thin vertical scroll bar that fades out.

#include <functional>

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
class Sprite;
} // namespace cocos2d

namespace NSUI {

class UIScrollViewBase : public cocos2d::ui::Layout,
                         public UIControlGenerater,
                         public UILocalConfig,
                         public UIJson,
                         public UIControlBase,
                         public UIHttpPhisical {
public:
    enum Direction { kDirNone = 0, kDirVertical = 1, kDirHorizontal = 2, kDirBoth = 3 };
    enum ScrollEvent {
        kScrollToTop = 0,
        kScrollToBottom = 1,
        kScrollToLeft = 2,
        kScrollToRight = 3,
        kScrolling = 4
    };
    using ScrollCallback = std::function<void(cocos2d::Ref* sender, int eventType)>;

    static UIScrollViewBase* create();
    bool init() override;
    void onEnter() override;
    void update(float dt) override;
    void setContentSize(const cocos2d::Size& size) override;

    virtual void setDirection(int direction) { this->direction = direction; }
    int getDirection() const { return direction; }
    virtual void setScrollCallback(const ScrollCallback& callback) { scrollCallback = callback; }
    /// Moves the content by (dx, dy) within the edges; false when an edge stopped it.
    virtual bool scrollChildren(float dx, float dy);
    virtual void startInertiaScroll();
    virtual void onPressBegin(cocos2d::Touch* touch);
    virtual void onPressMove(cocos2d::Touch* touch);
    virtual void onPressEnd(cocos2d::Touch* touch);
    /// After every change of the inner container's position or size.
    virtual void onScrolled();

    /// Sizes the inner container (at least the view's size) keeping the top content in place.
    void setInnerContainerSize(const cocos2d::Size& size);
    const cocos2d::Size& getInnerContainerSize() const;
    cocos2d::ui::Layout* getInnerContainer() const { return innerContainer; }
    /// Moves the inner container to the offset, clamped to the scroll range.
    void setContentOffset(const cocos2d::Vec2& offset);
    cocos2d::Vec2 getContentOffset() const;

    void setInertiaScrollEnabled(bool enabled) { inertiaScrollEnabled = enabled; }
    bool isInertiaScrollEnabled() const { return inertiaScrollEnabled; }
    void setAutoScrollMaxSpeed(float speed) { autoScrollMaxSpeed = speed; }
    bool isAutoScrolling() const { return autoScroll; }
    float getAutoScrollSpeed() const;
    cocos2d::Sprite* getScrollBar() const { return scrollBar; }

    // Children live in the inner container.
    void addChild(cocos2d::Node* child) override;
    void addChild(cocos2d::Node* child, int localZOrder) override;
    void addChild(cocos2d::Node* child, int localZOrder, int tag) override;
    void addChild(cocos2d::Node* child, int localZOrder, const std::string& name) override;
    void removeChild(cocos2d::Node* child, bool cleanup = true) override;
    void removeAllChildren() override;
    void removeAllChildrenWithCleanup(bool cleanup) override;
    cocos2d::Vector<cocos2d::Node*>& getChildren() override;
    const cocos2d::Vector<cocos2d::Node*>& getChildren() const override;
    ssize_t getChildrenCount() const override;
    cocos2d::Node* getChildByTag(int tag) const override;
    cocos2d::Node* getChildByName(const std::string& name) const override;
    void setLayoutType(Type type) override;
    Type getLayoutType() const override;
    void forceDoLayout() override;
    cocos2d::ui::Widget* findNextFocusedWidget(FocusDirection direction,
                                               cocos2d::ui::Widget* current) override;

    void setTouchEnabled(bool enabled) override;
    bool onTouchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchMoved(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchEnded(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void onTouchCancelled(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void interceptTouchEvent(TouchEventType event, cocos2d::ui::Widget* sender,
                             cocos2d::Touch* touch) override;

    std::string getDescription() const override { return "ScrollView"; }

protected:
    UIScrollViewBase() = default;
    ~UIScrollViewBase() override;

    void initRenderer() override;
    void onSizeChanged() override;
    cocos2d::ui::Widget* createCloneInstance() override;
    void copySpecialProperties(cocos2d::ui::Widget* model) override;

    void sendScrollEvent(int eventType);
    void onWheel(cocos2d::EventMouse* event);
    void glide(float dt);
    void updateScrollBar();

    cocos2d::ui::Layout* innerContainer = nullptr;
    int direction = kDirVertical;
    cocos2d::Vec2 autoScrollDir;
    float topBoundary = 0.0f;
    float bottomBoundary = 0.0f;
    float leftBoundary = 0.0f;
    float rightBoundary = 0.0f;
    bool autoScroll = false;
    float autoScrollAddUpTime = 0.0f;
    float autoScrollOriginalSpeed = 0.0f;
    float autoScrollAcceleration = -1000.0f;
    bool isAutoScrollSpeedAttenuated = false;
    bool bePressed = false;
    float slidTime = 0.0f;
    cocos2d::Vec2 moveChildPoint;
    float childFocusCancelOffset = 5.0f;
    bool inertiaScrollEnabled = true;
    ScrollCallback scrollCallback;
    float autoScrollMaxSpeed = 1000.0f;
    bool axisUndecided = true;
    float axisFactorX = 1.0f;
    float axisFactorY = 1.0f;
    cocos2d::Sprite* scrollBar = nullptr;
    cocos2d::EventListenerMouse* wheelListener = nullptr;

    bool intercepting = false;
    cocos2d::Vec2 pressBeganPoint;
    cocos2d::Vec2 pressEndPoint;
};

} // namespace NSUI
