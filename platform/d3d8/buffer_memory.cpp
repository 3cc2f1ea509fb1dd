// SPDX-License-Identifier: GPL-3.0-or-later
// Lock rules shared by the memory vertex and index buffers.
#include "platform/d3d8/buffer_memory.h"

#include "platform/d3d8/d3d8_constants.h"

BufferMemory::BufferMemory(UINT size) : bytes(size) {}

HRESULT BufferMemory::Lock(UINT offset, UINT size, BYTE** data)
{
    if (data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *data = nullptr;
    // 64-bit sum: offset + size must not wrap past the check.
    const std::uint64_t end = static_cast<std::uint64_t>(offset) + (size == 0 ? 0 : size);
    if (locked || offset >= bytes.size() || end > bytes.size()) {
        return D3DERR_INVALIDCALL;
    }
    locked = true;
    *data = bytes.data() + offset;
    return D3D_OK;
}

HRESULT BufferMemory::Unlock()
{
    if (!locked) {
        return D3DERR_INVALIDCALL;
    }
    locked = false;
    return D3D_OK;
}
