#include "graphics/math3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

Matrix Filled(float v) {
    Matrix m;
    for (auto& row : m.m)
        for (float& x : row) x = v;
    return m;
}

void ExpectMatrixNear(const Matrix& a, const Matrix& b, float eps = 1e-5f) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], eps) << "at " << i << "," << j;
}

Matrix Ident() {
    Matrix m;
    SetIdentityMatrix(&m);
    return m;
}

TEST(Math3D, NormalizeKeepsUnitVectorsBitForBitAndZerosTinyOnes) {
    Vec3 unit{0.6f, 0.8f, 0.0f}, out{9, 9, 9};
    Vec3Normalize(&out, unit);
    EXPECT_EQ(0, std::memcmp(&out, &unit, sizeof out));
    Vec3Normalize(&out, Vec3{0, 0, 0});
    EXPECT_EQ(out.x, 0.0f);
    EXPECT_EQ(out.y, 0.0f);
    EXPECT_EQ(out.z, 0.0f);
    Vec3Normalize(&out, Vec3{3, 0, 4});
    EXPECT_NEAR(out.x, 0.6f, 1e-6f);
    EXPECT_NEAR(out.z, 0.8f, 1e-6f);
}

TEST(Math3D, CrossAndDot) {
    Vec3 r;
    Vec3Cross(&r, Vec3{1, 0, 0}, Vec3{0, 1, 0});
    EXPECT_EQ(r.z, 1.0f);
    EXPECT_EQ(Vec3Dot(Vec3{1, 2, 3}, Vec3{4, 5, 6}), 32.0f);
    EXPECT_EQ(Vec3LengthSq(Vec3{1, 2, 2}), 9.0f);
}

TEST(Math3D, TransformCoordDividesOnlyWhenWIsNotOne) {
    Matrix m = Ident();
    m.m[3][0] = 5;  // translation
    Vec3 out;
    Vec3TransformCoord(&out, Vec3{1, 2, 3}, m);
    EXPECT_EQ(out.x, 6.0f);
    m.m[3][3] = 2;  // w = 2
    Vec3TransformCoord(&out, Vec3{1, 2, 3}, m);
    EXPECT_EQ(out.x, 3.0f);
    EXPECT_EQ(out.y, 1.0f);
}

TEST(Math3D, CheckedTransformRefusesZeroW) {
    Matrix m = Ident();
    m.m[3][3] = 0;  // w = 0 for any point with z = 0 ... and x, y of the column 4
    Vec3 out{7, 7, 7};
    EXPECT_EQ(Vec3TransformCoordChecked(&out, Vec3{1, 2, 0}, m), kMathInvalidArg);
    EXPECT_EQ(out.x, 7.0f);
    m.m[3][3] = 2;
    EXPECT_EQ(Vec3TransformCoordChecked(&out, Vec3{2, 4, 0}, m), kMathOk);
    EXPECT_EQ(out.x, 1.0f);
    EXPECT_EQ(out.y, 2.0f);
}

TEST(Math3D, TransformNormalIgnoresTranslation) {
    Matrix m = Ident();
    m.m[3][0] = 100;
    Vec3 out;
    Vec3TransformNormal(&out, Vec3{1, 0, 0}, m);
    EXPECT_EQ(out.x, 1.0f);
}

TEST(Math3D, MultiplyAppliesLeftMatrixFirstAndMayAlias) {
    Matrix s, t = Ident(), r;
    MatrixScaling(&s, 2, 2, 2);
    t.m[3][0] = 1;             // translate x by 1
    MatrixMultiply(&r, s, t);  // scale, then translate
    Vec3 p;
    Vec3TransformCoord(&p, Vec3{1, 0, 0}, r);
    EXPECT_EQ(p.x, 3.0f);
    MatrixMultiply(&s, s, t);  // out aliases A
    ExpectMatrixNear(s, r);
    Matrix q;
    MatrixMultiply4x4(&q, r, Ident());
    ExpectMatrixNear(q, r);
}

