// SPDX-License-Identifier: GPL-3.0-or-later
// The lit-area table of a 2 × 2 image texture, and the part of a quad it says can add light.
#include "effects/lit_area.h"

#include <algorithm>
#include <cmath>

namespace {

// Bytes per texel of the 8-bit RGB formats the tables read; 0 for any other.
int BytesPerTexel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8: return 4;
    case D3DFMT_R8G8B8: return 3;
    default: return 0;
    }
}

// Texels up to this bright times the colour's brightest channel stay under half a level (127 / 255²
// rounds to 0); 0 for a colour that adds nothing anywhere.
int ThresholdFor(D3DCOLOR color)
{
    const int brightest = static_cast<int>(std::max({(color >> 16) & 0xFFu, (color >> 8) & 0xFFu, color & 0xFFu}));
    return brightest == 0 ? 0 : 127 / brightest + 1;
}

// Brightest of R, G and B of texel (x, y) of a locked level.
int TexelBrightness(const D3DLOCKED_RECT& locked, int bytesPerTexel, int x, int y)
{
    const auto* p = static_cast<const std::uint8_t*>(locked.pBits) + static_cast<std::ptrdiff_t>(y) * locked.Pitch +
                    static_cast<std::ptrdiff_t>(x) * bytesPerTexel;
    return std::max({p[0], p[1], p[2]});
}

void Include(TexelBox& box, int x, int y)
{
    if (box.x0 > box.x1) {
        box = {static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::int16_t>(x),
               static_cast<std::int16_t>(y)};
        return;
    }
    box.x0 = static_cast<std::int16_t>(std::min<int>(box.x0, x));
    box.y0 = static_cast<std::int16_t>(std::min<int>(box.y0, y));
    box.x1 = static_cast<std::int16_t>(std::max<int>(box.x1, x));
    box.y1 = static_cast<std::int16_t>(std::max<int>(box.y1, y));
}

constexpr TexelBox EmptyBox{1, 1, 0, 0};

// Fills the boxes of one image of one locked level of width × height texels.
void DescribeImage(const D3DLOCKED_RECT& locked, int bytesPerTexel, int width, int height, int image,
                   TexelBox boxes[256])
{
    const int w = width / 2;
    const int h = height / 2;
    const int left = (image & 1) * w;
    const int top = (image >> 1) * h;
    TexelBox exactly[256];
    std::fill(exactly, exactly + 256, EmptyBox);
    // The ring around the image wraps, as the sampler's address mode does.
    for (int y = -1; y <= h; ++y) {
        for (int x = -1; x <= w; ++x) {
            const int tx = (left + x + width) % width;
            const int ty = (top + y + height) % height;
            Include(exactly[TexelBrightness(locked, bytesPerTexel, tx, ty)], x, y);
        }
    }
    TexelBox atLeast = EmptyBox;
    for (int threshold = 255; threshold >= 0; --threshold) {
        if (exactly[threshold].x0 <= exactly[threshold].x1) {
            Include(atLeast, exactly[threshold].x0, exactly[threshold].y0);
            Include(atLeast, exactly[threshold].x1, exactly[threshold].y1);
        }
        boxes[threshold] = atLeast;
    }
}

} // namespace

int NearestMipLevel(float lod, int levels)
{
    const int level = lod <= 0.5f ? 0 : static_cast<int>(std::ceil(lod + 0.5f)) - 1;
    return std::min(level, levels - 1);
}

bool BuildLitAreaTable(IDirect3DTexture8* texture, LitAreaTable& table)
{
    table.levelCount = 0;
    const int levels = std::min(static_cast<int>(texture->GetLevelCount()), LitAreaMaxLevels);
    int described = 0;
    for (int level = 0; level < levels; ++level) {
        D3DSURFACE_DESC desc{};
        if (FAILED(texture->GetLevelDesc(static_cast<UINT>(level), &desc))) {
            return false;
        }
        const int bytesPerTexel = BytesPerTexel(desc.Format);
        if (bytesPerTexel == 0) {
            return false;
        }
        const int width = static_cast<int>(desc.Width);
        const int height = static_cast<int>(desc.Height);
        // Levels too small to hold four images stay undescribed: their quads are drawn whole.
        if (width < 2 || height < 2 || width % 2 != 0 || height % 2 != 0) {
            break;
        }
        D3DLOCKED_RECT locked{};
        if (FAILED(texture->LockRect(static_cast<UINT>(level), &locked, nullptr, D3DLOCK_READONLY))) {
            return false;
        }
        for (int image = 0; image < 4; ++image) {
            DescribeImage(locked, bytesPerTexel, width, height, image, table.boxes[level][image]);
        }
        texture->UnlockRect(static_cast<UINT>(level));
        table.imageWidth[level] = width / 2;
        table.imageHeight[level] = height / 2;
        described = level + 1;
    }
    table.levelCount = described;
    return described > 0;
}

