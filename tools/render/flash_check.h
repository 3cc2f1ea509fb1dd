// SPDX-License-Identifier: GPL-3.0-or-later
// Photosensitive flashes in rendered frames, counted as WCAG 2.3.1 reads them: per pixel, opposing
// changes of relative luminance (general flashes) and of saturated red (red flashes), a pair of them a
// flash, gathered over every one-second window and over the area of the frame they cover.
//
// The reading: a transition is a move of the threshold or more from the pixel's last extreme against
// its last direction (luminance of linear sRGB: 0.1, the darker side below 0.8; red: (R - G - B) x 320
// of the linear channels, clamped at 0, by more than 20, the redder side with R / (R + G + B) >= 0.8).
// A second's count over an area is the most flashes that many pixels, anywhere in the frame, each
// reach in that second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A quarter of a 10-degree field: a quarter of 341 x 256 pixels on a 1024 x 768 screen, as a share of
// the frame (about 2.8 %), taken at any frame size.
constexpr double kWcagFlashArea = 0.25 * 341.0 * 256.0 / (1024.0 * 768.0);
// More flashes than this in one second over that area fail.
constexpr int kMaxFlashesPerSecond = 3;
// A pixel's flashes are counted up to this many a second; more are reported as this many.
constexpr int kFlashCountCap = 8;

// The worst one-second window of one kind of flash over one area.
struct FlashWorst {
    int flashes = 0;
    // The window ends with the frame of this time.
    double endTime = 0.0;
};

struct FlashReport {
    FlashWorst general;
    FlashWorst generalQuarter;
    FlashWorst red;
    FlashWorst redQuarter;
    double framesPerSecond = 0.0;

    bool Passes() const { return general.flashes <= kMaxFlashesPerSecond && red.flashes <= kMaxFlashesPerSecond; }
};

class FlashCounter {
public:
    // Frames of width x height pixels, framesPerSecond of them to a second of the show.
    FlashCounter(int width, int height, double framesPerSecond);

    // The next frame: rows of X8R8G8B8 words, top first, pitch bytes apart, shown at time.
    void AddFrame(const std::uint8_t* pixels, std::ptrdiff_t pitch, double time);
    const FlashReport& Report() const { return report; }

private:
    // One quantity at one pixel: its last turning point and the frames of its recent transitions.
    struct Track {
        float extreme = 0.0f;
        std::int8_t direction = 0;
        // Saturated red at the extreme (red flashes only).
        bool extremeRed = false;
        std::uint8_t first = 0;
        std::uint8_t count = 0;
        std::uint16_t frames[2 * kFlashCountCap] = {};
    };

    void Push(Track& track) const;
    void Expire(Track& track) const;
    static FlashWorst Worst(const int* histogram, double area, double time, FlashWorst worst);

    int width;
    int height;
    int window;
    std::uint16_t frame = 0;
    bool started = false;
    std::vector<Track> general;
    std::vector<Track> red;
    FlashReport report;
};

// The report as a short block for standard output: the verdict, then each kind's worst second.
std::string FlashReportText(const FlashReport& report);
