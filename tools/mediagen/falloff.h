// SPDX-License-Identifier: GPL-3.0-or-later
// Smooth shapes the pictures are built from: bell curves, a window that reaches black at the edge,
// and a sampler that averages a grey function over each pixel.
#pragma once

#include <algorithm>
#include <cmath>

#include "tools/mediagen/image.h"

inline float Bell(float r, float width)
{
    const float q = r / width;
    return std::exp(-q * q);
}

// 1 at the centre, falling smoothly to exactly 0 at r = 1 and beyond, with a flat slope there.
inline float EdgeWindow(float r)
{
    if (r >= 1.0f) {
        return 0.0f;
    }
    const float s = 1.0f - r * r;
    return s * s;
}

inline float SmoothStep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// A grey picture of the given size from grey(x, y), where x runs right and y down from -1 to 1 across
// the picture (the centre at 0, 0). Each pixel averages 4 x 4 samples, so thin shapes do not alias.
template <typename GreyFunction>
Image DrawGrey(int width, int height, GreyFunction grey)
{
    constexpr int kSamples = 4;
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / kSamples;
                    const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / kSamples;
                    sum += grey(2.0f * px / static_cast<float>(width) - 1.0f,
                                2.0f * py / static_cast<float>(height) - 1.0f);
                }
            }
            SetGrey(image, x, y, std::clamp(sum / (kSamples * kSamples), 0.0f, 1.0f));
        }
    }
    return image;
}
