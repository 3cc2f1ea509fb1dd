// SPDX-License-Identifier: GPL-3.0-or-later
// The memory texture: level layout, level locks and surface views of levels.
#include "platform/d3d8/memory_texture.h"

#include "platform/d3d8/memory_surface.h"

#include <new>
#include <utility>

UINT MemoryTexture::FullChainLength(UINT width, UINT height)
{
    UINT size = width > height ? width : height;
    UINT count = 1;
    while (size > 1) {
        size >>= 1;
        ++count;
    }
    return count;
}

MemoryTexture::MemoryTexture(std::shared_ptr<ResourceOwner> owner, UINT width, UINT height, UINT levelCount_,
                             DWORD usage_, D3DFORMAT format_, D3DPOOL pool)
    : core(std::move(owner), pool), format(format_), usage(usage_), levelCount(levelCount_), levels{}
{
    const UINT texelSize = D3DFormatBytesPerPixel(format);
    size_t total = 0;
    for (UINT i = 0; i < levelCount; ++i) {
        const UINT w = width >> i > 0 ? width >> i : 1;
        const UINT h = height >> i > 0 ? height >> i : 1;
        levels[i] = {w, h, w * texelSize, total, false};
        total += static_cast<size_t>(w) * texelSize * h;
    }
    bytes.resize(total);
}

ULONG MemoryTexture::AddRef() { return core.AddRef(); }

ULONG MemoryTexture::Release()
{
    const ULONG count = core.Release();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT MemoryTexture::GetDevice(IDirect3DDevice8** device) { return core.GetDevice(device); }

D3DRESOURCETYPE MemoryTexture::GetType() { return D3DRTYPE_TEXTURE; }

DWORD MemoryTexture::GetLevelCount() { return levelCount; }

HRESULT MemoryTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (level >= levelCount || desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const Level& l = levels[level];
    *desc = {format, D3DRTYPE_SURFACE, usage, core.Pool(), l.pitch * l.height, D3DMULTISAMPLE_NONE, l.width, l.height};
    return D3D_OK;
}

HRESULT MemoryTexture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface)
{
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *surface = nullptr;
    if (level >= levelCount) {
        return D3DERR_INVALIDCALL;
    }
    try {
        *surface = new MemorySurface(this, level);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT MemoryTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD)
{
    if (lockedRect == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *lockedRect = {0, nullptr};
    if (level >= levelCount || levels[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    Level& l = levels[level];
    LONG left = 0;
    LONG top = 0;
    if (rect != nullptr) {
        // A rectangle must be non-empty and inside the level.
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            static_cast<UINT>(rect->right) > l.width || static_cast<UINT>(rect->bottom) > l.height) {
            return D3DERR_INVALIDCALL;
        }
        left = rect->left;
        top = rect->top;
    }
    const UINT texelSize = D3DFormatBytesPerPixel(format);
    l.locked = true;
    lockedRect->Pitch = static_cast<INT>(l.pitch);
    lockedRect->pBits = bytes.data() + l.offset + static_cast<size_t>(top) * l.pitch +
                        static_cast<size_t>(left) * texelSize;
    return D3D_OK;
}

HRESULT MemoryTexture::UnlockRect(UINT level)
{
    if (level >= levelCount || !levels[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    levels[level].locked = false;
    return D3D_OK;
}

const BYTE* MemoryTexture::LevelData(UINT level) const
{
    return level < levelCount ? bytes.data() + levels[level].offset : nullptr;
}

UINT MemoryTexture::LevelPitch(UINT level) const { return level < levelCount ? levels[level].pitch : 0; }
