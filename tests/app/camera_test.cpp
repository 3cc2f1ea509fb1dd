// SPDX-License-Identifier: GPL-3.0-or-later
// The camera paths (laps, keys, wrap-around) and the camera modes: mode cycling, the free camera's
// acceleration, braking and limits, and views that look where the camera points.
#include <gtest/gtest.h>

#include <cmath>

#include "app/camera_path.h"
#include "app/cameras.h"
#include "platform/win/window_messages.h"

namespace {

constexpr float HalfPi = 1.5707964f;

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

D3DXVECTOR3 EyeAt(const CameraPath& path, float time)
{
    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    path.EvaluatePath(time, &eye, &target);
    return eye;
}

// Runs the free camera at 100 frames per second.
void Fly(CameraState& camera, int frames)
{
    for (int i = 0; i < frames; ++i) {
        camera.FreeCameraUpdate(0.0f, 0.01f);
    }
}

} // namespace

TEST(CameraPathTest, OrbitLapsEveryFortySecondsLookingAtTheLaunchSite)
{
    const CameraPath orbit = OrbitPath();
    EXPECT_FLOAT_EQ(orbit.loopLength, 40.0f);
    ExpectNear(EyeAt(orbit, 0.0f), {0.0f, 5.0f, 6.0f});
    ExpectNear(EyeAt(orbit, 40.0f), {0.0f, 5.0f, 6.0f});
    ExpectNear(EyeAt(orbit, 5.0f), {6.364f, 5.0f, 4.243f}, 1e-3f);
    // Exactly on a key's begin the eye is that key's point, bit for bit.
    const D3DXVECTOR3 key2 = EyeAt(orbit, 10.0f);
    EXPECT_EQ(key2, orbit.positionKeys[2].point);
    ExpectNear(key2, {9.0f, 5.0f, 0.0f});
    // Between keys the eye stays on the ellipse's side, out beyond neither neighbour.
    const D3DXVECTOR3 mid = EyeAt(orbit, 12.5f);
    EXPECT_GT(mid.x, 6.364f);
    EXPECT_LT(mid.z, 0.0f);

    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    for (float t : {0.0f, 13.0f, 39.0f, 81.0f}) {
        orbit.EvaluatePath(t, &eye, &target);
        ExpectNear(target, {0.0f, 3.0f, 0.0f});
    }
}

TEST(CameraPathTest, LastSegmentWrapsIntoTheFirstKeyWithoutAJump)
{
    CameraPath orbit = OrbitPath();
    const PathKey& last = orbit.positionKeys[7];
    EXPECT_EQ(last.p0, orbit.positionKeys[6].point);
    EXPECT_EQ(last.p2, orbit.positionKeys[0].point);
    EXPECT_EQ(last.p3, orbit.positionKeys[1].point);
    ExpectNear(EyeAt(orbit, 39.999f), orbit.positionKeys[0].point, 2e-3f);

    // A lap counts from the path's start, not from time 0.
    orbit.start = 100.0f;
    ExpectNear(EyeAt(orbit, 110.0f), {9.0f, 5.0f, 0.0f});
}

TEST(CameraPathTest, FigureEightHoldsAtTheDoubledKeyAndClosesItsLap)
{
    const CameraPath eight = FigureEightPath();
    EXPECT_FLOAT_EQ(eight.loopLength, 80.0f);
    ExpectNear(EyeAt(eight, 35.0f), {-3.0f, 4.0f, -3.0f});
    ExpectNear(EyeAt(eight, 40.0f), {-3.0f, 4.0f, -3.0f});
    // The segment between the doubled keys bends away and comes back.
    const D3DXVECTOR3 bend = EyeAt(eight, 37.5f);
    EXPECT_GT(std::fabs(bend.x + 3.0f) + std::fabs(bend.z + 3.0f), 0.05f);
    ExpectNear(EyeAt(eight, 75.0f), {-5.0f, 4.0f, 0.0f});
    ExpectNear(EyeAt(eight, 80.0f), {0.0f, 4.0f, 0.1f});
    ExpectNear(EyeAt(eight, 79.999f), {0.0f, 4.0f, 0.1f}, 2e-3f);

    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    eight.EvaluatePath(20.0f, &eye, &target);
    ExpectNear(target, {0.0f, 0.0f, 0.0f});
}

TEST(CameraPathTest, EmptyPathStaysAtTheOriginInsteadOfDividingByZero)
{
    CameraPath path;
    D3DXVECTOR3 eye{1.0f, 1.0f, 1.0f};
    D3DXVECTOR3 target{1.0f, 1.0f, 1.0f};
    path.EvaluatePath(12.0f, &eye, &target);
    ExpectNear(eye, {0.0f, 0.0f, 0.0f});
    ExpectNear(target, {0.0f, 0.0f, 0.0f});
}

TEST(CameraModesTest, NextCyclesOneTwoZeroOneAndRestartsEachLap)
{
    CameraState camera;
    camera.InitCameras(3.0f);
    EXPECT_EQ(camera.cameraIndex, 1);
    camera.UpdateCamera(3.0f, 0.01f);
    ExpectNear(camera.eye, {0.0f, 5.0f, 6.0f});

    camera.NextCamera(50.0f);
    EXPECT_EQ(camera.cameraIndex, 2);
    camera.UpdateCamera(50.0f, 0.01f);
    ExpectNear(camera.eye, {0.0f, 4.0f, 0.1f});

    camera.NextCamera(60.0f);
    EXPECT_EQ(camera.cameraIndex, 0);
    EXPECT_EQ(camera.activePath, nullptr);
    // The free camera resumes from the path camera's last eye.
    camera.UpdateCamera(60.0f, 0.01f);
    ExpectNear(camera.eye, {0.0f, 4.0f, 0.1f});

    camera.NextCamera(77.0f);
    EXPECT_EQ(camera.cameraIndex, 1);
    camera.UpdateCamera(77.0f, 0.01f);
    ExpectNear(camera.eye, {0.0f, 5.0f, 6.0f});

    camera.PreviousCamera(80.0f);
    EXPECT_EQ(camera.cameraIndex, 0);
    camera.PreviousCamera(80.0f);
    EXPECT_EQ(camera.cameraIndex, 2);
    camera.SelectCamera(7, 80.0f);
    EXPECT_EQ(camera.cameraIndex, 2);
}

