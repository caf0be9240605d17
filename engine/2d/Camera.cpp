#include "2d/Camera.h"

#include <new>

#include "2d/ClippingRectangleNode.h"
#include "2d/Scene.h"
#include "2d/actions/ActionCreate.h"
#include "base/Director.h"
#include "renderer/Renderer.h"

namespace cocos2d {

Camera* Camera::_visitingCamera = nullptr;

namespace {
Size viewportSize()
{
    Size size = Director::getInstance()->getWinSize();
    // Before a window exists the view is one point, so the matrices stay finite.
    if (size.width <= 0.0f || size.height <= 0.0f)
        size = Size(1.0f, 1.0f);
    return size;
}
} // namespace

Camera* Camera::create()
{
    auto* camera = new (std::nothrow) Camera();
    return finishCreate(camera, camera && camera->initDefault());
}

Camera* Camera::createPerspective(float fieldOfView, float aspectRatio, float nearPlane, float farPlane)
{
    auto* camera = new (std::nothrow) Camera();
    return finishCreate(camera, camera && camera->initPerspective(fieldOfView, aspectRatio, nearPlane, farPlane));
}

Camera* Camera::createOrthographic(float zoomX, float zoomY, float nearPlane, float farPlane)
{
    auto* camera = new (std::nothrow) Camera();
    return finishCreate(camera, camera && camera->initOrthographic(zoomX, zoomY, nearPlane, farPlane));
}

Camera* Camera::getDefaultCamera()
{
    Scene* scene = Director::getInstance()->getRunningScene();
    return scene ? scene->getDefaultCamera() : nullptr;
}

Camera::Camera() = default;

Camera::~Camera()
{
    if (_scene)
        _scene->removeCamera(this);
    if (_visitingCamera == this)
        _visitingCamera = nullptr;
}

std::string Camera::getDescription() const
{
    return "<Camera | flag = " + std::to_string(static_cast<int>(_cameraFlag)) + ">";
}

bool Camera::initDefault()
{
    const Size size = viewportSize();
    // The eye distance at which a 60 degree view shows exactly the window's height at z = 0.
    const float zeye = size.height / (2.0f * std::tan(CC_DEGREES_TO_RADIANS(30.0f)));
    const float nearPlane = std::min(10.0f, zeye * 0.5f);
    initPerspective(60.0f, size.width / size.height, nearPlane, zeye + size.height / 2.0f);
    setPosition3D(Vec3(size.width / 2.0f, size.height / 2.0f, zeye));
    lookAt(Vec3(size.width / 2.0f, size.height / 2.0f, 0.0f), Vec3::UNIT_Y);
    return true;
}

bool Camera::initPerspective(float fieldOfView, float aspectRatio, float nearPlane, float farPlane)
{
    _fieldOfView = fieldOfView;
    _aspectRatio = aspectRatio;
    _nearPlane = nearPlane;
    _farPlane = farPlane;
    Mat4::createPerspective(fieldOfView, aspectRatio, nearPlane, farPlane, &_projection);
    _type = Type::PERSPECTIVE;
    _viewProjectionDirty = true;
    noteVisualChange();
    return true;
}

bool Camera::initOrthographic(float zoomX, float zoomY, float nearPlane, float farPlane)
{
    _zoom[0] = zoomX;
    _zoom[1] = zoomY;
    _nearPlane = nearPlane;
    _farPlane = farPlane;
    Mat4::createOrthographicOffCenter(0, zoomX, 0, zoomY, nearPlane, farPlane, &_projection);
    _type = Type::ORTHOGRAPHIC;
    _viewProjectionDirty = true;
    noteVisualChange();
    return true;
}

void Camera::lookAt(const Vec3& target, const Vec3& up)
{
    const Vec3 position = getPosition3D();
    Vec3 zaxis = position - target;
    zaxis.normalize();
    Vec3 xaxis;
    Vec3::cross(up.getNormalized(), zaxis, &xaxis);
    xaxis.normalize();
    Vec3 yaxis;
    Vec3::cross(zaxis, xaxis, &yaxis);
    yaxis.normalize();
    Mat4 rotation;
    rotation.m[0] = xaxis.x; rotation.m[1] = xaxis.y; rotation.m[2] = xaxis.z;
    rotation.m[4] = yaxis.x; rotation.m[5] = yaxis.y; rotation.m[6] = yaxis.z;
    rotation.m[8] = zaxis.x; rotation.m[9] = zaxis.y; rotation.m[10] = zaxis.z;
    Quaternion q;
    Quaternion::createFromRotationMatrix(rotation, &q);
    setRotationQuat(q);
    _viewProjectionDirty = true;
}

const Mat4& Camera::getProjectionMatrix() const
{
    _effectiveProjection = _additionalProjection * _projection;
    return _effectiveProjection;
}

const Mat4& Camera::getViewMatrix() const
{
    _view = getNodeToWorldTransform().getInversed();
    return _view;
}

const Mat4& Camera::getViewProjectionMatrix() const
{
    // Recomputed every time: the camera's world transform may change through any ancestor.
    _viewProjection = getProjectionMatrix() * getViewMatrix();
    _viewProjectionDirty = false;
    return _viewProjection;
}

void Camera::setAdditionalProjection(const Mat4& mat)
{
    _additionalProjection = mat;
    _viewProjectionDirty = true;
    noteVisualChange();
}

Vec2 Camera::projectGL(const Vec3& src) const
{
    const Size viewport = viewportSize();
    Vec4 clip;
    getViewProjectionMatrix().transformVector(Vec4(src.x, src.y, src.z, 1.0f), &clip);
    if (clip.w == 0.0f)
        return Vec2::ZERO;
    const float ndcX = clip.x / clip.w;
    const float ndcY = clip.y / clip.w;
    return Vec2((ndcX + 1.0f) * 0.5f * viewport.width, (ndcY + 1.0f) * 0.5f * viewport.height);
}

Vec2 Camera::project(const Vec3& src) const
{
    const Vec2 gl = projectGL(src);
    return Vec2(gl.x, viewportSize().height - gl.y);
}

Vec3 Camera::unproject(const Vec3& src) const
{
    Vec3 dst;
    unproject(viewportSize(), &src, &dst);
    return dst;
}

Vec3 Camera::unprojectGL(const Vec3& src) const
{
    Vec3 dst;
    unprojectGL(viewportSize(), &src, &dst);
    return dst;
}

void Camera::unproject(const Size& viewport, const Vec3* src, Vec3* dst) const
{
    if (!src || !dst)
        return;
    const Vec3 gl(src->x, viewport.height - src->y, src->z);
    unprojectGL(viewport, &gl, dst);
}

void Camera::unprojectGL(const Size& viewport, const Vec3* src, Vec3* dst) const
{
    if (!src || !dst)
        return;
    if (viewport.width <= 0.0f || viewport.height <= 0.0f) {
        dst->setZero();
        return;
    }
    Vec4 ndc(src->x / viewport.width * 2.0f - 1.0f, src->y / viewport.height * 2.0f - 1.0f, src->z * 2.0f - 1.0f,
             1.0f);
    Vec4 world;
    getViewProjectionMatrix().getInversed().transformVector(ndc, &world);
    if (world.w != 0.0f)
        dst->set(world.x / world.w, world.y / world.w, world.z / world.w);
    else
        dst->set(world.x, world.y, world.z);
}

float Camera::getDepthInView(const Mat4& transform) const
{
    const Mat4& view = getViewMatrix();
    return -(view.m[2] * transform.m[12] + view.m[6] * transform.m[13] + view.m[10] * transform.m[14] + view.m[14]);
}

void Camera::setDepth(int8_t depth)
{
    if (_depth == depth)
        return;
    _depth = depth;
    if (_scene)
        _scene->_cameraOrderDirty = true;
    noteVisualChange();
}

void Camera::beginVisit(Renderer* renderer)
{
    if (!renderer) {
        return;
    }
    if (isDrawnInline()) {
        Rect window(Vec2::ZERO, _parent->getContentSize());
        renderer->beginInlineCamera(ClippingRectangleNode::rectToWorld(window, _parent->getNodeToWorldTransform()));
    }
    Director* director = Director::getInstance();
    director->pushMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
    director->loadMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION, getViewProjectionMatrix());
}

void Camera::endVisit(Renderer* renderer)
{
    if (!renderer) {
        return;
    }
    // The pass's commands are drawn while its projection is loaded.
    if (isDrawnInline()) {
        renderer->endInlineCamera();
    } else {
        renderer->render();
    }
    Director::getInstance()->popMatrix(MATRIX_STACK_TYPE::MATRIX_STACK_PROJECTION);
}

bool Camera::isDrawnInline() const
{
    return _parent && _parent->getParent() && _parent->getParent()->isCameraVisitThroughChild();
}

void Camera::onEnter()
{
    Node::onEnter();
    Scene* scene = getScene();
    if (scene && scene != _scene) {
        if (_scene)
            _scene->removeCamera(this);
        scene->addCamera(this);
    }
}

void Camera::onExit()
{
    if (_scene)
        _scene->removeCamera(this);
    Node::onExit();
}

} // namespace cocos2d
