#pragma once
// The patient-direction letters at the four edges of a view, from the view's screen axes and the
// patient's position on the table; shared by the render windows, the viewers and the actors.

#include "math/Vec3.h"

namespace isImageSDK {

enum OrientationEdge { kEdgeUp = 0, kEdgeRight = 1, kEdgeDown = 2, kEdgeLeft = 3 };

/// Fills up, right, down and left with at most two letters each (zero-terminated). The screen's
/// right is rowDirection and its up is -columnDirection. headFeet: 0 head first, 1 feet first,
/// anything else as head first supine; facing: 0 supine, 1 prone, 2 decubitus right,
/// 3 decubitus left (any other value as supine).
void computeOrientationLabels(const cocos2d::Vec3& rowDirection, const cocos2d::Vec3& columnDirection,
                              char labels[4][3], int headFeet, int facing);

/// 303 axial, 301 sagittal, 314 coronal: the sum of the four labels' first letters.
int orientationLabelSum(const char labels[4][3]);

struct isSliceInfo;

/// 1 axial, 2 sagittal, 3 coronal, or 0 (oblique, or no slice): what the slice's row and
/// column directions show, by the first letters of its edge labels.
int classifySliceOrientation(const isSliceInfo* slice);

} // namespace isImageSDK
