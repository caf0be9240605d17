#pragma once
// The view camera of a render window: always looks at its focal point, orthographic with a zoom
// factor that scales the visible box (or perspective), and converts between world points, screen
// points and rays.

#include "2d/Camera.h"
#include "imaging/core/volume/isVolumeView.h"
#include "imaging/display/isNodeObject.h"

namespace isImageSDK {

class isCamera : public cocos2d::Camera, public isNodeObject {
public:
    static isCamera* create();

    bool init() override;

    /// Looks at `target` from the current position; a degenerate pose (target at the position,
    /// or up along the line of sight) is refused and the camera keeps its pose.
    void lookAt(const cocos2d::Vec3& target, const cocos2d::Vec3& up) override;
    /// Moves the camera and re-aims it at the focal point.
    void setPosition3D(const cocos2d::Vec3& position) override;
    const cocos2d::Mat4& getViewMatrix() const override;
    const cocos2d::Mat4& getNodeToParentTransform() const override;
    using cocos2d::Node::getNodeToParentTransform;

    /// Sets size, planes and extra projection; false (nothing changed) for a viewport or zoom
    /// that is not positive and finite, or planes that coincide.
    bool setProjection(float fov, float width, float height, float nearPlane, float farPlane,
                       const cocos2d::Mat4& additional);
    /// A larger factor shows more of the world.
    bool setZoom(float factor);
    void setPerspective(bool on)
    {
        perspective = on;
        markContentChanged();
    }
    bool isPerspective() const { return perspective; }

    cocos2d::Mat4 getAdditionalProjection() const { return additionalProjection; }
    cocos2d::Vec3 getFocalPoint() const { return focalPoint; }
    cocos2d::Vec3 getViewUp() const { return viewUp; }
    cocos2d::Vec3 getDirectionOfProjection() const { return directionOfProjection; }
    cocos2d::Vec3 getViewRight() const { return rightAxis; }
    float getZoom() const { return zoomFactor; }

    using cocos2d::Camera::project;
    using cocos2d::Camera::unproject;
    /// Viewport point (y from the bottom) and depth in [0, 1] to a world point.
    void unproject(float x, float y, float depth, cocos2d::Vec3& out) const;
    /// World point to viewport x, y (from the bottom) and depth in [0, 1].
    void project(const cocos2d::Vec3& world, cocos2d::Vec3& out) const;
    /// Origin on the near plane and unit direction of the ray through a viewport point.
    void screenPointToRay(float x, float y, cocos2d::Vec3& origin, cocos2d::Vec3& direction) const;
    /// Replaces a world point by its camera-space coordinates.
    void worldToCamera(cocos2d::Vec3& point) const;
    /// Zoom that fits four world corners (12 floats) into the view; 1.0 for perspective cameras
    /// and for boxes under half a unit wide or high.
    float fitZoomForCorners(const float corners[12]) const;
    /// Distance that fits four world corners into a perspective view, inside (near, far).
    float fitDistanceForCorners(const float corners[12]) const;
    /// Moves a point along the direction of projection onto the plane of the focal point.
    void projectOntoFocalPlane(cocos2d::Vec3& point) const;

    /// The pose and projection as plain numbers, for the volume ray caster.
    isVolumeView toVolumeView() const;
    /// Set by every projection change and look-at; the volume renderer clears it when it has
    /// started a pass for the new view.
    bool isProjectionSet() const { return projectionSet; }
    void clearProjectionSet() { projectionSet = false; }

    // The pose recorded by the last lookAt.
    cocos2d::Vec3 storedFocalPoint{0.0f, 0.0f, 0.0f};
    cocos2d::Vec3 storedPosition{0.0f, 0.0f, -1.0f};
    cocos2d::Vec3 storedViewUp{0.0f, -1.0f, 0.0f};
    cocos2d::Vec3 directionOfProjection{0.0f, 0.0f, 1.0f};
    cocos2d::Vec3 rightAxis{1.0f, 0.0f, 0.0f};
    float focalDistance = 1.0f;
    float zoomFactorCopy = 1.0f;
    /// Build the view matrix from position, focal point and view-up (the overlay camera).
    bool ownViewMatrix = false;

protected:
    isCamera() = default;

private:
    cocos2d::Mat4 projectionFor() const;
    void cameraCorners(const float corners[12], float box[4]) const;

    cocos2d::Vec3 focalPoint{0.0f, 0.0f, 0.0f};
    cocos2d::Vec3 viewUp{0.0f, -1.0f, 0.0f};
    float viewWidth = 1.0f;
    float viewHeight = 1.0f;
    cocos2d::Mat4 additionalProjection;
    mutable bool viewDirty = true;
    bool perspective = false;
    float zoomFactor = 1.0f;
    bool projectionSet = false;
};

} // namespace isImageSDK
