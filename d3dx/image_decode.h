// SPDX-License-Identifier: GPL-3.0-or-later
// Image decoding for the texture loader: Windows bitmaps and Targa images by checked code of our own,
// PNG through libpng and JPEG through libjpeg-turbo, libraries made for hostile input. Every image is
// held to a size limit before its texels are allocated, so a small file cannot ask for gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8.h"

// Images wider or taller than this are refused before anything is allocated.
constexpr UINT kMaxImageSide = 16384;
// Texels one decoded image may hold: 64 megapixels, 256 MiB as RGBA.
constexpr std::uint64_t kMaxImagePixels = std::uint64_t{64} << 20;

struct ImageLimits {
    UINT maxWidth = kMaxImageSide;
    UINT maxHeight = kMaxImageSide;
    std::uint64_t maxPixels = kMaxImagePixels;
};

struct DecodedImage {
    UINT width = 0;
    UINT height = 0;
    // The file's own format: A8R8G8B8 when it carries real alpha, X8R8G8B8 otherwise.
    D3DFORMAT format = D3DFMT_UNKNOWN;
    // width × height texels of 4 bytes (R, G, B, A), top row first.
    std::vector<BYTE> rgba;
};

// What a bitmap's headers declare, once checked against the bytes present.
struct BmpLayout {
    UINT width;
    UINT height;
    UINT bitCount;
    DWORD compression;
    // Channel masks of 16- and 32-bit texels; alpha is 0 when the layout has none.
    DWORD redMask;
    DWORD greenMask;
    DWORD blueMask;
    DWORD alphaMask;
    // Palette entries between the headers and the pixels (bit counts up to 8), where they start and
    // their size (3 bytes after the 12-byte header, 4 otherwise).
    UINT paletteSize;
    std::size_t paletteOffset;
    UINT paletteEntryBytes;
    std::size_t dataOffset;
    std::size_t rowStride;
    // Rows stored top row first (a negative height in the file).
    bool topDown;
    // True when the file carries alpha values that are not all zero.
    bool hasAlpha;
};

// Reads and checks the headers of the bitmap in data: a supported header and bit count, sane sizes,
// palette indices within the palette, and every pixel row present. D3DXERR_INVALIDDATA otherwise.
HRESULT ReadBmpLayout(const BYTE* data, std::size_t size, BmpLayout* layout);

// Decodes a bitmap, PNG, JPEG or Targa image into 8-bit RGBA. D3DXERR_INVALIDDATA for data it cannot
// read or an image beyond the limits (with the reason in words when asked for, and tooLarge set for
// the latter), E_OUTOFMEMORY when the texels cannot be held.
HRESULT DecodeImage(const void* data, std::size_t size, DecodedImage* image, const ImageLimits& limits = {},
                    std::string* reason = nullptr, bool* tooLarge = nullptr);
