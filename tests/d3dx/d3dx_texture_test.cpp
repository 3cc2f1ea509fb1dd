// SPDX-License-Identifier: GPL-3.0-or-later
// The texture loader against hand-written image files: decoded texels, the format chosen and its
// fall-backs, sizes and mip levels, colour keys, filters, and refusal of bad input without leaks.
#include "d3dx/d3dx_texture.h"
#include "d3dx/image_filter.h"
#include "d3dx/load_failure.h"
#include "d3dx/pixel_convert.h"
#include "platform/d3d8/device_front.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

void Put(Bytes& out, DWORD value, int size)
{
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<BYTE>(value >> (8 * i)));
    }
}

// One row of texels, each written little-endian in size bytes: 0xRRGGBB in 3 bytes is the bitmap's
// blue, green, red order; 1 byte holds a palette index.
Bytes Row(std::initializer_list<DWORD> texels, int size)
{
    Bytes row;
    for (DWORD t : texels) {
        Put(row, t, size);
    }
    return row;
}

struct BmpContent {
    WORD bitCount = 24;
    int width = 0;
    // Top row first, without the padding to four bytes.
    std::vector<Bytes> rows;
    // 0x00RRGGBB entries.
    std::vector<DWORD> palette;
    DWORD compression = 0;
    // 40, or 108 with the four channel masks (red, green, blue, alpha) inside.
    DWORD headerSize = 40;
    DWORD masks[4] = {};
    bool topDown = false;
};

Bytes BuildBmp(const BmpContent& s)
{
    const int height = static_cast<int>(s.rows.size());
    const std::size_t stride = ((static_cast<std::size_t>(s.width) * s.bitCount + 31) / 32) * 4;
    const std::size_t offset = 14 + s.headerSize + s.palette.size() * 4;
    Bytes out{'B', 'M'};
    Put(out, static_cast<DWORD>(offset + stride * height), 4);
    Put(out, 0, 4);
    Put(out, static_cast<DWORD>(offset), 4);
    Put(out, s.headerSize, 4);
    Put(out, static_cast<DWORD>(s.width), 4);
    Put(out, static_cast<DWORD>(s.topDown ? -height : height), 4);
    Put(out, 1, 2);
    Put(out, s.bitCount, 2);
    Put(out, s.compression, 4);
    Put(out, static_cast<DWORD>(stride * height), 4);
    out.resize(out.size() + 16, 0);
    if (s.headerSize == 108) {
        for (DWORD m : s.masks) {
            Put(out, m, 4);
        }
        // Colour space, end points and gammas.
        out.resize(out.size() + 52, 0);
    }
    for (DWORD rgb : s.palette) {
        Put(out, rgb, 4);
    }
    for (int i = 0; i < height; ++i) {
        const Bytes& row = s.rows[s.topDown ? i : height - 1 - i];
        out.insert(out.end(), row.begin(), row.end());
        out.resize(out.size() + stride - row.size(), 0);
    }
    return out;
}

BmpContent Bmp(WORD bitCount, int width, std::vector<Bytes> rows, std::vector<DWORD> palette = {})
{
    BmpContent s;
    s.bitCount = bitCount;
    s.width = width;
    s.rows = std::move(rows);
    s.palette = std::move(palette);
    return s;
}

Bytes Bmp24(int width, std::vector<Bytes> rows)
{
    return BuildBmp(Bmp(24, width, std::move(rows)));
}

// A 32-bit bitmap with channel masks in the long header.
Bytes MaskedBmp32(int width, std::vector<Bytes> rows, const DWORD (&masks)[4])
{
    BmpContent s = Bmp(32, width, std::move(rows));
    s.compression = 3;
    s.headerSize = 108;
    std::copy(masks, masks + 4, s.masks);
    return BuildBmp(s);
}

