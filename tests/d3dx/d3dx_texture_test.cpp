// SPDX-License-Identifier: GPL-3.0-or-later
// The texture loader against hand-written image files: decoded texels, the format chosen and its
// fall-backs, sizes and mip levels, colour keys and filters.
#include "d3dx/image_filter.h"
#include "d3dx/load_failure.h"
#include "d3dx/pixel_convert.h"
#include "tests/d3dx/texture_loader_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST_F(TextureLoaderTest, ReadsBitmapsOfEachDepthTopRowFirst)
{
    // Three texels of 24 bits leave a padded row.
    BmpContent rgb = Bmp(24, 3, {Row({0xFF0000, 0x00FF00, 0x0000FF}, 3), Row({0x102030, 0x405060, 0x708090}, 3)});
    const std::vector<DWORD> expected = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF102030, 0xFF405060, 0xFF708090};
    ASSERT_EQ(Load(BuildBmp(rgb)), D3D_OK);
    EXPECT_EQ(Texels(texture, 0), expected);
    EXPECT_EQ(LevelDesc(texture, 0).Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(info.Width, 3u);
    EXPECT_EQ(info.Height, 2u);
    EXPECT_EQ(info.Depth, 1u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.Format, D3DFMT_X8R8G8B8);

    rgb.topDown = true;
    ASSERT_EQ(Load(BuildBmp(rgb)), D3D_OK);
    EXPECT_EQ(Texels(texture, 0), expected);

    ASSERT_EQ(Load(BuildBmp(Bmp(8, 3, {Row({0, 1, 2}, 1), Row({2, 2, 0}, 1)}, {0xFF0000, 0x00FF00, 0x0000FF}))),
              D3D_OK);
    EXPECT_EQ(Texels(texture, 0),
              (std::vector<DWORD>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000}));
    EXPECT_EQ(info.Format, D3DFMT_X8R8G8B8);
}

TEST_F(TextureLoaderTest, KeepsAlphaOnlyWhenTheFileCarriesIt)
{
    // Channel masks in an unusual order: red in the low byte.
    const DWORD masks[4] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    ASSERT_EQ(Load(MaskedBmp32(2, {Row({0x80332211, 0x00FFFFFF}, 4)}, masks)), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(LevelDesc(texture, 0).Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0x80112233, 0x00FFFFFF}));

    // A fourth byte that is zero everywhere is padding: the texels are opaque.
    ASSERT_EQ(Load(BuildBmp(Bmp(32, 2, {Row({0x00112233, 0x00445566}, 4)}))), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0xFF112233, 0xFF445566}));

    ASSERT_EQ(Load(BuildBmp(Bmp(32, 2, {Row({0x40112233, 0xFF445566}, 4)}))), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0x40112233, 0xFF445566}));

    // Other formats report alpha by their channel count.
    ASSERT_EQ(Load(BuildTga32(2, 1, {0x7F102030, 0xFF405060})), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0x7F102030, 0xFF405060}));
}

TEST(PixelConvert, PacksEachFormatWithRounding)
{
    const BYTE texel[4] = {0x80, 0x40, 0xC0, 0x7F};
    const struct {
        D3DFORMAT format;
        DWORD expected;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0x7F8040C0}, {D3DFMT_X8R8G8B8, 0xFF8040C0}, {D3DFMT_R5G6B5, 0x8217},
        {D3DFMT_X1R5G5B5, 0xC117},     {D3DFMT_A1R5G5B5, 0x4117},     {D3DFMT_A4R4G4B4, 0x784B},
        {D3DFMT_X4R4G4B4, 0xF84B},     {D3DFMT_A8, 0x7F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        const UINT size = D3DFormatBytesPerPixel(c.format);
        // The byte after the texel must stay untouched.
        BYTE out[5] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
        ASSERT_TRUE(ConvertRgba8Row(texel, 1, c.format, out));
        DWORD packed = 0;
        for (UINT b = 0; b < size; ++b) {
            packed |= static_cast<DWORD>(out[b]) << (8 * b);
        }
        EXPECT_EQ(packed, c.expected);
        EXPECT_EQ(out[size], 0xAA);
    }
    const BYTE white[4] = {255, 255, 255, 255};
    WORD out565 = 0;
    ASSERT_TRUE(ConvertRgba8Row(white, 1, D3DFMT_R5G6B5, &out565));
    EXPECT_EQ(out565, 0xFFFF);
    EXPECT_FALSE(ConvertRgba8Row(white, 1, D3DFMT_D16, &out565));
}

