#include "math/Mat4.h"

#include "math/Quaternion.h"

#include <cstring>

namespace cocos2d {

namespace {
const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const float kZero[16] = {0};

// The 2x2 minors of the top two and bottom two rows (column-major storage), shared by the
// determinant and the inverse.
struct Minors {
    explicit Minors(const float* m)
        : a0(m[0] * m[5] - m[1] * m[4]), a1(m[0] * m[6] - m[2] * m[4]), a2(m[0] * m[7] - m[3] * m[4]),
          a3(m[1] * m[6] - m[2] * m[5]), a4(m[1] * m[7] - m[3] * m[5]), a5(m[2] * m[7] - m[3] * m[6]),
          b0(m[8] * m[13] - m[9] * m[12]), b1(m[8] * m[14] - m[10] * m[12]), b2(m[8] * m[15] - m[11] * m[12]),
          b3(m[9] * m[14] - m[10] * m[13]), b4(m[9] * m[15] - m[11] * m[13]),
          b5(m[10] * m[15] - m[11] * m[14])
    {
    }
    float determinant() const { return a0 * b5 - a1 * b4 + a2 * b3 + a3 * b2 - a4 * b1 + a5 * b0; }
    const float a0, a1, a2, a3, a4, a5, b0, b1, b2, b3, b4, b5;
};
} // namespace

const Mat4 Mat4::IDENTITY(kIdentity);
const Mat4 Mat4::ZERO(kZero);

Mat4::Mat4() { std::memcpy(m, kIdentity, sizeof(m)); }

Mat4::Mat4(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24, float m31,
           float m32, float m33, float m34, float m41, float m42, float m43, float m44)
{
    set(m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44);
}

Mat4::Mat4(const float* mat) { set(mat); }

Mat4::Mat4(const Vec3& xAxis, const Vec3& yAxis, const Vec3& zAxis, const Vec3& translation)
{
    set(xAxis.x, yAxis.x, zAxis.x, translation.x, xAxis.y, yAxis.y, zAxis.y, translation.y, xAxis.z, yAxis.z,
        zAxis.z, translation.z, 0.0f, 0.0f, 0.0f, 1.0f);
}

void Mat4::createLookAt(const Vec3& eye, const Vec3& target, const Vec3& up, Mat4* dst)
{
    createLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z, dst);
}

void Mat4::createLookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                        float upX, float upY, float upZ, Mat4* dst)
{
    const Vec3 eye(eyeX, eyeY, eyeZ);
    Vec3 zaxis = eye - Vec3(targetX, targetY, targetZ);
    zaxis.normalize();
    Vec3 xaxis;
    Vec3::cross(Vec3(upX, upY, upZ).getNormalized(), zaxis, &xaxis);
    xaxis.normalize();
    Vec3 yaxis;
    Vec3::cross(zaxis, xaxis, &yaxis);
    yaxis.normalize();

    float* d = dst->m;
    d[0] = xaxis.x; d[1] = yaxis.x; d[2] = zaxis.x; d[3] = 0.0f;
    d[4] = xaxis.y; d[5] = yaxis.y; d[6] = zaxis.y; d[7] = 0.0f;
    d[8] = xaxis.z; d[9] = yaxis.z; d[10] = zaxis.z; d[11] = 0.0f;
    d[12] = -xaxis.dot(eye);
    d[13] = -yaxis.dot(eye);
    d[14] = -zaxis.dot(eye);
    d[15] = 1.0f;
}

void Mat4::createPerspective(float fieldOfView, float aspectRatio, float zNearPlane, float zFarPlane, Mat4* dst)
{
    const float depth = zFarPlane - zNearPlane;
    const float halfAngle = MATH_DEG_TO_RAD(fieldOfView) * 0.5f;
    const float tangent = std::tan(halfAngle);
    dst->setZero();
    if (depth == 0.0f || aspectRatio == 0.0f || std::fabs(tangent) < MATH_TOLERANCE)
        return; // degenerate frustum: leave the zero matrix rather than dividing by zero
    const float f = 1.0f / tangent;
    dst->m[0] = f / aspectRatio;
    dst->m[5] = f;
    dst->m[10] = -(zFarPlane + zNearPlane) / depth;
    dst->m[11] = -1.0f;
    dst->m[14] = -2.0f * zFarPlane * zNearPlane / depth;
}