namespace {

// The union of the lit boxes of levels first..last.
bool LitQuadPartOfLevels(const LitAreaTable& table, int image, int first, int last, D3DCOLOR color, QuadPart& part)
{
    part = {0.0f, 0.0f, 1.0f, 1.0f};
    const int threshold = ThresholdFor(color);
    if (threshold == 0) {
        return false;
    }
    if (image < 0 || image > 3 || first < 0 || last >= table.levelCount) {
        return true;
    }
    bool any = false;
    QuadPart lit{1.0f, 1.0f, 0.0f, 0.0f};
    for (int level = first; level <= last; ++level) {
        const TexelBox& box = table.boxes[level][image][threshold];
        if (box.x0 > box.x1) {
            continue;
        }
        // A sample at s texels from the image's left edge reads the texels either side of s - 0.5.
        const float w = static_cast<float>(table.imageWidth[level]);
        const float h = static_cast<float>(table.imageHeight[level]);
        lit.u0 = std::min(lit.u0, (static_cast<float>(box.x0) - 0.5f) / w);
        lit.v0 = std::min(lit.v0, (static_cast<float>(box.y0) - 0.5f) / h);
        lit.u1 = std::max(lit.u1, (static_cast<float>(box.x1) + 1.5f) / w);
        lit.v1 = std::max(lit.v1, (static_cast<float>(box.y1) + 1.5f) / h);
        any = true;
    }
    if (!any) {
        return false;
    }
    // A little slack for the rasteriser's rounding of interpolated coordinates.
    constexpr float Slack = 1.0f / 256.0f;
    part.u0 = std::max(0.0f, lit.u0 - Slack);
    part.v0 = std::max(0.0f, lit.v0 - Slack);
    part.u1 = std::min(1.0f, lit.u1 + Slack);
    part.v1 = std::min(1.0f, lit.v1 + Slack);
    return true;
}

} // namespace

bool LitQuadPart(const LitAreaTable& table, int image, float lod, D3DCOLOR color, QuadPart& part)
{
    if (!std::isfinite(lod)) {
        return LitQuadPartOfLevels(table, image, 0, LitAreaMaxLevels, color, part);
    }
    // A margin on the level of detail: the rasteriser may approximate the logarithm.
    return LitQuadPartOfLevels(table, image, NearestMipLevel(lod - 0.25f, LitAreaMaxLevels),
                               NearestMipLevel(lod + 0.25f, LitAreaMaxLevels), color, part);
}

bool LitQuadPartAtLevel(const LitAreaTable& table, int image, int level, D3DCOLOR color, QuadPart& part)
{
    return LitQuadPartOfLevels(table, image, level, level, color, part);
}

bool BuildLitReachTable(IDirect3DTexture8* texture, LitReachTable& table)
{
    table.known = false;
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(0, &desc))) {
        return false;
    }
    const int bytesPerTexel = BytesPerTexel(desc.Format);
    const int width = static_cast<int>(desc.Width);
    const int height = static_cast<int>(desc.Height);
    D3DLOCKED_RECT locked{};
    if (bytesPerTexel == 0 || width == 0 || height == 0 ||
        FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return false;
    }
    float exactly[256] = {};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Samples that read texel (x, y) lie within a texel and a half of its near corner on each
            // side (in quad coordinates 0..1); the corner farthest from the centre counts.
            const float du = std::max(std::fabs((static_cast<float>(x) - 0.5f) / static_cast<float>(width) - 0.5f),
                                      std::fabs((static_cast<float>(x) + 1.5f) / static_cast<float>(width) - 0.5f));
            const float dv = std::max(std::fabs((static_cast<float>(y) - 0.5f) / static_cast<float>(height) - 0.5f),
                                      std::fabs((static_cast<float>(y) + 1.5f) / static_cast<float>(height) - 0.5f));
            float& reach = exactly[TexelBrightness(locked, bytesPerTexel, x, y)];
            reach = std::max(reach, 2.0f * std::sqrt(du * du + dv * dv));
        }
    }
    texture->UnlockRect(0);
    float atLeast = 0.0f;
    for (int threshold = 255; threshold >= 1; --threshold) {
        atLeast = std::max(atLeast, exactly[threshold]);
        table.reach[threshold] = atLeast;
    }
    table.reach[0] = std::max(atLeast, exactly[0]);
    table.known = true;
    return true;
}

float LitReach(const LitReachTable& table, D3DCOLOR color, float limit)
{
    const int threshold = ThresholdFor(color);
    if (threshold == 0) {
        return 0.0f;
    }
    if (!table.known) {
        return limit;
    }
    const float reach = table.reach[threshold];
    // A little slack for the rasteriser's rounding of interpolated coordinates.
    return reach == 0.0f ? 0.0f : std::min(limit, reach + 1.0f / 128.0f);
}

PixelScale DevicePixelScale(IDirect3DDevice8* device)
{
    PixelScale scale;
    D3DXMATRIX projection;
    D3DVIEWPORT8 viewport{};
    if (FAILED(device->GetTransform(D3DTS_VIEW, &scale.view)) ||
        FAILED(device->GetTransform(D3DTS_PROJECTION, &projection)) || FAILED(device->GetViewport(&viewport))) {
        return scale;
    }
    // Only a plain perspective (w the eye depth, x and y scaled apart) keeps the scale across a quad.
    scale.usable = projection._12 == 0.0f && projection._14 == 0.0f && projection._21 == 0.0f &&
                   projection._24 == 0.0f && projection._34 == 1.0f && projection._44 == 0.0f;
    scale.perUnitX = 0.5f * static_cast<float>(viewport.Width) * std::fabs(projection._11);
    scale.perUnitY = 0.5f * static_cast<float>(viewport.Height) * std::fabs(projection._22);
    return scale;
}

float QuarterImageLod(const PixelScale& scale, const D3DXVECTOR3& centre, float size, int width, int height)
{
    const D3DXMATRIX& v = scale.view;
    const float depth = centre.x * v._13 + centre.y * v._23 + centre.z * v._33 + v._43;
    if (!scale.usable || !(depth > 0.0f) || !(size > 0.0f)) {
        return NAN;
    }
    const float rhoX = 0.5f * static_cast<float>(width) * depth / (size * scale.perUnitX);
    const float rhoY = 0.5f * static_cast<float>(height) * depth / (size * scale.perUnitY);
    return std::log2(std::max(rhoX, rhoY));
}
