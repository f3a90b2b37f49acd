#include "graphics/math3d.h"

#include <cmath>
#include <cstring>

namespace {

Matrix Identity() {
    Matrix m{};
    m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1.0f;
    return m;
}

double LengthSqD(const Vec3& v) {
    return double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z;
}

Vec3 Sub(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Scale(const Vec3& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}

Matrix Translation(float x, float y, float z) {
    Matrix m = Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

}  // namespace

Vec3* Vec3Set(Vec3* out, float x, float y, float z) {
    out->x = x;
    out->y = y;
    out->z = z;
    return out;
}

float Vec3LengthSq(const Vec3& v) {
    return static_cast<float>(LengthSqD(v));
}

float Vec3Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

void Vec3Cross(Vec3* out, const Vec3& a, const Vec3& b) {
    Vec3 r{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    *out = r;
}

void Vec3Normalize(Vec3* out, const Vec3& v) {
    double len2 = LengthSqD(v);
    if (std::fabs(len2 - 1.0) <= 1e-5) {
        *out = v;
    } else if (len2 < 1e-10) {
        *out = {0.0f, 0.0f, 0.0f};
    } else {
        double inv = 1.0 / std::sqrt(len2);
        *out = {float(v.x * inv), float(v.y * inv), float(v.z * inv)};
    }
}

namespace {
void TransformRow(const Vec3& v, const Matrix& m, double r[4]) {
    for (int c = 0; c < 4; ++c)
        r[c] = double(v.x) * m.m[0][c] + double(v.y) * m.m[1][c] + double(v.z) * m.m[2][c] + m.m[3][c];
}
}  // namespace

Vec3* Vec3TransformCoord(Vec3* out, const Vec3& v, const Matrix& m) {
    double r[4];
    TransformRow(v, m, r);
    if (std::fabs(r[3] - 1.0) > 1e-5) {
        r[0] /= r[3];
        r[1] /= r[3];
        r[2] /= r[3];
    }
    *out = {float(r[0]), float(r[1]), float(r[2])};
    return out;
}

int32_t Vec3TransformCoordChecked(Vec3* out, const Vec3& v, const Matrix& m) {
    double r[4];
    TransformRow(v, m, r);
    if (std::fabs(r[3]) <= 1e-5) return kMathInvalidArg;
    *out = {float(r[0] / r[3]), float(r[1] / r[3]), float(r[2] / r[3])};
    return kMathOk;
}

Vec3* Vec3TransformNormal(Vec3* out, const Vec3& v, const Matrix& m) {
    Vec3 r;
    r.x = float(double(v.x) * m.m[0][0] + double(v.y) * m.m[1][0] + double(v.z) * m.m[2][0]);
    r.y = float(double(v.x) * m.m[0][1] + double(v.y) * m.m[1][1] + double(v.z) * m.m[2][1]);
    r.z = float(double(v.x) * m.m[0][2] + double(v.y) * m.m[1][2] + double(v.z) * m.m[2][2]);
    *out = r;
    return out;
}

void SetIdentityMatrix(Matrix* out) {
    *out = Identity();
}

void MatrixMultiply(Matrix* out, const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += double(a.m[i][k]) * b.m[k][j];
            r.m[i][j] = float(s);
        }
    *out = r;
}

void MatrixMultiply4x4(Matrix* out, const Matrix& a, const Matrix& b) {
    MatrixMultiply(out, a, b);
}

void MatrixTranspose(Matrix* out, const Matrix& m) {
    Matrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m.m[j][i];
    *out = r;
}

Matrix* MatrixInverse(Matrix* out, float* determinant, const Matrix& m) {
    double a[16];
    for (int i = 0; i < 16; ++i) a[i] = m.m[i / 4][i % 4];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] +
              a[8] * a[1] * a[6] - a[8] * a[2] * a[5];
    double det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    if (determinant) *determinant = float(det);
    float invDet = float(1.0 / det);
    if (!std::isfinite(invDet) || det == 0.0) return nullptr;
    for (int i = 0; i < 16; ++i) out->m[i / 4][i % 4] = float(inv[i] / det);
    return out;
}

void MatrixScaling(Matrix* out, float sx, float sy, float sz) {
    *out = Identity();
    out->m[0][0] = sx;
    out->m[1][1] = sy;
    out->m[2][2] = sz;
}

void MakeRotationX(Matrix* out, float angle) {
    *out = Identity();
    float c = std::cos(angle), s = std::sin(angle);
    out->m[1][1] = c;
    out->m[1][2] = s;
    out->m[2][1] = -s;
    out->m[2][2] = c;
}

void MakeRotationY(Matrix* out, float angle) {
    *out = Identity();
    float c = std::cos(angle), s = std::sin(angle);
    out->m[0][0] = c;
    out->m[0][2] = -s;
    out->m[2][0] = s;
    out->m[2][2] = c;
}

void MakeRotationZ(Matrix* out, float angle) {
    *out = Identity();
    float c = std::cos(angle), s = std::sin(angle);
    out->m[0][0] = c;
    out->m[0][1] = s;
    out->m[1][0] = -s;
    out->m[1][1] = c;
}

void MatrixRotationX(Matrix* out, float angle) {
    MakeRotationX(out, angle);
}
void MatrixRotationY(Matrix* out, float angle) {
    MakeRotationY(out, angle);
}

void MatrixRotationAxis(Matrix* out, const Vec3& axis, float angle) {
    Vec3 n;
    Vec3Normalize(&n, axis);
    double c = std::cos(double(angle)), s = std::sin(double(angle)), t = 1.0 - c;
    double x = n.x, y = n.y, z = n.z;
    Matrix r{};
    r.m[0][0] = float(x * x * t + c);
    r.m[0][1] = float(x * y * t - z * s);
    r.m[0][2] = float(x * z * t + y * s);
    r.m[1][0] = float(x * y * t + z * s);
    r.m[1][1] = float(y * y * t + c);
    r.m[1][2] = float(y * z * t - x * s);
    r.m[2][0] = float(x * z * t - y * s);
    r.m[2][1] = float(y * z * t + x * s);
    r.m[2][2] = float(z * z * t + c);
    r.m[3][3] = 1.0f;
    *out = r;
}

void MatrixRotationQuaternion(Matrix* out, const Quaternion& q) {
    double x = q.x, y = q.y, z = q.z, w = q.w;
    Matrix r{};
    r.m[0][0] = float(1 - 2 * y * y - 2 * z * z);
    r.m[0][1] = float(2 * x * y + 2 * z * w);
    r.m[0][2] = float(2 * x * z - 2 * y * w);
    r.m[1][0] = float(2 * x * y - 2 * z * w);
    r.m[1][1] = float(1 - 2 * x * x - 2 * z * z);
    r.m[1][2] = float(2 * y * z + 2 * x * w);
    r.m[2][0] = float(2 * x * z + 2 * y * w);
    r.m[2][1] = float(2 * y * z - 2 * x * w);
    r.m[2][2] = float(1 - 2 * x * x - 2 * y * y);
    r.m[3][3] = 1.0f;
    *out = r;
}

void MatrixTransformation(Matrix* out, const Vec3* scalingCentre, const Quaternion* scalingRotation,
                          const Vec3* scaling, const Vec3* rotationCentre, const Quaternion* rotation,
                          const Vec3* translation) {
    Matrix m = Identity();
    if (scaling) {
        Matrix s;
        MatrixScaling(&s, scaling->x, scaling->y, scaling->z);
        if (scalingRotation) {
            Matrix rsc, rscT;
            MatrixRotationQuaternion(&rsc, *scalingRotation);
            MatrixTranspose(&rscT, rsc);
            MatrixMultiply(&m, rscT, s);
            MatrixMultiply(&m, m, rsc);
            if (scalingCentre) {
                Matrix pre = Translation(-scalingCentre->x, -scalingCentre->y, -scalingCentre->z);
                Matrix post = Translation(scalingCentre->x, scalingCentre->y, scalingCentre->z);
                MatrixMultiply(&m, pre, m);
                MatrixMultiply(&m, m, post);
            }
        } else {
            m = s;
        }
    }
    if (rotation) {
        Matrix r;
        MatrixRotationQuaternion(&r, *rotation);
        if (rotationCentre) {
            Matrix pre = Translation(-rotationCentre->x, -rotationCentre->y, -rotationCentre->z);
            Matrix post = Translation(rotationCentre->x, rotationCentre->y, rotationCentre->z);
            MatrixMultiply(&m, m, pre);
            MatrixMultiply(&m, m, r);
            MatrixMultiply(&m, m, post);
        } else {
            MatrixMultiply(&m, m, r);
        }
    }
    if (translation) {
        m.m[3][0] += translation->x;
        m.m[3][1] += translation->y;
        m.m[3][2] += translation->z;
    }
    *out = m;
}

void MatrixOrthoOffCenter(Matrix* out, float l, float r, float b, float t, float zn, float zf) {
    Matrix m{};
    m.m[0][0] = 2.0f / (r - l);
    m.m[1][1] = 2.0f / (t - b);
    m.m[2][2] = 1.0f / (zn - zf);
    m.m[3][0] = -(l + r) / (r - l);
    m.m[3][1] = -(t + b) / (t - b);
    m.m[3][2] = zn / (zn - zf);
    m.m[3][3] = 1.0f;
    *out = m;
}

int32_t SetViewMatrix(Matrix* out, const Vec3& eye, const Vec3& at, const Vec3& up) {
    Vec3 d = Sub(at, eye);
    float len = std::sqrt(Vec3LengthSq(d));
    if (len < 1e-6f) return kMathInvalidArg;
    d = Scale(d, 1.0f / len);
    auto orthogonal = [&](const Vec3& u, Vec3* res) {
        Vec3 p = Sub(u, Scale(d, Vec3Dot(u, d)));
        float l = std::sqrt(Vec3LengthSq(p));
        if (l < 1e-6f) return false;
        *res = Scale(p, 1.0f / l);
        return true;
    };
    Vec3 u;
    if (!orthogonal(up, &u) && !orthogonal(Vec3{0.0f, 1.0f, 0.0f}, &u) &&
        !orthogonal(Vec3{0.0f, 0.0f, 1.0f}, &u))
        return kMathInvalidArg;
    Vec3 right;
    Vec3Cross(&right, u, d);
    Matrix m = Identity();
    m.m[0][0] = right.x;
    m.m[0][1] = u.x;
    m.m[0][2] = d.x;
    m.m[1][0] = right.y;
    m.m[1][1] = u.y;
    m.m[1][2] = d.y;
    m.m[2][0] = right.z;
    m.m[2][1] = u.z;
    m.m[2][2] = d.z;
    m.m[3][0] = -Vec3Dot(eye, right);
    m.m[3][1] = -Vec3Dot(eye, u);
    m.m[3][2] = -Vec3Dot(eye, d);
    *out = m;
    return kMathOk;
}

void MatrixShadow(Matrix* out, const Vec4& light, const Plane& plane) {
    Plane n;
    PlaneNormalize(&n, plane);
    const float p[4] = {-n.a, -n.b, -n.c, -n.d};
    const float l[4] = {light.x, light.y, light.z, light.w};
    float d = n.a * light.x + n.b * light.y + n.c * light.z + n.d * light.w;
    Matrix m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m.m[r][c] = p[r] * l[c] + (r == c ? d : 0.0f);
    *out = m;
}

void PlaneFromPointNormal(Plane* out, const Vec3& point, const Vec3& normal) {
    *out = {normal.x, normal.y, normal.z, -Vec3Dot(point, normal)};
}

void PlaneNormalize(Plane* out, const Plane& plane) {
    double l = double(plane.a) * plane.a + double(plane.b) * plane.b + double(plane.c) * plane.c;
    if (std::fabs(l - 1.0) < 1e-5) {
        *out = plane;
    } else if (l < 1e-10) {
        *out = {0.0f, 0.0f, 0.0f, 0.0f};
    } else {
        double inv = 1.0 / std::sqrt(l);
        *out = {float(plane.a * inv), float(plane.b * inv), float(plane.c * inv), float(plane.d * inv)};
    }
}

float Vec4Dot(const Vec4& a, const Vec4& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

Vec4 Vec4Negate(const Vec4& v) {
    return {-v.x, -v.y, -v.z, -v.w};
}

void QuaternionSlerp(Quaternion* out, const Quaternion& q1, const Quaternion& q2, float t) {
    double d = Vec4Dot(q1, q2);
    double sign = d < 0.0 ? -1.0 : 1.0;
    d *= sign;
    double w1, w2;
    if (1.0 - d > 1e-5) {
        double s = std::sqrt(1.0 - d * d);
        double theta = std::atan2(s, d);
        w1 = std::sin((1.0 - t) * theta) / s;
        w2 = std::sin(t * theta) / s;
    } else {
        w1 = 1.0 - t;
        w2 = t;
    }
    w2 *= sign;
    *out = {float(w1 * q1.x + w2 * q2.x), float(w1 * q1.y + w2 * q2.y), float(w1 * q1.z + w2 * q2.z),
            float(w1 * q1.w + w2 * q2.w)};
}

Vec3* GetBezierPoint(Vec3* out, const Vec3& p0, const Vec3& p1, const Vec3& p2, double t) {
    const double u = 1.0 - t;
    auto at = [&](double a, double b, double c) { return float(2.0 * b * u * t + a * u * u + c * t * t); };
    out->x = at(p0.x, p1.x, p2.x);
    out->y = at(p0.y, p1.y, p2.y);
    out->z = at(p0.z, p1.z, p2.z);
    return out;
}
