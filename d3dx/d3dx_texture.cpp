// SPDX-License-Identifier: GPL-3.0-or-later
// The texture loaders: decode the image, choose size, level count and format from the arguments and the
// device's caps, create the texture in the nearest format the device offers and fill every level.
// Nothing is kept on failure: *texture stays null and a texture already created is released.
#include "d3dx/d3dx_texture.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "d3dx/image_decode.h"
#include "d3dx/image_filter.h"
#include "d3dx/load_failure.h"
#include "d3dx/pixel_convert.h"

namespace {

// Releases the texture it holds unless the loader hands it out.
class TextureHold {
public:
    TextureHold() = default;
    TextureHold(const TextureHold&) = delete;
    TextureHold& operator=(const TextureHold&) = delete;
    ~TextureHold()
    {
        if (texture != nullptr) {
            texture->Release();
        }
    }
    IDirect3DTexture8* Take() { return std::exchange(texture, nullptr); }

    IDirect3DTexture8* texture = nullptr;
};

constexpr bool IsDefault(UINT value)
{
    return value == 0 || value == D3DX_DEFAULT;
}

UINT RoundUpPow2(UINT value)
{
    UINT p = 1;
    while (p < value) {
        p <<= 1;
    }
    return p;
}

UINT RoundDownPow2(UINT value)
{
    UINT p = 1;
    while (p <= value / 2) {
        p <<= 1;
    }
    return p;
}

UINT FullChainLength(UINT width, UINT height)
{
    UINT levels = 1;
    while (width > 1 || height > 1) {
        width = HalfSize(width);
        height = HalfSize(height);
        ++levels;
    }
    return levels;
}

// Applies the device's limits: powers of two, square textures, the largest side.
void FitToCaps(const D3DCAPS8& caps, UINT* width, UINT* height)
{
    const bool pow2 = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
    const bool square = (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
    if (pow2) {
        *width = RoundUpPow2(*width);
        *height = RoundUpPow2(*height);
    }
    if (square) {
        *width = *height = std::max(*width, *height);
    }
    if (caps.MaxTextureWidth != 0 && *width > caps.MaxTextureWidth) {
        *width = pow2 ? RoundDownPow2(caps.MaxTextureWidth) : caps.MaxTextureWidth;
    }
    if (caps.MaxTextureHeight != 0 && *height > caps.MaxTextureHeight) {
        *height = pow2 ? RoundDownPow2(caps.MaxTextureHeight) : caps.MaxTextureHeight;
    }
    if (square) {
        *width = *height = std::min(*width, *height);
    }
}

// Formats tried, nearest first, when the device refuses the one asked for.
std::span<const D3DFORMAT> FallbackFormats(D3DFORMAT asked)
{
    static constexpr D3DFORMAT kWithAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    static constexpr D3DFORMAT kWithoutAlpha[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A8R8G8B8};
    if (FormatHasAlpha(asked)) {
        return kWithAlpha;
    }
    return kWithoutAlpha;
}

// Creates the texture in the asked format or the nearest one the device accepts. On failure the
// device's answer to the asked format is returned.
HRESULT CreateInNearestFormat(IDirect3DDevice8* device, UINT width, UINT height, UINT levels, DWORD usage,
                              D3DFORMAT asked, D3DPOOL pool, TextureHold* hold, D3DFORMAT* created)
{
    auto attempt = [&](D3DFORMAT format) {
        IDirect3DTexture8* texture = nullptr;
        HRESULT hr = device->CreateTexture(width, height, levels, usage, format, pool, &texture);
        if (SUCCEEDED(hr) && texture == nullptr) {
            hr = E_FAIL;
        }
        if (FAILED(hr)) {
            return hr;
        }
        hold->texture = texture;
        *created = format;
        return S_OK;
    };
    const HRESULT first = attempt(asked);
    if (SUCCEEDED(first)) {
        return first;
    }
    for (D3DFORMAT format : FallbackFormats(asked)) {
        if (format != asked && SUCCEEDED(attempt(format))) {
            return S_OK;
        }
    }
    return first;
}

// Texels equal to the key, alpha compared as the key's own, become transparent black.
void ApplyColorKey(std::vector<BYTE>& rgba, D3DCOLOR colorKey)
{
    if (colorKey == 0) {
        return;
    }
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        const D3DCOLOR texel = (Rgba8ToArgb(&rgba[i]) & 0x00FFFFFFu) | (colorKey & 0xFF000000u);
        if (texel == colorKey) {
            rgba[i] = rgba[i + 1] = rgba[i + 2] = rgba[i + 3] = 0;
        }
    }
}

// Converts one level's texels into the locked level, row by row at the texture's pitch.
HRESULT WriteLevel(IDirect3DTexture8* texture, UINT level, const BYTE* rgba, UINT width, UINT height,
                   D3DFORMAT format)
{
    D3DSURFACE_DESC desc{};
    HRESULT hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) {
        return hr;
    }
    // A level of another size or format than asked would be written out of its bounds.
    if (desc.Width != width || desc.Height != height || desc.Format != format) {
        return E_FAIL;
    }
    D3DLOCKED_RECT locked{};
    hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    const std::size_t rowBytes = std::size_t{width} * D3DFormatBytesPerPixel(format);
    if (locked.pBits == nullptr || locked.Pitch < 0 || static_cast<std::size_t>(locked.Pitch) < rowBytes) {
        texture->UnlockRect(level);
        return E_FAIL;
    }
    auto* bits = static_cast<BYTE*>(locked.pBits);
    for (UINT y = 0; y < height; ++y) {
        ConvertRgba8Row(rgba + std::size_t{y} * width * 4, width, format, bits + std::size_t{y} * locked.Pitch);
    }
    return texture->UnlockRect(level);
}

