// SPDX-License-Identifier: GPL-3.0-or-later
// What the texture loader's tests share: a device that refuses formats or pads rows, readers of the
// texels a load wrote, and a fixture that loads image bytes through a file.
#pragma once

#include "d3dx/d3dx_texture.h"
#include "d3dx/image_filter.h"
#include "platform/d3d8/device_front.h"
#include "tests/d3dx/image_file_builders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

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

inline D3DCAPS8 PlainCaps()
{
    D3DCAPS8 caps = NullDevice::DefaultCaps();
    caps.TextureCaps &= ~(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY);
    return caps;
}

// Every texel of a level as the format stores it, top row first.
inline std::vector<DWORD> Texels(IDirect3DTexture8* texture, UINT level)
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

inline D3DSURFACE_DESC LevelDesc(IDirect3DTexture8* texture, UINT level)
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

inline HRESULT LoadFromMemory(IDirect3DDevice8* device, const Bytes& bytes, const LoadArgs& a, IDirect3DTexture8** out)
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
