// A minimal bottom-up 24-bit bitmap writer.
#include "tests/support/bmp_writer.h"

#include <fstream>
#include <vector>

namespace {

void Put16(std::vector<char>& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::vector<char>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

bool WriteBmp24Data(const std::string& path, int width, int height, const std::uint32_t* rgbTopDown)
{
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height);
    std::vector<char> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + imageBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    // Rows are stored bottom-up, blue first, padded to four bytes.
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = rgbTopDown[static_cast<std::size_t>(y) * width + x];
            out.push_back(static_cast<char>(rgb & 0xFF));
            out.push_back(static_cast<char>((rgb >> 8) & 0xFF));
            out.push_back(static_cast<char>((rgb >> 16) & 0xFF));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < rowBytes; ++pad) {
            out.push_back(0);
        }
    }
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
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
