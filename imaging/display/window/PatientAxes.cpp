#include "imaging/display/window/PatientAxes.h"

#include "imaging/core/data/isSliceInfo.h"

namespace isImageSDK {

void mapVectorToSliceAxes(const isSliceInfo& slice, cocos2d::Vec3& v) {
    const float x = v.x, y = v.y, z = v.z;
    const bool feetFirst = slice.headFeet == 1;
    const int facing = slice.headFeet == 0 || feetFirst ? slice.facing : 0;
    switch (facing) {
    case 1:
        v = feetFirst ? cocos2d::Vec3(x, z, -y) : cocos2d::Vec3(-x, z, y);
        break;
    case 2:
        v = feetFirst ? cocos2d::Vec3(z, -x, -y) : cocos2d::Vec3(z, x, y);
        break;
    case 3:
        v = feetFirst ? cocos2d::Vec3(-z, x, -y) : cocos2d::Vec3(-z, -x, y);
        break;
    default:
        v = feetFirst ? cocos2d::Vec3(-x, -z, -y) : cocos2d::Vec3(x, -z, y);
        break;
    }
}

} // namespace isImageSDK
