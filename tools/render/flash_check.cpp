// SPDX-License-Identifier: GPL-3.0-or-later
// Counting general and red flashes pixel by pixel over a sliding second, and the worst second's report.
#include "tools/render/flash_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

// A general transition changes relative luminance by a tenth of its maximum, with the darker side
// below 0.8; a red one changes (R - G - B) x 320 of the linear channels by more than 20.
constexpr float kLuminanceChange = 0.1f;
constexpr float kDarkerBelow = 0.8f;
constexpr float kRedChange = 20.0f;
constexpr float kRedScale = 320.0f;
// Saturated red: R / (R + G + B) of the linear channels at least this.
constexpr float kRedShare = 0.8f;

// sRGB's 8-bit levels as linear light.
const std::array<float, 256>& LinearLevels()
{
    static const std::array<float, 256> levels = [] {
        std::array<float, 256> table{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            table[static_cast<std::size_t>(i)] =
                static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return table;
    }();
    return levels;
}

// Follows a pixel's value: +1 or -1 when it has moved threshold or more against its last turn (a
// transition, `from` the value it left), 0 while it goes on the same way or moves less.
template <typename Track>
int Follow(Track& track, float value, float threshold, float& from)
{
    if ((track.direction > 0 && value >= track.extreme) || (track.direction < 0 && value <= track.extreme)) {
        track.extreme = value;
        return 0;
    }
    const float change = value - track.extreme;
    if (std::fabs(change) < threshold) {
        return 0;
    }
    from = track.extreme;
    track.direction = change > 0.0f ? 1 : -1;
    track.extreme = value;
    return track.direction;
}

std::string Count(int flashes)
{
    return flashes >= kFlashCountCap ? std::to_string(kFlashCountCap) + " or more" : std::to_string(flashes);
}

std::string Line(const char* kind, const FlashWorst& wcag, const FlashWorst& quarter)
{
    char text[256];
    const auto where = [](const FlashWorst& worst) {
        char at[64] = "";
        if (worst.flashes > 0) {
            std::snprintf(at, sizeof at, " from %.2f to %.2f s", std::max(0.0, worst.endTime - 1.0), worst.endTime);
        }
        return std::string(at);
    };
    std::snprintf(text, sizeof text, "  %s flashes: %s%s over %.1f%% of the frame, %s%s over a quarter of it\n", kind,
                  Count(wcag.flashes).c_str(), where(wcag).c_str(), 100.0 * kWcagFlashArea,
                  Count(quarter.flashes).c_str(), where(quarter).c_str());
    return text;
}

} // namespace

FlashCounter::FlashCounter(int width_, int height_, double framesPerSecond)
    : width(width_), height(height_), window(std::max(1, static_cast<int>(std::lround(framesPerSecond)))),
      general(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)),
      red(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_))
{
    report.framesPerSecond = framesPerSecond;
}

void FlashCounter::Push(Track& track) const
{
    constexpr int capacity = 2 * kFlashCountCap;
    if (track.count == capacity) {
        track.first = static_cast<std::uint8_t>((track.first + 1) % capacity);
        --track.count;
    }
    track.frames[(track.first + track.count) % capacity] = frame;
    ++track.count;
}

void FlashCounter::Expire(Track& track) const
{
    constexpr int capacity = 2 * kFlashCountCap;
    // Every track is looked at every frame, so no frame number is older than the window plus one.
    while (track.count > 0 && static_cast<std::uint16_t>(frame - track.frames[track.first]) >= window) {
        track.first = static_cast<std::uint8_t>((track.first + 1) % capacity);
        --track.count;
    }
}

FlashWorst FlashCounter::Worst(const int* histogram, double area, double time, FlashWorst worst)
{
    // The most flashes that at least `area` pixels reach in this window.
    double covered = 0.0;
    for (int flashes = kFlashCountCap; flashes > worst.flashes; --flashes) {
        covered += histogram[flashes];
        if (covered >= area) {
            return FlashWorst{flashes, time};
        }
    }
    return worst;
}

void FlashCounter::AddFrame(const std::uint8_t* pixels, std::ptrdiff_t pitch, double time)
{
    const std::array<float, 256>& linear = LinearLevels();
    // A red change must exceed 20; a luminance change may equal its tenth.
    const float redThreshold = std::nextafter(kRedChange, 2.0f * kRedChange);
    int generalFlashes[kFlashCountCap + 1] = {};
    int redFlashes[kFlashCountCap + 1] = {};
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(pixels + y * pitch);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t word = row[x];
            const float r = linear[(word >> 16) & 0xFF];
            const float g = linear[(word >> 8) & 0xFF];
            const float b = linear[word & 0xFF];
            const float luminance = 0.2126f * r + 0.7152f * g + 0.0722f * b;
            const float redness = std::max(0.0f, r - g - b) * kRedScale;
            const bool saturated = r > 0.0f && r >= kRedShare * (r + g + b);
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(x);
            Track& light = general[at];
            Track& tint = red[at];
            if (!started) {
                light.extreme = luminance;
                tint.extreme = redness;
                tint.extremeRed = saturated;
                continue;
            }
            float from = 0.0f;
            if (Follow(light, luminance, kLuminanceChange, from) != 0 && std::min(from, luminance) < kDarkerBelow) {
                Push(light);
            }
            Expire(light);
            ++generalFlashes[std::min(light.count / 2, kFlashCountCap)];

            // The redder side of a red transition must be saturated red.
            const bool wasRed = tint.extremeRed;
            const int turn = Follow(tint, redness, redThreshold, from);
            if ((turn > 0 && saturated) || (turn < 0 && wasRed)) {
                Push(tint);
            }
            if (tint.extreme == redness) {
                tint.extremeRed = saturated;
            }
            Expire(tint);
            ++redFlashes[std::min(tint.count / 2, kFlashCountCap)];
        }
    }
    if (started) {
        const double pixelsInFrame = static_cast<double>(width) * static_cast<double>(height);
        const double wcag = std::max(1.0, std::ceil(kWcagFlashArea * pixelsInFrame));
        const double quarter = std::max(1.0, std::ceil(0.25 * pixelsInFrame));
        report.general = Worst(generalFlashes, wcag, time, report.general);
        report.generalQuarter = Worst(generalFlashes, quarter, time, report.generalQuarter);
        report.red = Worst(redFlashes, wcag, time, report.red);
        report.redQuarter = Worst(redFlashes, quarter, time, report.redQuarter);
    }
    started = true;
    ++frame;
}

std::string FlashReportText(const FlashReport& report)
{
    char head[256];
    std::snprintf(head, sizeof head,
                  "flash check (WCAG 2.3.1, %.0f frames a second): %s; more than %d flashes in a second over "
                  "%.1f%% of the frame fail\n",
                  report.framesPerSecond, report.Passes() ? "passes" : "FAILS", kMaxFlashesPerSecond,
                  100.0 * kWcagFlashArea);
    return head + Line("general", report.general, report.generalQuarter) +
           Line("red", report.red, report.redQuarter);
}
