// SPDX-License-Identifier: GPL-3.0-or-later
// Windows bitmaps: the headers are read and checked against the bytes present (a supported header
// and bit count, sane sizes, palette indices within the palette, every row present), then the
// texels are unpacked here, row by row, from palettes, 24-bit triples or channel masks.
#include <bit>
#include <cstdint>
#include <cstring>

#include "d3dx/d3dx_texture.h"
#include "d3dx/image_formats.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;

DWORD Read16(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8);
}

DWORD Read32(const BYTE* p)
{
    return Read16(p) | (Read16(p + 2) << 16);
}

// Each channel is unpacked into 8 bits: red, green and blue are needed, and at most 8 bits each.
bool MasksUsable(DWORD red, DWORD green, DWORD blue, DWORD alpha)
{
    if (red == 0 || green == 0 || blue == 0 || (red == green && green == blue)) {
        return false;
    }
    return std::popcount(red) <= 8 && std::popcount(green) <= 8 && std::popcount(blue) <= 8 &&
           std::popcount(alpha) <= 8;
}

// A palette index past the palette would read an entry that is not in the file.
bool PaletteIndicesValid(const BYTE* data, const BmpLayout& layout)
{
    const UINT perByte = 8 / layout.bitCount;
    const UINT mask = (1u << layout.bitCount) - 1u;
    for (UINT y = 0; y < layout.height; ++y) {
        const BYTE* row = data + layout.dataOffset + y * layout.rowStride;
        for (UINT x = 0; x < layout.width; ++x) {
            const UINT shift = 8 - layout.bitCount * (x % perByte + 1);
            if (((row[x / perByte] >> shift) & mask) >= layout.paletteSize) {
                return false;
            }
        }
    }
    return true;
}

DWORD Texel(const BYTE* row, UINT x, UINT bytes)
{
    return bytes == 4 ? Read32(row + 4 * x) : Read16(row + 2 * x);
}

// True when any texel has a non-zero alpha field; an all-zero field is padding, not alpha.
bool AnyAlpha(const BYTE* data, const BmpLayout& layout)
{
    const UINT bytes = layout.bitCount / 8;
    for (UINT y = 0; y < layout.height; ++y) {
        const BYTE* row = data + layout.dataOffset + y * layout.rowStride;
        for (UINT x = 0; x < layout.width; ++x) {
            if ((Texel(row, x, bytes) & layout.alphaMask) != 0) {
                return true;
            }
        }
    }
    return false;
}

// One masked channel widened to 8 bits; a channel without a mask reads as full.
BYTE Channel(DWORD texel, DWORD mask)
{
    if (mask == 0) {
        return 255;
    }
    const DWORD value = (texel & mask) >> std::countr_zero(mask);
    const DWORD top = (mask >> std::countr_zero(mask));
    return static_cast<BYTE>((value * 255 + top / 2) / top);
}

