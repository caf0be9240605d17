#pragma once
// The element of the scene graph: a transform (2D or 3D) relative to its parent, ordered
// children, a camera list, scheduling and actions, and the enter/exit/cleanup lifecycle.

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "base/Ref.h"
#include "base/Vector.h"
#include "math/Color3B.h"
#include "math/Mat4.h"
#include "math/Quaternion.h"
#include "math/Rect.h"
#include "math/Vec2.h"
#include "math/Vec3.h"

namespace cocos2d {

class Action;
class ActionManager;
class Camera;
class EventDispatcher;
class EventListener;
class GLProgram;
class GLProgramState;
class Renderer;
class Scene;
class Scheduler;
class Touch;

class Node : public Ref {
public:
    static const int INVALID_TAG = -1;

    enum {
        FLAGS_TRANSFORM_DIRTY = (1 << 0),
        FLAGS_CONTENT_SIZE_DIRTY = (1 << 1),
        FLAGS_RENDER_AS_3D = (1 << 3),
        FLAGS_DIRTY_MASK = (FLAGS_TRANSFORM_DIRTY | FLAGS_CONTENT_SIZE_DIRTY),
    };

    static Node* create();

    virtual std::string getDescription() const;

    // --- z order -------------------------------------------------------------------------
    /// Order among siblings; equal values keep the order in which they were added.
    virtual void setLocalZOrder(int localZOrder);
    virtual int getLocalZOrder() const { return _localZOrder; }
    void setZOrder(int localZOrder) { setLocalZOrder(localZOrder); }
    int getZOrder() const { return getLocalZOrder(); }
    /// Drawing (and so touch) order across the whole scene; larger draws later, on top.
    virtual void setGlobalZOrder(float globalZOrder);
    virtual float getGlobalZOrder() const { return _globalZOrder; }
    /// Puts this node and all its descendants at the global z order of this node's local
    /// z order, so a modal window drawn and touched above everything else in the scene.
    void updateChildrenToHighZOrder();
    unsigned int getOrderOfArrival() const { return _orderOfArrival; }
    void setOrderOfArrival(unsigned int orderOfArrival) { _orderOfArrival = orderOfArrival; }

    // --- geometry ------------------------------------------------------------------------
    virtual void setScaleX(float scaleX);
    virtual float getScaleX() const { return _scaleX; }
    virtual void setScaleY(float scaleY);
    virtual float getScaleY() const { return _scaleY; }
    virtual void setScaleZ(float scaleZ);
    virtual float getScaleZ() const { return _scaleZ; }
    virtual void setScale(float scale);
    virtual void setScale(float scaleX, float scaleY);
    /// The x scale (the two scales are expected to be equal).
    virtual float getScale() const { return _scaleX; }

    virtual void setPosition(const Vec2& position);
    virtual void setPosition(float x, float y);
    virtual const Vec2& getPosition() const { return _position; }
    virtual void getPosition(float* x, float* y) const;
    virtual void setPositionX(float x);
    virtual float getPositionX() const { return _position.x; }
    virtual void setPositionY(float y);
    virtual float getPositionY() const { return _position.y; }
    virtual void setPosition3D(const Vec3& position);
    virtual Vec3 getPosition3D() const { return Vec3(_position.x, _position.y, _positionZ); }
    virtual void setPositionZ(float positionZ);
    virtual float getPositionZ() const { return _positionZ; }
    /// Position as a fraction of the parent's content size, applied when the node is visited.
    virtual void setNormalizedPosition(const Vec2& position);
    virtual const Vec2& getNormalizedPosition() const { return _normalizedPosition; }

    virtual void setSkewX(float skewX);
    virtual float getSkewX() const { return _skewX; }
    virtual void setSkewY(float skewY);
    virtual float getSkewY() const { return _skewY; }

