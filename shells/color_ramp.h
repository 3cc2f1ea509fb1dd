// SPDX-License-Identifier: GPL-3.0-or-later
// Colour ramps: a burst's colour, star size and trail over its life, and the twenty presets.
#pragma once

#include <cstdint>

struct RGBA {
    float r;
    float g;
    float b;
    float a;
};

struct ColorKey {
    RGBA color;
    float size;
    float trail;
    float position;
};

// A plain value, copied whole into every burst. Keys must be added in ascending position.
struct ColorRamp {
    static constexpr int MaxKeys = 8;

    ColorKey keys[MaxKeys];
    std::int32_t keyCount = 0;
    char name[80] = {};

    // Ignored once the ramp holds MaxKeys keys.
    void AddKey(float position, const RGBA& color, float size, float trail);
    // Interpolates at x clamped to 0..1 (NaN reads as 0); writes only the outputs given, and none
    // when no segment holds x (fewer than two keys).
    void Evaluate(float x, RGBA* outColor, float* outSize, float* outTrail) const;
    void SetName(const char* text);
};

constexpr int RampPresetCount = 10;

extern ColorRamp BotanRamps[RampPresetCount];
extern ColorRamp KikuRamps[RampPresetCount];

// Fills the twenty presets; running it again rebuilds the same presets.
void BuildColorRamps();
