// SPDX-License-Identifier: GPL-3.0-or-later
// The surface view of a memory texture level.
#include "platform/d3d8/memory_surface.h"

MemorySurface::MemorySurface(MemoryTexture* texture_, UINT level_, SurfaceRole role_)
    : texture(texture_), level(level_), role(role_)
{
    texture->AddRef();
}

MemorySurface::~MemorySurface() { texture->Release(); }

ULONG MemorySurface::AddRef() { return refs.Increment(); }

ULONG MemorySurface::Release()
{
    const ULONG count = refs.Decrement();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT MemorySurface::GetDevice(IDirect3DDevice8** device) { return texture->GetDevice(device); }

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* desc) { return texture->GetLevelDesc(level, desc); }

HRESULT MemorySurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    return texture->LockRect(level, lockedRect, rect, flags);
}

HRESULT MemorySurface::UnlockRect() { return texture->UnlockRect(level); }
