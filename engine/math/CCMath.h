#pragma once
// All of the engine's math and geometry types.

#include "math/Color3B.h"
#include "math/Color4B.h"
#include "math/Color4F.h"
#include "math/Mat4.h"
#include "math/MathBase.h"
#include "math/Quaternion.h"
#include "math/Rect.h"
#include "math/Size.h"
#include "math/Vec2.h"
#include "math/Vec3.h"
#include "math/Vec4.h"
