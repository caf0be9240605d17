#pragma once
// The base of every UI control: touch handling with highlight and click on release, hit tests
// that respect hidden ancestors and clipping parents, touch propagation to parent widgets,
// percent size and position, layout parameters and the pressed/normal/disabled states.

#include <functional>
#include <map>
#include <string>

#include "2d/ProtectedNode.h"
#include "math/Vec3.h"
#include "ui/LayoutParameter.h"

namespace cocos2d {

class Camera;
class Event;
class EventListenerTouchOneByOne;
class Touch;

namespace ui {

class LayoutComponent;

class Widget : public ProtectedNode {
public:
    enum class FocusDirection { LEFT, RIGHT, UP, DOWN };
    enum class PositionType { ABSOLUTE, PERCENT };
    enum class SizeType { ABSOLUTE, PERCENT };
    enum class TouchEventType { BEGAN, MOVED, ENDED, CANCELED };
    enum class TextureResType { LOCAL = 0, PLIST = 1 };
    enum class BrightStyle { NONE = -1, NORMAL, HIGHLIGHT };

    using ccWidgetTouchCallback = std::function<void(Ref*, TouchEventType)>;
    using ccWidgetClickCallback = std::function<void(Ref*)>;

    static Widget* create();
    bool init() override;

    // --- states ------------------------------------------------------------------------------
    virtual void setEnabled(bool enabled);
    bool isEnabled() const { return _enabled; }
    void setBright(bool bright);
    bool isBright() const { return _bright; }
    void setBrightStyle(BrightStyle style);
    virtual void setHighlighted(bool highlight);
    bool isHighlighted() const { return _highlight; }

    // --- touch -------------------------------------------------------------------------------
    virtual void setTouchEnabled(bool enabled);
    bool isTouchEnabled() const { return _touchEnabled; }
    /// A claimed touch is kept from the listeners of the nodes below (on by default).
    void setSwallowTouches(bool swallow);
    bool isSwallowTouches() const;
    /// Touch events are handed to the parent widget's interceptTouchEvent (on by default).
    void setPropagateTouchEvents(bool propagate) { _propagateTouchEvents = propagate; }
    bool isPropagateTouchEvents() const { return _propagateTouchEvents; }
    /// Grows (above 1) or shrinks the area that takes touches about the widget's centre;
    /// a scaled-down control can keep a finger-sized target.
    void setTouchScaled(float factor) { _touchScale = factor > 0.0f ? factor : 1.0f; }
    float getTouchScaled() const { return _touchScale; }
    void addTouchEventListener(const ccWidgetTouchCallback& callback) { _touchEventCallback = callback; }
    void addClickEventListener(const ccWidgetClickCallback& callback) { _clickEventListener = callback; }

    virtual bool onTouchBegan(Touch* touch, Event* unusedEvent);
    virtual void onTouchMoved(Touch* touch, Event* unusedEvent);
    virtual void onTouchEnded(Touch* touch, Event* unusedEvent);
    virtual void onTouchCancelled(Touch* touch, Event* unusedEvent);
    /// A parent's look at the touches of its child widgets (a scroll view steals drags here).
    virtual void interceptTouchEvent(TouchEventType event, Widget* sender, Touch* touch);
    void propagateTouchEvent(TouchEventType event, Widget* sender, Touch* touch);

    /// Whether the point (window points) lies on the widget as the camera shows it; p receives
    /// the point in node space.
    virtual bool hitTest(const Vec2& pt, const Camera* camera, Vec3* p) const;
    /// The point (window points) in the node's space as the camera shows the node (null or the
    /// default camera: the plain transform); false when the camera looks along the plane.
    static bool toNodeSpace(const Node* node, const Vec2& pt, const Camera* camera, Vec2* local);
    /// False when a clipping layout above the widget cuts the point away.
    bool isClippingParentContainsPoint(const Vec2& pt) const;
    /// The widget and every ancestor visible.
    static bool isAncestorsVisible(const Node* node);
    bool isAncestorsEnabled() const;

    const Vec2& getTouchBeganPosition() const { return _touchBeganPosition; }
    const Vec2& getTouchMovePosition() const { return _touchMovePosition; }
    const Vec2& getTouchEndPosition() const { return _touchEndPosition; }

