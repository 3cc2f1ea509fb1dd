// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion of 8-bit RGBA texels (the decoder's layout) into the texture formats the loader writes.
// Narrower channels are rounded to the nearest value; X bits are written as ones.
#pragma once

#include <cstddef>

#include "platform/d3d8/d3d8.h"

// True for the colour formats ConvertRgba8Row can write.
bool IsConvertibleFormat(D3DFORMAT format);

// True when the format stores an alpha channel.
bool FormatHasAlpha(D3DFORMAT format);

// Packs one RGBA8 texel as the platform's 32-bit ARGB colour.
constexpr D3DCOLOR Rgba8ToArgb(const BYTE* rgba)
{
    return (static_cast<D3DCOLOR>(rgba[3]) << 24) | (static_cast<D3DCOLOR>(rgba[0]) << 16) |
           (static_cast<D3DCOLOR>(rgba[1]) << 8) | static_cast<D3DCOLOR>(rgba[2]);
}

// Writes count texels of rgba (4 bytes each) to dst in the given format; dst holds
// count × D3DFormatBytesPerPixel(format) bytes. Returns false for a format it cannot write.
bool ConvertRgba8Row(const BYTE* rgba, std::size_t count, D3DFORMAT format, void* dst);
