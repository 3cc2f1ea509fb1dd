// SPDX-License-Identifier: GPL-3.0-or-later
// What the effects read of the show: the device, the frame's times and the camera's rotations.
// The show (or a renderer, or a test) fills it; the effects only read it.
#pragma once

#include "d3dx/d3dx_math.h"
#include "platform/d3d8/d3d8.h"

struct EffectContext {
    IDirect3DDevice8* device = nullptr;
    // Application time of the current frame and seconds since the previous one.
    float time = 0.0f;
    float elapsed = 0.0f;
    // The view matrix without its translation, and the inverse of the view likewise; billboards face the camera with them.
    D3DXMATRIX viewRotation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    D3DXMATRIX inverseViewRotation{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // The flash sprites' per-frame flicker, as a fraction of their intensity either way (0 to 0.1).
    // Double, so that 0.1 scales the random draw exactly as the fixed flicker always did.
    double flashFlicker = 0.1;
};

extern EffectContext Effects;

// Sets both billboard rotations from a view matrix: its translation row zeroed, and its inverse likewise.
void SetEffectView(const D3DXMATRIX& view);
