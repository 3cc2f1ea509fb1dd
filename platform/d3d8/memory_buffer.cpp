// SPDX-License-Identifier: GPL-3.0-or-later
// The memory index buffer's largest index, scanned once per write.
#include "platform/d3d8/memory_buffer.h"

#include <cstdint>
#include <cstring>

HRESULT MemoryIndexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags)
{
    const HRESULT result = MemoryBuffer::Lock(offsetToLock, sizeToLock, data, flags);
    if (SUCCEEDED(result) && !(flags & D3DLOCK_READONLY)) {
        largestKnown = false;
    }
    return result;
}

UINT MemoryIndexBuffer::LargestIndex()
{
    if (!largestKnown) {
        largest = LargestIndexIn(0, Size() / IndexSize());
        largestKnown = true;
    }
    return largest;
}

UINT MemoryIndexBuffer::LargestIndexIn(UINT first, UINT count) const
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
