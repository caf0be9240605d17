#pragma once
// The geometry a slice viewer places its camera and reference plane by: the frame of a slice's
// centre, and the camera pose that shows a plane of a box the way radiologists read it.

#include "cocos2d.h"

namespace isImageSDK {

struct isSliceInfo;

class SliceGeometry {
public:
    /// Where the camera stands, what it looks at and its view-up.
    struct Pose {
        cocos2d::Vec3 position;
        cocos2d::Vec3 focalPoint;
        cocos2d::Vec3 viewUp;
    };

    /// The slice's matrix moved to the centre of its pixels: columns 1-3 are the row and
    /// column directions and the normal, column 4 the centre.
    static cocos2d::Mat4 sliceTransform(const isSliceInfo& slice);
    /// The pose one unit in front of the centre of plane 0-2 of a box of `dims` voxels of
    /// `spacing` under `matrix`: anterior, superior or the patient's right decides the side
    /// looked from and the view-up, as the edge letters of the plane say. An axial plane is
    /// seen from the feet with anterior up.
    static Pose poseForPlane(const int dims[3], const float spacing[3], const cocos2d::Mat4& matrix,
                             int plane, int facing, int headFeet);
    /// The four world corners (12 floats) of plane 0-2 of that box through its centre.
    static void planeCorners(const int dims[3], const float spacing[3], const cocos2d::Mat4& matrix,
                             int plane, float out[12]);
    static cocos2d::Vec3 column(const cocos2d::Mat4& m, int index) {
        return cocos2d::Vec3(m.m[4 * index], m.m[4 * index + 1], m.m[4 * index + 2]);
    }
};

} // namespace isImageSDK
