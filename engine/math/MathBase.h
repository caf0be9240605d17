#pragma once
// Constants and conversion macros shared by the engine's math types.

#include <cmath>

#define MATH_DEG_TO_RAD(x) ((x) * 0.0174532925f)
#define MATH_RAD_TO_DEG(x) ((x) * 57.29577951f)
#define MATH_FLOAT_SMALL 1.0e-37f
#define MATH_TOLERANCE 2e-37f
#define MATH_EPSILON 0.000001f
#define MATH_PIOVER2 1.57079632679489661923f

#define CC_DEGREES_TO_RADIANS(__ANGLE__) ((__ANGLE__) * 0.01745329252f)
#define CC_RADIANS_TO_DEGREES(__ANGLE__) ((__ANGLE__) * 57.29577951f)

#define NS_CC_MATH_BEGIN namespace cocos2d {
#define NS_CC_MATH_END }
#define USING_NS_CC_MATH using namespace cocos2d

// The byte type of the colour structs; GL headers give the same typedef, which C++ allows twice.
typedef unsigned char GLubyte;