void Mat4::createOrthographic(float width, float height, float zNearPlane, float zFarPlane, Mat4* dst)
{
    const float hw = width / 2.0f;
    const float hh = height / 2.0f;
    createOrthographicOffCenter(-hw, hw, -hh, hh, zNearPlane, zFarPlane, dst);
}

void Mat4::createOrthographicOffCenter(float left, float right, float bottom, float top, float zNearPlane,
                                       float zFarPlane, Mat4* dst)
{
    dst->setZero();
    if (right == left || top == bottom || zFarPlane == zNearPlane)
        return;
    dst->m[0] = 2.0f / (right - left);
    dst->m[5] = 2.0f / (top - bottom);
    dst->m[10] = 2.0f / (zNearPlane - zFarPlane);
    dst->m[12] = (left + right) / (left - right);
    dst->m[13] = (top + bottom) / (bottom - top);
    dst->m[14] = (zNearPlane + zFarPlane) / (zNearPlane - zFarPlane);
    dst->m[15] = 1.0f;
}

void Mat4::createScale(const Vec3& scale, Mat4* dst) { createScale(scale.x, scale.y, scale.z, dst); }

void Mat4::createScale(float xScale, float yScale, float zScale, Mat4* dst)
{
    dst->setIdentity();
    dst->m[0] = xScale;
    dst->m[5] = yScale;
    dst->m[10] = zScale;
}

void Mat4::createRotation(const Quaternion& q, Mat4* dst)
{
    const float x2 = q.x + q.x, y2 = q.y + q.y, z2 = q.z + q.z;
    const float xx2 = q.x * x2, yy2 = q.y * y2, zz2 = q.z * z2;
    const float xy2 = q.x * y2, xz2 = q.x * z2, yz2 = q.y * z2;
    const float wx2 = q.w * x2, wy2 = q.w * y2, wz2 = q.w * z2;
    float* d = dst->m;
    d[0] = 1.0f - yy2 - zz2; d[1] = xy2 + wz2; d[2] = xz2 - wy2; d[3] = 0.0f;
    d[4] = xy2 - wz2; d[5] = 1.0f - xx2 - zz2; d[6] = yz2 + wx2; d[7] = 0.0f;
    d[8] = xz2 + wy2; d[9] = yz2 - wx2; d[10] = 1.0f - xx2 - yy2; d[11] = 0.0f;
    d[12] = 0.0f; d[13] = 0.0f; d[14] = 0.0f; d[15] = 1.0f;
}

void Mat4::createRotation(const Vec3& axis, float angle, Mat4* dst)
{
    createRotation(Quaternion(axis, angle), dst);
}

void Mat4::createRotationX(float angle, Mat4* dst)
{
    dst->setIdentity();
    const float c = std::cos(angle), s = std::sin(angle);
    dst->m[5] = c;
    dst->m[6] = s;
    dst->m[9] = -s;
    dst->m[10] = c;
}

void Mat4::createRotationY(float angle, Mat4* dst)
{
    dst->setIdentity();
    const float c = std::cos(angle), s = std::sin(angle);
    dst->m[0] = c;
    dst->m[2] = -s;
    dst->m[8] = s;
    dst->m[10] = c;
}

void Mat4::createRotationZ(float angle, Mat4* dst)
{
    dst->setIdentity();
    const float c = std::cos(angle), s = std::sin(angle);
    dst->m[0] = c;
    dst->m[1] = s;
    dst->m[4] = -s;
    dst->m[5] = c;
}

void Mat4::createTranslation(const Vec3& t, Mat4* dst) { createTranslation(t.x, t.y, t.z, dst); }

void Mat4::createTranslation(float x, float y, float z, Mat4* dst)
{
    dst->setIdentity();
    dst->m[12] = x;
    dst->m[13] = y;
    dst->m[14] = z;
}

void Mat4::add(float scalar) { add(scalar, this); }

