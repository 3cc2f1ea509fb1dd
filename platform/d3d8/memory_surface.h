// SPDX-License-Identifier: GPL-3.0-or-later
// A surface that views one level of a memory texture: it shares the level's memory and lock,
// and keeps the texture alive. The back buffer is the only level of a one-level texture.
#pragma once

#include "platform/d3d8/memory_texture.h"

// What a surface stands for: a level of a texture, the back buffer, or the automatic depth buffer.
enum class SurfaceRole { TextureLevel, BackBuffer, AutoDepth };

class MemorySurface final : public IDirect3DSurface8 {
public:
    // Takes a reference to the texture; the new surface holds the caller's one reference.
    MemorySurface(MemoryTexture* texture, UINT level, SurfaceRole role = SurfaceRole::TextureLevel);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    MemoryTexture* Texture() const { return texture; }
    UINT Level() const { return level; }
    SurfaceRole Role() const { return role; }
    ULONG RefCount() const { return refs.Value(); }

private:
    ~MemorySurface() override;

    RefCounter refs;
    MemoryTexture* texture;
    UINT level;
    SurfaceRole role;
};
