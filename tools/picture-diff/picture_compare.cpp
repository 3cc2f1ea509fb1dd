// SPDX-License-Identifier: GPL-3.0-or-later
// Absolute differences by channel, and SSIM on 8 × 8 windows of luma with the usual constants.
#include "picture_compare.h"

#include <array>
#include <cstddef>

namespace {

std::vector<double> Luma(const Picture& picture)
{
    std::vector<double> luma(static_cast<std::size_t>(picture.width) * picture.height);
    for (std::size_t i = 0; i < luma.size(); ++i) {
        const std::uint8_t* p = &picture.rgb[3 * i];
        luma[i] = 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
    return luma;
}

} // namespace

PictureDifference ComparePictures(const Picture& reference, const Picture& other)
{
    PictureDifference result;
    const std::size_t pixels = static_cast<std::size_t>(reference.width) * reference.height;
    if (pixels == 0) {
        return result;
    }
    for (int c = 0; c < 3; ++c) {
        std::array<std::size_t, 256> histogram{};
        double sum = 0.0;
        for (std::size_t i = 0; i < pixels; ++i) {
            const int d = reference.rgb[3 * i + c] - other.rgb[3 * i + c];
            const int a = d < 0 ? -d : d;
            ++histogram[a];
            sum += a;
        }
        result.meanAbs[c] = sum / static_cast<double>(pixels);
        // The smallest difference that at least 99 % of the pixels stay within.
        std::size_t seen = 0;
        for (int a = 0; a < 256; ++a) {
            seen += histogram[a];
            if (static_cast<double>(seen) >= 0.99 * static_cast<double>(pixels)) {
                result.p99Abs[c] = a;
                break;
            }
        }
    }
    const std::vector<double> x = Luma(reference);
    const std::vector<double> y = Luma(other);
    constexpr int Window = 8;
    constexpr double C1 = (0.01 * 255) * (0.01 * 255);
    constexpr double C2 = (0.03 * 255) * (0.03 * 255);
    double total = 0.0;
    int windows = 0;
    for (int top = 0; top + Window <= reference.height; top += Window / 2) {
        for (int left = 0; left + Window <= reference.width; left += Window / 2) {
            double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
            for (int v = top; v < top + Window; ++v) {
                for (int u = left; u < left + Window; ++u) {
                    const std::size_t i = static_cast<std::size_t>(v) * reference.width + u;
                    sx += x[i];
                    sy += y[i];
                    sxx += x[i] * x[i];
                    syy += y[i] * y[i];
                    sxy += x[i] * y[i];
                }
            }
            constexpr double n = Window * Window;
            const double mx = sx / n;
            const double my = sy / n;
            const double vx = sxx / n - mx * mx;
            const double vy = syy / n - my * my;
            const double cxy = sxy / n - mx * my;
            total += ((2 * mx * my + C1) * (2 * cxy + C2)) / ((mx * mx + my * my + C1) * (vx + vy + C2));
            ++windows;
        }
    }
    result.ssim = windows > 0 ? total / windows : 1.0;
    return result;
}
