// SPDX-License-Identifier: GPL-3.0-or-later
// Checks of the loading library's maths against hand-computed values and against glm, whose
// column-vector matrices are the transposes of ours (glm's m[i][j] is our m[i][j]).
#include "d3dx/d3dx_math.h"

#include <cmath>
#include <cstring>

#define GLM_ENABLE_EXPERIMENTAL
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/euler_angles.hpp>
#include <gtest/gtest.h>

namespace {

constexpr float kTolerance = 1e-5f;

D3DXMATRIX FromGlm(const glm::mat4& g)
{
    D3DXMATRIX m;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m.m[i][j] = g[i][j];
        }
    }
    return m;
}

glm::mat4 ToGlm(const D3DXMATRIX& m)
{
    glm::mat4 g;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            g[i][j] = m.m[i][j];
        }
    }
    return g;
}

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance = kTolerance)
{
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            EXPECT_NEAR(expected.m[i][j], actual.m[i][j], tolerance) << "at row " << i << ", column " << j;
        }
    }
}

void ExpectVectorNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tolerance = kTolerance)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

// A well-conditioned matrix with no zero entries and no symmetry, so index mix-ups show.
const D3DXMATRIX kGeneral(2, 1, 0.5f, 0.25f, -1, 3, 0.75f, 0.1f, 0.3f, -0.6f, 4, 0.2f, 5, -2, 1.5f, 1);

D3DXMATRIX Rotation(float yaw, float pitch, float roll)
{
    D3DXMATRIX rz;
    D3DXMATRIX rx;
    D3DXMATRIX ry;
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    return rz * rx * ry;
}

TEST(D3dxVectorTest, TransformsPointsNormalsAndFullVectors)
{
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 1, 2, 3);
    const D3DXVECTOR3 p(4, 5, 6);
    D3DXVECTOR3 r;
    ExpectVectorNear({5, 7, 9}, *D3DXVec3TransformCoord(&r, &p, &t));
    // A normal ignores the translation row.
    ExpectVectorNear({4, 5, 6}, *D3DXVec3TransformNormal(&r, &p, &t));

    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 1, 1, 11);
    const D3DXVECTOR3 q(2, -1, 4);
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &q, &proj);
    EXPECT_NEAR(4, clip.w, kTolerance);
    // TransformCoord is the full transform divided by w.
    ExpectVectorNear({clip.x / clip.w, clip.y / clip.w, clip.z / clip.w}, *D3DXVec3TransformCoord(&r, &q, &proj));
}

TEST(D3dxVectorTest, OutputMayAliasInput)
{
    D3DXVECTOR3 v(1, 2, 3);
    const D3DXVECTOR3 w(4, 5, 6);
    D3DXVec3Cross(&v, &v, &w);
    ExpectVectorNear({-3, 6, -3}, v);

    D3DXMATRIX m;
    D3DXMatrixRotationZ(&m, 0.7f);
    m._41 = 3;
    D3DXVECTOR3 p(1, 2, 3);
    D3DXVECTOR3 expected;
    D3DXVec3TransformCoord(&expected, &p, &m);
    D3DXVec3TransformCoord(&p, &p, &m);
    ExpectVectorNear(expected, p);
}

TEST(D3dxVectorTest, NormalizeGivesUnitLengthAndKeepsZeroFinite)
{
    D3DXVECTOR3 v(3, 0, -4);
    D3DXVec3Normalize(&v, &v);
    ExpectVectorNear({0.6f, 0, -0.8f}, v);

    const D3DXVECTOR3 zero(0, 0, 0);
    D3DXVECTOR3 r(9, 9, 9);
    D3DXVec3Normalize(&r, &zero);
    EXPECT_EQ(zero, r);
}

TEST(D3dxVectorTest, CatmullRomPassesThroughInnerPoints)
{
    const D3DXVECTOR3 v0(0, 0, 0);
    const D3DXVECTOR3 v1(1, 2, 0);
    const D3DXVECTOR3 v2(3, 2, 1);
    const D3DXVECTOR3 v3(4, 0, 1);
    D3DXVECTOR3 r;
    ExpectVectorNear(v1, *D3DXVec3CatmullRom(&r, &v0, &v1, &v2, &v3, 0));
    ExpectVectorNear(v2, *D3DXVec3CatmullRom(&r, &v0, &v1, &v2, &v3, 1));
    // At s = 0.5: (-v0 + 9 v1 + 9 v2 - v3) / 16.
    ExpectVectorNear({2, 2.25f, 0.5f}, *D3DXVec3CatmullRom(&r, &v0, &v1, &v2, &v3, 0.5f));
}

