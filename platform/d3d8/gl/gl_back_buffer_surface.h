// SPDX-License-Identifier: GPL-3.0-or-later
// The back buffer as a surface: a memory surface of the back buffer's size and format (so that
// holding it counts against Reset like any default-pool object) whose LockRect first reads the
// drawn pixels back from GL, top row first.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/base/ref_counted.h"

class GlBackBufferSurface final : public IDirect3DSurface8 {
public:
    // Takes over the caller's reference to the memory surface.
    explicit GlBackBufferSurface(IDirect3DSurface8* memory_) : memory(memory_) {}

    ULONG AddRef() override { return refs.Increment(); }
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override { return memory->GetDevice(device); }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override { return memory->GetDesc(desc); }
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override { return memory->UnlockRect(); }
    // The memory surface that stands for the back buffer.
    IDirect3DSurface8* Memory() const { return memory; }

private:
    ~GlBackBufferSurface() override { memory->Release(); }

    RefCounter refs;
    IDirect3DSurface8* memory;
};
