#pragma once
// The rectangle of a screen in which a 3D world is drawn: a layout with a scene camera and an
// overlay camera, the lists of nodes each camera draws, an opaque background behind the scene,
// and the camera moves (pan, zoom, centring, orbit) with their notifications.

#include <functional>
#include <utility>
#include <vector>

#include "imaging/display/isCamera.h"
#include "imaging/display/isNodeObject.h"
#include "layout/NSLayout.h"

namespace isImageSDK {

class isNodeSprite;

/// The scene camera's pose as plain numbers, kept per view by the viewers.
struct isCameraState {
    float focalPoint[3];
    float position[3];
    float viewUp[3];
    float directionOfProjection[3];
    float rightAxis[3];
    float focalDistance;
    float zoomFactor;
};
static_assert(sizeof(isCameraState) == 17 * sizeof(float), "17 floats");

class isRenderWindowBase : public NSUI::NSLayout, public isNodeObject {
public:
    static constexpr unsigned int kCameraMovedId = 9089;
    static constexpr unsigned int kRedrawId = 9091;
    static constexpr unsigned int kGeometryChangedId = 9098;

    bool init() override;
    void cleanup() override;
    void onEnter() override;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform, uint32_t parentFlags) override;
    using cocos2d::Node::visit;
    void setPosition(const cocos2d::Vec2& position) override;
    using cocos2d::ui::Widget::setPosition;
    /// Maps the cameras' output into the window's rectangle and posts 9098; a size not above
    /// 1 by 1 keeps the old projection.
    void setContentSize(const cocos2d::Size& size) override;
    /// Does not hide the widget: a window set invisible is covered by its own background.
    void setVisible(bool visible) override;
    void setParent(cocos2d::Node* parent) override;
    bool isVisitableByVisitingCamera() const override;
    /// Forgets both cameras.
    void resetNodeLinks() override;

    /// Scene nodes are children drawn by the scene camera (not retained by the list).
    virtual void addSceneNode(cocos2d::Node* node);
    virtual void removeSceneNode(cocos2d::Node* node);
    /// Overlay nodes are drawn by the overlay camera; they are children only while the window
    /// itself is visited.
    virtual void addOverlayNode(cocos2d::Node* node);
    virtual void clearOverlayNodes();
    virtual void removeOverlayNode(cocos2d::Node* node);
    virtual void setCameraPosition(const cocos2d::Vec3& position);
    virtual void setCameraFocalAndUp(const cocos2d::Vec3& focalPoint, const cocos2d::Vec3& viewUp);
    virtual void getCameraState(isCameraState& out) const;
    /// A point in the window's pixels to a world point on the viewer's plane; false here.
    virtual bool screenToWorld(const cocos2d::Vec2& point, cocos2d::Vec3& world);
    virtual void screenPointToWorldRay(const cocos2d::Vec2& point, cocos2d::Vec3& origin,
                                       cocos2d::Vec3& direction);
    /// Whether the viewer's reference point shows inside the window; always here.
    virtual bool isReferenceInView() { return true; }
    /// Called after every camera move; nothing here.
    virtual void onCameraChanged() {}

    /// Places and scales the background to cover the view.
    void updateBackground() { fitBackground(); }

    /// Runs the callback on the main thread in every frame in which the window is drawn, when its
    /// redraw notice is queued: for work that must start in the frame that shows a change rather
    /// than a tick later, when the notice arrives. One callback per target; a second replaces it.
    void setDrawnCallback(void* target, std::function<void()> callback);
    void removeDrawnCallback(void* target);

    /// Switches between a white and a black background.
    void setInverted(bool white);
    bool isInverted() const { return inverted; }
    bool isBackgroundBehind() const { return backgroundBehind; }

    cocos2d::Vec3 getFocalPoint() const;
    /// Re-aims both cameras at the point, keeping their view-up.
    void setFocalPoint(const cocos2d::Vec3& point);
    void getCameraVectors(cocos2d::Vec3& focalPoint, cocos2d::Vec3& viewUp) const;
    void projectToScreen(const cocos2d::Vec3& world, cocos2d::Vec2& out) const;

    /// Orthographic only.
    void setZoom(float factor);
    /// A factor above 1 enlarges; factors not positive and finite are refused.
    void zoomBy(float factor);
    /// Screen pixels; a positive dx shows more of the world to the right.
    void panBy(float dx, float dy);
    void centerOn(const cocos2d::Vec3& point);
    /// Swings the camera about the view-up axis through the focal point (radians).
    void orbitBy(float angle);
    /// Perspective only: moves the camera along its view direction by distance / factor.
    void dollyBy(float factor);
    /// The zoom shown to the user is referenceScale / zoom factor (or / focal distance).
    void setZoomRatio(float ratio);
    float getZoomRatio() const;
    void setReferenceScale(float scale) { referenceScale = scale; }
    float getReferenceScale() const { return referenceScale; }

    isCamera* getSceneCamera() const { return sceneCamera; }
    isCamera* getOverlayCamera() const { return overlayCamera; }
    isNodeSprite* getBackground() const { return background; }
    const std::vector<cocos2d::Node*>& getSceneNodes() const { return sceneNodes; }
    const std::vector<cocos2d::Node*>& getOverlayNodes() const { return overlayNodes; }

protected:
    isRenderWindowBase() = default;

    void onBeforeVisit() override;
    void onAfterVisit() override;

    /// One pending 9089 per observer, however many moves came before it in this frame.
    void postCameraMoved();
    /// Fills the window with the background, oriented with the camera.
    void fitBackground();
    /// Both cameras' projections from the window's current place and size.
    void applyProjection();
    void setCameraZoom(float factor);

    std::vector<cocos2d::Node*> sceneNodes;
    std::vector<cocos2d::Node*> overlayNodes;
    float referenceScale = 1.0f;
    isCamera* sceneCamera = nullptr;
    isCamera* overlayCamera = nullptr;
    unsigned int lastRedrawFrame = 0;
    isNodeSprite* background = nullptr;
    bool inverted = false;
    bool backgroundBehind = true;

private:
    // The projection last given to both cameras, so a frame re-applies it only when it changed.
    cocos2d::Mat4 appliedProjection;
    cocos2d::Camera* screenPassCamera = nullptr;
    cocos2d::Size appliedSize;
    std::vector<std::pair<void*, std::function<void()>>> drawnCallbacks;

    void postGeometryChanged();
    void runDrawnCallbacks();
    void assignCameraFlag(isCamera* camera, const std::vector<cocos2d::Node*>& nodes);
};

} // namespace isImageSDK