// An image larger than this many times the device's largest texture side is mostly thrown away by the
// resize to fit, so it is not decoded at all.
constexpr UINT kMaxSideOverDevice = 4;

// The image limits for a device: the decoder's own, and a few times the largest texture it takes.
ImageLimits LimitsFor(const D3DCAPS8& caps)
{
    ImageLimits limits;
    if (caps.MaxTextureWidth != 0) {
        limits.maxWidth = std::min<UINT>(limits.maxWidth, std::min<UINT>(caps.MaxTextureWidth, kMaxImageSide) *
                                                              kMaxSideOverDevice);
    }
    if (caps.MaxTextureHeight != 0) {
        limits.maxHeight = std::min<UINT>(limits.maxHeight, std::min<UINT>(caps.MaxTextureHeight, kMaxImageSide) *
                                                                kMaxSideOverDevice);
    }
    return limits;
}

std::string HexCode(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

HRESULT LoadTexture(const char* fileName, IDirect3DDevice8* device, const void* srcData, UINT srcDataSize,
                    UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                    const ImageFilter& filter, const ImageFilter& mipFilter, D3DCOLOR colorKey,
                    D3DXIMAGE_INFO* srcInfo, IDirect3DTexture8** texture)
{
    D3DCAPS8 caps{};
    HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) {
        NoteLoadFailure(LoadFailureKind::Device, fileName, "the device reports no capabilities (" + HexCode(hr) + ")");
        return hr;
    }
    DecodedImage image;
    std::string reason;
    bool tooLarge = false;
    hr = DecodeImage(srcData, srcDataSize, &image, LimitsFor(caps), &reason, &tooLarge);
    if (FAILED(hr)) {
        // Running out of memory for the texels is a size problem, not a fault in the file.
        NoteLoadFailure(tooLarge || hr == E_OUTOFMEMORY ? LoadFailureKind::TooLarge : LoadFailureKind::BadData, fileName,
                        reason);
        return hr;
    }
    ApplyColorKey(image.rgba, colorKey);

    UINT levelWidth = IsDefault(width) ? image.width : width;
    UINT levelHeight = IsDefault(height) ? image.height : height;
    FitToCaps(caps, &levelWidth, &levelHeight);
    const UINT fullChain = FullChainLength(levelWidth, levelHeight);
    const UINT levels = IsDefault(mipLevels) ? fullChain : std::min(mipLevels, fullChain);

    TextureHold hold;
    D3DFORMAT created = D3DFMT_UNKNOWN;
    const D3DFORMAT asked = format == D3DFMT_UNKNOWN ? image.format : format;
    hr = CreateInNearestFormat(device, levelWidth, levelHeight, levels, usage, asked, pool, &hold, &created);
    if (FAILED(hr)) {
        NoteLoadFailure(LoadFailureKind::Device, fileName,
                        "the device refused a " + std::to_string(levelWidth) + " x " + std::to_string(levelHeight) +
                            " texture (" + HexCode(hr) + ")");
        return hr;
    }

    std::vector<BYTE> level;
    if (levelWidth == image.width && levelHeight == image.height) {
        level = std::move(image.rgba);
    } else {
        level.resize(std::size_t{levelWidth} * levelHeight * 4);
        ResizeRgba(image.rgba.data(), image.width, image.height, level.data(), levelWidth, levelHeight, filter);
        image.rgba = {};
    }
    std::vector<BYTE> next;
    for (UINT l = 0; l < levels; ++l) {
        hr = WriteLevel(hold.texture, l, level.data(), levelWidth, levelHeight, created);
        if (FAILED(hr)) {
            NoteLoadFailure(LoadFailureKind::Device, fileName, "the texture could not be filled (" + HexCode(hr) + ")");
            return hr;
        }
        if (l + 1 < levels) {
            next.resize(std::size_t{HalfSize(levelWidth)} * HalfSize(levelHeight) * 4);
            HalveRgba(level.data(), levelWidth, levelHeight, next.data(), mipFilter.kind);
            std::swap(level, next);
            levelWidth = HalfSize(levelWidth);
            levelHeight = HalfSize(levelHeight);
        }
    }

    if (srcInfo != nullptr) {
        *srcInfo = {image.width, image.height, 1, 1, image.format};
    }
    *texture = hold.Take();
    return S_OK;
}

