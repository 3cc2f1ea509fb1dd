// SPDX-License-Identifier: GPL-3.0-or-later
// The ground picture: tiling fractal noise over a dark earth colour.
#include "tools/mediagen/ground_image.h"

#include "tools/mediagen/value_noise.h"

namespace {

constexpr int kGroundSide = 64;
// Noise lattice cells across the picture; the noise wraps at this period, so the picture tiles.
constexpr int kCells = 4;

} // namespace

Image DrawGroundImage()
{
    Image image(kGroundSide, kGroundSide);
    constexpr float kScale = static_cast<float>(kCells) / kGroundSide;
    for (int y = 0; y < kGroundSide; ++y) {
        for (int x = 0; x < kGroundSide; ++x) {
            const float n = FractalNoise(static_cast<float>(x) * kScale, static_cast<float>(y) * kScale, 0x6D0Du, 4,
                                         kCells);
            const float shade = 0.65f + 0.7f * n;
            image.At(x, y) = {0.11f * shade, 0.10f * shade, 0.08f * shade};
        }
    }
    return image;
}