void Mat4::add(float scalar, Mat4* dst) const
{
    for (int i = 0; i < 16; ++i)
        dst->m[i] = m[i] + scalar;
}

void Mat4::add(const Mat4& mat) { add(*this, mat, this); }

void Mat4::add(const Mat4& m1, const Mat4& m2, Mat4* dst)
{
    for (int i = 0; i < 16; ++i)
        dst->m[i] = m1.m[i] + m2.m[i];
}

bool Mat4::decompose(Vec3* scale, Quaternion* rotation, Vec3* translation) const
{
    if (translation)
        translation->set(m[12], m[13], m[14]);
    if (!scale && !rotation)
        return true;

    Vec3 xaxis(m[0], m[1], m[2]);
    Vec3 yaxis(m[4], m[5], m[6]);
    Vec3 zaxis(m[8], m[9], m[10]);
    float sx = xaxis.length();
    const float sy = yaxis.length();
    float sz = zaxis.length();
    // A mirrored basis is reported as a negative z scale so that the rotation stays proper.
    if (determinant() < 0)
        sz = -sz;
    if (scale)
        scale->set(sx, sy, sz);
    if (!rotation)
        return true;
    if (std::fabs(sx) < MATH_TOLERANCE || std::fabs(sy) < MATH_TOLERANCE || std::fabs(sz) < MATH_TOLERANCE)
        return false;

    xaxis *= 1.0f / sx;
    yaxis *= 1.0f / sy;
    zaxis *= 1.0f / sz;
    Mat4 r;
    r.m[0] = xaxis.x; r.m[1] = xaxis.y; r.m[2] = xaxis.z;
    r.m[4] = yaxis.x; r.m[5] = yaxis.y; r.m[6] = yaxis.z;
    r.m[8] = zaxis.x; r.m[9] = zaxis.y; r.m[10] = zaxis.z;
    Quaternion::createFromRotationMatrix(r, rotation);
    return true;
}

float Mat4::determinant() const { return Minors(m).determinant(); }

void Mat4::getScale(Vec3* scale) const { decompose(scale, nullptr, nullptr); }

bool Mat4::getRotation(Quaternion* rotation) const { return decompose(nullptr, rotation, nullptr); }

void Mat4::getTranslation(Vec3* translation) const { decompose(nullptr, nullptr, translation); }

void Mat4::getUpVector(Vec3* dst) const { dst->set(m[4], m[5], m[6]); }
void Mat4::getDownVector(Vec3* dst) const { dst->set(-m[4], -m[5], -m[6]); }
void Mat4::getLeftVector(Vec3* dst) const { dst->set(-m[0], -m[1], -m[2]); }
void Mat4::getRightVector(Vec3* dst) const { dst->set(m[0], m[1], m[2]); }
void Mat4::getForwardVector(Vec3* dst) const { dst->set(-m[8], -m[9], -m[10]); }
void Mat4::getBackVector(Vec3* dst) const { dst->set(m[8], m[9], m[10]); }

bool Mat4::inverse()
{
    const Minors mi(m);
    const float a0 = mi.a0, a1 = mi.a1, a2 = mi.a2, a3 = mi.a3, a4 = mi.a4, a5 = mi.a5;
    const float b0 = mi.b0, b1 = mi.b1, b2 = mi.b2, b3 = mi.b3, b4 = mi.b4, b5 = mi.b5;
    const float det = mi.determinant();
    if (std::fabs(det) <= MATH_TOLERANCE)
        return false;

    Mat4 inv;
    inv.m[0] = m[5] * b5 - m[6] * b4 + m[7] * b3;
    inv.m[1] = -m[1] * b5 + m[2] * b4 - m[3] * b3;
    inv.m[2] = m[13] * a5 - m[14] * a4 + m[15] * a3;
    inv.m[3] = -m[9] * a5 + m[10] * a4 - m[11] * a3;
    inv.m[4] = -m[4] * b5 + m[6] * b2 - m[7] * b1;
    inv.m[5] = m[0] * b5 - m[2] * b2 + m[3] * b1;
    inv.m[6] = -m[12] * a5 + m[14] * a2 - m[15] * a1;
    inv.m[7] = m[8] * a5 - m[10] * a2 + m[11] * a1;
    inv.m[8] = m[4] * b4 - m[5] * b2 + m[7] * b0;
    inv.m[9] = -m[0] * b4 + m[1] * b2 - m[3] * b0;
    inv.m[10] = m[12] * a4 - m[13] * a2 + m[15] * a0;
    inv.m[11] = -m[8] * a4 + m[9] * a2 - m[11] * a0;
    inv.m[12] = -m[4] * b3 + m[5] * b1 - m[6] * b0;
    inv.m[13] = m[0] * b3 - m[1] * b1 + m[2] * b0;
    inv.m[14] = -m[12] * a3 + m[13] * a1 - m[14] * a0;
    inv.m[15] = m[8] * a3 - m[9] * a1 + m[10] * a0;
    multiply(inv, 1.0f / det, this);
    return true;
}

