#include "math/Size.h"

namespace cocos2d {

const Size Size::ZERO(0.0f, 0.0f);

bool Size::equals(const Size& target) const
{
    return std::fabs(width - target.width) < MATH_EPSILON && std::fabs(height - target.height) < MATH_EPSILON;
}

} // namespace cocos2d
