// SPDX-License-Identifier: GPL-3.0-or-later
// Targa images: colour-mapped, true-colour and grey, plain or run-length encoded. Every count (the
// identification field, the colour map, each run) is checked against the bytes left and the texels
// still to fill before it is used.
#include <cstdint>

#include "d3dx/d3dx_texture.h"
#include "d3dx/image_formats.h"

namespace {

constexpr std::size_t kHeaderBytes = 18;

// Reads bytes in order and refuses to go past the end.
struct Reader {
    const BYTE* data;
    std::size_t size;
    std::size_t at = 0;

    bool Has(std::size_t count) const { return count <= size - at; }
};

// One texel of `bytes` bytes (1 grey, 2 as 5-5-5, 3 BGR, 4 BGRA) as RGBA.
void Unpack(const BYTE* texel, UINT bytes, BYTE* out)
{
    switch (bytes) {
    case 1:
        out[0] = out[1] = out[2] = texel[0];
        out[3] = 255;
        break;
    case 2: {
        const UINT value = texel[0] | (texel[1] << 8);
        const auto widen = [](UINT five) { return static_cast<BYTE>((five << 3) | (five >> 2)); };
        out[0] = widen((value >> 10) & 0x1F);
        out[1] = widen((value >> 5) & 0x1F);
        out[2] = widen(value & 0x1F);
        out[3] = 255;
        break;
    }
    default:
        out[0] = texel[2];
        out[1] = texel[1];
        out[2] = texel[0];
        out[3] = bytes == 4 ? texel[3] : 255;
        break;
    }
}

} // namespace

HRESULT DecodeTga(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result)
{
    if (size < kHeaderBytes) {
        return RefuseImage(result, "targa header cut short");
    }
    const UINT idLength = data[0];
    const UINT mapType = data[1];
    const UINT type = data[2];
    const UINT mapFirst = data[3] | (data[4] << 8);
    const UINT mapLength = data[5] | (data[6] << 8);
    const UINT mapBits = data[7];
    const UINT width = data[12] | (data[13] << 8);
    const UINT height = data[14] | (data[15] << 8);
    const UINT bits = data[16];
    const UINT descriptor = data[17];

    const bool runLength = type >= 9;
    const UINT baseType = runLength ? type - 8 : type;
    if (baseType < 1 || baseType > 3 || mapType > 1) {
        return RefuseImage(result, "unsupported targa image type");
    }
    if (width == 0 || height == 0) {
        return RefuseImage(result, "targa image without texels");
    }
    HRESULT hr = CheckImageSize(width, height, limits, result);
    if (FAILED(hr)) {
        return hr;
    }
    // The stored texel: an index, a grey level or a colour.
    const bool mapped = baseType == 1;
    if ((mapped && (bits != 8 || mapType != 1)) || (baseType == 3 && bits != 8) ||
        (baseType == 2 && bits != 15 && bits != 16 && bits != 24 && bits != 32)) {
        return RefuseImage(result, "unsupported bits per texel in a targa image");
    }
    const UINT storedBytes = (bits + 7) / 8;

    Reader in{data, size, kHeaderBytes};
    if (!in.Has(idLength)) {
        return RefuseImage(result, "targa header cut short");
    }
    in.at += idLength;
    const BYTE* map = nullptr;
    UINT mapBytes = 0;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) {
            return RefuseImage(result, "unsupported targa colour map");
        }
        mapBytes = (mapBits + 7) / 8;
        if (!in.Has(std::size_t{mapLength} * mapBytes)) {
            return RefuseImage(result, "targa colour map cut short");
        }
        map = data + in.at;
        in.at += std::size_t{mapLength} * mapBytes;
    }
    const UINT outBytes = mapped ? mapBytes : storedBytes;

    DecodedImage& image = *result.image;
    hr = AllocateTexels(image, width, height);
    if (FAILED(hr)) {
        return hr;
    }
    const std::size_t total = std::size_t{width} * height;
    // Texels arrive in storage order; the descriptor says where the first one belongs.
    const bool topFirst = (descriptor & 0x20) != 0;
    const bool rightFirst = (descriptor & 0x10) != 0;
    auto place = [&](std::size_t n, const BYTE* stored) -> bool {
        const BYTE* texel = stored;
        if (mapped) {
            const UINT index = stored[0];
            if (index < mapFirst || index - mapFirst >= mapLength) {
                return false;
            }
            texel = map + std::size_t{index - mapFirst} * mapBytes;
        }
        const std::size_t row = n / width;
        const std::size_t column = n % width;
        const std::size_t y = topFirst ? row : height - 1 - row;
        const std::size_t x = rightFirst ? width - 1 - column : column;
        Unpack(texel, outBytes, image.rgba.data() + (y * width + x) * 4);
        return true;
    };

    std::size_t filled = 0;
    while (filled < total) {
        std::size_t count = total - filled;
        bool repeat = false;
        if (runLength) {
            if (!in.Has(1)) {
                return RefuseImage(result, "targa texels cut short");
            }
            const BYTE packet = data[in.at++];
            repeat = (packet & 0x80) != 0;
            count = (packet & 0x7F) + 1u;
            if (count > total - filled) {
                return RefuseImage(result, "targa run past the end of the image");
            }
        }
        const std::size_t storedCount = repeat ? 1 : count;
        if (!in.Has(storedCount * storedBytes)) {
            return RefuseImage(result, "targa texels cut short");
        }
        for (std::size_t i = 0; i < count; ++i) {
            const BYTE* stored = data + in.at + (repeat ? 0 : i * storedBytes);
            if (!place(filled + i, stored)) {
                return RefuseImage(result, "targa texel past the end of its colour map");
            }
        }
        in.at += storedCount * storedBytes;
        filled += count;
    }

    // A fourth byte that is zero everywhere is padding, as in bitmaps.
    if (outBytes == 4) {
        for (std::size_t i = 3; i < image.rgba.size(); i += 4) {
            if (image.rgba[i] != 0) {
                result.hasAlpha = true;
                break;
            }
        }
    }
    return S_OK;
}