    // --- size and position -------------------------------------------------------------------
    void setContentSize(const Size& contentSize) override;
    virtual void setSizePercent(const Vec2& percent);
    const Vec2& getSizePercent() const { return _sizePercent; }
    void setSizeType(SizeType type) { _sizeType = type; }
    SizeType getSizeType() const { return _sizeType; }
    void setPosition(const Vec2& pos) override;
    // A parent layout arranges its children again when one of them changes size, scale or
    // visibility (a row of overlay texts re-packs when a value grows).
    void setVisible(bool visible) override;
    void setScaleX(float scaleX) override;
    void setScaleY(float scaleY) override;
    void setScale(float scale) override;
    void setScale(float scaleX, float scaleY) override;
    using Node::setPosition;
    void setPositionPercent(const Vec2& percent);
    const Vec2& getPositionPercent() const { return _positionPercent; }
    void setPositionType(PositionType type);
    PositionType getPositionType() const { return _positionType; }
    /// True: the content size follows the renderer (picture or text); false: the size given.
    virtual void ignoreContentAdaptWithSize(bool ignore);
    bool isIgnoreContentAdaptWithSize() const { return _ignoreSize; }
    const Size& getCustomSize() const { return _customSize; }
    /// The size the widget takes while it follows its renderer (plain widgets: the size given).
    virtual Size getVirtualRendererSize() const { return _customSize; }
    virtual Node* getVirtualRenderer() { return this; }
    /// Re-reads percent size and position against the parent's size.
    virtual void updateSizeAndPosition();
    virtual void updateSizeAndPosition(const Size& parentSize);
    Widget* getWidgetParent();
    float getLeftBoundary() const;
    float getBottomBoundary() const;
    float getRightBoundary() const;
    float getTopBoundary() const;

    // --- layout --------------------------------------------------------------------------------
    void setLayoutParameter(LayoutParameter* parameter);
    /// The parameter of the kind the parent layout uses (or the last one set).
    LayoutParameter* getLayoutParameter() const;
    LayoutParameter* getLayoutParameter(LayoutParameter::Type type) const;
    void setLayoutComponent(LayoutComponent* component);
    LayoutComponent* getLayoutComponent() const { return _layoutComponent; }
    virtual Widget* findNextFocusedWidget(FocusDirection direction, Widget* current);

    // --- identity ------------------------------------------------------------------------------
    /// A free text kept with the widget (the layout files' "userString").
    void setUserString(const std::string& text) { _userString = text; }
    const std::string& getUserString() const { return _userString; }
    void setCallbackName(const std::string& name) { _callbackName = name; }
    const std::string& getCallbackName() const { return _callbackName; }

    // --- cloning -------------------------------------------------------------------------------
    std::string getDescription() const override;
    Widget* clone();

    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;
    void onEnter() override;

protected:
    Widget();
    ~Widget() override;

    virtual void initRenderer() {}
    virtual void onSizeChanged();
    virtual void onPressStateChangedToNormal() {}
    virtual void onPressStateChangedToPressed() {}
    virtual void onPressStateChangedToDisabled() {}
    /// Renderers follow the content size (called before drawing when the size changed).
    virtual void adaptRenderers() {}
    /// After a new picture or text: a widget that follows its renderer takes its size, and
    /// the renderers are fitted again.
    void rendererChanged();
    void requestParentLayout();
    void pushDownEvent();
    void moveEvent();
    void releaseUpEvent();
    void cancelUpEvent();

    virtual Widget* createCloneInstance();
    virtual void copySpecialProperties(Widget* model);
    virtual void copyClonedWidgetChildren(Widget* model);
    void copyProperties(Widget* model);

    bool _enabled = true;
    bool _bright = true;
    bool _touchEnabled = false;
    bool _highlight = false;
    bool _hitted = false;
    bool _swallowTouches = true;
    bool _propagateTouchEvents = true;
    float _touchScale = 1.0f;
    BrightStyle _brightStyle = BrightStyle::NONE;
    EventListenerTouchOneByOne* _touchListener = nullptr;
    Vec2 _touchBeganPosition;
    Vec2 _touchMovePosition;
    Vec2 _touchEndPosition;
    ccWidgetTouchCallback _touchEventCallback;
    ccWidgetClickCallback _clickEventListener;

    bool _ignoreSize = false;
    bool _contentSizeDirtyForRenderers = true;
    Size _customSize;
    SizeType _sizeType = SizeType::ABSOLUTE;
    Vec2 _sizePercent;
    PositionType _positionType = PositionType::ABSOLUTE;
    Vec2 _positionPercent;

    std::map<int, LayoutParameter*> _layoutParameters; // each retained
    LayoutParameter::Type _layoutParameterType = LayoutParameter::Type::NONE;
    LayoutComponent* _layoutComponent = nullptr;
    std::string _userString;
    std::string _callbackName;
};

} // namespace ui
} // namespace cocos2d
