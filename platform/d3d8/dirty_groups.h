// SPDX-License-Identifier: GPL-3.0-or-later
// The groups of device state that change together: the front end marks the groups a change touched,
// and a back end that mirrors the state elsewhere re-derives only those before the next draw.
#pragma once

#include "platform/d3d8/d3d8_constants.h"

#include <cstdint>

using DirtyGroups = std::uint32_t;

enum DirtyGroup : DirtyGroups {
    DirtyTransforms = 1u << 0,
    DirtyLights = 1u << 1,
    DirtyMaterial = 1u << 2,
    DirtyViewport = 1u << 3,
    DirtyClipPlanes = 1u << 4,
    // The states of one texture stage; the hook is told which.
    DirtyTextureStage = 1u << 5,
    // Stream source, stride and vertex format.
    DirtyVertexInput = 1u << 6,
    // Render states, by what they feed: blending and colour writes, the depth test, culling and fill,
    // point sizes, fog, the alpha test's reference, the constant colours (texture factor, ambient).
    DirtyBlend = 1u << 7,
    DirtyDepth = 1u << 8,
    DirtyRaster = 1u << 9,
    DirtyPoint = 1u << 10,
    DirtyFog = 1u << 11,
    DirtyAlphaTest = 1u << 12,
    DirtyConstantColors = 1u << 13,
    DirtyAll = (1u << 14) - 1,
};

// The group a render state belongs to; 0 for states read afresh at every draw (those that pick the
// shader: lighting, fog mode, shading, the alpha test's function, clip plane enables and the like).
constexpr DirtyGroups RenderStateGroup(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP:
    case D3DRS_COLORWRITEENABLE: return DirtyBlend;
    case D3DRS_ZENABLE:
    case D3DRS_ZFUNC:
    case D3DRS_ZWRITEENABLE: return DirtyDepth;
    case D3DRS_CULLMODE:
    case D3DRS_FILLMODE: return DirtyRaster;
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSIZE_MAX:
    case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B:
    case D3DRS_POINTSCALE_C: return DirtyPoint;
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_FOGCOLOR: return DirtyFog;
    case D3DRS_ALPHAREF: return DirtyAlphaTest;
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_AMBIENT: return DirtyConstantColors;
    default: return 0;
    }
}
