#pragma once
// Matrix helper for code that keeps matrices as plain float arrays.

#include "math/Mat4.h"

/// A matrix from 16 floats taken in the engine's element order.
cocos2d::Mat4 makeMat4(const float* m);