TEST(Math3D, InverseOfSingularMatrixLeavesOutputUntouched) {
    Matrix out = Filled(42), singular = Filled(1);
    float det = -1;
    EXPECT_EQ(MatrixInverse(&out, &det, singular), nullptr);
    EXPECT_EQ(out.m[0][0], 42.0f);
    EXPECT_EQ(det, 0.0f);

    Matrix m;
    MakeRotationZ(&m, 0.7f);
    m.m[3][0] = 3;
    m.m[3][1] = -2;
    Matrix inv, prod;
    ASSERT_NE(MatrixInverse(&inv, nullptr, m), nullptr);
    MatrixMultiply(&prod, m, inv);
    ExpectMatrixNear(prod, Ident());
}

TEST(Math3D, RotationsAtZeroAreIdentityAndFollowTheRowConvention) {
    Matrix m;
    for (auto fn : {MakeRotationX, MakeRotationY, MakeRotationZ, MatrixRotationX, MatrixRotationY}) {
        fn(&m, 0.0f);
        ExpectMatrixNear(m, Ident(), 0.0f);
    }
    const float half = float(M_PI / 2);
    Vec3 p;
    MakeRotationZ(&m, half);
    Vec3TransformCoord(&p, Vec3{1, 0, 0}, m);
    EXPECT_NEAR(p.y, 1.0f, 1e-6f);
    MakeRotationX(&m, half);
    Vec3TransformCoord(&p, Vec3{0, 1, 0}, m);
    EXPECT_NEAR(p.z, 1.0f, 1e-6f);
    MakeRotationY(&m, half);
    Vec3TransformCoord(&p, Vec3{0, 0, 1}, m);
    EXPECT_NEAR(p.x, 1.0f, 1e-6f);
    // MakeRotation writes only its four entries after the identity; the Matrix form agrees.
    Matrix full;
    MatrixRotationY(&full, 0.3f);
    MakeRotationY(&m, 0.3f);
    ExpectMatrixNear(full, m, 0.0f);
}

TEST(Math3D, AxisRotationAndQuaternionAgree) {
    Matrix a, q;
    MatrixRotationAxis(&a, Vec3{0, 0, 2}, 0.5f);  // axis normalised first
    float s = std::sin(0.25f), c = std::cos(0.25f);
    MatrixRotationQuaternion(&q, Quaternion{0, 0, s, c});
    // The two tables are transposes of one another for the same rotation.
    Matrix qt;
    MatrixTranspose(&qt, q);
    ExpectMatrixNear(a, qt);
    EXPECT_NEAR(a.m[0][0], std::cos(0.5f), 1e-6f);
    EXPECT_NEAR(a.m[0][1], -std::sin(0.5f), 1e-6f);
}

