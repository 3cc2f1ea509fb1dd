// SPDX-License-Identifier: GPL-3.0-or-later
// The ground grid: a 9 × 9 textured plane of 256 units below the show, built with its texture and
// kept in the managed pool between device creation and release. No frame draws it.
#pragma once

#include <cstdint>

#include "effects/vertex_formats.h"
#include "platform/d3d8/d3d8.h"

struct GroundGridResources {
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    IDirect3DTexture8* texture = nullptr;
    UINT vertexCount = 0;
    UINT indexCount = 0;
};

extern GroundGridResources GroundGrid;

constexpr UINT GroundGridVertices = 81;
constexpr UINT GroundGridIndices = 384;

// Vertex 9r + c at ((c/8 − 0.5) × 256, 0, (r/8 − 0.5) × 256), two triangles per cell.
void WriteGroundGridVertices(TexturedVertex* vertices);
void WriteGroundGridIndices(std::uint16_t* indices);

// Loads "Ground.bmp" and fills both buffers; the missing-media code when the texture cannot be had.
HRESULT CreateGroundGrid(IDirect3DDevice8* device);
void ReleaseGroundGrid();
