#pragma once
// A 4x4 matrix stored column-major (m[12..14] is the translation), as OpenGL expects it.

#include "math/Vec3.h"
#include "math/Vec4.h"

namespace cocos2d {

class Quaternion;

class Mat4 {
public:
    float m[16];

    /// The identity.
    Mat4();
    /// Arguments are written row by row (m11 m12 m13 m14 / m21 ...) and stored column-major.
    Mat4(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
         float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44);
    /// From 16 floats already in column-major order.
    explicit Mat4(const float* mat);
    /// An affine matrix from its three axes (columns 0-2) and its translation (column 3).
    Mat4(const Vec3& xAxis, const Vec3& yAxis, const Vec3& zAxis, const Vec3& translation);

    static void createLookAt(const Vec3& eye, const Vec3& target, const Vec3& up, Mat4* dst);
    static void createLookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                             float upX, float upY, float upZ, Mat4* dst);
    /// `fieldOfView` is the vertical angle in degrees; OpenGL clip space (z in [-1, 1]).
    static void createPerspective(float fieldOfView, float aspectRatio, float zNearPlane, float zFarPlane,
                                  Mat4* dst);
    static void createOrthographic(float width, float height, float zNearPlane, float zFarPlane, Mat4* dst);
    static void createOrthographicOffCenter(float left, float right, float bottom, float top, float zNearPlane,
                                            float zFarPlane, Mat4* dst);
    static void createScale(const Vec3& scale, Mat4* dst);
    static void createScale(float xScale, float yScale, float zScale, Mat4* dst);
    static void createRotation(const Quaternion& quat, Mat4* dst);
    /// `angle` in radians about `axis` (need not be normalised).
    static void createRotation(const Vec3& axis, float angle, Mat4* dst);
    static void createRotationX(float angle, Mat4* dst);
    static void createRotationY(float angle, Mat4* dst);
    static void createRotationZ(float angle, Mat4* dst);
    static void createTranslation(const Vec3& translation, Mat4* dst);
    static void createTranslation(float xTranslation, float yTranslation, float zTranslation, Mat4* dst);

    void add(float scalar);
    void add(float scalar, Mat4* dst) const;
    void add(const Mat4& mat);
    static void add(const Mat4& m1, const Mat4& m2, Mat4* dst);

    /// Splits an affine matrix into scale, rotation and translation; any output may be null.
    bool decompose(Vec3* scale, Quaternion* rotation, Vec3* translation) const;
    float determinant() const;
    void getScale(Vec3* scale) const;
    bool getRotation(Quaternion* rotation) const;
    void getTranslation(Vec3* translation) const;
    void getUpVector(Vec3* dst) const;
    void getDownVector(Vec3* dst) const;
    void getLeftVector(Vec3* dst) const;
    void getRightVector(Vec3* dst) const;
    void getForwardVector(Vec3* dst) const;
    void getBackVector(Vec3* dst) const;

    /// Inverts in place; false (matrix unchanged) when it is singular.
    bool inverse();
    /// The inverse, or the matrix itself when it is singular.
    Mat4 getInversed() const;
    bool isIdentity() const;

    void multiply(float scalar);
    void multiply(float scalar, Mat4* dst) const;
    static void multiply(const Mat4& mat, float scalar, Mat4* dst);
    /// this = this * mat.
    void multiply(const Mat4& mat);
    /// dst = m1 * m2; dst may be m1 or m2.
    static void multiply(const Mat4& m1, const Mat4& m2, Mat4* dst);

    void negate();
    Mat4 getNegated() const;

    // The rotate/scale/translate operations post-multiply: this = this * operation.
    void rotate(const Quaternion& q);
    void rotate(const Quaternion& q, Mat4* dst) const;
    void rotate(const Vec3& axis, float angle);
    void rotate(const Vec3& axis, float angle, Mat4* dst) const;
    void rotateX(float angle);
    void rotateX(float angle, Mat4* dst) const;
    void rotateY(float angle);
    void rotateY(float angle, Mat4* dst) const;
    void rotateZ(float angle);
    void rotateZ(float angle, Mat4* dst) const;
    void scale(float value);
    void scale(float value, Mat4* dst) const;
    void scale(float xScale, float yScale, float zScale);
    void scale(float xScale, float yScale, float zScale, Mat4* dst) const;
    void scale(const Vec3& s);
    void scale(const Vec3& s, Mat4* dst) const;
    void translate(float x, float y, float z);
    void translate(float x, float y, float z, Mat4* dst) const;
    void translate(const Vec3& t);
    void translate(const Vec3& t, Mat4* dst) const;

    void set(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24, float m31,
             float m32, float m33, float m34, float m41, float m42, float m43, float m44);
    void set(const float* mat);
    void set(const Mat4& mat) { *this = mat; }
    void setIdentity();
    void setZero();

    void subtract(const Mat4& mat);
    static void subtract(const Mat4& m1, const Mat4& m2, Mat4* dst);

    /// Transforms a point (w = 1); the translation applies. No perspective divide.
    void transformPoint(Vec3* point) const { transformVector(point->x, point->y, point->z, 1.0f, point); }
    void transformPoint(const Vec3& point, Vec3* dst) const { transformVector(point.x, point.y, point.z, 1.0f, dst); }
    /// Transforms a direction (w = 0); the translation does not apply.
    void transformVector(Vec3* vector) const { transformVector(vector->x, vector->y, vector->z, 0.0f, vector); }
    void transformVector(const Vec3& v, Vec3* dst) const { transformVector(v.x, v.y, v.z, 0.0f, dst); }
    void transformVector(float x, float y, float z, float w, Vec3* dst) const;
    void transformVector(Vec4* vector) const { transformVector(*vector, vector); }
    void transformVector(const Vec4& vector, Vec4* dst) const;

    void transpose();
    Mat4 getTransposed() const;

    Mat4 operator+(const Mat4& mat) const;
    Mat4& operator+=(const Mat4& mat) { add(mat); return *this; }
    Mat4 operator-(const Mat4& mat) const;
    Mat4& operator-=(const Mat4& mat) { subtract(mat); return *this; }
    Mat4 operator-() const { return getNegated(); }
    Mat4 operator*(const Mat4& mat) const;
    Mat4& operator*=(const Mat4& mat) { multiply(mat); return *this; }
    Mat4 operator*(float s) const;
    bool operator==(const Mat4& mat) const;
    bool operator!=(const Mat4& mat) const { return !(*this == mat); }

    static const Mat4 ZERO;
    static const Mat4 IDENTITY;
};

/// Transforms a direction (w = 0).
Vec3 operator*(const Mat4& m, const Vec3& v);
Vec3& operator*=(Vec3& v, const Mat4& m);
Vec4 operator*(const Mat4& m, const Vec4& v);
Vec4& operator*=(Vec4& v, const Mat4& m);

} // namespace cocos2d
