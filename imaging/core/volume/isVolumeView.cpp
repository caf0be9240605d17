#include "imaging/core/volume/isVolumeView.h"

#include <cmath>

namespace isImageSDK {

namespace {

bool normalise(float v[3])
{
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(len > 1e-12f) || !std::isfinite(len)) return false;
    for (int i = 0; i < 3; ++i) v[i] /= len;
    return true;
}

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

constexpr float kDegToRad = 3.14159265f / 180.0f;

} // namespace

bool isVolumeView::basis(float right[3], float trueUp[3], float direction[3]) const
{
    float d[3] = {focal[0] - eye[0], focal[1] - eye[1], focal[2] - eye[2]}, r[3], u[3];
    if (!normalise(d)) return false;
    cross(d, up, r);
    if (!normalise(r)) return false;
    cross(r, d, u);
    for (int i = 0; i < 3; ++i) {
        right[i] = r[i];
        trueUp[i] = u[i];
        direction[i] = d[i];
    }
    return true;
}

bool isVolumeView::project(const float world[3], float out[3]) const
{
    float r[3], u[3], d[3];
    if (!basis(r, u, d) || !(width > 0.0f) || !(height > 0.0f) || farPlane == nearPlane) return false;
    const float rel[3] = {world[0] - eye[0], world[1] - eye[1], world[2] - eye[2]};
    const float cx = dot(rel, r), cy = dot(rel, u), dist = dot(rel, d);
    float nx, ny, depth;
    if (perspective) {
        if (dist == 0.0f) return false;
        const float t = std::tan(fov * 0.5f * kDegToRad);
        nx = cx / (dist * t * (width / height));
        ny = cy / (dist * t);
        const float ndcZ = (farPlane + nearPlane) / (farPlane - nearPlane) -
                           2.0f * farPlane * nearPlane / ((farPlane - nearPlane) * dist);
        depth = (ndcZ + 1.0f) * 0.5f;
    } else {
        nx = cx / (width * 0.5f * zoom);
        ny = cy / (height * 0.5f * zoom);
        depth = (dist - nearPlane) / (farPlane - nearPlane);
    }
    out[0] = (nx + 1.0f) * 0.5f * width;
    out[1] = (ny + 1.0f) * 0.5f * height;
    out[2] = depth;
    return true;
}

bool isVolumeView::unproject(float x, float y, float depth, float out[3]) const
{
    float r[3], u[3], d[3];
    if (!basis(r, u, d) || !(width > 0.0f) || !(height > 0.0f) || farPlane == nearPlane) return false;
    const float nx = 2.0f * x / width - 1.0f, ny = 2.0f * y / height - 1.0f;
    float cx, cy, dist;
    if (perspective) {
        const float ndcZ = 2.0f * depth - 1.0f;
        dist = 2.0f * farPlane * nearPlane / ((farPlane + nearPlane) - ndcZ * (farPlane - nearPlane));
        const float t = std::tan(fov * 0.5f * kDegToRad);
        cx = nx * dist * t * (width / height);
        cy = ny * dist * t;
    } else {
        dist = nearPlane + depth * (farPlane - nearPlane);
        cx = nx * width * 0.5f * zoom;
        cy = ny * height * 0.5f * zoom;
    }
    for (int i = 0; i < 3; ++i) out[i] = eye[i] + cx * r[i] + cy * u[i] + dist * d[i];
    return true;
}

} // namespace isImageSDK
