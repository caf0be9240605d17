#include "imaging/viewers/SliceGeometry.h"

#include "imaging/core/data/isSliceInfo.h"
#include "imaging/display/window/OrientationLabels.h"

namespace isImageSDK {

using cocos2d::Mat4;
using cocos2d::Vec3;

namespace {

struct PlaneAxes {
    Vec3 a, b, n;
    float ha, hb; // half extents along a and b
    Vec3 centre;
};

PlaneAxes axesOf(const int dims[3], const float spacing[3], const Mat4& m, int plane) {
    const float h[3] = {(dims[0] - 1) * 0.5f * spacing[0], (dims[1] - 1) * 0.5f * spacing[1],
                        (dims[2] - 1) * 0.5f * spacing[2]};
    PlaneAxes axes;
    m.transformPoint(Vec3(h[0], h[1], h[2]), &axes.centre);
    const Vec3 c0 = SliceGeometry::column(m, 0), c1 = SliceGeometry::column(m, 1),
               c2 = SliceGeometry::column(m, 2);
    switch (plane) {
    case 1:
        axes = {c2, c1, -c0, h[2], h[1], axes.centre};
        break;
    case 2:
        axes = {c2, c0, c1, h[2], h[0], axes.centre};
        break;
    default:
        axes = {c0, c1, c2, h[0], h[1], axes.centre};
        break;
    }
    return axes;
}

} // namespace

Mat4 SliceGeometry::sliceTransform(const isSliceInfo& slice) {
    Mat4 t = slice.matrix;
    t.translate((slice.columns - 1) * slice.spacingX * 0.5f, (slice.rows - 1) * slice.spacingY * 0.5f, 0.0f);
    return t;
}

SliceGeometry::Pose SliceGeometry::poseForPlane(const int dims[3], const float spacing[3], const Mat4& matrix,
                                                int plane, int facing, int headFeet) {
    const PlaneAxes p = axesOf(dims, spacing, matrix, plane);
    // The edges in the directions +B, -A, -B, +A and the letter each one carries.
    char labels[4][3];
    computeOrientationLabels(p.a, p.b, labels, headFeet, facing);
    const Vec3 toEdge[4] = {p.b * p.hb, -p.a * p.ha, -p.b * p.hb, p.a * p.ha};
    const char letter[4] = {labels[kEdgeDown][0], labels[kEdgeLeft][0], labels[kEdgeUp][0],
                            labels[kEdgeRight][0]};
    const Vec3* dA = nullptr;
    const Vec3* dS = nullptr;
    const Vec3* dR = nullptr;
    for (int k = 0; k < 4; ++k) {
        if (letter[k] == 'A')
            dA = &toEdge[k];
        if (letter[k] == 'S')
            dS = &toEdge[k];
        if (letter[k] == 'R')
            dR = &toEdge[k];
    }
    Vec3 d, u;
    if (dA && dR) {
        Vec3::cross(*dA, *dR, &d);
        u = *dA;
    } else if (dA && dS) {
        Vec3::cross(*dS, *dA, &d);
        u = *dS;
    } else if (dS && dR) {
        Vec3::cross(*dS, *dR, &d);
        u = *dS;
    } else {
        d = p.n;
        u = -p.b;
    }
    d.normalize();
    u.normalize();
    // The engine's cameras show their view-up at the top of the screen: anterior (or superior)
    // goes up, and the patient's right comes out on the left.
    return Pose{p.centre + d, p.centre, u};
}

void SliceGeometry::planeCorners(const int dims[3], const float spacing[3], const Mat4& matrix, int plane,
                                 float out[12]) {
    const PlaneAxes p = axesOf(dims, spacing, matrix, plane);
    const Vec3 a = p.a * p.ha, b = p.b * p.hb;
    const Vec3 corners[4] = {p.centre - a - b, p.centre + a - b, p.centre + a + b, p.centre - a + b};
    for (int i = 0; i < 4; ++i) {
        out[3 * i] = corners[i].x;
        out[3 * i + 1] = corners[i].y;
        out[3 * i + 2] = corners[i].z;
    }
}

} // namespace isImageSDK
