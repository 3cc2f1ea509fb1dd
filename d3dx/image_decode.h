// Image decoding for the texture loader: Windows bitmaps, PNG, JPEG and Targa. Bitmap headers are read
// and checked here; the stb decoder does the pixels.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/d3d8/d3d8.h"

// Images wider or taller than this are refused before anything is allocated.
constexpr UINT kMaxImageSide = 16384;

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
    // Bits of a texel holding alpha; 0 when the layout has none.
    DWORD alphaMask;
    // Palette entries between the headers and the pixels (bit counts up to 8).
    UINT paletteSize;
    std::size_t dataOffset;
    std::size_t rowStride;
    // True when the file carries alpha values that are not all zero.
    bool hasAlpha;
};

// Reads and checks the headers of the bitmap in data: a supported header and bit count, sane sizes,
// palette indices within the palette, and every pixel row present. D3DXERR_INVALIDDATA otherwise.
HRESULT ReadBmpLayout(const BYTE* data, std::size_t size, BmpLayout* layout);

// Decodes a bitmap, PNG, JPEG or Targa image into 8-bit RGBA. D3DXERR_INVALIDDATA for data it cannot read,
// E_OUTOFMEMORY when the texels cannot be held.
HRESULT DecodeImage(const void* data, std::size_t size, DecodedImage* image);