TEST(D3dxMatrixTest, MultiplyIsTheRowVectorProduct)
{
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 10, 0, 0);
    D3DXMATRIX s;
    D3DXMatrixScaling(&s, 2, 3, 4);
    // Scale first, then translate: the translation is not scaled.
    const D3DXVECTOR3 p(1, 1, 1);
    D3DXVECTOR3 r;
    const D3DXMATRIX st = s * t;
    ExpectVectorNear({12, 3, 4}, *D3DXVec3TransformCoord(&r, &p, &st));

    D3DXMATRIX b;
    D3DXMatrixTranspose(&b, &kGeneral);
    b._43 = 7;
    ExpectMatrixNear(FromGlm(ToGlm(b) * ToGlm(kGeneral)), kGeneral * b, 1e-4f);
    D3DXMATRIX product = kGeneral;
    D3DXMatrixMultiply(&product, &product, &b);
    ExpectMatrixNear(kGeneral * b, product);
}

TEST(D3dxMatrixTest, InverseUndoesTheMatrixAndReportsTheDeterminant)
{
    float det = 0;
    D3DXMATRIX inverse;
    ASSERT_EQ(&inverse, D3DXMatrixInverse(&inverse, &det, &kGeneral));
    EXPECT_NEAR(glm::determinant(ToGlm(kGeneral)), det, 1e-3f);
    EXPECT_NEAR(det, D3DXMatrixDeterminant(&kGeneral), 1e-4f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ExpectMatrixNear(identity, inverse * kGeneral);
    ExpectMatrixNear(identity, kGeneral * inverse);
    ExpectMatrixNear(FromGlm(glm::inverse(ToGlm(kGeneral))), inverse);

    // In place and without a determinant pointer.
    D3DXMATRIX m = kGeneral;
    ASSERT_NE(nullptr, D3DXMatrixInverse(&m, nullptr, &m));
    ExpectMatrixNear(inverse, m);
}

TEST(D3dxMatrixTest, SingularInverseFailsAndLeavesOutputAlone)
{
    // Row 2 is twice row 0; small integers keep the determinant exactly zero.
    const D3DXMATRIX singular(1, 2, 3, 4, 0, 1, 5, 2, 2, 4, 6, 8, 3, 1, 0, 1);
    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1, 0, 1);

    const D3DXMATRIX marker(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    for (const D3DXMATRIX& m : {singular, flat}) {
        D3DXMATRIX out = marker;
        float det = 1;
        EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, &det, &m));
        EXPECT_EQ(0.0f, det);
        EXPECT_EQ(0, std::memcmp(&marker, &out, sizeof out));
    }
}

TEST(D3dxMatrixTest, IsIdentityNeedsEveryEntry)
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
    for (unsigned i = 0; i < 16; ++i) {
        D3DXMATRIX changed = m;
        changed.m[i / 4][i % 4] += 0.5f;
        EXPECT_FALSE(D3DXMatrixIsIdentity(&changed)) << "entry " << i;
    }
}

TEST(D3dxRotationTest, AxisRotationsAreLeftHanded)
{
    D3DXMATRIX m;
    D3DXVECTOR3 r;
    const D3DXVECTOR3 x(1, 0, 0);
    const D3DXVECTOR3 y(0, 1, 0);
    const D3DXVECTOR3 z(0, 0, 1);
    // A quarter turn about y takes +x to -z, about x takes +y to +z, about z takes +x to +y.
    ExpectVectorNear({0, 0, -1}, *D3DXVec3TransformNormal(&r, &x, D3DXMatrixRotationY(&m, D3DX_PI / 2)));
    ExpectVectorNear({0, 0, 1}, *D3DXVec3TransformNormal(&r, &y, D3DXMatrixRotationX(&m, D3DX_PI / 2)));
    ExpectVectorNear({0, 1, 0}, *D3DXVec3TransformNormal(&r, &x, D3DXMatrixRotationZ(&m, D3DX_PI / 2)));
    ExpectVectorNear({1, 0, 0}, *D3DXVec3TransformNormal(&r, &z, D3DXMatrixRotationY(&m, D3DX_PI / 2)));

    const float a = 0.9f;
    ExpectMatrixNear(FromGlm(glm::rotate(glm::mat4(1), a, glm::vec3(1, 0, 0))), *D3DXMatrixRotationX(&m, a));
    ExpectMatrixNear(FromGlm(glm::rotate(glm::mat4(1), a, glm::vec3(0, 1, 0))), *D3DXMatrixRotationY(&m, a));
    ExpectMatrixNear(FromGlm(glm::rotate(glm::mat4(1), a, glm::vec3(0, 0, 1))), *D3DXMatrixRotationZ(&m, a));
}