TEST_F(TextureLoaderTest, UsesTheAskedFormatOrTheNearestOffered)
{
    const Bytes alphaFile = BuildBmp(Bmp(32, 1, {Row({0x80112233}, 4)}));
    const Bytes opaqueFile = Bmp24(1, {Row({0x112233}, 3)});

    LoadArgs asked;
    asked.format = D3DFMT_R5G6B5;
    ASSERT_EQ(Load(opaqueFile, asked), D3D_OK);
    EXPECT_EQ(LevelDesc(texture, 0).Format, D3DFMT_R5G6B5);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{(2u << 11) | (8u << 5) | 6u}));

    device.refused = {D3DFMT_A8R8G8B8};
    ASSERT_EQ(Load(alphaFile), D3D_OK);
    EXPECT_EQ(LevelDesc(texture, 0).Format, D3DFMT_A4R4G4B4);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0x8123}));

    device.refused = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    ASSERT_EQ(Load(alphaFile), D3D_OK);
    EXPECT_EQ(LevelDesc(texture, 0).Format, D3DFMT_X8R8G8B8);

    device.refused = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    ASSERT_EQ(Load(opaqueFile), D3D_OK);
    EXPECT_EQ(LevelDesc(texture, 0).Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0xFF112233}));

    device.refused = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A8R8G8B8};
    EXPECT_EQ(Load(opaqueFile), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);

    device.refused = {};
    asked.format = D3DFMT_D16;
    EXPECT_EQ(Load(opaqueFile, asked), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(device.HeldTextures(), 0);
}

TEST_F(TextureLoaderTest, WritesEachLevelAtTheTexturesPitch)
{
    device.padRows = true;
    LoadArgs twoLevels;
    twoLevels.mipLevels = 2;
    twoLevels.format = D3DFMT_R5G6B5;
    ASSERT_EQ(Load(Bmp24(3, {Row({0xFFFFFF, 0, 0}, 3), Row({0, 0xFFFFFF, 0}, 3)}), twoLevels), D3D_OK);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0xFFFF, 0, 0, 0, 0xFFFF, 0}));
    EXPECT_EQ(Texels(texture, 1), (std::vector<DWORD>{0xFFFF}));
    EXPECT_TRUE(device.padded->PaddingIntact());
}

TEST_F(TextureLoaderTest, SizesFollowTheArgumentsAndTheDeviceLimits)
{
    const Bytes file = Bmp24(3, {Row({1, 2, 3}, 3), Row({4, 5, 6}, 3)});
    LoadArgs doubled;
    doubled.width = 6;
    doubled.height = 4;
    ASSERT_EQ(Load(file, doubled), D3D_OK);
    const std::vector<DWORD> big = Texels(texture, 0);
    ASSERT_EQ(big.size(), 24u);
    for (UINT i = 0; i < 24; ++i) {
        EXPECT_EQ(big[i], 0xFF000000u | ((i / 12) * 3 + (i % 6) / 2 + 1)) << i;
    }
    // The source's own size is reported, not the texture's.
    EXPECT_EQ(info.Width, 3u);

    D3DCAPS8 caps = PlainCaps();
    caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
    TestDevice pow2(caps);
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(LoadFromMemory(&pow2, file, {0, 0}, &t), D3D_OK);
    EXPECT_EQ(LevelDesc(t, 0).Height, 2u);
    EXPECT_EQ(Texels(t, 0), (std::vector<DWORD>{0xFF000001, 0xFF000002, 0xFF000002, 0xFF000003, 0xFF000004,
                                                0xFF000005, 0xFF000005, 0xFF000006}));
    t->Release();

    caps = PlainCaps();
    caps.MaxTextureWidth = 2;
    caps.MaxTextureHeight = 1;
    TestDevice small(caps);
    ASSERT_EQ(LoadFromMemory(&small, file, {}, &t), D3D_OK);
    EXPECT_EQ(LevelDesc(t, 0).Width, 2u);
    EXPECT_EQ(LevelDesc(t, 0).Height, 1u);
    t->Release();

    EXPECT_EQ(Load(file, {20000}), D3DERR_INVALIDCALL);
}

