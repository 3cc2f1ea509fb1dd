// SPDX-License-Identifier: GPL-3.0-or-later
// The library's byte buffer: one allocation, released with its last reference.
#include "d3dx/d3dx_buffer.h"

#include "platform/d3d8/d3d8_constants.h"
#include "platform/base/ref_counted.h"

#include <memory>
#include <new>

namespace {

class ByteBuffer final : public ID3DXBuffer {
public:
    explicit ByteBuffer(DWORD size) : bytes(new BYTE[size == 0 ? 1 : size]()), byteCount(size) {}

    ULONG AddRef() override { return refs.Increment(); }

    ULONG Release() override
    {
        const ULONG count = refs.Decrement();
        if (count == 0) {
            delete this;
        }
        return count;
    }

    void* GetBufferPointer() override { return bytes.get(); }
    DWORD GetBufferSize() override { return byteCount; }

private:
    ~ByteBuffer() override = default;

    RefCounter refs;
    std::unique_ptr<BYTE[]> bytes;
    DWORD byteCount;
};

} // namespace

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer)
{
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    try {
        *buffer = new ByteBuffer(numBytes);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}