// An uncompressed 32-bit Targa image, top row first, texels 0xAARRGGBB.
Bytes BuildTga32(int width, int height, const std::vector<DWORD>& argb)
{
    Bytes out{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put(out, static_cast<DWORD>(width), 2);
    Put(out, static_cast<DWORD>(height), 2);
    // 32 bits a texel; eight alpha bits with the origin at the top left.
    out.insert(out.end(), {32, 0x28});
    for (DWORD c : argb) {
        Put(out, c, 4);
    }
    return out;
}

// A texture whose rows are 12 bytes wider than their texels, as a driver's may be; padding is watched.
class PaddedTexture final : public IDirect3DTexture8 {
public:
    PaddedTexture(UINT width, UINT height, UINT levelCount, D3DFORMAT textureFormat)
        : format(textureFormat), texelSize(D3DFormatBytesPerPixel(textureFormat))
    {
        for (UINT l = 0; l < levelCount; ++l, width = HalfSize(width), height = HalfSize(height)) {
            levels.push_back({width, height, width * texelSize + 12, Bytes((width * texelSize + 12) * height, 0xCD)});
        }
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        const ULONG count = --refs;
        if (count == 0) {
            delete this;
        }
        return count;
    }
    HRESULT GetDevice(IDirect3DDevice8**) override { return D3DERR_INVALIDCALL; }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override
    {
        const Level& l = levels.at(level);
        *desc = {format, D3DRTYPE_SURFACE, 0, D3DPOOL_MANAGED, 0, D3DMULTISAMPLE_NONE, l.width, l.height};
        return D3D_OK;
    }
    HRESULT GetSurfaceLevel(UINT, IDirect3DSurface8**) override { return D3DERR_INVALIDCALL; }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT*, DWORD) override
    {
        *locked = {static_cast<INT>(levels.at(level).pitch), levels.at(level).bytes.data()};
        return D3D_OK;
    }
    HRESULT UnlockRect(UINT) override { return D3D_OK; }

    bool PaddingIntact() const
    {
        for (const Level& l : levels) {
            for (std::size_t i = 0; i < l.bytes.size(); ++i) {
                if (i % l.pitch >= l.width * texelSize && l.bytes[i] != 0xCD) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    struct Level {
        UINT width;
        UINT height;
        UINT pitch;
        Bytes bytes;
    };
    ~PaddedTexture() override = default;

    ULONG refs = 1;
    D3DFORMAT format;
    UINT texelSize;
    std::vector<Level> levels;
};

// A device that can refuse formats or hand out odd textures, and accounts for every texture it made.
class TestDevice : public NullDevice {
public:
    explicit TestDevice(const D3DCAPS8& givenCaps) : NullDevice(givenCaps, NullDevice::DefaultPresentParameters()) {}
    ~TestDevice() override
    {
        for (IDirect3DTexture8* t : made) {
            t->Release();
        }
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override
    {
        lastUsage = usage;
        lastPool = pool;
        *texture = nullptr;
        if (refused.count(format) != 0) {
            return D3DERR_INVALIDCALL;
        }
        if (padRows) {
            *texture = padded = new PaddedTexture(width, height, levels, format);
        } else {
            // sizeFactor > 1 makes textures larger than asked, as a misbehaving driver might.
            const HRESULT hr = NullDevice::CreateTexture(width * sizeFactor, height * sizeFactor, levels, usage,
                                                         format, pool, texture);
            if (FAILED(hr)) {
                return hr;
            }
        }
        (*texture)->AddRef();
        made.push_back(*texture);
        return D3D_OK;
    }

    // Textures this device made that someone besides the device still holds.
    int HeldTextures()
    {
        int held = 0;
        for (IDirect3DTexture8* t : made) {
            held += t->AddRef() > 2 ? 1 : 0;
            t->Release();
        }
        return held;
    }

    std::set<D3DFORMAT> refused;
    UINT sizeFactor = 1;
    bool padRows = false;
    PaddedTexture* padded = nullptr;
    std::vector<IDirect3DTexture8*> made;
    DWORD lastUsage = 0;
    D3DPOOL lastPool = D3DPOOL_DEFAULT;
};

D3DCAPS8 PlainCaps()
{
    D3DCAPS8 caps = NullDevice::DefaultCaps();
    caps.TextureCaps &= ~(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY);
    return caps;
}

// Every texel of a level as the format stores it, top row first.
std::vector<DWORD> Texels(IDirect3DTexture8* texture, UINT level)
{
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->GetLevelDesc(level, &desc)) || FAILED(texture->LockRect(level, &locked, nullptr, 0))) {
        ADD_FAILURE() << "level " << level << " cannot be read";
        return {};
    }
    const UINT size = D3DFormatBytesPerPixel(desc.Format);
    std::vector<DWORD> texels;
    for (UINT y = 0; y < desc.Height; ++y) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch;
        for (UINT x = 0; x < desc.Width; ++x) {
            DWORD v = 0;
            for (UINT b = 0; b < size; ++b) {
                v |= static_cast<DWORD>(row[x * size + b]) << (8 * b);
            }
            texels.push_back(v);
        }
    }
    texture->UnlockRect(level);
    return texels;
}

D3DSURFACE_DESC LevelDesc(IDirect3DTexture8* texture, UINT level)
{
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
    return desc;
}

// Arguments of the extended loader; one level and point filters unless a test says otherwise.
struct LoadArgs {
    UINT width = D3DX_DEFAULT;
    UINT height = D3DX_DEFAULT;
    UINT mipLevels = 1;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DWORD filter = D3DX_FILTER_POINT;
    DWORD mipFilter = D3DX_FILTER_POINT;
    D3DCOLOR colorKey = 0;
};

HRESULT LoadFromMemory(IDirect3DDevice8* device, const Bytes& bytes, const LoadArgs& a, IDirect3DTexture8** out)
{
    return D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), static_cast<UINT>(bytes.size()), a.width,
                                               a.height, a.mipLevels, 0, a.format, D3DPOOL_MANAGED, a.filter,
                                               a.mipFilter, a.colorKey, nullptr, nullptr, out);
}

class TextureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("fw_texture_test_" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
    }

    void TearDown() override
    {
        if (texture != nullptr) {
            texture->Release();
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string Write(const Bytes& bytes)
    {
        const std::string path = (folder / "image.bmp").string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // Loads through a file, replacing the texture of the previous load.
    HRESULT Load(const Bytes& bytes, const LoadArgs& a = {})
    {
        if (texture != nullptr) {
            texture->Release();
        }
        return D3DXCreateTextureFromFileExA(&device, Write(bytes).c_str(), a.width, a.height, a.mipLevels, 0,
                                           a.format, D3DPOOL_MANAGED, a.filter, a.mipFilter, a.colorKey, &info,
                                           nullptr, &texture);
    }

    std::filesystem::path folder;
    TestDevice device{PlainCaps()};
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};
};

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
