// SPDX-License-Identifier: GPL-3.0-or-later
// The two vertex layouts every effect writes.
#pragma once

#include "platform/d3d8/d3d8.h"

// Position and diffuse colour: points and untextured triangles.
struct ColorVertex {
    float x;
    float y;
    float z;
    D3DCOLOR color;
};

// Position, diffuse colour and one texture coordinate pair: billboards.
struct TexturedVertex {
    float x;
    float y;
    float z;
    D3DCOLOR color;
    float u;
    float v;
};

constexpr DWORD ColorVertexFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr DWORD TexturedVertexFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

static_assert(sizeof(ColorVertex) == 16 && ColorVertexFVF == 0x42);
static_assert(sizeof(TexturedVertex) == 24 && TexturedVertexFVF == 0x142);
static_assert(D3DFVFVertexSize(ColorVertexFVF) == sizeof(ColorVertex));
static_assert(D3DFVFVertexSize(TexturedVertexFVF) == sizeof(TexturedVertex));