    /// Anchor as a fraction of the content size: the point placed at the position and about
    /// which the node turns and scales.
    virtual void setAnchorPoint(const Vec2& anchorPoint);
    virtual const Vec2& getAnchorPoint() const { return _anchorPoint; }
    virtual const Vec2& getAnchorPointInPoints() const { return _anchorPointInPoints; }
    virtual void setContentSize(const Size& contentSize);
    virtual const Size& getContentSize() const { return _contentSize; }
    /// When set, the position places the node's corner (0, 0) instead of its anchor.
    virtual void setIgnoreAnchorPointForPosition(bool ignore);
    virtual bool isIgnoreAnchorPointForPosition() const { return _ignoreAnchorPointForPosition; }
    void ignoreAnchorPointForPosition(bool ignore) { setIgnoreAnchorPointForPosition(ignore); }

    /// 2D rotation in degrees, clockwise.
    virtual void setRotation(float rotation);
    virtual float getRotation() const { return _rotationZ_X; }
    /// Rotations about x, y, z in degrees (z clockwise, as the 2D rotation); applied x first.
    virtual void setRotation3D(const Vec3& rotation);
    virtual Vec3 getRotation3D() const { return Vec3(_rotationX, _rotationY, _rotationZ_X); }
    virtual void setRotationQuat(const Quaternion& quat);
    virtual Quaternion getRotationQuat() const { return _rotationQuat; }
    virtual void setRotationSkewX(float rotationX);
    virtual float getRotationSkewX() const { return _rotationZ_X; }
    virtual void setRotationSkewY(float rotationY);
    virtual float getRotationSkewY() const { return _rotationZ_Y; }

    virtual void setVisible(bool visible);
    virtual bool isVisible() const { return _visible; }

    // --- colour and opacity --------------------------------------------------------------
    virtual GLubyte getOpacity() const { return _realOpacity; }
    virtual GLubyte getDisplayedOpacity() const { return _displayedOpacity; }
    virtual void setOpacity(GLubyte opacity);
    virtual void updateDisplayedOpacity(GLubyte parentOpacity);
    virtual bool isCascadeOpacityEnabled() const { return _cascadeOpacityEnabled; }
    virtual void setCascadeOpacityEnabled(bool enabled);
    virtual const Color3B& getColor() const { return _realColor; }
    virtual const Color3B& getDisplayedColor() const { return _displayedColor; }
    virtual void setColor(const Color3B& color);
    virtual void updateDisplayedColor(const Color3B& parentColor);
    virtual bool isCascadeColorEnabled() const { return _cascadeColorEnabled; }
    virtual void setCascadeColorEnabled(bool enabled);
    virtual void setOpacityModifyRGB(bool value) { (void)value; }
    virtual bool isOpacityModifyRGB() const { return false; }

    // --- children ------------------------------------------------------------------------
    virtual void addChild(Node* child);
    virtual void addChild(Node* child, int localZOrder);
    virtual void addChild(Node* child, int localZOrder, int tag);
    virtual void addChild(Node* child, int localZOrder, const std::string& name);
    virtual Node* getChildByTag(int tag) const;
    virtual Node* getChildByName(const std::string& name) const;
    /// The first node of that name anywhere below this one (depth first, in child order).
    virtual Node* getChildByNameDeep(const std::string& name) const;
    template <typename T> T getChildByTag(int tag) const { return static_cast<T>(getChildByTag(tag)); }
    template <typename T> T getChildByName(const std::string& name) const
    {
        return static_cast<T>(getChildByName(name));
    }
    virtual Vector<Node*>& getChildren() { return _children; }
    virtual const Vector<Node*>& getChildren() const { return _children; }
    virtual ssize_t getChildrenCount() const { return _children.size(); }
    virtual void setParent(Node* parent);
    virtual Node* getParent() { return _parent; }
    virtual const Node* getParent() const { return _parent; }
    virtual void removeFromParent();
    virtual void removeFromParentAndCleanup(bool cleanup);
    virtual void removeChild(Node* child, bool cleanup = true);
    virtual void removeChildByTag(int tag, bool cleanup = true);
    virtual void removeChildByName(const std::string& name, bool cleanup = true);
    virtual void removeAllChildren();
    virtual void removeAllChildrenWithCleanup(bool cleanup);
    virtual void reorderChild(Node* child, int localZOrder);
    /// Sorts the children by local z order, keeping the order of arrival among equals.
    virtual void sortAllChildren();

