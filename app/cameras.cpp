// SPDX-License-Identifier: GPL-3.0-or-later
// Camera mode selection, the keyboard-flown free camera and the path cameras.
#include "app/cameras.h"

#include "platform/win/window_messages.h"

namespace {

constexpr float HalfPi = 1.5707964f;
constexpr float QuarterPi = 0.7853982f;
constexpr float SpeedLimit = 4.0f;
constexpr float Acceleration = 8.0f;
const D3DXVECTOR3 Up{0.0f, 1.0f, 0.0f};

} // namespace

void StepAxisVelocity(float& v, float input, float step, float limit)
{
    if (input != 0.0f) {
        v += input;
        if (v > limit) {
            v = limit;
        }
        if (v < -limit) {
            v = -limit;
        }
        return;
    }
    if (v > 0.0f) {
        v -= step;
        if (v < 0.0f) {
            v = 0.0f;
        }
    } else if (v < 0.0f) {
        v += step;
        if (v > 0.0f) {
            v = 0.0f;
        }
    }
}

CameraState::CameraState()
{
    D3DXQuaternionRotationYawPitchRoll(&orientation, angles[0], angles[1], angles[2]);
}

void CameraState::InitCameras(float time)
{
    eye = {0.0f, 2.0f, -6.0f};
    velocity = {0.0f, 0.0f, 0.0f};
    angularVelocity[0] = angularVelocity[1] = angularVelocity[2] = 0.0f;
    angles[0] = 0.0f;
    angles[1] = -0.2f;
    angles[2] = 0.0f;
    D3DXQuaternionRotationYawPitchRoll(&orientation, angles[0], angles[1], angles[2]);
    orbitPath = OrbitPath();
    figureEightPath = FigureEightPath();
    SelectCamera(1, time);
}

void CameraState::SelectCamera(std::int32_t index, float time)
{
    switch (index) {
    case 0:
        cameraUpdate = &CameraState::FreeCameraUpdate;
        activePath = nullptr;
        break;
    case 1:
        cameraUpdate = &CameraState::PathCameraUpdate;
        activePath = &orbitPath;
        break;
    case 2:
        cameraUpdate = &CameraState::PathCameraUpdate;
        activePath = &figureEightPath;
        break;
    default:
        return;
    }
    cameraIndex = index;
    if (activePath != nullptr) {
        activePath->start = time;
        activePath->PreparePath();
    }
}

void CameraState::NextCamera(float time)
{
    SelectCamera(cameraIndex + 1 == 3 ? 0 : cameraIndex + 1, time);
}

void CameraState::PreviousCamera(float time)
{
    SelectCamera(cameraIndex - 1 == -1 ? 2 : cameraIndex - 1, time);
}

void CameraState::FreeCameraUpdate(float time, float elapsed)
{
    (void)time;
    // A redraw outside the render pass has no elapsed time; it moves as one slow frame would.
    const float dt = elapsed > 0.0f ? elapsed : 0.05f;
    const float move = dt * Acceleration;
    const float turn = dt * HalfPi;

    const float x = (Held(VK_RIGHT) ? move : 0.0f) - (Held(VK_LEFT) ? move : 0.0f);
    const float y = (Held(VK_UP) ? move : 0.0f) - (Held(VK_DOWN) ? move : 0.0f);
    const float z = (Held('W') ? move : 0.0f) - (Held('S') ? move : 0.0f);
    const float yaw = (Held('E') ? turn : 0.0f) - (Held('Q') ? turn : 0.0f);
    const float pitch = (Held('Z') ? turn : 0.0f) - (Held('A') ? turn : 0.0f);

    StepAxisVelocity(velocity.x, x, move, SpeedLimit);
    StepAxisVelocity(velocity.y, y, move, SpeedLimit);
    StepAxisVelocity(velocity.z, z, move, SpeedLimit);
    StepAxisVelocity(angularVelocity[0], yaw, turn, QuarterPi);
    StepAxisVelocity(angularVelocity[1], pitch, turn, QuarterPi);
    StepAxisVelocity(angularVelocity[2], 0.0f, turn, QuarterPi);

    for (int i = 0; i < 3; ++i) {
        angles[i] += dt * angularVelocity[i];
    }
    // Pitch and roll stop at a quarter turn, and so does their rate; yaw turns freely.
    for (int i = 1; i < 3; ++i) {
        if (angles[i] < -HalfPi) {
            angles[i] = -HalfPi;
            angularVelocity[i] = 0.0f;
        }
        if (angles[i] > HalfPi) {
            angles[i] = HalfPi;
            angularVelocity[i] = 0.0f;
        }
    }
    D3DXQuaternionRotationYawPitchRoll(&orientation, angles[0], angles[1], angles[2]);

    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &orientation);
    D3DXVECTOR3 worldVelocity;
    D3DXVec3TransformCoord(&worldVelocity, &velocity, &rotation);
    eye += worldVelocity * dt;
    if (eye.y < 0.1f) {
        eye.y = 0.1f;
    }

    D3DXMATRIX pose;
    D3DXMatrixAffineTransformation(&pose, 1.0f, nullptr, &orientation, &eye);
    D3DXMatrixInverse(&view, nullptr, &pose);
    UpdateRotations();
}

void CameraState::PathCameraUpdate(float time, float elapsed)
{
    (void)elapsed;
    D3DXVECTOR3 pathEye;
    D3DXVECTOR3 target;
    activePath->EvaluatePath(time, &pathEye, &target);
    D3DXMatrixLookAtLH(&view, &pathEye, &target, &Up);
    eye = pathEye;
    UpdateRotations();
}

void CameraState::UpdateRotations()
{
    viewRotation = view;
    viewRotation._41 = viewRotation._42 = viewRotation._43 = 0.0f;
    D3DXMatrixInverse(&inverseViewRotation, nullptr, &view);
    inverseViewRotation._41 = inverseViewRotation._42 = inverseViewRotation._43 = 0.0f;
}
