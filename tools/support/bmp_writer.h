// SPDX-License-Identifier: GPL-3.0-or-later
// Writes small uncompressed 24-bit bitmap files for tests and benchmarks that need media on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixel(x, y) gives 0xRRGGBB for the pixel at column x of row y, row 0 at the top. False on I/O failure.
template <typename PixelFunction>
bool WriteBmp24(const std::string& path, int width, int height, PixelFunction pixel);

// The seven effect textures as solid 8x8 images in the given folder.
bool WriteEffectTextures(const std::string& folder);

bool WriteBmp24Data(const std::string& path, int width, int height, const std::uint32_t* rgbTopDown);

template <typename PixelFunction>
bool WriteBmp24(const std::string& path, int width, int height, PixelFunction pixel)
{
    std::vector<std::uint32_t> data(static_cast<std::size_t>(width) * height, 0u);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            data[static_cast<std::size_t>(y) * width + x] = pixel(x, y);
        }
    }
    return WriteBmp24Data(path, width, height, data.data());
}
