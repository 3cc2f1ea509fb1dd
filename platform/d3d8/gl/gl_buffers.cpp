// SPDX-License-Identifier: GPL-3.0-or-later
// GL vertex and index buffers: lock bookkeeping and the index range check.
#include "platform/d3d8/gl/gl_buffers.h"

#include <cstring>
#include <utility>

GlVertexBuffer::GlVertexBuffer(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<GlGarbage> garbage,
                               UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : MemoryVertexBuffer(std::move(owner), length, usage, fvf, pool),
      object(std::move(garbage), (usage & D3DUSAGE_DYNAMIC) != 0 || pool == D3DPOOL_DEFAULT)
{
}

HRESULT GlVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags)
{
    const HRESULT result = MemoryVertexBuffer::Lock(offsetToLock, sizeToLock, data, flags);
    if (SUCCEEDED(result)) {
        object.NoteLock(offsetToLock, sizeToLock, flags, Size());
    }
    return result;
}

GlIndexBuffer::GlIndexBuffer(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<GlGarbage> garbage,
                             UINT length, DWORD usage_, D3DFORMAT format_, D3DPOOL pool)
    : MemoryIndexBuffer(std::move(owner), length, usage_, format_, pool),
      object(std::move(garbage), (usage_ & D3DUSAGE_DYNAMIC) != 0 || pool == D3DPOOL_DEFAULT)
{
}

HRESULT GlIndexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags)
{
    const HRESULT result = MemoryIndexBuffer::Lock(offsetToLock, sizeToLock, data, flags);
    if (SUCCEEDED(result)) {
        object.NoteLock(offsetToLock, sizeToLock, flags, Size());
        if (!(flags & D3DLOCK_READONLY)) {
            largestKnown = false;
        }
    }
    return result;
}

UINT GlIndexBuffer::LargestIndex()
{
    if (!largestKnown) {
        largest = LargestIndexIn(0, Size() / IndexSize());
        largestKnown = true;
    }
    return largest;
}

UINT GlIndexBuffer::LargestIndexIn(UINT first, UINT count) const
{
    UINT result = 0;
    const BYTE* bytes = Data() + static_cast<size_t>(first) * IndexSize();
    for (UINT i = 0; i < count; ++i) {
        UINT value = 0;
        if (IndexSize() == 2) {
            std::uint16_t index16 = 0;
            std::memcpy(&index16, bytes + 2 * static_cast<size_t>(i), 2);
            value = index16;
        } else {
            std::memcpy(&value, bytes + 4 * static_cast<size_t>(i), 4);
        }
        result = value > result ? value : result;
    }
    return result;
}
