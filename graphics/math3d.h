// Vectors, matrices, planes and quaternions in the row-vector convention:
// points are row vectors multiplied on the left (p' = p x M), so a matrix's
// translation lies in m41..m43 and A x B applies A first.
#pragma once
#include <cstdint>

struct Vec3 {
    float x, y, z;
};

struct Vec4 {
    float x, y, z, w;
};

using Quaternion = Vec4;

struct Plane {
    float a, b, c, d;
};

struct Matrix {
    // m[row][column], rows stored one after the other.
    float m[4][4];
};

constexpr int32_t kMathOk = 0;
constexpr int32_t kMathInvalidArg = static_cast<int32_t>(0x80070057u);

Vec3* Vec3Set(Vec3* out, float x, float y, float z);
float Vec3LengthSq(const Vec3& v);
float Vec3Dot(const Vec3& a, const Vec3& b);
void Vec3Cross(Vec3* out, const Vec3& a, const Vec3& b);
void Vec3Normalize(Vec3* out, const Vec3& v);
Vec3* Vec3TransformCoord(Vec3* out, const Vec3& v, const Matrix& m);
int32_t Vec3TransformCoordChecked(Vec3* out, const Vec3& v, const Matrix& m);
Vec3* Vec3TransformNormal(Vec3* out, const Vec3& v, const Matrix& m);
// The point of the quadratic Bezier curve from p0 through the control point p1
// to p2 at t (computed in double precision; t outside 0..1 extrapolates).
Vec3* GetBezierPoint(Vec3* out, const Vec3& p0, const Vec3& p1, const Vec3& p2, double t);

void SetIdentityMatrix(Matrix* out);
void MatrixMultiply(Matrix* out, const Matrix& a, const Matrix& b);
void MatrixMultiply4x4(Matrix* out, const Matrix& a, const Matrix& b);
void MatrixTranspose(Matrix* out, const Matrix& m);
Matrix* MatrixInverse(Matrix* out, float* determinant, const Matrix& m);
void MatrixScaling(Matrix* out, float sx, float sy, float sz);
void MakeRotationX(Matrix* out, float angle);
void MakeRotationY(Matrix* out, float angle);
void MakeRotationZ(Matrix* out, float angle);
void MatrixRotationX(Matrix* out, float angle);
void MatrixRotationY(Matrix* out, float angle);
void MatrixRotationAxis(Matrix* out, const Vec3& axis, float angle);
void MatrixRotationQuaternion(Matrix* out, const Quaternion& q);
void MatrixTransformation(Matrix* out, const Vec3* scalingCentre, const Quaternion* scalingRotation,
                          const Vec3* scaling, const Vec3* rotationCentre, const Quaternion* rotation,
                          const Vec3* translation);
void MatrixOrthoOffCenter(Matrix* out, float l, float r, float b, float t, float zn, float zf);
int32_t SetViewMatrix(Matrix* out, const Vec3& eye, const Vec3& at, const Vec3& up);
void MatrixShadow(Matrix* out, const Vec4& light, const Plane& plane);

void PlaneFromPointNormal(Plane* out, const Vec3& point, const Vec3& normal);
void PlaneNormalize(Plane* out, const Plane& plane);

float Vec4Dot(const Vec4& a, const Vec4& b);
Vec4 Vec4Negate(const Vec4& v);
void QuaternionSlerp(Quaternion* out, const Quaternion& q1, const Quaternion& q2, float t);
