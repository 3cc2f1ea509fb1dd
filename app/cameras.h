// SPDX-License-Identifier: GPL-3.0-or-later
// The three camera modes of the show (free, orbit, figure eight) on one plain state record: the
// eye, the view and its two rotation matrices for the billboards, and the free camera's motion.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/camera_path.h"
#include "d3dx/d3dx_math.h"

// v steps by input up to ±limit while input is non-zero, else brakes by step toward 0 without overshoot.
void StepAxisVelocity(float& velocity, float input, float step, float limit);

struct CameraState {
    CameraState();
    CameraState(const CameraState&) = delete;
    CameraState& operator=(const CameraState&) = delete;

    // The start pose of the free camera, both paths built and prepared, mode 1 selected at time.
    void InitCameras(float time);

    // Mode 0 free, 1 orbit, 2 figure eight; a path mode restarts its lap at time. Other indices are ignored.
    void SelectCamera(std::int32_t index, float time);
    void NextCamera(float time);
    void PreviousCamera(float time);

    // The current mode's update, once per frame: sets eye, view and the rotation matrices.
    void UpdateCamera(float time, float elapsed) { (this->*cameraUpdate)(time, elapsed); }
    // Flown from keyDown over elapsed seconds (0.05 when elapsed is not positive).
    void FreeCameraUpdate(float time, float elapsed);
    // Follows activePath at time.
    void PathCameraUpdate(float time, float elapsed);

    D3DXVECTOR3 eye{0.0f, 2.0f, -6.0f};
    // Yaw, pitch and roll of the free camera, radians.
    float angles[3] = {0.0f, -0.2f, 0.0f};
    D3DXMATRIX view{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1};
    D3DXMATRIX viewRotation{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    D3DXMATRIX inverseViewRotation{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    D3DXQUATERNION orientation{0.0f, 0.0f, 0.0f, 1.0f};
    // Camera-space velocity (units per second) and yaw, pitch, roll rates (radians per second).
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    float angularVelocity[3] = {0.0f, 0.0f, 0.0f};
    // 1 while the virtual key of that code is held; written by the window thread, read by the frame.
    std::atomic<std::uint8_t> keyDown[256] = {};
    void (CameraState::*cameraUpdate)(float time, float elapsed) = &CameraState::FreeCameraUpdate;
    std::int32_t cameraIndex = 0;
    CameraPath orbitPath;
    CameraPath figureEightPath;
    CameraPath* activePath = nullptr;

private:
    bool Held(int key) const { return keyDown[key].load(std::memory_order_relaxed) != 0; }
    // viewRotation and inverseViewRotation from view, both without translation.
    void UpdateRotations();
};
