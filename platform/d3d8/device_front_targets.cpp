// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end's render targets: depth surfaces, the target and depth buffer draws go to, and
// the checks on them; a derived device follows through RenderTargetChanged.
#include "platform/d3d8/device_front.h"

#include <new>

namespace {

bool IsDepthStencilFormat(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D16:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4: return true;
    default: return false;
    }
}

// No depth surface side may exceed this, as for textures.
constexpr UINT LargestSurfaceSide = 65536;

} // namespace

HRESULT DeviceFrontEnd::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                  D3DMULTISAMPLE_TYPE multiSample, IDirect3DSurface8** surface)
{
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *surface = nullptr;
    if (!IsDepthStencilFormat(format) || multiSample != D3DMULTISAMPLE_NONE || width == 0 || height == 0 ||
        width > LargestSurfaceSide || height > LargestSurfaceSide) {
        return D3DERR_INVALIDCALL;
    }
    MemoryTexture* texture = nullptr;
    try {
        texture = NewTexture(resourceOwner, width, height, 1, D3DUSAGE_DEPTHSTENCIL, format, D3DPOOL_DEFAULT);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return SurfaceOfNewTexture(texture, SurfaceRole::TextureLevel, surface);
}

MemorySurface* DeviceFrontEnd::MemorySurfaceOf(IDirect3DSurface8* surface)
{
    return dynamic_cast<MemorySurface*>(surface);
}

HRESULT DeviceFrontEnd::RenderTargetChanged() { return D3D_OK; }

HRESULT DeviceFrontEnd::SetRenderTarget(IDirect3DSurface8* newTarget, IDirect3DSurface8* newZStencil)
{
    MemorySurface* target = renderTarget;
    UINT width = BackBufferWidth();
    UINT height = BackBufferHeight();
    if (newTarget != nullptr) {
        target = MemorySurfaceOf(newTarget);
        if (target == nullptr || !Owns(target->Texture()->Core())) {
            return D3DERR_INVALIDCALL;
        }
        const bool textureLevel =
            target->Role() == SurfaceRole::TextureLevel && (target->Texture()->Usage() & D3DUSAGE_RENDERTARGET);
        if (!textureLevel && target->Role() != SurfaceRole::BackBuffer) {
            return D3DERR_INVALIDCALL;
        }
        target = textureLevel ? target : nullptr;
    }
    if (target != nullptr) {
        D3DSURFACE_DESC desc{};
        target->GetDesc(&desc);
        width = desc.Width;
        height = desc.Height;
    }
    MemorySurface* depth = nullptr;
    bool automatic = false;
    if (newZStencil != nullptr) {
        depth = MemorySurfaceOf(newZStencil);
        if (depth == nullptr || !Owns(depth->Texture()->Core())) {
            return D3DERR_INVALIDCALL;
        }
        D3DSURFACE_DESC desc{};
        depth->GetDesc(&desc);
        const bool made =
            depth->Role() == SurfaceRole::TextureLevel && (depth->Texture()->Usage() & D3DUSAGE_DEPTHSTENCIL);
        automatic = depth->Role() == SurfaceRole::AutoDepth;
        // The depth buffer must cover the whole target.
        if ((!made && !automatic) || desc.Width < width || desc.Height < height) {
            return D3DERR_INVALIDCALL;
        }
        depth = made ? depth : nullptr;
    }
    MemorySurface* oldTarget = renderTarget;
    MemorySurface* oldDepth = depthSurface;
    const bool oldAutomatic = autoDepthBound;
    renderTarget = target;
    depthSurface = depth;
    autoDepthBound = automatic;
    const HRESULT result = RenderTargetChanged();
    if (FAILED(result)) {
        renderTarget = oldTarget;
        depthSurface = oldDepth;
        autoDepthBound = oldAutomatic;
        return result;
    }
    if (renderTarget != nullptr) {
        renderTarget->AddRef();
    }
    if (depthSurface != nullptr) {
        depthSurface->AddRef();
    }
    if (oldTarget != nullptr) {
        oldTarget->Release();
    }
    if (oldDepth != nullptr) {
        oldDepth->Release();
    }
    // As on the platform, the viewport becomes the whole new target (in the live state, never a block).
    deviceState.viewport = D3DVIEWPORT8{0, 0, width, height, 0.0f, 1.0f};
    StateChanged(DirtyViewport, 0);
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetRenderTarget(IDirect3DSurface8** surface)
{
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (renderTarget == nullptr) {
        return GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, surface);
    }
    renderTarget->AddRef();
    *surface = renderTarget;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetDepthStencilSurface(IDirect3DSurface8** surface)
{
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *surface = nullptr;
    if (depthSurface != nullptr) {
        depthSurface->AddRef();
        *surface = depthSurface;
        return D3D_OK;
    }
    if (!DepthBufferBound()) {
        return D3DERR_NOTFOUND;
    }
    // The automatic depth buffer, as a default-pool surface of the back buffer's size.
    MemoryTexture* texture = nullptr;
    try {
        texture = new MemoryTexture(resourceOwner, BackBufferWidth(), BackBufferHeight(), 1, D3DUSAGE_DEPTHSTENCIL,
                                    presentParameters.AutoDepthStencilFormat, D3DPOOL_DEFAULT);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return SurfaceOfNewTexture(texture, SurfaceRole::AutoDepth, surface);
}

bool DeviceFrontEnd::DepthBufferBound() const
{
    return depthSurface != nullptr || (autoDepthBound && presentParameters.EnableAutoDepthStencil);
}

D3DFORMAT DeviceFrontEnd::BoundDepthFormat() const
{
    return depthSurface != nullptr ? depthSurface->Texture()->Format() : presentParameters.AutoDepthStencilFormat;
}

void DeviceFrontEnd::UnbindTargets()
{
    if (renderTarget != nullptr) {
        renderTarget->Release();
        renderTarget = nullptr;
    }
    if (depthSurface != nullptr) {
        depthSurface->Release();
        depthSurface = nullptr;
    }
    autoDepthBound = true;
}
