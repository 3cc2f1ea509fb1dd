// SPDX-License-Identifier: GPL-3.0-or-later
// The generated pictures read back through the texture loader with the show's own arguments: the
// bitmap encoding itself, sizes and mip levels, and the looks the effects rely on (grey glows, black
// borders, smooth falloff, rays, four separate smoke puffs).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "d3dx/d3dx_texture.h"
#include "tests/support/recording_device.h"
#include "tools/mediagen/bitmap_writer.h"
#include "tools/mediagen/media_set.h"

namespace {

// Level 0 of a loaded texture as 0xRRGGBB texels, top row first.
struct LoadedPicture {
    HRESULT result = E_FAIL;
    UINT sourceWidth = 0;
    UINT levelCount = 0;
    int width = 0;
    std::vector<std::uint32_t> rgb;

    int Grey(int x, int y) const
    {
        return static_cast<int>((rgb[static_cast<std::size_t>(y) * width + x] >> 8) & 0xFFu);
    }
};

struct PictureCase {
    const char* name;
    UINT mipLevels;
    int side;
};

// The seven effect textures with the mip levels the effects load them with, and the ground.
constexpr PictureCase kPictures[] = {
    {"Star.bmp", 5, 64},   {"Launch.bmp", 5, 64}, {"Shine.bmp", 5, 64}, {"Shine2.bmp", 5, 64},
    {"Random.bmp", 5, 64}, {"Smoke.bmp", 7, 128}, {"Light.bmp", 7, 128}, {"Ground.bmp", D3DX_DEFAULT, 64},
};

const std::string& MediaFolder()
{
    static const std::string folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "fireworks-mediagen-test" / "pictures";
        std::filesystem::remove_all(path);
        std::string error;
        EXPECT_TRUE(WriteMediaSet(path.string(), nullptr, &error)) << error;
        return path.string();
    }();
    return folder;
}

// As the effects load them: default size, the case's mip levels, the file's format, managed pool,
// point filtering with mirroring, no colour key.
LoadedPicture Load(const std::string& name)
{
    const auto* c = std::find_if(std::begin(kPictures), std::end(kPictures),
                                 [&](const PictureCase& p) { return name == p.name; });
    RecordingDevice device;
    LoadedPicture picture;
    D3DXIMAGE_INFO info{};
    IDirect3DTexture8* texture = nullptr;
    const DWORD filter = D3DX_FILTER_POINT | D3DX_FILTER_MIRROR;
    picture.result = D3DXCreateTextureFromFileExA(&device, (MediaFolder() + "/" + name).c_str(), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, c->mipLevels, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                  filter, filter, 0, &info, nullptr, &texture);
    if (FAILED(picture.result)) {
        return picture;
    }
    picture.sourceWidth = info.Width;
    picture.levelCount = texture->GetLevelCount();
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    texture->GetLevelDesc(0, &desc);
    if (desc.Format != D3DFMT_X8R8G8B8 || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        picture.result = E_FAIL;
        texture->Release();
        return picture;
    }
    picture.width = static_cast<int>(desc.Width);
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = static_cast<const BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) {
            picture.rgb.push_back((std::uint32_t{row[4 * x + 2]} << 16) | (std::uint32_t{row[4 * x + 1]} << 8) |
                                  row[4 * x]);
        }
    }
    texture->UnlockRect(0);
    texture->Release();
    return picture;
}

int Brightest(const LoadedPicture& p, int left, int top, int size)
{
    int best = 0;
    for (int y = top; y < top + size; ++y) {
        for (int x = left; x < left + size; ++x) {
            best = std::max(best, p.Grey(x, y));
        }
    }
    return best;
}

// The brightest texel within `band` texels of the edges of the square at (left, top).
int BrightestAtEdge(const LoadedPicture& p, int left, int top, int size, int band)
{
    int best = 0;
    for (int y = top; y < top + size; ++y) {
        for (int x = left; x < left + size; ++x) {
            if (x < left + band || y < top + band || x >= left + size - band || y >= top + size - band) {
                best = std::max(best, p.Grey(x, y));
            }
        }
    }
    return best;
}

} // namespace

TEST(BitmapEncoding, ReadsBackTexelForTexelWithRowsInOrder)
{
    // Five texels a row pads each row to 16 bytes; every texel has its own colour, some out of range.
    Image image(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            image.At(x, y) = {x / 4.0f, y / 2.0f, (x + y) % 2 == 0 ? 1.5f : -0.2f};
        }
    }
    image.At(4, 2).g = std::nanf("");
    const std::vector<std::uint8_t> file = EncodeBmp24(image);
    ASSERT_EQ(file.size(), 54u + 16u * 3u);

    RecordingDevice device;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, file.data(), static_cast<UINT>(file.size()), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                  D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture),
              D3D_OK);
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    ASSERT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const BYTE* t = static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x;
            EXPECT_EQ(t[2], std::lround(x / 4.0f * 255)) << x << "," << y;
            EXPECT_EQ(t[1], x == 4 && y == 2 ? 0 : std::lround(y / 2.0f * 255)) << x << "," << y;
            EXPECT_EQ(t[0], (x + y) % 2 == 0 ? 255 : 0) << x << "," << y;
        }
    }
    texture->UnlockRect(0);
    texture->Release();
}

