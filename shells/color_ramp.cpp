// SPDX-License-Identifier: GPL-3.0-or-later
// Colour ramp evaluation and the preset tables.
#include "shells/color_ramp.h"

#include <cmath>
#include <cstring>

ColorRamp BotanRamps[RampPresetCount];
ColorRamp KikuRamps[RampPresetCount];

void ColorRamp::AddKey(float position, const RGBA& color, float size, float trail)
{
    if (keyCount >= MaxKeys) {
        return;
    }
    keys[keyCount] = ColorKey{color, size, trail, position};
    ++keyCount;
}

void ColorRamp::Evaluate(float x, RGBA* outColor, float* outSize, float* outTrail) const
{
    if (x < 0.0f || std::isnan(x)) {
        x = 0.0f;
    } else if (x > 1.0f) {
        x = 1.0f;
    }
    // The first segment that holds x wins, so an interior key is read from the segment ending there.
    int i = 0;
    while (i < keyCount - 1 && !(keys[i].position <= x && x <= keys[i + 1].position)) {
        ++i;
    }
    if (i >= keyCount - 1) {
        return;
    }
    const ColorKey& a = keys[i];
    const ColorKey& b = keys[i + 1];
    const float span = b.position - a.position;
    // Two keys at one position: the later key holds from there on.
    const float f = span > 0.0f ? (x - a.position) / span : 1.0f;
    if (outColor != nullptr) {
        outColor->r = a.color.r + f * (b.color.r - a.color.r);
        outColor->g = a.color.g + f * (b.color.g - a.color.g);
        outColor->b = a.color.b + f * (b.color.b - a.color.b);
        outColor->a = a.color.a + f * (b.color.a - a.color.a);
    }
    if (outSize != nullptr) {
        *outSize = (1.0f - f) * a.size + f * b.size;
    }
    if (outTrail != nullptr) {
        *outTrail = (1.0f - f) * a.trail + f * b.trail;
    }
}

void ColorRamp::SetName(const char* text)
{
    std::strncpy(name, text, sizeof(name) - 1);
    name[sizeof(name) - 1] = '\0';
}

