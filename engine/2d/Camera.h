#pragma once
// A camera node: projection (perspective or orthographic, plus an additional projection),
// view = inverse of its node-to-world transform, and the camera flag that selects the nodes
// it draws. Cameras under the scene draw the whole scene; cameras under a node whose parent
// has enableCameraVisitThroughtChild draw that node in line (render windows).

#include <cstdint>

#include "2d/Node.h"
#include "math/Mat4.h"

namespace cocos2d {

/// Camera flag values (a node's camera list holds values, not bits).
enum class CameraFlag { DEFAULT = 1, USER1 = 2, USER2 = 3, USER3 = 4, USER4 = 5, USER5 = 6, USER6 = 7,
                        USER7 = 8, USER8 = 9 };

class Scene;

class Camera : public Node {
public:
    enum class Type { PERSPECTIVE = 1, ORTHOGRAPHIC = 2 };

    /// The default camera: a perspective camera that shows the window's points 1:1 at z = 0.
    static Camera* create();
    /// `fieldOfView` in degrees.
    static Camera* createPerspective(float fieldOfView, float aspectRatio, float nearPlane, float farPlane);
    /// A box zoomX wide and zoomY high with its corner (0, 0) at the camera's position.
    static Camera* createOrthographic(float zoomX, float zoomY, float nearPlane, float farPlane);

    /// The camera being drawn with or dispatched for; null outside those passes.
    static Camera* _visitingCamera;
    static const Camera* getVisitingCamera() { return _visitingCamera; }
    /// The running scene's default camera, or null.
    static Camera* getDefaultCamera();

    Type getType() const { return _type; }
    CameraFlag getCameraFlag() const { return _cameraFlag; }
    void setCameraFlag(CameraFlag flag)
    {
        _cameraFlag = flag;
        noteVisualChange();
    }
    void setCameraFlag(unsigned short flag) { setCameraFlag(static_cast<CameraFlag>(flag)); }

    /// Turns the camera at its position to look at target (parent space) with the given up.
    virtual void lookAt(const Vec3& target, const Vec3& up = Vec3::UNIT_Y);

    /// The additional projection times the camera's own projection.
    const Mat4& getProjectionMatrix() const;
    virtual const Mat4& getViewMatrix() const;
    const Mat4& getViewProjectionMatrix() const;
    /// Applied after the projection (clip space to clip space); replaces the previous one.
    void setAdditionalProjection(const Mat4& mat);
    const Mat4& getAdditionalProjection() const { return _additionalProjection; }

    /// World point to window point, y down from the top.
    Vec2 project(const Vec3& src) const;
    /// World point to window point, y up from the bottom.
    Vec2 projectGL(const Vec3& src) const;
    /// Window point (y down) and depth in [0, 1] to world point.
    Vec3 unproject(const Vec3& src) const;
    Vec3 unprojectGL(const Vec3& src) const;
    void unproject(const Size& viewport, const Vec3* src, Vec3* dst) const;
    void unprojectGL(const Size& viewport, const Vec3* src, Vec3* dst) const;
    /// Distance in front of the camera of the translation of a world transform.
    float getDepthInView(const Mat4& transform) const;

    /// Cameras draw (and receive events last) in increasing depth order.
    void setDepth(int8_t depth);
    int8_t getDepth() const { return _depth; }
    float getFarPlane() const { return _farPlane; }
    float getNearPlane() const { return _nearPlane; }
    float getFOV() const { return _fieldOfView; }
    float getAspectRatio() const { return _aspectRatio; }

    bool initDefault();
    bool initPerspective(float fieldOfView, float aspectRatio, float nearPlane, float farPlane);
    bool initOrthographic(float zoomX, float zoomY, float nearPlane, float farPlane);

    /// True when the camera draws its parent in line rather than the whole scene.
    bool isDrawnInline() const;
    /// Around each pass drawn with this camera: loads its view-projection for the commands
    /// and draws them at the end of the pass. An in-line camera first draws what came before
    /// it, then is scissored to its parent's rectangle with its own depth clear. Nothing
    /// happens without a renderer.
    virtual void beginVisit(Renderer* renderer);
    virtual void endVisit(Renderer* renderer);

    Scene* getCameraScene() const { return _scene; }
    void onEnter() override;
    void onExit() override;
    std::string getDescription() const override;

protected:
    Camera();
    ~Camera() override;

    Scene* _scene = nullptr;
    Mat4 _projection;
    Mat4 _additionalProjection;
    mutable Mat4 _effectiveProjection;
    mutable Mat4 _view;
    mutable Mat4 _viewProjection;
    mutable bool _viewProjectionDirty = true;
    Type _type = Type::PERSPECTIVE;
    float _fieldOfView = 60.0f;
    float _zoom[2] = {0.0f, 0.0f};
    float _aspectRatio = 1.0f;
    float _nearPlane = 1.0f;
    float _farPlane = 1000.0f;
    CameraFlag _cameraFlag = CameraFlag::DEFAULT;
    int8_t _depth = 0;

    friend class Scene;
};

} // namespace cocos2d
