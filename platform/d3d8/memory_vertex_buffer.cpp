// SPDX-License-Identifier: GPL-3.0-or-later
// The memory vertex buffer: lock rules come from BufferMemory.
#include "platform/d3d8/memory_vertex_buffer.h"

#include <utility>

MemoryVertexBuffer::MemoryVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage, DWORD fvf,
                                       D3DPOOL pool)
    : core(std::move(owner), pool), memory(length), bufferUsage(usage), bufferFvf(fvf)
{
}

ULONG MemoryVertexBuffer::AddRef() { return core.AddRef(); }

ULONG MemoryVertexBuffer::Release()
{
    const ULONG count = core.Release();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT MemoryVertexBuffer::GetDevice(IDirect3DDevice8** device) { return core.GetDevice(device); }

D3DRESOURCETYPE MemoryVertexBuffer::GetType() { return D3DRTYPE_VERTEXBUFFER; }

HRESULT MemoryVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD)
{
    return memory.Lock(offsetToLock, sizeToLock, data);
}

HRESULT MemoryVertexBuffer::Unlock() { return memory.Unlock(); }

HRESULT MemoryVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, bufferUsage, core.Pool(), memory.Size(), bufferFvf};
    return D3D_OK;
}