TEST(CameraModesTest, ViewsPutTheEyeAtTheOriginAndTheTargetAhead)
{
    CameraState camera;
    camera.InitCameras(0.0f);
    camera.UpdateCamera(0.0f, 0.01f);
    D3DXVECTOR3 seen;
    const D3DXVECTOR3 target{0.0f, 3.0f, 0.0f};
    D3DXVec3TransformCoord(&seen, &target, &camera.view);
    EXPECT_NEAR(seen.x, 0.0f, 1e-4f);
    EXPECT_NEAR(seen.y, 0.0f, 1e-4f);
    EXPECT_GT(seen.z, 0.0f);
    // The billboard rotations carry no translation and undo each other.
    EXPECT_EQ(camera.viewRotation._41, 0.0f);
    EXPECT_EQ(camera.inverseViewRotation._43, 0.0f);
    const D3DXMATRIX product = camera.viewRotation * camera.inverseViewRotation;
    EXPECT_NEAR(product._11, 1.0f, 1e-5f);
    EXPECT_NEAR(product._12, 0.0f, 1e-5f);

    // The free camera's start pose looks up a little: a point straight ahead of the eye is at +z.
    camera.SelectCamera(0, 0.0f);
    camera.eye = {0.0f, 2.0f, -6.0f};
    camera.UpdateCamera(0.0f, 0.01f);
    const D3DXVECTOR3 eye{0.0f, 2.0f, -6.0f};
    D3DXVec3TransformCoord(&seen, &eye, &camera.view);
    ExpectNear(seen, {0.0f, 0.0f, 0.0f});
    const D3DXVECTOR3 above{0.0f, 3.0f, 0.0f};
    D3DXVec3TransformCoord(&seen, &above, &camera.view);
    EXPECT_GT(seen.z, 0.0f);
    EXPECT_GT(seen.y, -0.3f);
}

TEST(FreeCameraTest, ForwardReachesTheLimitInHalfASecondAndBrakesToRest)
{
    CameraState camera;
    camera.InitCameras(0.0f);
    camera.SelectCamera(0, 0.0f);
    camera.keyDown['W'] = 1;
    Fly(camera, 49);
    EXPECT_LT(camera.velocity.z, 4.0f);
    Fly(camera, 1);
    EXPECT_NEAR(camera.velocity.z, 4.0f, 1e-4f);
    Fly(camera, 50);
    EXPECT_EQ(camera.velocity.z, 4.0f);
    EXPECT_GT(camera.eye.z, -6.0f);

    camera.keyDown['W'] = 0;
    Fly(camera, 45);
    EXPECT_GT(camera.velocity.z, 0.0f);
    Fly(camera, 7);
    EXPECT_EQ(camera.velocity.z, 0.0f);

    // W and S together cancel.
    camera.keyDown['W'] = 1;
    camera.keyDown['S'] = 1;
    Fly(camera, 10);
    EXPECT_EQ(camera.velocity.z, 0.0f);
}

TEST(FreeCameraTest, NoElapsedTimeMovesAsAFrameOfFiftyMilliseconds)
{
    CameraState camera;
    camera.SelectCamera(0, 0.0f);
    camera.keyDown['W'] = 1;
    camera.FreeCameraUpdate(0.0f, 0.0f);
    EXPECT_FLOAT_EQ(camera.velocity.z, 0.4f);
    camera.FreeCameraUpdate(0.0f, -1.0f);
    EXPECT_FLOAT_EQ(camera.velocity.z, 0.8f);
}

TEST(FreeCameraTest, PitchStopsAtAQuarterTurnAndTheEyeAboveTheSea)
{
    CameraState camera;
    camera.SelectCamera(0, 0.0f);
    camera.keyDown['Z'] = 1;
    Fly(camera, 300);
    EXPECT_EQ(camera.angles[1], HalfPi);
    EXPECT_EQ(camera.angularVelocity[1], 0.0f);
    camera.keyDown['Z'] = 0;
    camera.keyDown['A'] = 1;
    Fly(camera, 600);
    EXPECT_EQ(camera.angles[1], -HalfPi);

    camera.keyDown['A'] = 0;
    camera.keyDown[VK_DOWN] = 1;
    camera.angles[1] = 0.0f;
    Fly(camera, 300);
    EXPECT_EQ(camera.eye.y, 0.1f);
}

TEST(FreeCameraTest, StepAxisVelocityBrakesWithoutOvershooting)
{
    float v = 0.05f;
    StepAxisVelocity(v, 0.0f, 0.08f, 4.0f);
    EXPECT_EQ(v, 0.0f);
    v = -0.05f;
    StepAxisVelocity(v, 0.0f, 0.08f, 4.0f);
    EXPECT_EQ(v, 0.0f);
    v = -3.95f;
    StepAxisVelocity(v, -0.08f, 0.08f, 4.0f);
    EXPECT_EQ(v, -4.0f);
}
