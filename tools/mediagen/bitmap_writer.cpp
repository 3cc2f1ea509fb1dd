// SPDX-License-Identifier: GPL-3.0-or-later
// The 24-bit bitmap encoder.
#include "tools/mediagen/bitmap_writer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
// 72 dots per inch, the customary resolution field of a bitmap.
constexpr std::uint32_t kPixelsPerMetre = 2835;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFFu);
    Put16(out, value >> 16);
}

} // namespace

std::uint8_t QuantiseChannel(float value)
{
    if (!(value > 0.0f)) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::lround(std::min(value, 1.0f) * 255.0f));
}

std::vector<std::uint8_t> EncodeBmp24(const Image& image)
{
    if (image.width <= 0 || image.height <= 0) {
        return {};
    }
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t stride = (width * 3u + 3u) & ~3u;
    const std::uint32_t pixelBytes = stride * height;
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;

    std::vector<std::uint8_t> out;
    out.reserve(offset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + pixelBytes);
    Put32(out, 0);
    Put32(out, offset);

    Put32(out, kInfoHeaderSize);
    Put32(out, width);
    // A positive height: rows are stored bottom-up.
    Put32(out, height);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, kPixelsPerMetre);
    Put32(out, kPixelsPerMetre);
    Put32(out, 0);
    Put32(out, 0);

    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Texel& t = image.At(x, y);
            out.push_back(QuantiseChannel(t.b));
            out.push_back(QuantiseChannel(t.g));
            out.push_back(QuantiseChannel(t.r));
        }
        out.resize(out.size() + (stride - width * 3u), 0);
    }
    return out;
}