TEST(D3dxRotationTest, RotationAxisNormalisesTheAxis)
{
    const D3DXVECTOR3 axis(1, -2, 2);
    const D3DXVECTOR3 longAxis = 5.0f * axis;
    D3DXMATRIX m;
    D3DXMatrixRotationAxis(&m, &longAxis, 1.3f);
    ExpectMatrixNear(FromGlm(glm::rotate(glm::mat4(1), 1.3f, glm::normalize(glm::vec3(1, -2, 2)))), m);

    D3DXMATRIX y;
    const D3DXVECTOR3 yAxis(0, 3, 0);
    ExpectMatrixNear(*D3DXMatrixRotationY(&y, 0.4f), *D3DXMatrixRotationAxis(&m, &yAxis, 0.4f));

    // A zero axis rotates nothing.
    const D3DXVECTOR3 zero(0, 0, 0);
    D3DXMatrixRotationAxis(&m, &zero, 1.0f);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
}

TEST(D3dxRotationTest, YawPitchRollAppliesRollThenPitchThenYaw)
{
    const float yaw = 0.7f;
    const float pitch = -0.4f;
    const float roll = 1.1f;
    const D3DXMATRIX expected = Rotation(yaw, pitch, roll);
    D3DXMATRIX m;
    ExpectMatrixNear(expected, *D3DXMatrixRotationYawPitchRoll(&m, yaw, pitch, roll));
    ExpectMatrixNear(FromGlm(glm::yawPitchRoll(yaw, pitch, roll)), m);

    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
    ExpectMatrixNear(expected, *D3DXMatrixRotationQuaternion(&m, &q));
    // glm composes Hamilton products, so "roll first" is yaw * pitch * roll there.
    const glm::quat g = glm::angleAxis(yaw, glm::vec3(0, 1, 0)) * glm::angleAxis(pitch, glm::vec3(1, 0, 0)) *
                        glm::angleAxis(roll, glm::vec3(0, 0, 1));
    EXPECT_NEAR(g.x, q.x, kTolerance);
    EXPECT_NEAR(g.y, q.y, kTolerance);
    EXPECT_NEAR(g.z, q.z, kTolerance);
    EXPECT_NEAR(g.w, q.w, kTolerance);
}

TEST(D3dxQuaternionTest, MultiplyAppliesTheFirstRotationFirst)
{
    const D3DXVECTOR3 axis1(1, 2, 3);
    const D3DXVECTOR3 axis2(-2, 0, 1);
    D3DXQUATERNION q1;
    D3DXQUATERNION q2;
    D3DXQuaternionRotationAxis(&q1, &axis1, 0.8f);
    D3DXQuaternionRotationAxis(&q2, &axis2, -1.4f);

    D3DXMATRIX m1;
    D3DXMATRIX m2;
    D3DXMatrixRotationQuaternion(&m1, &q1);
    D3DXMatrixRotationQuaternion(&m2, &q2);
    D3DXMATRIX axisMatrix;
    ExpectMatrixNear(*D3DXMatrixRotationAxis(&axisMatrix, &axis1, 0.8f), m1);

    D3DXQUATERNION product = q1;
    D3DXQuaternionMultiply(&product, &product, &q2);
    D3DXMATRIX m;
    ExpectMatrixNear(m1 * m2, *D3DXMatrixRotationQuaternion(&m, &product));
}

TEST(D3dxQuaternionTest, NormalizeScalesToUnitAndKeepsZeroFinite)
{
    D3DXQUATERNION q{1, 2, 2, 4};
    D3DXQuaternionNormalize(&q, &q);
    EXPECT_NEAR(0.2f, q.x, kTolerance);
    EXPECT_NEAR(0.4f, q.y, kTolerance);
    EXPECT_NEAR(0.4f, q.z, kTolerance);
    EXPECT_NEAR(0.8f, q.w, kTolerance);

    const D3DXQUATERNION zero{0, 0, 0, 0};
    D3DXQuaternionNormalize(&q, &zero);
    EXPECT_EQ(0.0f, q.x);
    EXPECT_EQ(0.0f, q.w);

    // A zero rotation axis gives the identity rather than a non-unit quaternion.
    const D3DXVECTOR3 noAxis(0, 0, 0);
    D3DXQuaternionRotationAxis(&q, &noAxis, 2.0f);
    EXPECT_EQ(1.0f, q.w);
}

