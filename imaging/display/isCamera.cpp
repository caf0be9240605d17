#include "imaging/display/isCamera.h"

#include <cmath>

#include "imaging/core/geometry/Geometry.h"

namespace isImageSDK {

namespace {

// (x, y, z, w) = m * (v, w).
void transform4(const cocos2d::Mat4& m, const float v[4], float out[4])
{
    for (int r = 0; r < 4; ++r)
        out[r] = m.m[r] * v[0] + m.m[4 + r] * v[1] + m.m[8 + r] * v[2] + m.m[12 + r] * v[3];
}

bool finitePositive(float v) { return std::isfinite(v) && v > 0.0f; }

} // namespace

isCamera* isCamera::create()
{
    auto* camera = new (std::nothrow) isCamera();
    if (camera && camera->init()) {
        camera->autorelease();
        return camera;
    }
    delete camera;
    return nullptr;
}

bool isCamera::init()
{
    if (!cocos2d::Node::init()) return false;
    projectionSet = false;
    perspective = false;
    zoomFactor = zoomFactorCopy = 1.0f;
    focalPoint = storedFocalPoint;
    viewUp = storedViewUp;
    viewWidth = viewHeight = 1.0f;
    ownViewMatrix = false;
    additionalProjection = cocos2d::Mat4();
    _fieldOfView = 60.0f;
    _nearPlane = 1.0f;
    _farPlane = 1000.0f;
    setPosition3D(storedPosition);
    viewDirty = true;
    return true;
}

bool isCamera::setZoom(float factor)
{
    if (!finitePositive(factor)) return false;
    zoomFactorCopy = zoomFactor = factor;
    return setProjection(_fieldOfView, viewWidth, viewHeight, _nearPlane, _farPlane, additionalProjection);
}

bool isCamera::setProjection(float fov, float width, float height, float nearPlane, float farPlane,
                             const cocos2d::Mat4& additional)
{
    // A zero-sized or inverted box would put infinities into every projection.
    if (!finitePositive(width) || !finitePositive(height) || !std::isfinite(nearPlane) ||
        !std::isfinite(farPlane) || nearPlane == farPlane || (perspective && !(fov > 0.0f && fov < 180.0f)))
        return false;
    _nearPlane = nearPlane;
    _farPlane = farPlane;
    _fieldOfView = fov;
    viewWidth = width;
    viewHeight = height;
    if (perspective) {
        initPerspective(fov, width / height, nearPlane, farPlane);
    } else {
        const float hw = width * 0.5f * zoomFactor, hh = height * 0.5f * zoomFactor;
        cocos2d::Mat4::createOrthographicOffCenter(-hw, hw, -hh, hh, nearPlane, farPlane, &_projection);
        _type = Type::ORTHOGRAPHIC;
        _aspectRatio = width / height;
        _viewProjectionDirty = true;
    }
    setAdditionalProjection(additional);
    additionalProjection = additional;
    projectionSet = true;
    return true;
}

void isCamera::lookAt(const cocos2d::Vec3& target, const cocos2d::Vec3& up)
{
    const cocos2d::Vec3 position = getPosition3D();
    const cocos2d::Vec3 sight = target - position;
    cocos2d::Vec3 side;
    cocos2d::Vec3::cross(up, sight, &side);
    // No direction to look in, or no way to tell up from the line of sight: keep the pose.
    if (!(sight.lengthSquared() > 0.0f) || !(side.lengthSquared() > 1e-12f * sight.lengthSquared() * up.lengthSquared()))
        return;
    viewDirty = true;
    focalPoint = target;
    viewUp = up;
    cocos2d::Mat4 basis;
    lookAtBasis(position, target, up, basis);
    double ax = 0, ay = 0, az = 0;
    matrixToEulerAngles(basis, ax, ay, az);
    cocos2d::Node::setRotation3D(cocos2d::Vec3(float(ax), float(ay), float(az)));
    storedPosition = position;
    storedFocalPoint = target;
    storedViewUp = up;
    directionOfProjection = cocos2d::Vec3(-basis.m[8], -basis.m[9], -basis.m[10]);
    rightAxis = cocos2d::Vec3(basis.m[0], basis.m[1], basis.m[2]);
    focalDistance = sight.length();
    projectionSet = true;
    _transformDirty = true;
    _inverseDirty = true;
    _viewProjectionDirty = true;
}

void isCamera::setPosition3D(const cocos2d::Vec3& position)
{
    cocos2d::Node::setPosition3D(position);
    lookAt(focalPoint, viewUp);
}

const cocos2d::Mat4& isCamera::getViewMatrix() const
{
    if (!ownViewMatrix) return cocos2d::Camera::getViewMatrix();
    if (viewDirty) {
        viewDirty = false;
        cocos2d::Mat4 basis;
        lookAtBasis(getPosition3D(), focalPoint, viewUp, basis);
        _view = basis.getInversed();
        _viewProjectionDirty = true;
    }
    return _view;
}

const cocos2d::Mat4& isCamera::getNodeToParentTransform() const
{
    if (_transformDirty) {
        // The camera's frame follows its pose exactly; anchor, skew and scale play no part.
        lookAtBasis(getPosition3D(), focalPoint, viewUp, _transform);
        if (_additionalTransform) _transform = _transform * *_additionalTransform;
        _transformDirty = false;
        _inverseDirty = true;
    }
    return _transform;
}

cocos2d::Mat4 isCamera::projectionFor() const
{
    cocos2d::Mat4 p;
    if (perspective) {
        cocos2d::Mat4::createPerspective(_fieldOfView, viewWidth / viewHeight, _nearPlane, _farPlane, &p);
    } else {
        const float hw = viewWidth * 0.5f * zoomFactor, hh = viewHeight * 0.5f * zoomFactor;
        cocos2d::Mat4::createOrthographicOffCenter(-hw, hw, -hh, hh, _nearPlane, _farPlane, &p);
    }
    return p;
}

void isCamera::unproject(float x, float y, float depth, cocos2d::Vec3& out) const
{
    const cocos2d::Mat4 m = (projectionFor() * getNodeToParentTransform().getInversed()).getInversed();
    const float ndc[4] = {2.0f * x / viewWidth - 1.0f, 2.0f * y / viewHeight - 1.0f, 2.0f * depth - 1.0f, 1.0f};
    float r[4];
    transform4(m, ndc, r);
    if (r[3] != 0.0f)
        for (int i = 0; i < 3; ++i) r[i] /= r[3];
    out.set(r[0], r[1], r[2]);
}

void isCamera::project(const cocos2d::Vec3& world, cocos2d::Vec3& out) const
{
    const cocos2d::Mat4 m = projectionFor() * getNodeToParentTransform().getInversed();
    const float v[4] = {world.x, world.y, world.z, 1.0f};
    float r[4];
    transform4(m, v, r);
    if (r[3] != 0.0f)
        for (int i = 0; i < 3; ++i) r[i] /= r[3];
    out.set((r[0] + 1.0f) * 0.5f * viewWidth, (r[1] + 1.0f) * 0.5f * viewHeight, (r[2] + 1.0f) * 0.5f);
}

void isCamera::screenPointToRay(float x, float y, cocos2d::Vec3& origin, cocos2d::Vec3& direction) const
{
    cocos2d::Vec3 far;
    unproject(x, y, 0.0f, origin);
    unproject(x, y, 1.0f, far);
    direction = far - origin;
    direction.normalize();
}

void isCamera::worldToCamera(cocos2d::Vec3& point) const
{
    const cocos2d::Mat4 inv = getNodeToParentTransform().getInversed();
    const float v[4] = {point.x, point.y, point.z, 1.0f};
    float r[4];
    transform4(inv, v, r);
    point.set(r[0], r[1], r[2]);
}

void isCamera::cameraCorners(const float corners[12], float box[4]) const
{
    box[0] = box[2] = 99999.0f;
    box[1] = box[3] = -99999.0f;
    for (int i = 0; i < 4; ++i) {
        cocos2d::Vec3 p(corners[i * 3], corners[i * 3 + 1], corners[i * 3 + 2]);
        worldToCamera(p);
        box[0] = std::min(box[0], p.x);
        box[1] = std::max(box[1], p.x);
        box[2] = std::min(box[2], p.y);
        box[3] = std::max(box[3], p.y);
    }
}

float isCamera::fitZoomForCorners(const float corners[12]) const
{
    float box[4];
    cameraCorners(corners, box);
    const float w = box[1] - box[0], h = box[3] - box[2];
    if (!(w >= 0.5f && h >= 0.5f) || perspective) return 1.0f;
    return viewWidth / viewHeight > w / h ? h / viewHeight : w / viewWidth;
}

float isCamera::fitDistanceForCorners(const float corners[12]) const
{
    if (!perspective) return _nearPlane + (_farPlane - _nearPlane) / 2.0f;
    float box[4];
    cameraCorners(corners, box);
    const float w = box[1] - box[0], h = box[3] - box[2];
    const float aspect = viewWidth / viewHeight;
    const float half = (h > 0.0f && aspect > w / h) ? h / 2.0f : w / 2.0f / aspect;
    const float distance = half / std::tan(_fieldOfView * 3.1415925f / 180.0f / 2.0f);
    if (!(distance <= _farPlane)) return _farPlane - 1.0f; // also NaN
    if (distance < _nearPlane) return _nearPlane + 1.0f;
    return distance;
}

void isCamera::projectOntoFocalPlane(cocos2d::Vec3& point) const
{
    const cocos2d::Vec3& d = directionOfProjection;
    const float dd = d.dot(d);
    if (!(dd > 0.0f)) return;
    point = point - d * ((point - focalPoint).dot(d) / dd);
}

isVolumeView isCamera::toVolumeView() const
{
    isVolumeView v;
    v.perspective = perspective;
    v.fov = _fieldOfView;
    v.width = viewWidth;
    v.height = viewHeight;
    v.nearPlane = _nearPlane;
    v.farPlane = _farPlane;
    v.zoom = zoomFactor;
    const cocos2d::Vec3 eye = getPosition3D();
    const float e[3] = {eye.x, eye.y, eye.z}, f[3] = {focalPoint.x, focalPoint.y, focalPoint.z},
                u[3] = {storedViewUp.x, storedViewUp.y, storedViewUp.z};
    for (int i = 0; i < 3; ++i) {
        v.eye[i] = e[i];
        v.focal[i] = f[i];
        v.up[i] = u[i];
    }
    return v;
}

} // namespace isImageSDK
