// SPDX-License-Identifier: GPL-3.0-or-later
// How far one picture is from another: per-channel absolute differences (mean and 99th percentile)
// and the structural similarity of their luma.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Eight-bit RGB pixels, rows top first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

struct PictureDifference {
    // Per channel R, G, B, in levels of 255.
    double meanAbs[3] = {};
    int p99Abs[3] = {};
    // Mean SSIM of the luma over 8 × 8 windows (1 for identical pictures).
    double ssim = 1.0;
};

// The pictures must have the same size.
PictureDifference ComparePictures(const Picture& reference, const Picture& other);
