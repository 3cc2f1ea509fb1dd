// SPDX-License-Identifier: GPL-3.0-or-later
// Resampling of RGBA8 images for the texture loader: resizing with the loader's filters, and the 2:1
// reduction that builds each smaller mip level from the one above.
#pragma once

#include "platform/base/win_types.h"

enum class FilterKind {
    None,     // no scaling: the image is copied to the top-left, the rest is transparent black
    Point,    // nearest texel
    Linear,   // bilinear between the two nearest texels on each axis
    Triangle, // tent over the source texels under the destination texel and its neighbours
    Box,      // average of the source texels under the destination texel, weighted by coverage
};

struct ImageFilter {
    FilterKind kind;
    // Samples outside the image are mirrored back into it instead of clamped to its edge.
    bool mirrorU;
    bool mirrorV;
};

// Reads a filter argument of the loader; D3DX_DEFAULT means a box filter. False for an unknown filter.
bool ReadImageFilter(DWORD filter, ImageFilter* out);

// Resamples src (srcWidth × srcHeight texels of 4 bytes) into dst (dstWidth × dstHeight). Both sizes
// are non-zero. Allocates one row of working space; throws std::bad_alloc when that fails.
void ResizeRgba(const BYTE* src, UINT srcWidth, UINT srcHeight, BYTE* dst, UINT dstWidth, UINT dstHeight,
                const ImageFilter& filter);

// Size of the mip level below a level of the given size.
constexpr UINT HalfSize(UINT size)
{
    return size > 1 ? size / 2 : 1;
}

// Builds the next mip level from src into dst (HalfSize(srcWidth) × HalfSize(srcHeight)).
// Point takes texel (2x, 2y); every other kind averages the 2×2 block; both clamp at odd edges.
void HalveRgba(const BYTE* src, UINT srcWidth, UINT srcHeight, BYTE* dst, FilterKind kind);