TEST(Math3D, TransformationComposesScaleRotationAndTranslation) {
    Vec3 scaling{2, 3, 4}, translation{1, 2, 3};
    Matrix m;
    MatrixTransformation(&m, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ExpectMatrixNear(m, Ident(), 0.0f);
    MatrixTransformation(&m, nullptr, nullptr, &scaling, nullptr, nullptr, &translation);
    Vec3 p;
    Vec3TransformCoord(&p, Vec3{1, 1, 1}, m);
    EXPECT_EQ(p.x, 3.0f);
    EXPECT_EQ(p.y, 5.0f);
    EXPECT_EQ(p.z, 7.0f);
    // Rotation about a centre keeps the centre in place.
    float s = std::sin(float(M_PI / 4)), c = std::cos(float(M_PI / 4));
    Quaternion rot{0, 0, s, c};
    Vec3 centre{5, 5, 0};
    MatrixTransformation(&m, nullptr, nullptr, nullptr, &centre, &rot, nullptr);
    Vec3TransformCoord(&p, centre, m);
    EXPECT_NEAR(p.x, 5.0f, 1e-5f);
    EXPECT_NEAR(p.y, 5.0f, 1e-5f);
}

TEST(Math3D, ViewMatrixForTheFixedCameraIsATranslation) {
    Matrix v;
    ASSERT_EQ(SetViewMatrix(&v, Vec3{0, 0, -10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}), kMathOk);
    Matrix expect = Ident();
    expect.m[3][2] = 10;
    ExpectMatrixNear(v, expect, 0.0f);
    // Up parallel to the view falls back to (0, 0, 1).
    ASSERT_EQ(SetViewMatrix(&v, Vec3{0, 5, 0}, Vec3{0, 0, 0}, Vec3{0, 1, 0}), kMathOk);
    EXPECT_NEAR(v.m[2][1], 1.0f, 1e-6f);
    Matrix untouched = Filled(3);
    EXPECT_EQ(SetViewMatrix(&untouched, Vec3{1, 1, 1}, Vec3{1, 1, 1}, Vec3{0, 1, 0}), kMathInvalidArg);
    EXPECT_EQ(untouched.m[0][0], 3.0f);
}

TEST(Math3D, OrthoOffCenterMapsTheViewVolume) {
    Matrix p;
    MatrixOrthoOffCenter(&p, -5, 5, -3.75f, 3.75f, 1, -90);
    Vec3 out;
    Vec3TransformCoord(&out, Vec3{5, 3.75f, -1}, p);  // z = -near maps to 0
    EXPECT_NEAR(out.x, 1.0f, 1e-6f);
    EXPECT_NEAR(out.y, 1.0f, 1e-6f);
    EXPECT_NEAR(out.z, 0.0f, 1e-6f);
}

TEST(Math3D, PlanesAndShadow) {
    Plane pl;
    PlaneFromPointNormal(&pl, Vec3{0, 2, 0}, Vec3{0, 1, 0});
    EXPECT_EQ(pl.d, -2.0f);
    Plane n;
    PlaneNormalize(&n, Plane{0, 2, 0, -4});
    EXPECT_EQ(n.b, 1.0f);
    EXPECT_EQ(n.d, -2.0f);
    PlaneNormalize(&n, Plane{0, 0, 0, 5});
    EXPECT_EQ(n.d, 0.0f);
    // A directional light straight down flattens points onto y = 0.
    Matrix sh;
    MatrixShadow(&sh, Vec4{0, 1, 0, 0}, Plane{0, 1, 0, 0});
    Vec3 out;
    Vec3TransformCoord(&out, Vec3{3, 7, 2}, sh);
    EXPECT_NEAR(out.x, 3.0f, 1e-6f);
    EXPECT_NEAR(out.y, 0.0f, 1e-6f);
    EXPECT_NEAR(out.z, 2.0f, 1e-6f);
}

TEST(Math3D, SlerpTakesTheShortWayAndHandlesNearlyEqualInputs) {
    Quaternion id{0, 0, 0, 1}, out;
    float s = std::sin(float(M_PI / 4)), c = std::cos(float(M_PI / 4));
    Quaternion z90{0, 0, s, c};
    QuaternionSlerp(&out, id, z90, 0.5f);
    EXPECT_NEAR(out.z, std::sin(float(M_PI / 8)), 1e-6f);
    EXPECT_NEAR(out.w, std::cos(float(M_PI / 8)), 1e-6f);
    // The negated quaternion is the same rotation: the result is the same.
    Quaternion neg = Vec4Negate(z90), out2;
    QuaternionSlerp(&out2, id, neg, 0.5f);
    EXPECT_NEAR(out2.z, out.z, 1e-6f);
    EXPECT_NEAR(out2.w, out.w, 1e-6f);
    QuaternionSlerp(&out, id, id, 0.3f);
    EXPECT_NEAR(out.w, 1.0f, 1e-6f);
    EXPECT_EQ(Vec4Dot(Vec4{1, 2, 3, 4}, Vec4{1, 1, 1, 1}), 10.0f);
}

TEST(Math3D, BezierPointRunsFromStartThroughTheControlPullToEnd) {
    const Vec3 p0{0, 0, 0}, p1{10, 20, 40}, p2{30, 0, 8};
    Vec3 out;
    struct Case {
        double t;
        Vec3 expect;
    };
    for (const Case& c : {Case{0.0, p0}, Case{1.0, p2}, Case{0.5, Vec3{12.5f, 10.0f, 22.0f}},
                          Case{2.0, Vec3{80.0f, -80.0f, -128.0f}}}) {
        EXPECT_EQ(GetBezierPoint(&out, p0, p1, p2, c.t), &out);
        EXPECT_FLOAT_EQ(out.x, c.expect.x) << c.t;
        EXPECT_FLOAT_EQ(out.y, c.expect.y) << c.t;
        EXPECT_FLOAT_EQ(out.z, c.expect.z) << c.t;
    }
}

}  // namespace
