// SPDX-License-Identifier: GPL-3.0-or-later
// An index buffer of 16- or 32-bit indices kept in ordinary memory.
#pragma once

#include "platform/d3d8/buffer_memory.h"
#include "platform/d3d8/resource_core.h"

class MemoryIndexBuffer : public IDirect3DIndexBuffer8 {
public:
    // Allocates the whole buffer; throws std::bad_alloc when it cannot.
    MemoryIndexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override;
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    const BYTE* Data() const { return memory.Data(); }
    UINT Size() const { return memory.Size(); }
    // Bytes per index: 2 or 4.
    UINT IndexSize() const { return format == D3DFMT_INDEX32 ? 4 : 2; }
    bool Locked() const { return memory.Locked(); }
    const ResourceCore& Core() const { return core; }

protected:
    // Released through Release only; a drawing device may extend the buffer.
    ~MemoryIndexBuffer() override = default;

private:
    ResourceCore core;
    BufferMemory memory;
    DWORD usage;
    D3DFORMAT format;
};
