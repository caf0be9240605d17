#pragma once
// Free functions of 3D geometry shared by the series scan, sprite node, view camera, interactors
// and viewers. Stateless and thread-safe; matrices are column-major (m[4*c + r]).

#include "cocos2d.h"

namespace isImageSDK {

float floatSquareRoot(float x);
/// Distance of P from the infinite line through A along D (D not zero, any length).
float distancePointToLine(const float P[3], const float A[3], const float D[3]);
/// Foot of the perpendicular from P on the plane through Q with normal N (N not zero).
void intersectLinePlane(const float P[3], const float Q[3], const float N[3], float& x, float& y, float& z);
/// Where the line P + t*D meets the plane N.X = d (the line must cross the plane).
void intersectLinePlaneDouble(const double P[3], const double D[3], const double N[3], double d, double& x,
                              double& y, double& z);
/// Angles in degrees of R = Rz(az) * Ry(ay) * Rx(ax).
void matrixToEulerAngles(const cocos2d::Mat4& m, double& ax, double& ay, double& az);
/// Camera-to-world frame of a camera at eye looking at target.
void lookAtBasis(const cocos2d::Vec3& eye, const cocos2d::Vec3& target, const cocos2d::Vec3& up,
                 cocos2d::Mat4& out);
/// m = m * Rx(angle), angle in radians.
void rotateX(cocos2d::Mat4& m, double angle);
/// m = m * Ry(angle), angle in radians.
void rotateY(cocos2d::Mat4& m, double angle);
/// Translation by the position times the rotation of the angles (degrees).
void eulerToMatrix(const cocos2d::Vec3& position, double ax, double ay, double az, cocos2d::Mat4& out);
/// out[0..2] the position, out[3..6] the quaternion w, x, y, z of the angles (degrees).
void eulerToQuaternion(const double position[3], double ax, double ay, double az, double out[7]);

} // namespace isImageSDK
