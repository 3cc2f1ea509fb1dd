// SPDX-License-Identifier: GPL-3.0-or-later
// Image files written byte by byte for the texture loader's tests: bitmaps of each depth, with or
// without palette and channel masks, and uncompressed Targa images.
#pragma once

#include "platform/d3d8/d3d8.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

using Bytes = std::vector<BYTE>;

inline void Put(Bytes& out, DWORD value, int size)
{
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<BYTE>(value >> (8 * i)));
    }
}

// One row of texels, each written little-endian in size bytes: 0xRRGGBB in 3 bytes is the bitmap's
// blue, green, red order; 1 byte holds a palette index.
inline Bytes Row(std::initializer_list<DWORD> texels, int size)
{
    Bytes row;
    for (DWORD t : texels) {
        Put(row, t, size);
    }
    return row;
}

struct BmpContent {
    WORD bitCount = 24;
    int width = 0;
    // Top row first, without the padding to four bytes.
    std::vector<Bytes> rows;
    // 0x00RRGGBB entries.
    std::vector<DWORD> palette;
    DWORD compression = 0;
    // 40, or 108 with the four channel masks (red, green, blue, alpha) inside.
    DWORD headerSize = 40;
    DWORD masks[4] = {};
    bool topDown = false;
};

inline Bytes BuildBmp(const BmpContent& s)
{
    const int height = static_cast<int>(s.rows.size());
    const std::size_t stride = ((static_cast<std::size_t>(s.width) * s.bitCount + 31) / 32) * 4;
    const std::size_t offset = 14 + s.headerSize + s.palette.size() * 4;
    Bytes out{'B', 'M'};
    Put(out, static_cast<DWORD>(offset + stride * height), 4);
    Put(out, 0, 4);
    Put(out, static_cast<DWORD>(offset), 4);
    Put(out, s.headerSize, 4);
    Put(out, static_cast<DWORD>(s.width), 4);
    Put(out, static_cast<DWORD>(s.topDown ? -height : height), 4);
    Put(out, 1, 2);
    Put(out, s.bitCount, 2);
    Put(out, s.compression, 4);
    Put(out, static_cast<DWORD>(stride * height), 4);
    out.resize(out.size() + 16, 0);
    if (s.headerSize == 108) {
        for (DWORD m : s.masks) {
            Put(out, m, 4);
        }
        // Colour space, end points and gammas.
        out.resize(out.size() + 52, 0);
    }
    for (DWORD rgb : s.palette) {
        Put(out, rgb, 4);
    }
    for (int i = 0; i < height; ++i) {
        const Bytes& row = s.rows[s.topDown ? i : height - 1 - i];
        out.insert(out.end(), row.begin(), row.end());
        out.resize(out.size() + stride - row.size(), 0);
    }
    return out;
}

inline BmpContent Bmp(WORD bitCount, int width, std::vector<Bytes> rows, std::vector<DWORD> palette = {})
{
    BmpContent s;
    s.bitCount = bitCount;
    s.width = width;
    s.rows = std::move(rows);
    s.palette = std::move(palette);
    return s;
}

inline Bytes Bmp24(int width, std::vector<Bytes> rows)
{
    return BuildBmp(Bmp(24, width, std::move(rows)));
}

// A 32-bit bitmap with channel masks in the long header.
inline Bytes MaskedBmp32(int width, std::vector<Bytes> rows, const DWORD (&masks)[4])
{
    BmpContent s = Bmp(32, width, std::move(rows));
    s.compression = 3;
    s.headerSize = 108;
    std::copy(masks, masks + 4, s.masks);
    return BuildBmp(s);
}

// An uncompressed 32-bit Targa image, top row first, texels 0xAARRGGBB.
inline Bytes BuildTga32(int width, int height, const std::vector<DWORD>& argb)
{
    Bytes out{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put(out, static_cast<DWORD>(width), 2);
    Put(out, static_cast<DWORD>(height), 2);
    // 32 bits a texel; eight alpha bits with the origin at the top left.
    out.insert(out.end(), {32, 0x28});
    for (DWORD c : argb) {
        Put(out, c, 4);
    }
    return out;
}
