// SPDX-License-Identifier: GPL-3.0-or-later
// Colour ramps: interpolation, clamping, partial outputs, capacity and the presets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "shells/color_ramp.h"

namespace {

class ColorRampTest : public ::testing::Test {
protected:
    void SetUp() override { BuildColorRamps(); }
};

void ExpectColor(const RGBA& c, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

} // namespace

TEST_F(ColorRampTest, PresetsHaveTheirNamesAndFourKeysCoveringTheLife)
{
    EXPECT_STREQ(BotanRamps[0].name, "Botan_White_Yellow");
    EXPECT_STREQ(BotanRamps[9].name, "Botan_Blue_Red");
    EXPECT_STREQ(KikuRamps[3].name, "Kiku_Mazenta_Cyan");
    for (int i = 0; i < RampPresetCount; ++i) {
        for (const ColorRamp* ramp : {&BotanRamps[i], &KikuRamps[i]}) {
            ASSERT_EQ(ramp->keyCount, 4) << ramp->name;
            EXPECT_EQ(ramp->keys[0].position, 0.0f);
            EXPECT_EQ(ramp->keys[3].position, 1.0f);
        }
    }
    // Only the white-yellow chrysanthemum keeps full alpha at its third key.
    EXPECT_EQ(KikuRamps[0].keys[2].color.a, 1.0f);
    EXPECT_EQ(KikuRamps[1].keys[2].color.a, 0.8f);
}

TEST_F(ColorRampTest, InterpolatesBetweenKeysAndReadsInteriorKeysExactly)
{
    RGBA color{};
    float size = 0.0f;
    float trail = -1.0f;
    BotanRamps[0].Evaluate(0.85f, &color, &size, &trail);
    ExpectColor(color, 1.0f, 0.9f, 0.65f, 1.0f);
    EXPECT_NEAR(size, 0.25f, 1e-6f);
    EXPECT_FLOAT_EQ(trail, 0.0f);

    KikuRamps[9].Evaluate(0.5f, &color, &size, &trail);
    ExpectColor(color, 0.5f, 0.5f, 1.0f, 0.8f);
    EXPECT_FLOAT_EQ(size, 0.02f);
    EXPECT_FLOAT_EQ(trail, 0.8f);
}

TEST_F(ColorRampTest, ClampsOutOfRangeAndNotANumberPositions)
{
    const ColorRamp& ramp = KikuRamps[2];
    RGBA color{};
    float size = 0.0f;
    ramp.Evaluate(-0.5f, &color, &size, nullptr);
    ExpectColor(color, 1.0f, 1.0f, 0.5f, 0.8f);
    EXPECT_FLOAT_EQ(size, 0.02f);
    ramp.Evaluate(7.0f, &color, &size, nullptr);
    ExpectColor(color, 1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(size, 0.015f);
    ramp.Evaluate(std::numeric_limits<float>::quiet_NaN(), &color, nullptr, nullptr);
    ExpectColor(color, 1.0f, 1.0f, 0.5f, 0.8f);
}

TEST_F(ColorRampTest, WritesOnlyTheOutputsGivenAndNoneWithoutASegment)
{
    float size = 0.0f;
    BotanRamps[1].Evaluate(0.0f, nullptr, &size, nullptr);
    EXPECT_FLOAT_EQ(size, 0.01f);

    ColorRamp single;
    single.AddKey(0.0f, RGBA{1, 1, 1, 1}, 3.0f, 3.0f);
    RGBA untouched{9, 9, 9, 9};
    float untouchedSize = 9.0f;
    single.Evaluate(0.0f, &untouched, &untouchedSize, nullptr);
    ExpectColor(untouched, 9, 9, 9, 9);
    EXPECT_EQ(untouchedSize, 9.0f);

    // Keys that do not reach x leave the outputs alone as well.
    ColorRamp partial;
    partial.AddKey(0.2f, RGBA{1, 0, 0, 1}, 1.0f, 0.0f);
    partial.AddKey(0.6f, RGBA{0, 1, 0, 1}, 2.0f, 0.0f);
    partial.Evaluate(0.9f, &untouched, nullptr, nullptr);
    ExpectColor(untouched, 9, 9, 9, 9);
}

TEST_F(ColorRampTest, IgnoresKeysBeyondEightAndCopiesWhole)
{
    ColorRamp ramp;
    ramp.SetName("Test_Ramp");
    for (int i = 0; i < 8; ++i) {
        ramp.AddKey(static_cast<float>(i) / 7.0f, RGBA{0, 0, 0, 1}, static_cast<float>(i), 0.0f);
    }
    ColorRamp before = ramp;
    ramp.AddKey(1.0f, RGBA{1, 1, 1, 1}, 99.0f, 99.0f);
    EXPECT_EQ(ramp.keyCount, 8);
    EXPECT_EQ(std::memcmp(&before, &ramp, sizeof(ColorRamp)), 0);
    EXPECT_STREQ(before.name, "Test_Ramp");
    EXPECT_EQ(before.keys[7].size, 7.0f);
}

TEST_F(ColorRampTest, EqualKeyPositionsDoNotDivideByZero)
{
    // x = 0 falls into the zero-width first segment; the later key holds there.
    ColorRamp ramp;
    ramp.AddKey(0.0f, RGBA{1, 0, 0, 1}, 1.0f, 0.0f);
    ramp.AddKey(0.0f, RGBA{0, 1, 0, 1}, 2.0f, 0.0f);
    ramp.AddKey(1.0f, RGBA{0, 0, 1, 1}, 4.0f, 0.0f);
    RGBA color{};
    float size = 0.0f;
    ramp.Evaluate(0.0f, &color, &size, nullptr);
    ExpectColor(color, 0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(size, 2.0f);
}

TEST_F(ColorRampTest, BuildingTwiceGivesTheSamePresets)
{
    const ColorRamp first = KikuRamps[4];
    BuildColorRamps();
    EXPECT_EQ(KikuRamps[4].keyCount, 4);
    EXPECT_EQ(std::memcmp(&first, &KikuRamps[4], sizeof(ColorRamp)), 0);
}
