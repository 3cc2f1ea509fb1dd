// SPDX-License-Identifier: GPL-3.0-or-later
// RGBA8 to texture formats, one row at a time.
#include "d3dx/pixel_convert.h"

namespace {

// Scales an 8-bit channel to bits wide, rounding to nearest.
constexpr DWORD Narrow(BYTE value, unsigned bits)
{
    const DWORD maxValue = (1u << bits) - 1u;
    return (value * maxValue + 127u) / 255u;
}

// The texel as the format stores it, in the low bytes.
DWORD Pack(const BYTE* t, D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_R8G8B8:
        return Rgba8ToArgb(t);
    case D3DFMT_X8R8G8B8:
        return Rgba8ToArgb(t) | 0xFF000000u;
    case D3DFMT_R5G6B5:
        return (Narrow(t[0], 5) << 11) | (Narrow(t[1], 6) << 5) | Narrow(t[2], 5);
    case D3DFMT_X1R5G5B5:
        return 0x8000u | (Narrow(t[0], 5) << 10) | (Narrow(t[1], 5) << 5) | Narrow(t[2], 5);
    case D3DFMT_A1R5G5B5:
        return (t[3] >= 128 ? 0x8000u : 0u) | (Narrow(t[0], 5) << 10) | (Narrow(t[1], 5) << 5) |
               Narrow(t[2], 5);
    case D3DFMT_A4R4G4B4:
        return (Narrow(t[3], 4) << 12) | (Narrow(t[0], 4) << 8) | (Narrow(t[1], 4) << 4) | Narrow(t[2], 4);
    case D3DFMT_X4R4G4B4:
        return 0xF000u | (Narrow(t[0], 4) << 8) | (Narrow(t[1], 4) << 4) | Narrow(t[2], 4);
    case D3DFMT_A8:
        return t[3];
    case D3DFMT_L8:
        // Rec. 601 luma weights in 8.8 fixed point.
        return (77u * t[0] + 150u * t[1] + 29u * t[2] + 128u) >> 8;
    default:
        return 0;
    }
}

} // namespace

bool IsConvertibleFormat(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8:
    case D3DFMT_L8:
        return true;
    default:
        return false;
    }
}

bool FormatHasAlpha(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_A4R4G4B4 ||
           format == D3DFMT_A8;
}

bool ConvertRgba8Row(const BYTE* rgba, std::size_t count, D3DFORMAT format, void* dst)
{
    if (!IsConvertibleFormat(format)) {
        return false;
    }
    const UINT size = D3DFormatBytesPerPixel(format);
    auto* out = static_cast<BYTE*>(dst);
    for (std::size_t i = 0; i < count; ++i) {
        const DWORD packed = Pack(rgba + 4 * i, format);
        // Texels are little-endian in memory, as the platform lays them out.
        for (UINT b = 0; b < size; ++b) {
            out[i * size + b] = static_cast<BYTE>(packed >> (8 * b));
        }
    }
    return true;
}
