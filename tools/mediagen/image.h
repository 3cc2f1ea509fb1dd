// SPDX-License-Identifier: GPL-3.0-or-later
// A picture being drawn: floating-point RGB texels, top row first, values nominally 0..1.
#pragma once

#include <cstddef>
#include <vector>

struct Texel {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Texel> texels;

    Image(int w, int h) : width(w), height(h), texels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}

    Texel& At(int x, int y) { return texels[static_cast<std::size_t>(y) * width + x]; }
    const Texel& At(int x, int y) const { return texels[static_cast<std::size_t>(y) * width + x]; }
};

// Sets texel (x, y) to the grey level value.
inline void SetGrey(Image& image, int x, int y, float value)
{
    image.At(x, y) = {value, value, value};
}
