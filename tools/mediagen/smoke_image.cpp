// SPDX-License-Identifier: GPL-3.0-or-later
// Smoke puffs: a few overlapping soft blobs make each outline, fractal noise makes it cloudy.
#include "tools/mediagen/smoke_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/mediagen/falloff.h"
#include "tools/mediagen/media_random.h"
#include "tools/mediagen/value_noise.h"

namespace {

constexpr int kBlobs = 5;
// The brightest texel of every puff; the smoke pass scales it further by the puff's fading grey.
constexpr float kPeak = 0.9f;

struct Blob {
    float x;
    float y;
    float size;
    float weight;
};

struct PuffShape {
    Blob blobs[kBlobs];
    std::uint32_t noiseSeed;
    float noiseOffsetX;
    float noiseOffsetY;
};

PuffShape MakePuffShape(int index)
{
    MediaRandom random(0x5A0C3u + static_cast<std::uint32_t>(index) * 101u);
    PuffShape shape{};
    for (Blob& b : shape.blobs) {
        const float angle = random.Range(0.0f, 6.2831853f);
        const float distance = random.Range(0.05f, 0.42f);
        b = {distance * std::cos(angle), distance * std::sin(angle), random.Range(0.2f, 0.38f),
             random.Range(0.55f, 1.0f)};
    }
    shape.noiseSeed = random.NextBits();
    shape.noiseOffsetX = random.Range(0.0f, 64.0f);
    shape.noiseOffsetY = random.Range(0.0f, 64.0f);
    return shape;
}

// Unscaled density of one puff at (x, y), both -1..1 across its quarter.
float PuffDensity(const PuffShape& shape, float x, float y)
{
    // Noise bends the coordinates a little, so the outline billows instead of staying round.
    const float warpX = FractalNoise(x * 2.0f + shape.noiseOffsetX, y * 2.0f, shape.noiseSeed + 1u, 3) - 0.5f;
    const float warpY = FractalNoise(x * 2.0f, y * 2.0f + shape.noiseOffsetY, shape.noiseSeed + 2u, 3) - 0.5f;
    const float wx = x + 0.4f * warpX;
    const float wy = y + 0.4f * warpY;

    float body = 0.0f;
    for (const Blob& b : shape.blobs) {
        body += b.weight * Bell(std::hypot(wx - b.x, wy - b.y), b.size);
    }
    const float cloud =
        FractalNoise(x * 2.2f + shape.noiseOffsetX, y * 2.2f + shape.noiseOffsetY, shape.noiseSeed, 4);
    // Clouds thin the body in places and thicken it in others; the window forces black at the edges.
    const float density = (1.0f - std::exp(-1.1f * body)) * (0.2f + 1.2f * cloud * cloud);
    return density * (1.0f - SmoothStep(0.5f, 1.0f, std::hypot(x, y)));
}

} // namespace

Image DrawSmokeImage()
{
    constexpr int kHalf = kSmokeSide / 2;
    Image picture(kSmokeSide, kSmokeSide);
    for (int index = 0; index < 4; ++index) {
        const PuffShape shape = MakePuffShape(index);
        Image puff = DrawGrey(kHalf, kHalf, [&shape](float x, float y) { return PuffDensity(shape, x, y); });
        float brightest = 0.0f;
        for (const Texel& t : puff.texels) {
            brightest = std::max(brightest, t.r);
        }
        const float scale = brightest > 0.0f ? kPeak / brightest : 0.0f;
        const int left = (index & 1) * kHalf;
        const int top = (index >> 1) * kHalf;
        for (int y = 0; y < kHalf; ++y) {
            for (int x = 0; x < kHalf; ++x) {
                SetGrey(picture, left + x, top + y, puff.At(x, y).r * scale);
            }
        }
    }
    return picture;
}
