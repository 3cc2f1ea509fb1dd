// SPDX-License-Identifier: GPL-3.0-or-later
// The uniform block every program of the shader family reads: transforms, viewport, point, fog,
// material and light parameters in std140 layout, filled from the device state.
#pragma once

#include <cstdint>

#include "platform/d3d8/device_state.h"

// Lights the shader loops over.
constexpr int GlMaxLights = 8;

// Laid out exactly like the GLSL block in gl_shader_source.cpp: only 16-byte rows, so no padding.
struct GlFixedUniforms {
    float worldView[16];
    float projection[16];
    // Three columns of a mat3, each padded to four floats.
    float normalMatrix[12];
    // Width, height, 1 / width, 1 / height of the viewport.
    float viewport[4];
    // Size, minimum, maximum.
    float pointParams[4];
    // A, B, C.
    float pointScale[4];
    // Start, end, density.
    float fogParams[4];
    float fogColor[4];
    float textureFactor[4];
    float globalAmbient[4];
    float materialDiffuse[4];
    float materialAmbient[4];
    float materialEmissive[4];
    // Reference 0..255 in x.
    float alphaRef[4];
    std::int32_t lightCount[4];
    // Eye space; w is 0 for a directional light.
    float lightPosition[GlMaxLights][4];
    // Eye-space direction the light travels.
    float lightDirection[GlMaxLights][4];
    float lightDiffuse[GlMaxLights][4];
    float lightAmbient[GlMaxLights][4];
    // a0, a1, a2, range.
    float lightAttenuation[GlMaxLights][4];
    // The user clip planes in the vertices' own (model) space.
    float clipPlane[DeviceClipPlaneCount][4];
    // Scale and offset of the texture's v: 1, 0, or -1, 1 for a texture GL holds bottom row first.
    float textureRows[4];
};

static_assert(sizeof(GlFixedUniforms) % 16 == 0, "std140 rows");