TEST_F(TextureLoaderTest, ImagesFarBeyondTheDevicesLargestTextureAreNotDecoded)
{
    // Up to four times the largest side is decoded and scaled down; beyond that nothing is read.
    D3DCAPS8 caps = PlainCaps();
    caps.MaxTextureWidth = 2;
    caps.MaxTextureHeight = 2;
    TestDevice small(caps);
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(LoadFromMemory(&small, Bmp24(8, {Bytes(8 * 3, 0x40)}), {}, &t), D3D_OK);
    EXPECT_EQ(LevelDesc(t, 0).Width, 2u);
    t->Release();
    EXPECT_EQ(LoadFromMemory(&small, Bmp24(9, {Bytes(9 * 3, 0x40)}), {}, &t), D3DXERR_INVALIDDATA);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(LastLoadFailure().kind, LoadFailureKind::TooLarge);
    EXPECT_NE(LastLoadFailure().reason.find("9 x 1 texels"), std::string::npos) << LastLoadFailure().reason;
}

TEST_F(TextureLoaderTest, BuildsTheMipChainFromTheLevelAbove)
{
    // 4x4 texels numbered 1..16 in the blue channel.
    std::vector<Bytes> rows;
    for (DWORD y = 0; y < 4; ++y) {
        rows.push_back(Row({y * 4 + 1, y * 4 + 2, y * 4 + 3, y * 4 + 4}, 3));
    }
    const Bytes square = Bmp24(4, rows);
    LoadArgs full;
    full.mipLevels = D3DX_DEFAULT;
    ASSERT_EQ(Load(square, full), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(Texels(texture, 1), (std::vector<DWORD>{0xFF000001, 0xFF000003, 0xFF000009, 0xFF00000B}));
    EXPECT_EQ(Texels(texture, 2), (std::vector<DWORD>{0xFF000001}));

    full.mipFilter = D3DX_FILTER_BOX;
    ASSERT_EQ(Load(square, full), D3D_OK);
    // (1 + 2 + 5 + 6) / 4 rounds to 4; the last level averages the four averages.
    EXPECT_EQ(Texels(texture, 1), (std::vector<DWORD>{0xFF000004, 0xFF000006, 0xFF00000C, 0xFF00000E}));
    EXPECT_EQ(Texels(texture, 2), (std::vector<DWORD>{0xFF000009}));

    // A wide image: 8x2 gives 8x2, 4x1, 2x1, 1x1.
    const Bytes wide = Bmp24(8, {Row({1, 2, 3, 4, 5, 6, 7, 8}, 3), Row({9, 9, 9, 9, 9, 9, 9, 9}, 3)});
    full.mipFilter = D3DX_FILTER_POINT;
    full.mipLevels = 0;
    ASSERT_EQ(Load(wide, full), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    EXPECT_EQ(LevelDesc(texture, 2).Width, 2u);
    EXPECT_EQ(Texels(texture, 2), (std::vector<DWORD>{0xFF000001, 0xFF000005}));

    LoadArgs counted;
    counted.mipLevels = 2;
    ASSERT_EQ(Load(wide, counted), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 2u);
    counted.mipLevels = 100;
    ASSERT_EQ(Load(wide, counted), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 4u);

    // Odd sizes clamp at the edge: 3x3 halves to 1x1 from texel (0, 0).
    ASSERT_EQ(Load(Bmp24(3, {Row({7, 1, 1}, 3), Row({1, 1, 1}, 3), Row({1, 1, 1}, 3)}), full), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 2u);
    EXPECT_EQ(Texels(texture, 1), (std::vector<DWORD>{0xFF000007}));
}

TEST_F(TextureLoaderTest, DefaultsOfTheShortLoader)
{
    const std::string path = Write(Bmp24(4, {Row({1, 2, 3, 4}, 3), Row({5, 6, 7, 8}, 3)}));
    ASSERT_EQ(D3DXCreateTextureFromFileA(&device, path.c_str(), &texture), D3D_OK);
    EXPECT_EQ(device.lastPool, D3DPOOL_MANAGED);
    EXPECT_EQ(device.lastUsage, 0u);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(LevelDesc(texture, 0).Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(Texels(texture, 0)[5], 0xFF000006u);
    // The caller holds the only reference.
    texture->Release();
    texture = nullptr;
    EXPECT_EQ(device.HeldTextures(), 0);
}

TEST_F(TextureLoaderTest, ColourKeyClearsOnlyMatchingTexels)
{
    const Bytes file = Bmp24(3, {Row({0xFF00FF, 0xFE00FF, 0x00FF00}, 3)});
    LoadArgs keyed;
    keyed.format = D3DFMT_A8R8G8B8;
    keyed.colorKey = 0xFFFF00FF;
    ASSERT_EQ(Load(file, keyed), D3D_OK);
    EXPECT_EQ(Texels(texture, 0), (std::vector<DWORD>{0x00000000, 0xFFFE00FF, 0xFF00FF00}));

    // The key's alpha stands in for the texel's: a transparent key still matches opaque texels.
    keyed.colorKey = 0x00FF00FF;
    ASSERT_EQ(Load(file, keyed), D3D_OK);
    EXPECT_EQ(Texels(texture, 0)[0], 0x00000000u);

    keyed.colorKey = 0;
    ASSERT_EQ(Load(file, keyed), D3D_OK);
    EXPECT_EQ(Texels(texture, 0)[0], 0xFFFF00FFu);
}

// One row of grey texels (alpha 255) resized to dstWidth; returns the red channel.
std::vector<int> ResizeRow(const Bytes& grey, UINT dstWidth, DWORD filter)
{
    Bytes src;
    for (BYTE g : grey) {
        src.insert(src.end(), {g, g, g, 255});
    }
    Bytes dst(dstWidth * 4);
    ImageFilter f{};
    EXPECT_TRUE(ReadImageFilter(filter, &f));
    ResizeRgba(src.data(), static_cast<UINT>(grey.size()), 1, dst.data(), dstWidth, 1, f);
    std::vector<int> red;
    for (UINT x = 0; x < dstWidth; ++x) {
        red.push_back(dst[x * 4]);
        EXPECT_EQ(dst[x * 4 + 3], 255);
    }
    return red;
}

TEST(ImageFilter, ResizesWithEachFilter)
{
    EXPECT_EQ(ResizeRow({0, 100, 200, 255}, 2, D3DX_FILTER_BOX), (std::vector<int>{50, 228}));
    EXPECT_EQ(ResizeRow({0, 100, 200, 255}, 2, D3DX_DEFAULT), (std::vector<int>{50, 228}));
    EXPECT_EQ(ResizeRow({0, 200}, 4, D3DX_FILTER_LINEAR), (std::vector<int>{0, 50, 150, 200}));
    EXPECT_EQ(ResizeRow({10, 20, 30}, 6, D3DX_FILTER_POINT), (std::vector<int>{10, 10, 20, 20, 30, 30}));
    // A tent four texels wide reaches past the edge, where mirroring reads texel 6 and clamping texel 7.
    const Bytes edge = {0, 0, 0, 0, 0, 0, 0, 255};
    EXPECT_EQ(ResizeRow(edge, 2, D3DX_FILTER_TRIANGLE)[1], 72);
    EXPECT_EQ(ResizeRow(edge, 2, D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR_U)[1], 64);

    // No filter copies without scaling and leaves the rest transparent black.
    const BYTE src[2 * 4] = {1, 2, 3, 4, 5, 6, 7, 8};
    Bytes dst(3 * 2 * 4, 0xEE);
    ResizeRgba(src, 2, 1, dst.data(), 3, 2, {FilterKind::None, false, false});
    Bytes expected(3 * 2 * 4, 0);
    std::copy(src, src + 8, expected.begin());
    EXPECT_EQ(dst, expected);
}

} // namespace
