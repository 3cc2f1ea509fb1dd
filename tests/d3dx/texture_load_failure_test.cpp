// SPDX-License-Identifier: GPL-3.0-or-later
// The texture loader's refusal of bad and corrupted image files: a clear failure, and no texture or
// memory left behind.
#include "tests/d3dx/texture_loader_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

TEST_F(TextureLoaderTest, RefusesBadFilesWithoutLeavingAnything)
{
    const Bytes good = Bmp24(3, {Row({1, 2, 3}, 3), Row({4, 5, 6}, 3)});
    Bytes tooWide = good;
    // 100000 texels wide.
    tooWide[18] = 0xA0;
    tooWide[19] = 0x86;
    tooWide[20] = 0x01;
    Bytes mostNegativeHeight = good;
    mostNegativeHeight[22] = mostNegativeHeight[23] = mostNegativeHeight[24] = 0;
    mostNegativeHeight[25] = 0x80;
    Bytes runLength = good;
    runLength[30] = 1;
    const std::string text = "this is not an image at all";
    // A valid 1x1 portable pixmap: the decoder could read it, the loader does not take the format.
    const std::string pixmap = "P6 1 1 255 abc";
    // A Targa header that claims 60000 x 60000 texels.
    Bytes hugeTga = BuildTga32(1, 1, {0});
    hugeTga[12] = hugeTga[14] = 0x60;
    hugeTga[13] = hugeTga[15] = 0xEA;

    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"truncated pixels", Bytes(good.begin(), good.end() - 3)},
        {"truncated header", Bytes(good.begin(), good.begin() + 30)},
        {"absurd width", tooWide},
        {"most negative height", mostNegativeHeight},
        {"run-length", runLength},
        {"index past the palette", BuildBmp(Bmp(8, 2, {Row({1, 200}, 1)}, {0xFFFFFF, 0x000000}))},
        {"not an image", Bytes(text.begin(), text.end())},
        {"format not taken", Bytes(pixmap.begin(), pixmap.end())},
        {"huge targa", hugeTga},
        // Complete files one texel wider than the loader takes.
        {"wide bitmap", Bmp24(16385, {Bytes(16385 * 3, 0x40)})},
        {"wide targa", BuildTga32(16385, 1, std::vector<DWORD>(16385, 0xFF404040))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.bytes), D3DXERR_INVALIDDATA);
        EXPECT_EQ(texture, nullptr);
    }

    // A sentinel shows that the out pointer is cleared on every failure.
    auto* const sentinel = reinterpret_cast<IDirect3DTexture8*>(std::uintptr_t{0x10});
    const std::string missing = (folder / "missing.bmp").string();
    const std::string path = Write(good);
    const std::string dir = folder.string();
    const struct {
        IDirect3DDevice8* device;
        const char* file;
        HRESULT expected;
    } calls[] = {
        {&device, missing.c_str(), D3DXERR_INVALIDDATA},
        {&device, dir.c_str(), D3DXERR_INVALIDDATA},
        {nullptr, path.c_str(), D3DERR_INVALIDCALL},
        {&device, nullptr, D3DERR_INVALIDCALL},
    };
    for (const auto& c : calls) {
        texture = sentinel;
        EXPECT_EQ(D3DXCreateTextureFromFileA(c.device, c.file, &texture), c.expected);
        EXPECT_EQ(texture, nullptr);
    }
    EXPECT_EQ(D3DXCreateTextureFromFileA(&device, path.c_str(), nullptr), D3DERR_INVALIDCALL);
    texture = sentinel;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(&device, nullptr, 10, 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                  D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                  &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    for (DWORD filter : {0u, 6u, D3DX_FILTER_MIRROR_U}) {
        LoadArgs badFilter;
        badFilter.filter = filter;
        EXPECT_EQ(Load(good, badFilter), D3DERR_INVALIDCALL);
        badFilter.filter = D3DX_FILTER_POINT;
        badFilter.mipFilter = filter;
        EXPECT_EQ(Load(good, badFilter), D3DERR_INVALIDCALL);
    }
    EXPECT_TRUE(device.made.empty());

    // A texture of another size than asked must not be written by the loader's sizes, and is released.
    device.sizeFactor = 2;
    EXPECT_LT(Load(good), 0);
    EXPECT_EQ(texture, nullptr);
    ASSERT_EQ(device.made.size(), 1u);
    EXPECT_EQ(device.HeldTextures(), 0);
}

TEST_F(TextureLoaderTest, SurvivesCorruptedHeaders)
{
    const DWORD masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const Bytes originals[] = {Bmp24(3, {Row({1, 2, 3}, 3), Row({4, 5, 6}, 3)}),
                               BuildBmp(Bmp(8, 3, {Row({0, 1, 2}, 1), Row({2, 2, 0}, 1)}, {0xFF0000, 0xFF, 0xFF00})),
                               MaskedBmp32(2, {Row({1, 2}, 4), Row({3, 4}, 4)}, masks), BuildTga32(2, 2, {1, 2, 3, 4})};
    // Fixed seed: the same corruptions every run; the sanitizer build turns a stray read into a failure.
    std::mt19937 random(1234);
    for (const Bytes& original : originals) {
        for (int round = 0; round < 500; ++round) {
            Bytes bytes = original;
            for (int c = 0, changes = 1 + static_cast<int>(random() % 4); c < changes; ++c) {
                bytes[random() % std::min<std::size_t>(bytes.size(), 80)] = static_cast<BYTE>(random());
            }
            LoadArgs defaults{D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT};
            IDirect3DTexture8* t = nullptr;
            const HRESULT hr = LoadFromMemory(&device, bytes, defaults, &t);
            EXPECT_EQ(SUCCEEDED(hr), t != nullptr);
            if (t != nullptr) {
                t->Release();
            }
        }
    }
    EXPECT_EQ(device.HeldTextures(), 0);
}

} // namespace
