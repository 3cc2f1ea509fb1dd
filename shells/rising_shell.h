// SPDX-License-Identifier: GPL-3.0-or-later
// The rising shell: the bright point that climbs from the launch site to the burst point, trailing
// sparks and smoke, and hands its payload (the burst) to the burst's layer on arrival.
#pragma once

#include "d3dx/d3dx_math.h"
#include "effects/fire_object.h"

class RisingShell : public FireObject {
public:
    // The payload may be null; the shell owns it until it is submitted on arrival.
    RisingShell(float startX, float startY, float startZ, float endX, float endY, float endZ, FireObject* payload_);
    ~RisingShell() override;

    void Start() override;
    void Update() override;
    void Draw() override;

    D3DXVECTOR3 start;
    D3DXVECTOR3 end;
    D3DXVECTOR3 position;
    // Elapsed time not yet turned into trail sparks.
    float trailClock = 0.0f;
    // Age at which the next smoke puff is due.
    float nextSmoke = 0.0f;
    float wobbleFrequency = 0.0f;
    float wobbleAmplitude = 0.0f;
    float envelopeFrequency = 0.0f;
    FireObject* payload;
};

// Seconds a shell climbs from its launch height to its burst height: half a second per unit. A show
// that times its bursts (to music) launches this long before the burst.
inline float RisingShellClimbSeconds(float startY, float endY)
{
    return (endY - startY) * 0.5f;
}

// Seconds of elapsed time per trail spark.
constexpr float RisingShellTrailStep = 0.005f;
// The shell's own colour: opaque warm white.
constexpr DWORD RisingShellColor = 0xFFFFCC66u;
