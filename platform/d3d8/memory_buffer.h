// SPDX-License-Identifier: GPL-3.0-or-later
// Vertex and index buffers kept in ordinary memory, one class template for both: the kinds differ
// only in the interface, the resource type and what the description reports. Lock rules come from
// BufferMemory.
#pragma once

#include "platform/d3d8/buffer_memory.h"
#include "platform/d3d8/resource_core.h"

#include <utility>

struct VertexBufferKind {
    using Interface = IDirect3DVertexBuffer8;
    using Desc = D3DVERTEXBUFFER_DESC;
    static constexpr D3DRESOURCETYPE Type = D3DRTYPE_VERTEXBUFFER;
    // format: the flexible vertex format given at creation.
    static Desc DescOf(DWORD format, DWORD usage, D3DPOOL pool, UINT size)
    {
        return {D3DFMT_VERTEXDATA, Type, usage, pool, size, format};
    }
};

struct IndexBufferKind {
    using Interface = IDirect3DIndexBuffer8;
    using Desc = D3DINDEXBUFFER_DESC;
    static constexpr D3DRESOURCETYPE Type = D3DRTYPE_INDEXBUFFER;
    // format: D3DFMT_INDEX16 or D3DFMT_INDEX32.
    static Desc DescOf(DWORD format, DWORD usage, D3DPOOL pool, UINT size)
    {
        return {static_cast<D3DFORMAT>(format), Type, usage, pool, size};
    }
};

template <typename Kind>
class MemoryBuffer : public Kind::Interface {
public:
    // Allocates the whole buffer; throws std::bad_alloc when it cannot.
    MemoryBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage, DWORD format, D3DPOOL pool)
        : core(std::move(owner), pool), memory(length), bufferUsage(usage), bufferFormat(format)
    {
    }

    ULONG AddRef() override { return core.AddRef(); }
    ULONG Release() override
    {
        const ULONG count = core.Release();
        if (count == 0) {
            delete this;
        }
        return count;
    }
    HRESULT GetDevice(IDirect3DDevice8** device) override { return core.GetDevice(device); }
    D3DRESOURCETYPE GetType() override { return Kind::Type; }
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD) override
    {
        return memory.Lock(offsetToLock, sizeToLock, data);
    }
    HRESULT Unlock() override { return memory.Unlock(); }
    HRESULT GetDesc(typename Kind::Desc* desc) override
    {
        if (desc == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *desc = Kind::DescOf(bufferFormat, bufferUsage, core.Pool(), memory.Size());
        return D3D_OK;
    }

    // Read access without locking, for devices that copy on draw and for tests.
    const BYTE* Data() const { return memory.Data(); }
    UINT Size() const { return memory.Size(); }
    bool Locked() const { return memory.Locked(); }
    const ResourceCore& Core() const { return core; }

protected:
    // Released through Release only; a drawing device may extend the buffer.
    ~MemoryBuffer() override = default;
    DWORD Format() const { return bufferFormat; }

private:
    ResourceCore core;
    BufferMemory memory;
    DWORD bufferUsage;
    DWORD bufferFormat;
};

using MemoryVertexBuffer = MemoryBuffer<VertexBufferKind>;

// An index buffer of 16- or 32-bit indices; it knows its largest index so that a draw can be checked
// against its vertices without a scan per draw.
class MemoryIndexBuffer : public MemoryBuffer<IndexBufferKind> {
public:
    MemoryIndexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool)
        : MemoryBuffer(std::move(owner), length, usage, format, pool)
    {
    }

    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
    // Bytes per index: 2 or 4.
    UINT IndexSize() const { return Format() == D3DFMT_INDEX32 ? 4 : 2; }
    // The largest index of the whole buffer, kept until the next lock that may write.
    UINT LargestIndex();
    // The largest index in [first, first + count); the caller keeps the range inside the buffer.
    UINT LargestIndexIn(UINT first, UINT count) const;

protected:
    ~MemoryIndexBuffer() override = default;

private:
    bool largestKnown = false;
    UINT largest = 0;
};
