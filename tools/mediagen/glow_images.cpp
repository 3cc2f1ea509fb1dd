// SPDX-License-Identifier: GPL-3.0-or-later
// The glow pictures, each a sum of bell curves shaped to black at the border.
#include "tools/mediagen/glow_images.h"

#include <cmath>
#include <vector>

#include "tools/mediagen/falloff.h"
#include "tools/mediagen/media_random.h"

namespace {

constexpr int kGlowSide = 64;
constexpr int kFlashSide = 128;

float Radius(float x, float y)
{
    return std::sqrt(x * x + y * y);
}

// One ray along the a axis, b across it: bright at the centre, thinning and fading to nothing at
// |a| = length.
float Ray(float a, float b, float length, float width)
{
    const float t = std::fabs(a) / length;
    if (t >= 1.0f) {
        return 0.0f;
    }
    const float fade = (1.0f - t) * std::sqrt(1.0f - t);
    return fade * Bell(b, width * (1.0f - 0.7f * t));
}

} // namespace

Image DrawStarImage()
{
    return DrawGrey(kGlowSide, kGlowSide, [](float x, float y) {
        const float r = Radius(x, y);
        return (1.1f * Bell(r, 0.11f) + 0.45f * Bell(r, 0.32f)) * EdgeWindow(r);
    });
}

Image DrawLaunchImage()
{
    return DrawGrey(kGlowSide, kGlowSide, [](float x, float y) {
        // Three times as tall as wide.
        const float r = Radius(x * 3.0f, y);
        return (1.0f * Bell(r, 0.3f) + 0.4f * Bell(r, 0.6f)) * EdgeWindow(r);
    });
}

Image DrawShineImage()
{
    return DrawGrey(kGlowSide, kGlowSide, [](float x, float y) {
        const float r = Radius(x, y);
        return (0.9f * Bell(r, 0.2f) + 0.45f * Bell(r, 0.5f)) * EdgeWindow(r);
    });
}

Image DrawShine2Image()
{
    return DrawGrey(kGlowSide, kGlowSide, [](float x, float y) {
        const float r = Radius(x, y);
        const float core = 1.2f * Bell(r, 0.09f) + 0.3f * Bell(r, 0.28f);
        const float upright = 1.3f * (Ray(x, y, 1.0f, 0.045f) + Ray(y, x, 1.0f, 0.045f));
        const float u = (x + y) * 0.70710678f;
        const float v = (x - y) * 0.70710678f;
        const float diagonal = 0.55f * (Ray(u, v, 0.7f, 0.035f) + Ray(v, u, 0.7f, 0.035f));
        // The rays end inside the border already; the window only dims the corners of the halo.
        const float window = 1.0f - SmoothStep(0.85f, 1.0f, r);
        return (core + upright + diagonal) * window;
    });
}

Image DrawLightImage()
{
    return DrawGrey(kFlashSide, kFlashSide, [](float x, float y) {
        const float r = Radius(x, y);
        return (0.75f * Bell(r, 0.55f) + 0.3f * Bell(r, 0.16f)) * EdgeWindow(r);
    });
}

Image DrawRandomImage()
{
    struct Speckle {
        float x;
        float y;
        float size;
        float brightness;
    };
    constexpr int kSpeckles = 56;
    MediaRandom random(0x5EC1u);
    std::vector<Speckle> speckles;
    for (int i = 0; i < kSpeckles; ++i) {
        speckles.push_back({random.Range(-1.0f, 1.0f), random.Range(-1.0f, 1.0f), random.Range(0.025f, 0.07f),
                            random.Range(0.35f, 1.0f)});
    }
    return DrawGrey(kGlowSide, kGlowSide, [&speckles](float x, float y) {
        float sum = 0.0f;
        for (const Speckle& s : speckles) {
            // Distances wrap around the picture (period 2), so it tiles without seams.
            float dx = std::fabs(x - s.x);
            float dy = std::fabs(y - s.y);
            dx = std::fmin(dx, 2.0f - dx);
            dy = std::fmin(dy, 2.0f - dy);
            sum += s.brightness * Bell(Radius(dx, dy), s.size);
        }
        return sum;
    });
}
