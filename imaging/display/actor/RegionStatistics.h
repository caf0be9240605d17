#pragma once
// The numbers a measurement shows about the image under it: the value under a point, and the
// area, size, mean, standard deviation, total, minimum and maximum inside a circle or polygon,
// computed on one slice and written as the reply text of a statistics request.

#include <string>

#include "math/Vec3.h"

namespace isImageSDK {

class ROIData;
struct isSliceInfo;

/// Absolute area of the closed polygon of `count` (x, y) pairs (shoelace, summed in double).
double polygonArea(const float* points, int count);
/// Even-odd test of (x, y) against the closed polygon of `count` (x, y) pairs.
bool pointInPolygon(const float* points, int count, float x, float y);

/// Millimetres on the slice (x along its rows, y down its columns) of a world point.
cocos2d::Vec3 sliceLocalPosition(const isSliceInfo& slice, const cocos2d::Vec3& world);
/// The stored value of the pixel under a world point; false when the point is off the slice,
/// the spacing is not positive or the pixel type is not a grey one.
bool slicePixelValueAt(const isSliceInfo& slice, const cocos2d::Vec3& world, float& value);

/// The reply to a statistics request for the measurement on the slice: "Value:..." or
/// "Unknown" for a point, "Area:..." for a circle or polygon. False when no reply is due: other
/// kinds of measurement, a slice without pixels, RGB pixels, a spacing that is not positive or
/// geometry that is not finite.
bool describeRegion(const isSliceInfo& slice, const ROIData& roi, std::string& reply);

} // namespace isImageSDK