    // --- identity and user data ----------------------------------------------------------
    virtual int getTag() const { return _tag; }
    virtual void setTag(int tag) { _tag = tag; }
    virtual const std::string& getName() const { return _name; }
    virtual void setName(const std::string& name) { _name = name; }
    virtual void* getUserData() { return _userData; }
    virtual void setUserData(void* userData) { _userData = userData; }
    virtual Ref* getUserObject() { return _userObject; }
    /// The object is retained until it is replaced or the node goes away.
    virtual void setUserObject(Ref* userObject);

    // --- lifecycle -----------------------------------------------------------------------
    virtual bool init();
    virtual bool isRunning() const { return _running; }
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExit();
    virtual void onExitTransitionDidStart();
    /// Stops actions and timers of this node and all below it; harmless to call twice.
    virtual void cleanup();
    /// The scene this node is in (the node itself when it is a scene), or null.
    virtual Scene* getScene() const;

    // --- drawing -------------------------------------------------------------------------
    /// Draws this node alone; the renderer fills this in.
    virtual void draw(Renderer* renderer, const Mat4& transform, uint32_t flags);
    /// Visits this node and its children in drawing order with the current camera.
    virtual void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags);
    virtual void visit();
    /// Nodes that draw custom content call this when that content changed, so the next frame
    /// redraws. Calling it from `visit` or `draw` keeps the frames coming while per-frame
    /// work is pending.
    void markContentChanged();

    /// The program (with its uniform values) that draws this node; retained. Setting a
    /// program gives the node a program state of its own for it.
    virtual void setGLProgram(GLProgram* glprogram);
    GLProgram* getGLProgram() const;
    virtual void setGLProgramState(GLProgramState* glProgramState);
    GLProgramState* getGLProgramState() const { return _glProgramState; }

    // --- transforms ----------------------------------------------------------------------
    virtual const Mat4& getNodeToParentTransform() const;
    virtual Mat4 getNodeToParentTransform(Node* ancestor) const;
    virtual const Mat4& getParentToNodeTransform() const;
    virtual Mat4 getNodeToWorldTransform() const;
    virtual Mat4 getWorldToNodeTransform() const;
    /// An extra matrix applied after the node's own transform (in its local space); null clears it.
    virtual void setAdditionalTransform(const Mat4* additionalTransform);
    virtual void setAdditionalTransform(const Mat4& additionalTransform);
    virtual void setNodeToParentTransform(const Mat4& transform);
    virtual Rect getBoundingBox() const;

    Vec2 convertToNodeSpace(const Vec2& worldPoint) const;
    Vec2 convertToWorldSpace(const Vec2& nodePoint) const;
    Vec2 convertToNodeSpaceAR(const Vec2& worldPoint) const;
    Vec2 convertToWorldSpaceAR(const Vec2& nodePoint) const;
    Vec2 convertTouchToNodeSpace(Touch* touch) const;
    Vec2 convertTouchToNodeSpaceAR(Touch* touch) const;

