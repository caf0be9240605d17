#pragma once
// The view a ray-casting pass is made for: a camera pose and projection as plain numbers, with
// the projections between world points and viewport pixels (y counted from the bottom).

namespace isImageSDK {

struct isVolumeView {
    bool perspective = false;
    float fov = 60.0f;               // vertical field of view in degrees (perspective)
    float width = 1.0f, height = 1.0f; // viewport in pixels
    float nearPlane = 1.0f, farPlane = 1000.0f;
    float zoom = 1.0f;               // orthographic box = viewport size * zoom world units
    float eye[3] = {0.0f, 0.0f, -1.0f};
    float focal[3] = {0.0f, 0.0f, 0.0f};
    float up[3] = {0.0f, -1.0f, 0.0f};

    /// Unit right, true up and direction of projection; false when eye, focal point and up are
    /// degenerate (the axes are then left as they were).
    bool basis(float right[3], float trueUp[3], float direction[3]) const;
    /// World point to viewport (x, y, depth in 0..1); false for a degenerate view.
    bool project(const float world[3], float out[3]) const;
    /// Viewport point and depth (0 near, 1 far) to a world point; false for a degenerate view.
    bool unproject(float x, float y, float depth, float out[3]) const;
};

} // namespace isImageSDK