Mat4 Mat4::getInversed() const
{
    Mat4 r(*this);
    r.inverse();
    return r;
}

bool Mat4::isIdentity() const { return std::memcmp(m, kIdentity, sizeof(m)) == 0; }

void Mat4::multiply(float scalar) { multiply(*this, scalar, this); }

void Mat4::multiply(float scalar, Mat4* dst) const { multiply(*this, scalar, dst); }

void Mat4::multiply(const Mat4& mat, float scalar, Mat4* dst)
{
    for (int i = 0; i < 16; ++i)
        dst->m[i] = mat.m[i] * scalar;
}

void Mat4::multiply(const Mat4& mat) { multiply(*this, mat, this); }

void Mat4::multiply(const Mat4& m1, const Mat4& m2, Mat4* dst)
{
    float r[16];
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            r[col * 4 + row] = m1.m[row] * m2.m[col * 4] + m1.m[4 + row] * m2.m[col * 4 + 1] +
                               m1.m[8 + row] * m2.m[col * 4 + 2] + m1.m[12 + row] * m2.m[col * 4 + 3];
        }
    }
    std::memcpy(dst->m, r, sizeof(r));
}

void Mat4::negate()
{
    for (float& v : m)
        v = -v;
}

Mat4 Mat4::getNegated() const
{
    Mat4 r(*this);
    r.negate();
    return r;
}

void Mat4::rotate(const Quaternion& q) { rotate(q, this); }

void Mat4::rotate(const Quaternion& q, Mat4* dst) const
{
    Mat4 r;
    createRotation(q, &r);
    multiply(*this, r, dst);
}

void Mat4::rotate(const Vec3& axis, float angle) { rotate(axis, angle, this); }

void Mat4::rotate(const Vec3& axis, float angle, Mat4* dst) const
{
    Mat4 r;
    createRotation(axis, angle, &r);
    multiply(*this, r, dst);
}

void Mat4::rotateX(float angle) { rotateX(angle, this); }

void Mat4::rotateX(float angle, Mat4* dst) const
{
    Mat4 r;
    createRotationX(angle, &r);
    multiply(*this, r, dst);
}

void Mat4::rotateY(float angle) { rotateY(angle, this); }

void Mat4::rotateY(float angle, Mat4* dst) const
{
    Mat4 r;
    createRotationY(angle, &r);
    multiply(*this, r, dst);
}

void Mat4::rotateZ(float angle) { rotateZ(angle, this); }

void Mat4::rotateZ(float angle, Mat4* dst) const
{
    Mat4 r;
    createRotationZ(angle, &r);
    multiply(*this, r, dst);
}

void Mat4::scale(float value) { scale(value, value, value, this); }

void Mat4::scale(float value, Mat4* dst) const { scale(value, value, value, dst); }

void Mat4::scale(float xScale, float yScale, float zScale) { scale(xScale, yScale, zScale, this); }

void Mat4::scale(float xScale, float yScale, float zScale, Mat4* dst) const
{
    Mat4 s;
    createScale(xScale, yScale, zScale, &s);
    multiply(*this, s, dst);
}

void Mat4::scale(const Vec3& s) { scale(s.x, s.y, s.z, this); }

void Mat4::scale(const Vec3& s, Mat4* dst) const { scale(s.x, s.y, s.z, dst); }

