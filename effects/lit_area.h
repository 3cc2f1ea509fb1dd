// SPDX-License-Identifier: GPL-3.0-or-later
// Where the four images of a 2 × 2 image texture can add light: for every mip level, image and
// brightness threshold, the box of texels at or above it, so a dim puff's quad can shrink to the part
// that adds anything.
#pragma once

#include <cstdint>

#include "d3dx/d3dx_math.h"
#include "platform/d3d8/d3d8.h"

constexpr int LitAreaMaxLevels = 8;

// Inclusive texel bounds relative to the image's top-left texel; they may reach one texel past the
// image on each side (a bilinear sample at the edge reads its neighbour). Empty when x0 > x1.
struct TexelBox {
    std::int16_t x0;
    std::int16_t y0;
    std::int16_t x1;
    std::int16_t y1;
};

struct LitAreaTable {
    // Levels described; 0 when the texture could not be read, and every quad is drawn whole.
    int levelCount = 0;
    int imageWidth[LitAreaMaxLevels] = {};
    int imageHeight[LitAreaMaxLevels] = {};
    // [level][image][threshold]: the texels whose brightest colour channel is at least the threshold.
    TexelBox boxes[LitAreaMaxLevels][4][256] = {};
};

// Part of a quad in its own texture coordinates, 0..1 across each side.
struct QuadPart {
    float u0;
    float v0;
    float u1;
    float v1;
};

// How far from its centre a one-image texture can add light, by brightness threshold.
struct LitReachTable {
    bool known = false;
    // [threshold]: in halves of the quad's side, the farthest a bilinear sample reaching a texel at
    // least that bright can lie from the centre; 0 when no texel is.
    float reach[256] = {};
};

// Reads level 0 of texture (8-bit RGB formats); false, with known false, for anything else.
bool BuildLitReachTable(IDirect3DTexture8* texture, LitReachTable& table);

// The reach, in halves of the side, outside which a quad showing the table's image modulated by
// color adds nothing, at most limit; 0 when nothing of it adds anything.
float LitReach(const LitReachTable& table, D3DCOLOR color, float limit);

// Reads every level of texture (8-bit RGB formats); false, with levelCount 0, for anything else.
bool BuildLitAreaTable(IDirect3DTexture8* texture, LitAreaTable& table);

// The part of a quad showing image (0..3, left to right then top to bottom) at level of detail lod
// modulated by color, outside which every pixel adds nothing (channel products under half a level);
// the whole quad when the table cannot tell. False when no pixel of the quad adds anything.
bool LitQuadPart(const LitAreaTable& table, int image, float lod, D3DCOLOR color, QuadPart& part);
// The same for a quad read from one level only.
bool LitQuadPartAtLevel(const LitAreaTable& table, int image, int level, D3DCOLOR color, QuadPart& part);
// The level a nearest-level mip filter reads at level of detail lod, in a chain of levels.
int NearestMipLevel(float lod, int levels);

// How the device maps eye space to pixels, for the level of detail a billboard's texture is read at.
struct PixelScale {
    D3DXMATRIX view;
    // Pixels per unit across x and y at eye depth 1.
    float perUnitX = 0.0f;
    float perUnitY = 0.0f;
    bool usable = false;
};

// From the device's view, projection and viewport; unusable for anything but a plain perspective.
PixelScale DevicePixelScale(IDirect3DDevice8* device);

// The level of detail a view-facing quad of side size at centre reads its quarter of a texture of
// width x height at: log2 of level-0 texels per pixel. Not a number where the scale cannot tell.
float QuarterImageLod(const PixelScale& scale, const D3DXVECTOR3& centre, float size, int width, int height);
