#pragma once
// The patient coordinates of a world position: undoes the mapping from patient axes to display
// axes that the DICOM reader applied for the slice's patient position.

#include "math/Vec3.h"

namespace isImageSDK {

struct isSliceInfo;

/// Replaces the world position v with its patient coordinates (x towards the patient's left,
/// y posterior, z superior). An unstated head/feet direction or an unknown facing is taken as
/// head first supine, as the reader and the orientation letters take it.
void mapVectorToSliceAxes(const isSliceInfo& slice, cocos2d::Vec3& v);

} // namespace isImageSDK
