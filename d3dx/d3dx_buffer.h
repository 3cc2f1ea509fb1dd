// SPDX-License-Identifier: GPL-3.0-or-later
// A reference-counted block of bytes that the loading library hands out: adjacency, materials, remaps.
#pragma once

#include "platform/base/win_types.h"

class ID3DXBuffer : public IUnknown {
public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

// A zero-filled buffer of numBytes bytes, one reference held by the caller. E_OUTOFMEMORY when the
// memory cannot be had, D3DERR_INVALIDCALL for a null out pointer; *buffer is null on failure.
HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** buffer);