TEST(D3dxViewTest, LookAtMovesTheEyeToTheOriginFacingPlusZ)
{
    const D3DXVECTOR3 eye(0, 5, 6);
    const D3DXVECTOR3 at(0, 3, 0);
    const D3DXVECTOR3 up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);

    D3DXVECTOR3 r;
    ExpectVectorNear({0, 0, 0}, *D3DXVec3TransformCoord(&r, &eye, &view));
    ExpectVectorNear({0, 0, std::sqrt(40.0f)}, *D3DXVec3TransformCoord(&r, &at, &view));
    // Looking along -z from +z, world +x is on the viewer's left in a left-handed view.
    const D3DXVECTOR3 right(1, 3, 0);
    ExpectVectorNear({-1, 0, std::sqrt(40.0f)}, *D3DXVec3TransformCoord(&r, &right, &view));

    const glm::mat4 g = glm::lookAtLH(glm::vec3(0, 5, 6), glm::vec3(0, 3, 0), glm::vec3(0, 1, 0));
    ExpectMatrixNear(FromGlm(g), view);
}

TEST(D3dxViewTest, PerspectiveMapsNearAndFarToZeroAndOne)
{
    const float fovy = D3DX_PI / 4;
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, fovy, 4.0f / 3.0f, 0.1f, 100);
    const float yScale = 1 / std::tan(D3DX_PI / 8);
    EXPECT_NEAR(yScale, proj._22, kTolerance);
    EXPECT_NEAR(yScale * 0.75f, proj._11, kTolerance);
    EXPECT_NEAR(100 / 99.9f, proj._33, kTolerance);
    EXPECT_EQ(1.0f, proj._34);
    EXPECT_NEAR(-10 / 99.9f, proj._43, kTolerance);
    EXPECT_EQ(0.0f, proj._44);
    ExpectMatrixNear(FromGlm(glm::perspectiveLH_ZO(fovy, 4.0f / 3.0f, 0.1f, 100.0f)), proj);

    D3DXVECTOR3 r;
    const D3DXVECTOR3 nearPoint(0, 0, 0.1f);
    const D3DXVECTOR3 farPoint(0, 0, 100);
    EXPECT_NEAR(0, D3DXVec3TransformCoord(&r, &nearPoint, &proj)->z, kTolerance);
    EXPECT_NEAR(1, D3DXVec3TransformCoord(&r, &farPoint, &proj)->z, kTolerance);
}

TEST(D3dxViewTest, OrthoOffCenterMapsTheBoxOntoClipSpace)
{
    D3DXMATRIX proj;
    D3DXMatrixOrthoOffCenterLH(&proj, 0, 640, 480, 0, 1, 5);
    D3DXVECTOR3 r;
    const D3DXVECTOR3 topLeftNear(0, 0, 1);
    const D3DXVECTOR3 bottomRightFar(640, 480, 5);
    ExpectVectorNear({-1, 1, 0}, *D3DXVec3TransformCoord(&r, &topLeftNear, &proj));
    ExpectVectorNear({1, -1, 1}, *D3DXVec3TransformCoord(&r, &bottomRightFar, &proj));
    ExpectMatrixNear(FromGlm(glm::orthoLH_ZO(-3.0f, 5.0f, -1.0f, 2.0f, 0.5f, 20.0f)),
                     *D3DXMatrixOrthoOffCenterLH(&proj, -3, 5, -1, 2, 0.5f, 20));
}

