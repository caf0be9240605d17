#include "imaging/core/geometry/Geometry.h"

#include <cmath>

namespace isImageSDK {

namespace {

// Degrees convert with pi as the single-precision value, as stored angles were made that way.
constexpr double kPi = 3.1415927410125732;

void nearestOnLine(const float P[3], const float A[3], const float D[3], float C[3])
{
    const double pd = double(P[0]) * D[0] + double(P[1]) * D[1] + double(P[2]) * D[2];
    const double ad = double(A[0]) * D[0] + double(A[1]) * D[1] + double(A[2]) * D[2];
    const double dd = double(D[0]) * D[0] + double(D[1]) * D[1] + double(D[2]) * D[2];
    const double t = (pd - ad) / dd;
    for (int i = 0; i < 3; ++i) C[i] = static_cast<float>(A[i] + t * D[i]);
}

cocos2d::Vec3 normalized(cocos2d::Vec3 v)
{
    v.normalize();
    return v;
}

cocos2d::Vec3 cross(const cocos2d::Vec3& a, const cocos2d::Vec3& b)
{
    cocos2d::Vec3 out;
    cocos2d::Vec3::cross(a, b, &out);
    return out;
}

} // namespace

float floatSquareRoot(float x)
{
    return std::sqrt(x);
}

float distancePointToLine(const float P[3], const float A[3], const float D[3])
{
    float C[3];
    nearestOnLine(P, A, D, C);
    const float dx = C[0] - P[0], dy = C[1] - P[1], dz = C[2] - P[2];
    return floatSquareRoot(dx * dx + dy * dy + dz * dz);
}

void intersectLinePlane(const float P[3], const float Q[3], const float N[3], float& x, float& y, float& z)
{
    const float qn = Q[0] * N[0] + Q[1] * N[1] + Q[2] * N[2];
    const double pn = double(P[0]) * N[0] + double(P[1]) * N[1] + double(P[2]) * N[2];
    const double nn = double(N[0]) * N[0] + double(N[1]) * N[1] + double(N[2]) * N[2];
    const double t = (double(qn) - pn) / nn;
    x = static_cast<float>(P[0] + t * N[0]);
    y = static_cast<float>(P[1] + t * N[1]);
    z = static_cast<float>(P[2] + t * N[2]);
}

void intersectLinePlaneDouble(const double P[3], const double D[3], const double N[3], double d, double& x,
                              double& y, double& z)
{
    const double t = (d - (N[0] * P[0] + N[1] * P[1] + N[2] * P[2])) / (N[0] * D[0] + N[1] * D[1] + N[2] * D[2]);
    x = P[0] + t * D[0];
    y = P[1] + t * D[1];
    z = P[2] + t * D[2];
}

void matrixToEulerAngles(const cocos2d::Mat4& mat, double& ax, double& ay, double& az)
{
    const double r00 = mat.m[0], r10 = mat.m[1], r20 = mat.m[2];
    const double r01 = mat.m[4], r11 = mat.m[5], r02 = mat.m[8], r12 = mat.m[9];
    if (std::fabs(r00) < 1e-34 && std::fabs(r10) < 1e-34) {
        az = 0.0;
        ay = std::atan2(-r20, r00);
        ax = std::atan2(-r12, r11);
    } else {
        az = std::atan2(r10, r00);
        const double s = std::sin(az), c = std::cos(az);
        ay = std::atan2(-r20, r00 * c + r10 * s);
        ax = std::atan2(r02 * s - r12 * c, r11 * c - r01 * s);
    }
    ax = ax * 180.0 / kPi;
    ay = ay * 180.0 / kPi;
    az = az * 180.0 / kPi;
}

void lookAtBasis(const cocos2d::Vec3& eye, const cocos2d::Vec3& target, const cocos2d::Vec3& up,
                 cocos2d::Mat4& out)
{
    const cocos2d::Vec3 z = normalized(eye - target);
    const cocos2d::Vec3 x = normalized(cross(normalized(up), z));
    const cocos2d::Vec3 y = normalized(cross(z, x));
    const float cols[16] = {x.x, x.y, x.z, 0.0f, y.x, y.y, y.z, 0.0f,
                            z.x, z.y, z.z, 0.0f, eye.x, eye.y, eye.z, 1.0f};
    out.set(cols);
}

void rotateX(cocos2d::Mat4& m, double angle)
{
    const float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
    const float cols[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
    m = m * cocos2d::Mat4(cols);
}

void rotateY(cocos2d::Mat4& m, double angle)
{
    const float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
    const float cols[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
    m = m * cocos2d::Mat4(cols);
}

void eulerToQuaternion(const double position[3], double ax, double ay, double az, double out[7])
{
    out[0] = position[0];
    out[1] = position[1];
    out[2] = position[2];
    const double hx = ax * kPi / 180.0 / 2.0, hy = ay * kPi / 180.0 / 2.0, hz = az * kPi / 180.0 / 2.0;
    const double cx = std::cos(hx), sx = std::sin(hx);
    const double cy = std::cos(hy), sy = std::sin(hy);
    const double cz = std::cos(hz), sz = std::sin(hz);
    out[3] = cx * cy * cz + sx * sy * sz;
    out[4] = sx * cy * cz - cx * sy * sz;
    out[5] = cx * sy * cz + sx * cy * sz;
    out[6] = cx * cy * sz - sx * sy * cz;
}

void eulerToMatrix(const cocos2d::Vec3& position, double ax, double ay, double az, cocos2d::Mat4& out)
{
    const double pos[3] = {position.x, position.y, position.z};
    double q[7];
    eulerToQuaternion(pos, ax, ay, az, q);
    const double w = q[3], x = q[4], y = q[5], z = q[6];
    const double cols[16] = {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
                             2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
                             2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,
                             pos[0], pos[1], pos[2], 1};
    for (int i = 0; i < 16; ++i) out.m[i] = static_cast<float>(cols[i]);
}

} // namespace isImageSDK
