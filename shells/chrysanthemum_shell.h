// SPDX-License-Identifier: GPL-3.0-or-later
// ChrysanthemumShell: the chrysanthemum burst, stars flying out on straight lines and dragging trails.
#pragma once

#include <cstdint>
#include <memory>

#include "effects/fire_object.h"
#include "shells/color_ramp.h"

// One star's geometry: its fixed velocity and side, and this frame's head and trail samples.
struct ChrysanthemumStar {
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 head;
    D3DXVECTOR3 trailPoint1;
    D3DXVECTOR3 trailPoint1Low;
    D3DXVECTOR3 trailPoint2;
    D3DXVECTOR3 trailPoint2Low;
    D3DXVECTOR3 trailPoint3;
    D3DXVECTOR3 trailPoint1Plus;
    D3DXVECTOR3 trailPoint1Minus;
    D3DXVECTOR3 trailPoint2Plus;
    D3DXVECTOR3 trailPoint2Minus;
    D3DXVECTOR3 side;
};

// Computes the stars' world-space geometry each frame; layer 1 draws it, so Draw does nothing.
class ChrysanthemumShell : public FireObject {
public:
    ChrysanthemumShell(float x, float y, float z, std::int32_t starDensity_, float duration_, float speed_,
                       const ColorRamp& ramp_);

    void Start() override;
    void Update() override;
    void Draw() override {}

    D3DXVECTOR3 position;
    std::int32_t starDensity;
    std::int32_t starCount = 0;
    float speed;
    ColorRamp ramp;
    RGBA color{};
    float size = 0.0f;
    float trail = 0.0f;
    std::unique_ptr<ChrysanthemumStar[]> stars;
    float expansion = 0.0f;
    float drop = 0.0f;
};
