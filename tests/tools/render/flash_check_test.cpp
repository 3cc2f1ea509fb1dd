// SPDX-License-Identifier: GPL-3.0-or-later
// The flash counter on made-up frames: the three-a-second boundary, alternation at 60 Hz, saturated
// red against other changes, and the area a flash must cover.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/render/flash_check.h"

namespace {

constexpr std::uint32_t Black = 0x000000;
constexpr std::uint32_t Grey = 0x808080;

// Frames of w x h at fps, seconds long; the pixels inside `patch` (x0, y0, x1, y1) switch between
// `off` and `on` hertz times a second, the rest stay off.
FlashReport Flashing(double hertz, std::uint32_t off, std::uint32_t on, double fps = 100.0, int w = 16, int h = 16,
                const int (&patch)[4] = {0, 0, 16, 16}, double seconds = 3.0)
{
    FlashCounter counter(w, h, fps);
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(w * h));
    for (int i = 0; i < static_cast<int>(seconds * fps); ++i) {
        // Two changes a cycle: the state flips every 1 / (2 hertz) seconds.
        const bool lit = static_cast<long long>(i * 2.0 * hertz / fps) % 2 == 1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool inside = x >= patch[0] && x < patch[2] && y >= patch[1] && y < patch[3];
                frame[static_cast<std::size_t>(y * w + x)] = inside && lit ? on : off;
            }
        }
        counter.AddFrame(reinterpret_cast<const std::uint8_t*>(frame.data()), w * 4, i / fps);
    }
    return counter.Report();
}

} // namespace

TEST(FlashCounter, ThreeFlashesASecondPassAndFourFail)
{
    const FlashReport three = Flashing(3.0, Black, Grey);
    EXPECT_EQ(three.general.flashes, 3);
    EXPECT_TRUE(three.Passes());
    const FlashReport four = Flashing(4.0, Black, Grey);
    EXPECT_EQ(four.general.flashes, 4);
    EXPECT_EQ(four.generalQuarter.flashes, 4);
    EXPECT_FALSE(four.Passes());
    // The worst second ends once four flashes have been seen, a second in.
    EXPECT_GT(four.general.endTime, 0.8);
    EXPECT_LT(four.general.endTime, 1.2);
    // A change of less than a tenth of the luminance is no flash, nor one between two bright images.
    EXPECT_EQ(Flashing(10.0, Black, 0x202020).general.flashes, 0);
    EXPECT_EQ(Flashing(10.0, 0xF0F0F0, 0xFFFFFF).general.flashes, 0);
}

TEST(FlashCounter, AlternationAt60HzFails)
{
    const FlashReport report = Flashing(30.0, Black, Grey, 60.0);
    EXPECT_EQ(report.general.flashes, kFlashCountCap);
    EXPECT_FALSE(report.Passes());
}

TEST(FlashCounter, RedFlashesNeedSaturatedRed)
{
    // Two reds less than a tenth of luminance apart: red flashes, no general ones.
    const FlashReport red = Flashing(4.0, 0xC80000, 0xFF0000);
    EXPECT_EQ(red.general.flashes, 0);
    EXPECT_EQ(red.red.flashes, 4);
    EXPECT_FALSE(red.Passes());
    EXPECT_EQ(Flashing(3.0, 0xC80000, 0xFF0000).red.flashes, 3);
    // Pink is no saturated red: general flashes only.
    const FlashReport pink = Flashing(4.0, 0xC86464, 0xFF8080);
    EXPECT_EQ(pink.red.flashes, 0);
    EXPECT_EQ(pink.general.flashes, 4);
}

TEST(FlashCounter, AFlashMustCoverTheWcagArea)
{
    // 100 x 100 frames: the WCAG area is 278 pixels, a quarter 2500.
    const FlashReport small = Flashing(5.0, Black, Grey, 100.0, 100, 100, {0, 0, 25, 10});
    EXPECT_EQ(small.general.flashes, 0);
    EXPECT_TRUE(small.Passes());
    const FlashReport large = Flashing(5.0, Black, Grey, 100.0, 100, 100, {40, 40, 70, 50});
    EXPECT_EQ(large.general.flashes, 5);
    EXPECT_EQ(large.generalQuarter.flashes, 0);
    EXPECT_FALSE(large.Passes());
}