HRESULT ReadLayout(const BYTE* data, std::size_t size, const ImageLimits& limits, BmpLayout* layout,
                   DecodeResult& decode)
{
    std::string& reason = decode.reason;
    auto refuse = [&](const char* why) {
        reason = why;
        return D3DXERR_INVALIDDATA;
    };
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') {
        return refuse("bitmap header cut short");
    }
    const std::size_t dataOffset = Read32(data + 10);
    const DWORD headerSize = Read32(data + 14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 56 && headerSize != 108 && headerSize != 124) {
        return refuse("unknown bitmap header");
    }
    if (size < kFileHeaderSize + headerSize) {
        return refuse("bitmap header cut short");
    }
    const BYTE* info = data + kFileHeaderSize;

    std::int64_t width = 0;
    std::int64_t height = 0;
    DWORD planes = 0;
    DWORD bitCount = 0;
    DWORD compression = 0;
    if (headerSize == 12) {
        width = Read16(info + 4);
        height = Read16(info + 6);
        planes = Read16(info + 8);
        bitCount = Read16(info + 10);
    } else {
        width = static_cast<std::int32_t>(Read32(info + 4));
        height = static_cast<std::int32_t>(Read32(info + 8));
        planes = Read16(info + 12);
        bitCount = Read16(info + 14);
        compression = Read32(info + 16);
    }
    // A negative height marks a top-down bitmap; the size is its magnitude.
    const bool topDown = height < 0;
    if (topDown) {
        height = -height;
    }
    // Too wide or too tall is CheckImageSize's to report, as for every other format.
    if (width <= 0 || height <= 0 || planes != 1) {
        return refuse("bitmap size out of range");
    }
    const bool bitCountKnown = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                               bitCount == 24 || bitCount == 32;
    if (!bitCountKnown || (headerSize == 12 && (bitCount == 16 || bitCount == 32))) {
        return refuse("unsupported bits per texel in a bitmap");
    }
    // Plain texels (0) or texels described by channel masks (3); run-length and embedded images are not read.
    const bool bitFields = compression == 3;
    if (compression != 0 && !(bitFields && (bitCount == 16 || bitCount == 32))) {
        return refuse("compressed bitmaps are not read");
    }
    // The 56-byte header's masks follow no single convention among writers.
    if (bitFields && headerSize == 56) {
        return refuse("channel masks in an unsupported header");
    }

    std::size_t headersEnd = kFileHeaderSize + headerSize;
    DWORD red = 0;
    DWORD green = 0;
    DWORD blue = 0;
    DWORD alphaMask = 0;
    if (bitCount == 16 || bitCount == 32) {
        if (bitFields) {
            // The 40-byte header is followed by three masks; the longer headers hold four inside.
            const BYTE* masks = info + 40;
            if (headerSize == 40) {
                headersEnd += 12;
                if (size < headersEnd) {
                    return refuse("bitmap header cut short");
                }
            } else {
                alphaMask = Read32(masks + 12);
            }
            red = Read32(masks);
            green = Read32(masks + 4);
            blue = Read32(masks + 8);
        } else if (bitCount == 32) {
            // Plain 32-bit texels keep a fourth byte that may hold alpha.
            red = 0x00FF0000;
            green = 0x0000FF00;
            blue = 0x000000FF;
            alphaMask = 0xFF000000u;
        } else {
            red = 0x7C00;
            green = 0x03E0;
            blue = 0x001F;
            // The long headers keep their alpha mask even for plain 16-bit texels.
            if (headerSize >= 108) {
                alphaMask = Read32(info + 52);
            }
        }
        if (!MasksUsable(red, green, blue, alphaMask)) {
            return refuse("unusable channel masks");
        }
        // Overlapping masks would mix channels; none may reach past the texel either.
        const std::uint64_t all = std::uint64_t{red} | green | blue | alphaMask;
        if (std::popcount(red) + std::popcount(green) + std::popcount(blue) + std::popcount(alphaMask) !=
                std::popcount(all) ||
            (bitCount == 16 && all > 0xFFFF)) {
            return refuse("unusable channel masks");
        }
    }

    UINT paletteSize = 0;
    const std::size_t entrySize = headerSize == 12 ? 3 : 4;
    if (bitCount <= 8) {
        if (dataOffset < headersEnd + entrySize) {
            return refuse("bitmap palette missing");
        }
        const std::size_t entries = (dataOffset - headersEnd) / entrySize;
        if (entries > 256) {
            return refuse("bitmap palette too long");
        }
        paletteSize = static_cast<UINT>(entries);
    } else if (dataOffset < headersEnd) {
        return refuse("bitmap pixels overlap its headers");
    }

    // Before the texels are looked at: scanning a huge bitmap's indices would cost seconds already.
    if (FAILED(CheckImageSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), limits, decode))) {
        return D3DXERR_INVALIDDATA;
    }
    const std::size_t rowStride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    const std::size_t pixelBytes = rowStride * static_cast<std::size_t>(height);
    if (dataOffset > size || size - dataOffset < pixelBytes) {
        return refuse("bitmap pixels cut short");
    }

    BmpLayout result{};
    result.width = static_cast<UINT>(width);
    result.height = static_cast<UINT>(height);
    result.bitCount = bitCount;
    result.compression = compression;
    result.redMask = red;
    result.greenMask = green;
    result.blueMask = blue;
    result.alphaMask = alphaMask;
    result.paletteSize = paletteSize;
    result.paletteOffset = headersEnd;
    result.paletteEntryBytes = static_cast<UINT>(entrySize);
    result.dataOffset = dataOffset;
    result.rowStride = rowStride;
    result.topDown = topDown;
    if (bitCount <= 8 && !PaletteIndicesValid(data, result)) {
        return refuse("bitmap texel past the end of its palette");
    }
    result.hasAlpha = alphaMask != 0 && AnyAlpha(data, result);
    *layout = result;
    return S_OK;
}

} // namespace

HRESULT ReadBmpLayout(const BYTE* data, std::size_t size, BmpLayout* layout)
{
    if (data == nullptr || layout == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    DecodeResult decode;
    return ReadLayout(data, size, ImageLimits{}, layout, decode);
}

HRESULT DecodeBmp(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result)
{
    BmpLayout layout{};
    HRESULT hr = ReadLayout(data, size, limits, &layout, result);
    if (FAILED(hr)) {
        return hr;
    }
    DecodedImage& image = *result.image;
    hr = AllocateTexels(image, layout.width, layout.height);
    if (FAILED(hr)) {
        return hr;
    }
    const BYTE* palette = data + layout.paletteOffset;
    const UINT texelBytes = layout.bitCount / 8;
    for (UINT y = 0; y < layout.height; ++y) {
        // Rows are stored bottom first unless the height was negative.
        const UINT stored = layout.topDown ? y : layout.height - 1 - y;
        const BYTE* row = data + layout.dataOffset + std::size_t{stored} * layout.rowStride;
        BYTE* out = image.rgba.data() + std::size_t{y} * layout.width * 4;
        for (UINT x = 0; x < layout.width; ++x, out += 4) {
            if (layout.bitCount <= 8) {
                const UINT perByte = 8 / layout.bitCount;
                const UINT shift = 8 - layout.bitCount * (x % perByte + 1);
                const UINT index = (row[x / perByte] >> shift) & ((1u << layout.bitCount) - 1u);
                const BYTE* entry = palette + std::size_t{index} * layout.paletteEntryBytes;
                out[0] = entry[2];
                out[1] = entry[1];
                out[2] = entry[0];
                out[3] = 255;
            } else if (layout.bitCount == 24) {
                out[0] = row[3 * x + 2];
                out[1] = row[3 * x + 1];
                out[2] = row[3 * x];
                out[3] = 255;
            } else {
                const DWORD texel = Texel(row, x, texelBytes);
                out[0] = Channel(texel, layout.redMask);
                out[1] = Channel(texel, layout.greenMask);
                out[2] = Channel(texel, layout.blueMask);
                out[3] = layout.hasAlpha ? Channel(texel, layout.alphaMask) : 255;
            }
        }
    }
    result.hasAlpha = layout.hasAlpha;
    return S_OK;
}
