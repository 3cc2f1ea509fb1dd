// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the back buffer through its surface.
#include "platform/d3d8/gl/gl_back_buffer_surface.h"

#include "platform/d3d8/gl/gl_device.h"

ULONG GlBackBufferSurface::Release()
{
    const ULONG count = refs.Decrement();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT GlBackBufferSurface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    if (lockedRect == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT whole{};
    HRESULT result = memory->GetDesc(&desc);
    if (SUCCEEDED(result)) {
        // Locking the whole surface first also refuses a second lock before anything is read.
        result = memory->LockRect(&whole, nullptr, flags);
    }
    if (FAILED(result)) {
        *lockedRect = {0, nullptr};
        return result;
    }
    IDirect3DDevice8* device = nullptr;
    result = memory->GetDevice(&device);
    if (SUCCEEDED(result)) {
        // Only the GL device hands these surfaces out.
        result = static_cast<GlDevice*>(device)->ReadBackBuffer(static_cast<BYTE*>(whole.pBits), whole.Pitch,
                                                                desc.Width, desc.Height, desc.Format);
        device->Release();
    }
    memory->UnlockRect();
    if (FAILED(result)) {
        *lockedRect = {0, nullptr};
        return result;
    }
    return memory->LockRect(lockedRect, rect, flags);
}