    // --- cameras -------------------------------------------------------------------------
    /// Adds a camera flag to the node's camera list (and its descendants' when asked).
    virtual void setCameraMask(unsigned short flag, bool applyChildren = true);
    /// Removes a camera flag from the node's camera list (and its descendants' when asked).
    virtual void removeCameraMask(unsigned short flag, bool applyChildren = true);
    const std::set<unsigned short>& getCameraList() const { return _cameraList; }
    bool hasCameraFlag(unsigned short flag) const { return _cameraList.count(flag) != 0; }
    /// True when no camera is being visited or the visiting camera's flag is in the list.
    virtual bool isVisitableByVisitingCamera() const;
    /// Lets the cameras that are children of this node's children draw those children in
    /// line, where they come in this node's traversal (render windows use it).
    void enableCameraVisitThroughtChild(bool enable = true)
    {
        if (enable != _cameraVisitThroughChild)
            noteVisualChange();
        _cameraVisitThroughChild = enable;
    }
    bool isCameraVisitThroughChild() const { return _cameraVisitThroughChild; }

    // --- scheduling ----------------------------------------------------------------------
    virtual void setScheduler(Scheduler* scheduler);
    virtual Scheduler* getScheduler() { return _scheduler; }
    bool isScheduled(SEL_SCHEDULE selector) const;
    bool isScheduled(const std::string& key) const;
    void scheduleUpdate();
    void scheduleUpdateWithPriority(int priority);
    void unscheduleUpdate();
    void schedule(SEL_SCHEDULE selector, float interval, unsigned int repeat, float delay);
    void schedule(SEL_SCHEDULE selector, float interval);
    void scheduleOnce(SEL_SCHEDULE selector, float delay);
    void scheduleOnce(const std::function<void(float)>& callback, float delay, const std::string& key);
    void schedule(SEL_SCHEDULE selector);
    void schedule(const std::function<void(float)>& callback, const std::string& key);
    void schedule(const std::function<void(float)>& callback, float interval, const std::string& key);
    void schedule(const std::function<void(float)>& callback, float interval, unsigned int repeat, float delay,
                  const std::string& key);
    void unschedule(SEL_SCHEDULE selector);
    void unschedule(const std::string& key);
    virtual void unscheduleAllCallbacks();
    void unscheduleAllSelectors() { unscheduleAllCallbacks(); }
    /// Resumes (pauses) this node's timers, actions and event listeners.
    virtual void resume();
    virtual void pause();
    void resumeSchedulerAndActions() { resume(); }
    void pauseSchedulerAndActions() { pause(); }
    /// Called every frame after scheduleUpdate.
    virtual void update(float delta);

    // --- actions -------------------------------------------------------------------------
    virtual void setActionManager(ActionManager* actionManager);
    virtual ActionManager* getActionManager() { return _actionManager; }
    virtual Action* runAction(Action* action);
    void stopAllActions();
    void stopAction(Action* action);
    void stopActionByTag(int tag);
    void stopAllActionsByTag(int tag);
    Action* getActionByTag(int tag);
    ssize_t getNumberOfRunningActions() const;

    // --- events --------------------------------------------------------------------------
    virtual void setEventDispatcher(EventDispatcher* dispatcher);
    virtual EventDispatcher* getEventDispatcher() const { return _eventDispatcher; }
    /// Sends the return key (Escape) to onResponseReturn while this node is running.
    virtual void enableAndroidReturnKey(bool enable = true);
    /// The return-key hook; true consumes the key. Nothing happens here.
    virtual bool onResponseReturn() { return false; }

protected:
    Node();
    ~Node() override;