namespace {

struct RampPreset {
    const char* name;
    RGBA colors[4];
};

// Key positions, sizes and trails shared by each family.
constexpr float BotanPositions[4] = {0.0f, 0.8f, 0.9f, 1.0f};
constexpr float BotanSizes[4] = {0.01f, 0.2f, 0.3f, 0.01f};
constexpr float BotanTrails[4] = {0.0f, 0.0f, 0.0f, 0.0f};
constexpr float KikuPositions[4] = {0.0f, 0.5f, 0.9f, 1.0f};
constexpr float KikuSizes[4] = {0.02f, 0.02f, 0.02f, 0.015f};
constexpr float KikuTrails[4] = {1.0f, 0.8f, 0.6f, 0.5f};

constexpr RampPreset BotanPresets[RampPresetCount] = {
    {"Botan_White_Yellow", {{1, 1, 1, 1}, {1, 0.8f, 0.5f, 1}, {1, 1, 0.8f, 1}, {0.5f, 0.5f, 0, 1}}},
    {"Botan_Green_Blue", {{0, 1, 0, 1}, {0, 0.5f, 1, 1}, {0.8f, 0.8f, 1, 1}, {0, 0, 0.5f, 1}}},
    {"Botan_Yellow_Red", {{1, 1, 0, 1}, {1, 0.2f, 0, 1}, {1, 0.8f, 0.8f, 1}, {0.5f, 0, 0, 1}}},
    {"Botan_Mazenta_Cyan", {{1, 0, 1, 1}, {0, 1, 1, 1}, {0.8f, 1, 1, 1}, {0, 0.5f, 0.5f, 1}}},
    {"Botan_Red_White", {{1, 0, 0, 1}, {1, 0.8f, 0.5f, 1}, {1, 1, 1, 1}, {0.5f, 0.5f, 0, 1}}},
    {"Botan_Blue_Green", {{0, 0.5f, 1, 1}, {0.3f, 1, 0.3f, 1}, {0.8f, 1, 0.8f, 1}, {0, 0.5f, 0, 1}}},
    {"Botan_Cyan_Yellow", {{0, 1, 1, 1}, {1, 1, 0.5f, 1}, {1, 1, 0.8f, 1}, {0.5f, 0.5f, 0, 1}}},
    {"Botan_Green_Yellow", {{0, 1, 0, 1}, {1, 1, 0.5f, 1}, {1, 1, 0.8f, 1}, {0.5f, 0.5f, 0, 1}}},
    {"Botan_Yellow_Cyan", {{1, 1, 0, 1}, {1, 1, 1, 1}, {0.8f, 1, 1, 1}, {0, 0.5f, 0.5f, 1}}},
    {"Botan_Blue_Red", {{0, 0, 1, 1}, {1, 0.4f, 0.2f, 1}, {0.8f, 0.3f, 0.1f, 1}, {0.8f, 0, 0, 1}}},
};

constexpr RampPreset KikuPresets[RampPresetCount] = {
    {"Kiku_White_Yellow", {{1, 1, 1, 0.8f}, {1, 0.9f, 0.7f, 0.8f}, {1, 1, 0.5f, 1}, {1, 1, 0.5f, 0}}},
    {"Kiku_Green_Blue", {{0.3f, 1, 0.3f, 0.8f}, {0.2f, 0.8f, 0.5f, 0.8f}, {0, 0, 1, 0.8f}, {0, 0, 1, 0}}},
    {"Kiku_Yellow_Red", {{1, 1, 0.5f, 0.8f}, {1, 0.8f, 0.3f, 0.8f}, {1, 0.3f, 0.3f, 0.8f}, {1, 0, 0, 0}}},
    {"Kiku_Mazenta_Cyan", {{1, 0.5f, 1, 0.8f}, {1, 0.5f, 1, 0.8f}, {0.5f, 1, 1, 0.8f}, {0, 1, 1, 0}}},
    {"Kiku_Red_White", {{1, 0.2f, 0.2f, 0.8f}, {1, 0.5f, 0.5f, 0.8f}, {1, 1, 1, 0.8f}, {1, 1, 1, 0}}},
    {"Kiku_Blue_Green", {{0, 0.2f, 1, 0.8f}, {0.3f, 0.5f, 1, 0.8f}, {0.5f, 1, 0.5f, 0.8f}, {0, 1, 0, 0}}},
    {"Kiku_Cyan_Yellow", {{0, 1, 1, 0.8f}, {0.5f, 1, 0.8f, 0.8f}, {1, 1, 0.4f, 0.8f}, {1, 1, 0, 0}}},
    {"Kiku_Green_Yellow", {{0, 1, 0, 0.8f}, {0.5f, 1, 0.5f, 0.8f}, {1, 1, 0.4f, 0.8f}, {1, 1, 0, 0}}},
    {"Kiku_Yellow_Cyan", {{1, 1, 0, 0.8f}, {1, 1, 0.5f, 0.8f}, {0.5f, 1, 1, 0.8f}, {0, 1, 1, 0}}},
    {"Kiku_Blue_Red", {{0, 0, 1, 0.8f}, {0.5f, 0.5f, 1, 0.8f}, {1, 0.4f, 0.2f, 0.8f}, {1, 0.4f, 0.2f, 0}}},
};

void BuildFamily(ColorRamp* ramps, const RampPreset* presets, const float* positions, const float* sizes,
                 const float* trails)
{
    for (int i = 0; i < RampPresetCount; ++i) {
        ramps[i] = ColorRamp{};
        ramps[i].SetName(presets[i].name);
        for (int k = 0; k < 4; ++k) {
            ramps[i].AddKey(positions[k], presets[i].colors[k], sizes[k], trails[k]);
        }
    }
}

} // namespace

void BuildColorRamps()
{
    BuildFamily(BotanRamps, BotanPresets, BotanPositions, BotanSizes, BotanTrails);
    BuildFamily(KikuRamps, KikuPresets, KikuPositions, KikuSizes, KikuTrails);
}
