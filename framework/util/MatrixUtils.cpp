#include "util/MatrixUtils.h"

cocos2d::Mat4 makeMat4(const float* m)
{
    return cocos2d::Mat4(m);
}