TEST(D3dxTransformationTest, ComposesAboutTheirCentres)
{
    D3DXMATRIX m;
    D3DXMatrixTransformation(&m, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
    D3DXMatrixAffineTransformation(&m, 1, nullptr, nullptr, nullptr);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&m));

    const D3DXVECTOR3 sc(1, 2, 3);
    const D3DXVECTOR3 s(2, 3, 0.5f);
    const D3DXVECTOR3 rc(-1, 4, 0);
    const D3DXVECTOR3 t(5, -6, 7);
    const D3DXVECTOR3 axis(0, 1, 1);
    D3DXQUATERNION sr;
    D3DXQUATERNION rot;
    D3DXQuaternionRotationAxis(&sr, &axis, 0.5f);
    D3DXQuaternionRotationYawPitchRoll(&rot, 0.3f, 1.2f, -0.6f);

    D3DXMATRIX msc, msr, msrInverse, ms, mrc, mr, mt, mscInverse, mrcInverse;
    D3DXMatrixTranslation(&msc, sc.x, sc.y, sc.z);
    D3DXMatrixInverse(&mscInverse, nullptr, &msc);
    D3DXMatrixRotationQuaternion(&msr, &sr);
    D3DXMatrixInverse(&msrInverse, nullptr, &msr);
    D3DXMatrixScaling(&ms, s.x, s.y, s.z);
    D3DXMatrixTranslation(&mrc, rc.x, rc.y, rc.z);
    D3DXMatrixInverse(&mrcInverse, nullptr, &mrc);
    D3DXMatrixRotationQuaternion(&mr, &rot);
    D3DXMatrixTranslation(&mt, t.x, t.y, t.z);
    D3DXMatrixTransformation(&m, &sc, &sr, &s, &rc, &rot, &t);
    ExpectMatrixNear(mscInverse * msrInverse * ms * msr * msc * mrcInverse * mr * mrc * mt, m);

    D3DXMATRIX uniform;
    D3DXMatrixScaling(&uniform, 1.5f, 1.5f, 1.5f);
    D3DXMatrixAffineTransformation(&m, 1.5f, &rc, &rot, &t);
    ExpectMatrixNear(uniform * mrcInverse * mr * mrc * mt, m);

    // Scaling about a centre leaves the centre where it was; rotating about one likewise.
    D3DXVECTOR3 r;
    D3DXMatrixTransformation(&m, &sc, &sr, &s, nullptr, nullptr, nullptr);
    ExpectVectorNear(sc, *D3DXVec3TransformCoord(&r, &sc, &m));
    D3DXMatrixAffineTransformation(&m, 1, &rc, &rot, &t);
    ExpectVectorNear(rc + t, *D3DXVec3TransformCoord(&r, &rc, &m));
}

TEST(D3dxColorTest, PacksWithRoundingAndClamping)
{
    EXPECT_EQ(0xFFFF8000u, static_cast<D3DCOLOR>(D3DXCOLOR(1, 0.5f, 0, 1)));
    EXPECT_EQ(0x80FF0000u, static_cast<D3DCOLOR>(D3DXCOLOR(2, -0.5f, -3, 0.5f)));
    // Just under one rounds up to 255 without wrapping to zero.
    EXPECT_EQ(0x00FF0000u, static_cast<D3DCOLOR>(D3DXCOLOR(0.999f, 0, 0, 0)));
    EXPECT_EQ(0x0000FF00u, static_cast<D3DCOLOR>(D3DXCOLOR(std::nanf(""), 1.5f, 0, -0.0f)));

    const D3DXCOLOR unpacked(static_cast<D3DCOLOR>(0x40FF8001u));
    EXPECT_NEAR(64 / 255.0f, unpacked.a, 1e-6f);
    EXPECT_EQ(1.0f, unpacked.r);
    EXPECT_NEAR(128 / 255.0f, unpacked.g, 1e-6f);
    EXPECT_NEAR(1 / 255.0f, unpacked.b, 1e-6f);

    // Every byte survives unpacking and packing again, in every channel.
    for (D3DCOLOR v = 0; v < 256; ++v) {
        const D3DCOLOR argb = (v << 24) | ((255 - v) << 16) | (v << 8) | ((v * 7) & 0xFF);
        EXPECT_EQ(argb, static_cast<D3DCOLOR>(D3DXCOLOR(argb))) << "byte " << v;
    }
}

TEST(D3dxColorTest, SaturationMovesAboutTheGrey)
{
    const D3DXCOLOR c(1, 0.5f, 0, 0.3f);
    const float grey = 0.2125f + 0.7154f * 0.5f;
    D3DXCOLOR r;
    D3DXColorAdjustSaturation(&r, &c, 0);
    EXPECT_NEAR(grey, r.r, kTolerance);
    EXPECT_NEAR(grey, r.g, kTolerance);
    EXPECT_NEAR(grey, r.b, kTolerance);
    EXPECT_EQ(0.3f, r.a);

    D3DXColorAdjustSaturation(&r, &c, 2);
    EXPECT_NEAR(2 - grey, r.r, kTolerance);
    EXPECT_NEAR(1 - grey, r.g, kTolerance);
    EXPECT_NEAR(-grey, r.b, kTolerance);
    EXPECT_EQ(0.3f, r.a);

    D3DXCOLOR same = c;
    D3DXColorAdjustSaturation(&same, &same, 1);
    EXPECT_NEAR(c.r, same.r, kTolerance);
    EXPECT_NEAR(c.g, same.g, kTolerance);
    EXPECT_NEAR(c.b, same.b, kTolerance);
}

} // namespace