TEST(GeneratedPictures, LoadAtTheirSizesAsGreyGlowsWithBlackBorders)
{
    for (const PictureCase& c : kPictures) {
        const LoadedPicture p = Load(c.name);
        ASSERT_EQ(p.result, D3D_OK) << c.name;
        EXPECT_EQ(p.sourceWidth, static_cast<UINT>(c.side)) << c.name;
        EXPECT_EQ(p.width, c.side) << c.name;
        EXPECT_EQ(p.rgb.size(), static_cast<std::size_t>(c.side * c.side)) << c.name;
        const UINT fullChain = static_cast<UINT>(std::log2(c.side)) + 1;
        EXPECT_EQ(p.levelCount, c.mipLevels == D3DX_DEFAULT ? fullChain : c.mipLevels) << c.name;
        const std::string name = c.name;
        if (name == "Ground.bmp") {
            continue;
        }
        // The vertex colour tints them, so they must be grey.
        EXPECT_TRUE(std::all_of(p.rgb.begin(), p.rgb.end(), [](std::uint32_t rgb) {
            return (rgb >> 16) == ((rgb >> 8) & 0xFFu) && (rgb & 0xFFu) == ((rgb >> 8) & 0xFFu);
        })) << c.name;
        // They are drawn as squares whose edges must not show (Random.bmp tiles instead).
        if (name != "Random.bmp") {
            EXPECT_LE(BrightestAtEdge(p, 0, 0, p.width, 1), 3) << c.name;
        }
    }
}

TEST(GeneratedPictures, GlowsAreBrightInTheCentreAndFadeWithoutRings)
{
    for (const char* name : {"Star.bmp", "Launch.bmp", "Shine.bmp", "Shine2.bmp", "Light.bmp"}) {
        const LoadedPicture p = Load(name);
        ASSERT_EQ(p.result, D3D_OK) << name;
        const int c = p.width / 2;
        EXPECT_GE(Brightest(p, c - 1, c - 1, 2), 230) << name;
        // Walking out from the centre along the axes and diagonals, the light never rises again.
        const int steps[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
        for (const auto& step : steps) {
            int x = step[0] > 0 ? c : c - 1;
            int y = step[1] > 0 ? c : c - 1;
            for (int previous = p.Grey(x, y); x + step[0] >= 0 && y + step[1] >= 0 && x + step[0] < p.width &&
                                              y + step[1] < p.width;
                 previous = p.Grey(x, y)) {
                x += step[0];
                y += step[1];
                EXPECT_LE(p.Grey(x, y), previous + 1) << name << " at " << x << "," << y;
            }
        }
    }
}

TEST(GeneratedPictures, Shine2HasFourBrightRays)
{
    const LoadedPicture p = Load("Shine2.bmp");
    ASSERT_EQ(p.result, D3D_OK);
    const double c = p.width / 2.0;
    const double radius = 0.6 * c;
    // The centre falls between two texels, so a ray covers the texel on either side of its axis;
    // each ray is compared with the dark halfway to the diagonal ray beside it.
    for (int ray = 0; ray < 4; ++ray) {
        const double onRay = ray * 1.5707963;
        const double between = onRay + 0.3926991;
        const int lit = p.Grey(static_cast<int>(std::floor(c + radius * std::cos(onRay))),
                               static_cast<int>(std::floor(c + radius * std::sin(onRay))));
        const int dark = p.Grey(static_cast<int>(std::floor(c + radius * std::cos(between))),
                                static_cast<int>(std::floor(c + radius * std::sin(between))));
        EXPECT_GE(lit, 30) << "ray " << ray;
        EXPECT_GE(lit, 4 * dark + 1) << "ray " << ray;
    }
}

TEST(GeneratedPictures, SmokeHoldsFourDifferentPuffsDarkAtTheirQuarterEdges)
{
    const LoadedPicture smoke = Load("Smoke.bmp");
    ASSERT_EQ(smoke.result, D3D_OK);
    const int half = smoke.width / 2;
    for (int image = 0; image < 4; ++image) {
        // The quarter the smoke pass maps image i to: u from 0.5 (i & 1), v from 0.5 (i >> 1).
        const int left = (image & 1) * half;
        const int top = (image >> 1) * half;
        EXPECT_LE(BrightestAtEdge(smoke, left, top, half, 2), 3) << "puff " << image;
        EXPECT_GE(Brightest(smoke, left, top, half), 200) << "puff " << image;
    }
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            double difference = 0.0;
            for (int y = 0; y < half; ++y) {
                for (int x = 0; x < half; ++x) {
                    difference += std::abs(smoke.Grey((a & 1) * half + x, (a >> 1) * half + y) -
                                           smoke.Grey((b & 1) * half + x, (b >> 1) * half + y));
                }
            }
            EXPECT_GE(difference / (half * half), 10.0) << "puffs " << a << " and " << b;
        }
    }
}
