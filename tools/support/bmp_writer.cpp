// SPDX-License-Identifier: GPL-3.0-or-later
// Test bitmaps, encoded by the media generator's bitmap writer.
#include "tools/support/bmp_writer.h"

#include <fstream>
#include <vector>

#include "tools/mediagen/bitmap_writer.h"

bool WriteBmp24Data(const std::string& path, int width, int height, const std::uint32_t* rgbTopDown)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = rgbTopDown[static_cast<std::size_t>(y) * width + x];
            image.At(x, y) = Texel{static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
                                   static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
                                   static_cast<float>(rgb & 0xFF) / 255.0f};
        }
    }
    const std::vector<std::uint8_t> bytes = EncodeBmp24(image);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return !bytes.empty() && static_cast<bool>(file);
}

bool WriteEffectTextures(const std::string& folder)
{
    const char* names[] = {"Star.bmp", "Launch.bmp", "Shine.bmp", "Shine2.bmp", "Random.bmp", "Smoke.bmp", "Light.bmp"};
    bool ok = true;
    for (const char* name : names) {
        ok = WriteBmp24(folder + "/" + name, 8, 8, [](int x, int y) { return static_cast<std::uint32_t>(0x102030 + x + 16 * y); }) && ok;
    }
    return ok;
}
