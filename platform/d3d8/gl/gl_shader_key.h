// SPDX-License-Identifier: GPL-3.0-or-later
// What selects one program of the fixed-function shader family: the vertex format's parts, the
// primitive, and the render and texture-stage states that change the generated code.
#pragma once

#include "platform/d3d8/device_state.h"
#include "platform/d3d8/gl/gl_formats.h"

#include <cstdint>

struct GlShaderKey {
    bool pretransformed;
    bool hasNormal;
    bool hasDiffuse;
    bool hasTexCoord;
    bool hasPointSize;
    bool lighting;
    // Lighting takes the diffuse reflectance from the vertex colour instead of the material.
    bool diffuseFromVertex;
    // D3DFOG_NONE, EXP, EXP2 or LINEAR.
    std::uint8_t fogMode;
    bool flat;
    bool points;
    // Points draw as sprites, textured from the top-left (0, 0) to the bottom-right (1, 1).
    bool pointSprite;
    bool pointScale;
    bool textureBound;
    // 0 when the alpha test is off, else the D3DCMP function.
    std::uint8_t alphaFunc;
    // Bit i: user clip plane i is on (never for pre-transformed vertices).
    std::uint8_t clipPlanes;
    // Stage 0: operation (D3DTOP_*) and arguments (source in bits 0..2, complement 8, alpha replicate 16).
    std::uint8_t colorOp;
    std::uint8_t colorArg1;
    std::uint8_t colorArg2;
    std::uint8_t alphaOp;
    std::uint8_t alphaArg1;
    std::uint8_t alphaArg2;

    // All fields in one number, for the program cache.
    std::uint64_t Pack() const;
};

GlShaderKey ShaderKeyFor(const DeviceState& state, const GlVertexLayout& layout, D3DPRIMITIVETYPE primitive,
                         bool textureBound);
