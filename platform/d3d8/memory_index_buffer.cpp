// SPDX-License-Identifier: GPL-3.0-or-later
// The memory index buffer: lock rules come from BufferMemory.
#include "platform/d3d8/memory_index_buffer.h"

#include <utility>

MemoryIndexBuffer::MemoryIndexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage_,
                                     D3DFORMAT format_, D3DPOOL pool)
    : core(std::move(owner), pool), memory(length), usage(usage_), format(format_)
{
}

ULONG MemoryIndexBuffer::AddRef() { return core.AddRef(); }

ULONG MemoryIndexBuffer::Release()
{
    const ULONG count = core.Release();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT MemoryIndexBuffer::GetDevice(IDirect3DDevice8** device) { return core.GetDevice(device); }

D3DRESOURCETYPE MemoryIndexBuffer::GetType() { return D3DRTYPE_INDEXBUFFER; }

HRESULT MemoryIndexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD)
{
    return memory.Lock(offsetToLock, sizeToLock, data);
}

HRESULT MemoryIndexBuffer::Unlock() { return memory.Unlock(); }

HRESULT MemoryIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = {format, D3DRTYPE_INDEXBUFFER, usage, core.Pool(), memory.Size()};
    return D3D_OK;
}
