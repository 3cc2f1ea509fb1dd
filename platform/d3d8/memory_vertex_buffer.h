// SPDX-License-Identifier: GPL-3.0-or-later
// A vertex buffer kept in ordinary memory, for devices that draw nothing or copy on draw.
#pragma once

#include "platform/d3d8/buffer_memory.h"
#include "platform/d3d8/resource_core.h"

class MemoryVertexBuffer : public IDirect3DVertexBuffer8 {
public:
    // Allocates the whole buffer; throws std::bad_alloc when it cannot.
    MemoryVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override;
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    // Read access without locking, for devices that copy on draw and for tests.
    const BYTE* Data() const { return memory.Data(); }
    UINT Size() const { return memory.Size(); }
    bool Locked() const { return memory.Locked(); }
    const ResourceCore& Core() const { return core; }

protected:
    ~MemoryVertexBuffer() override = default;

private:
    ResourceCore core;
    BufferMemory memory;
    DWORD bufferUsage;
    DWORD bufferFvf;
};
