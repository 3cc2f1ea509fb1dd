// SPDX-License-Identifier: GPL-3.0-or-later
// Value noise: lattice values from the media hash, blended smoothly.
#include "tools/mediagen/value_noise.h"

#include <cmath>

#include "tools/mediagen/media_random.h"

namespace {

float LatticeValue(std::int32_t x, std::int32_t y, std::uint32_t seed, int period)
{
    if (period > 0) {
        x = ((x % period) + period) % period;
        y = ((y % period) + period) % period;
    }
    return static_cast<float>(HashLattice(x, y, seed) >> 8) * (1.0f / 16777215.0f);
}

// The quintic fade keeps the noise's slope continuous across lattice cells (no creases).
float Fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float Mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

} // namespace

float ValueNoise(float x, float y, std::uint32_t seed, int period)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const auto ix = static_cast<std::int32_t>(fx);
    const auto iy = static_cast<std::int32_t>(fy);
    const float tx = Fade(x - fx);
    const float ty = Fade(y - fy);
    const float top = Mix(LatticeValue(ix, iy, seed, period), LatticeValue(ix + 1, iy, seed, period), tx);
    const float bottom =
        Mix(LatticeValue(ix, iy + 1, seed, period), LatticeValue(ix + 1, iy + 1, seed, period), tx);
    return Mix(top, bottom, ty);
}

float FractalNoise(float x, float y, std::uint32_t seed, int octaves, int period)
{
    float sum = 0.0f;
    float weight = 1.0f;
    float total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 7919u, period);
        total += weight;
        weight *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        period = period > 0 ? period * 2 : 0;
    }
    return total > 0.0f ? sum / total : 0.0f;
}
