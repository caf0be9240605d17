#pragma once
// Conversions of computed sample values back into a pixel type: truncation toward zero, then
// saturation to the type's range, so that an overshoot never wraps around.

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace isImageSDK {

template <typename T>
inline T saturateSample(double v)
{
    if constexpr (std::is_floating_point_v<T>) {
        return static_cast<T>(v);
    } else {
        constexpr double lo = double(std::numeric_limits<T>::lowest());
        constexpr double hi = double(std::numeric_limits<T>::max());
        if (!(v > lo)) return std::numeric_limits<T>::lowest(); // also NaN
        if (v >= hi) return std::numeric_limits<T>::max();
        return static_cast<T>(static_cast<int32_t>(v));
    }
}

/// Float overload: the hot loops stay in single precision.
template <typename T>
inline T saturateSample(float v)
{
    if constexpr (std::is_floating_point_v<T>) {
        return static_cast<T>(v);
    } else {
        constexpr float lo = float(std::numeric_limits<T>::lowest());
        constexpr float hi = float(std::numeric_limits<T>::max());
        if (!(v > lo)) return std::numeric_limits<T>::lowest();
        if (v >= hi) return std::numeric_limits<T>::max();
        return static_cast<T>(static_cast<int32_t>(v));
    }
}

} // namespace isImageSDK