    Mat4 transform(const Mat4& parentTransform);
    uint32_t processParentFlags(const Mat4& parentTransform, uint32_t parentFlags);
    void updateRotationQuat();
    void updateRotation3D();
    void insertChild(Node* child, int z);
    void addChildHelper(Node* child, int localZOrder, int tag, const std::string& name, bool setTag);
    void detachChild(Node* child, ssize_t index, bool doCleanup);
    /// False (with a log line) for null, for a child that has a parent and for an ancestor.
    bool canAdopt(const Node* child, const char* operation) const;
    /// Makes this node the parent and brings the child up to this node's running state.
    void adoptChild(Node* child);
    /// Exits (and cleans up) the child and takes it out of the given list of this node.
    void dropChild(Node* child, Vector<Node*>& list, bool doCleanup);
    /// Local z order and a fresh order of arrival (the later one of equals is drawn on top).
    static void placeInOrder(Node* child, int localZOrder);
    static void sortByZOrder(Vector<Node*>& nodes);
    void markTransformDirty();
    /// What the engine's setters call when what this node shows changed: a running node
    /// asks for the next frame (changes made while the frame is drawn are in it already).
    void noteVisualChange();
    /// Visits the child once for the current camera and once more for each of its in-line cameras.
    void visitChild(Node* child, Renderer* renderer, uint32_t flags);
    /// Calls fn on this node and everything below it in drawing order (for event priorities).
    void visitInDrawOrder(const std::function<void(Node*)>& fn);
    /// Sorts the children and calls child() for each one and self() for this node, in drawing
    /// order (children with negative z order first). Works on a copy of the child lists.
    virtual void walkInDrawOrder(const std::function<void(Node*)>& child, const std::function<void()>& self);

    float _rotationX = 0.0f;
    float _rotationY = 0.0f;
    float _rotationZ_X = 0.0f;
    float _rotationZ_Y = 0.0f;
    Quaternion _rotationQuat;
    float _scaleX = 1.0f;
    float _scaleY = 1.0f;
    float _scaleZ = 1.0f;
    Vec2 _position;
    float _positionZ = 0.0f;
    Vec2 _normalizedPosition;
    bool _usingNormalizedPosition = false;
    bool _normalizedPositionDirty = false;
    float _skewX = 0.0f;
    float _skewY = 0.0f;
    Vec2 _anchorPointInPoints;
    Vec2 _anchorPoint;
    Size _contentSize;
    bool _contentSizeDirty = true;

    Mat4 _modelViewTransform;
    /// The transform must be rebuilt. Raising it on a running node asks for a redraw, also
    /// when a subclass with a transform of its own raises it directly.
    class TransformDirtyFlag {
    public:
        explicit TransformDirtyFlag(Node* owner) : _owner(owner) {}
        operator bool() const { return _value; }
        TransformDirtyFlag& operator=(bool value);

    private:
        Node* _owner;
        bool _value = true;
    };

    mutable Mat4 _transform;
    mutable TransformDirtyFlag _transformDirty{this};
    mutable Mat4 _inverse;
    mutable Mat4 _inverseSource; // the transform _inverse was computed from
    mutable bool _inverseDirty = true;
    /// Non-null while an additional transform is in use.
    Mat4* _additionalTransform = nullptr;
    bool _transformUpdated = true;

    int _localZOrder = 0;
    float _globalZOrder = 0.0f;
    unsigned int _orderOfArrival = 0;
    static unsigned int s_globalOrderOfArrival;

    Vector<Node*> _children;
    Node* _parent = nullptr;
    int _tag = INVALID_TAG;
    std::string _name;
    void* _userData = nullptr;
    Ref* _userObject = nullptr;

    GLProgramState* _glProgramState = nullptr;
    Scheduler* _scheduler = nullptr;
    ActionManager* _actionManager = nullptr;
    EventDispatcher* _eventDispatcher = nullptr;
    EventListener* _returnKeyListener = nullptr;

    bool _running = false;
    bool _visible = true;
    bool _ignoreAnchorPointForPosition = false;
    bool _reorderChildDirty = false;
    bool _isTransitionFinished = false;

    GLubyte _displayedOpacity = 255;
    GLubyte _realOpacity = 255;
    Color3B _displayedColor = Color3B::WHITE;
    Color3B _realColor = Color3B::WHITE;
    bool _cascadeColorEnabled = false;
    bool _cascadeOpacityEnabled = false;

    std::set<unsigned short> _cameraList{1};
    bool _cameraVisitThroughChild = false;

    friend class EventDispatcher;
    friend class ProtectedNode;

private:
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
};

} // namespace cocos2d