void Mat4::translate(float x, float y, float z) { translate(x, y, z, this); }

void Mat4::translate(float x, float y, float z, Mat4* dst) const
{
    Mat4 t;
    createTranslation(x, y, z, &t);
    multiply(*this, t, dst);
}

void Mat4::translate(const Vec3& t) { translate(t.x, t.y, t.z, this); }

void Mat4::translate(const Vec3& t, Mat4* dst) const { translate(t.x, t.y, t.z, dst); }

void Mat4::set(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24, float m31,
               float m32, float m33, float m34, float m41, float m42, float m43, float m44)
{
    m[0] = m11; m[1] = m21; m[2] = m31; m[3] = m41;
    m[4] = m12; m[5] = m22; m[6] = m32; m[7] = m42;
    m[8] = m13; m[9] = m23; m[10] = m33; m[11] = m43;
    m[12] = m14; m[13] = m24; m[14] = m34; m[15] = m44;
}

void Mat4::set(const float* mat) { std::memcpy(m, mat, sizeof(m)); }

void Mat4::setIdentity() { std::memcpy(m, kIdentity, sizeof(m)); }

void Mat4::setZero() { std::memset(m, 0, sizeof(m)); }

void Mat4::subtract(const Mat4& mat) { subtract(*this, mat, this); }

void Mat4::subtract(const Mat4& m1, const Mat4& m2, Mat4* dst)
{
    for (int i = 0; i < 16; ++i)
        dst->m[i] = m1.m[i] - m2.m[i];
}

void Mat4::transformVector(float x, float y, float z, float w, Vec3* dst) const
{
    const float rx = x * m[0] + y * m[4] + z * m[8] + w * m[12];
    const float ry = x * m[1] + y * m[5] + z * m[9] + w * m[13];
    const float rz = x * m[2] + y * m[6] + z * m[10] + w * m[14];
    dst->set(rx, ry, rz);
}

void Mat4::transformVector(const Vec4& v, Vec4* dst) const
{
    const float rx = v.x * m[0] + v.y * m[4] + v.z * m[8] + v.w * m[12];
    const float ry = v.x * m[1] + v.y * m[5] + v.z * m[9] + v.w * m[13];
    const float rz = v.x * m[2] + v.y * m[6] + v.z * m[10] + v.w * m[14];
    const float rw = v.x * m[3] + v.y * m[7] + v.z * m[11] + v.w * m[15];
    dst->set(rx, ry, rz, rw);
}

void Mat4::transpose()
{
    const float t[16] = {m[0], m[4], m[8], m[12], m[1], m[5], m[9], m[13],
                         m[2], m[6], m[10], m[14], m[3], m[7], m[11], m[15]};
    std::memcpy(m, t, sizeof(m));
}

Mat4 Mat4::getTransposed() const
{
    Mat4 r(*this);
    r.transpose();
    return r;
}

Mat4 Mat4::operator+(const Mat4& mat) const
{
    Mat4 r;
    add(*this, mat, &r);
    return r;
}

Mat4 Mat4::operator-(const Mat4& mat) const
{
    Mat4 r;
    subtract(*this, mat, &r);
    return r;
}

Mat4 Mat4::operator*(const Mat4& mat) const
{
    Mat4 r;
    multiply(*this, mat, &r);
    return r;
}

Mat4 Mat4::operator*(float s) const
{
    Mat4 r;
    multiply(*this, s, &r);
    return r;
}

bool Mat4::operator==(const Mat4& mat) const { return std::memcmp(m, mat.m, sizeof(m)) == 0; }

Vec3 operator*(const Mat4& m, const Vec3& v)
{
    Vec3 r;
    m.transformVector(v, &r);
    return r;
}

Vec3& operator*=(Vec3& v, const Mat4& m)
{
    m.transformVector(&v);
    return v;
}

Vec4 operator*(const Mat4& m, const Vec4& v)
{
    Vec4 r;
    m.transformVector(v, &r);
    return r;
}

Vec4& operator*=(Vec4& v, const Mat4& m)
{
    m.transformVector(&v);
    return v;
}

} // namespace cocos2d
