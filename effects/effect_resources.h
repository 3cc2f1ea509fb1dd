// SPDX-License-Identifier: GPL-3.0-or-later
// The device resources every effect shares: the textures, the point and quad buffers, and the
// render states that make points additive, distance-scaled sprites.
#pragma once

#include "effects/lit_area.h"
#include "platform/d3d8/d3d8.h"

enum EffectTexture : int {
    TextureStar,
    TextureLaunch,
    TextureShine,
    TextureShine2,
    TextureRandom,
    TextureSmoke,
    TextureLight,
    // Smoke.bmp again without mip levels, for the bursts' puffs, which are always drawn magnified.
    TextureBurstSmoke,
    EffectTextureCount,
};

struct EffectResources {
    IDirect3DTexture8* textures[EffectTextureCount] = {};
    IDirect3DVertexBuffer8* pointBuffer = nullptr;
    IDirect3DVertexBuffer8* quadBuffer = nullptr;
    // Vertices per buffer: the device's primitive limit, at most 2048.
    int batchCapacity = 0;
    // Where the smoke images can add light, level by level: dim puffs draw only that part.
    LitAreaTable smokeAreas;
    // How far from its centre the flash image can add light: fading flashes draw less of their quad.
    LitReachTable flashReach;
};

extern EffectResources SharedEffects;

// The framework's code for media that failed to load.
constexpr HRESULT MediaNotFoundResult = static_cast<HRESULT>(0x8200000Bu);

// Loads the textures (from the current directory) and creates both buffers on the effect device;
// stops at the first failure, keeping what was created so far for DestroyEffectResources.
HRESULT CreateEffectResources();
// The shared render states, needed again after every device reset.
void SetSharedRenderStates(IDirect3DDevice8* device);
// What every effect draws with: no depth writes, blending that adds the source (scaled by the
// source blend factor, one unless a family asks for its alpha) onto what is there.
void SetAdditiveStates(IDirect3DDevice8* device, D3DBLEND sourceBlend = D3DBLEND_ONE);
void DestroyEffectResources();