// The whole of a regular file; anything else (a folder, a pipe, a missing path) is refused, so a
// read can never wait on a device. Why a file is refused is noted.
HRESULT ReadWholeFile(LPCSTR path, std::vector<BYTE>* bytes)
{
    std::error_code error;
    const std::filesystem::path file(path);
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        NoteLoadFailure(LoadFailureKind::Missing, path, "not found");
        return D3DXERR_INVALIDDATA;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        NoteLoadFailure(LoadFailureKind::Unreadable, path,
                        status.type() == std::filesystem::file_type::directory ? "a folder, not a file"
                        : error                                               ? error.message()
                                                                              : "not a regular file");
        return D3DXERR_INVALIDDATA;
    }
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size == 0 || size > 0x7FFFFFFFu) {
        NoteLoadFailure(error ? LoadFailureKind::Unreadable : LoadFailureKind::BadData, path,
                        error ? error.message() : size == 0 ? "empty file" : "file too large");
        return D3DXERR_INVALIDDATA;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        NoteLoadFailure(LoadFailureKind::Unreadable, path, std::strerror(errno));
        return D3DXERR_INVALIDDATA;
    }
    bytes->resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size)) {
        NoteLoadFailure(LoadFailureKind::Unreadable, path, "read cut short");
        return D3DXERR_INVALIDDATA;
    }
    return S_OK;
}

// The checks of the in-memory loader, then the load; `fileName` is only for the failure note.
HRESULT LoadFromMemory(const char* fileName, IDirect3DDevice8* device, const void* srcData, UINT srcDataSize,
                       UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                       DWORD filter, DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                       IDirect3DTexture8** texture)
{
    if (texture != nullptr) {
        *texture = nullptr;
    }
    if (device == nullptr || srcData == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    ImageFilter imageFilter{};
    ImageFilter levelFilter{};
    if (!ReadImageFilter(filter, &imageFilter) || !ReadImageFilter(mipFilter, &levelFilter)) {
        return D3DERR_INVALIDCALL;
    }
    if (format != D3DFMT_UNKNOWN && !IsConvertibleFormat(format)) {
        return D3DERR_INVALIDCALL;
    }
    if ((!IsDefault(width) && width > kMaxImageSide) || (!IsDefault(height) && height > kMaxImageSide)) {
        return D3DERR_INVALIDCALL;
    }
    try {
        return LoadTexture(fileName, device, srcData, srcDataSize, width, height, mipLevels, usage, format, pool,
                           imageFilter, levelFilter, colorKey, srcInfo, texture);
    } catch (const std::bad_alloc&) {
        NoteLoadFailure(LoadFailureKind::TooLarge, fileName, "not enough memory for the texture");
        return E_OUTOFMEMORY;
    }
}

} // namespace

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* srcData, UINT srcDataSize,
                                            UINT width, UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                            D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture)
{
    // Textures are never palettised here, so there is no palette to report.
    (void)palette;
    return LoadFromMemory("", device, srcData, srcDataSize, width, height, mipLevels, usage, format, pool, filter,
                          mipFilter, colorKey, srcInfo, texture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR srcFile, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                     DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                     PALETTEENTRY* palette, IDirect3DTexture8** texture)
{
    if (texture != nullptr) {
        *texture = nullptr;
    }
    if (device == nullptr || srcFile == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    (void)palette;
    std::vector<BYTE> bytes;
    try {
        const HRESULT hr = ReadWholeFile(srcFile, &bytes);
        if (FAILED(hr)) {
            return hr;
        }
    } catch (const std::bad_alloc&) {
        NoteLoadFailure(LoadFailureKind::TooLarge, srcFile, "not enough memory to read the file");
        return E_OUTOFMEMORY;
    }
    return LoadFromMemory(srcFile, device, bytes.data(), static_cast<UINT>(bytes.size()), width, height, mipLevels,
                          usage, format, pool, filter, mipFilter, colorKey, srcInfo, texture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, LPCSTR srcFile, IDirect3DTexture8** texture)
{
    return D3DXCreateTextureFromFileExA(device, srcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                        nullptr, texture);
}
