// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end's resources: textures, vertex and index buffers and the back buffer, checked
// here and made by the overridable New* functions.
#include "platform/d3d8/device_front.h"

#include "platform/d3d8/memory_surface.h"
#include "platform/d3d8/memory_texture.h"

#include <new>
#include <utility>

namespace {

// No texture side may exceed this, whatever the caps say, so that pitches stay within 32 bits.
constexpr UINT LargestTextureSide = 65536;

bool KnownPool(D3DPOOL pool) { return pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM; }

bool PowerOfTwo(UINT value) { return value != 0 && (value & (value - 1)) == 0; }

// Makes a resource the checks admitted: memory that cannot be had becomes a code, not an exception.
template <typename Resource, typename Maker>
HRESULT Make(Resource** out, Maker maker)
{
    try {
        *out = maker();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

// The same after the out-pointer's own checks: null is refused, and a refusal leaves null behind.
template <typename Resource, typename Maker>
HRESULT MakeChecked(Resource** out, bool valid, Maker maker)
{
    if (out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *out = nullptr;
    return valid ? Make(out, maker) : D3DERR_INVALIDCALL;
}

} // namespace

HRESULT DeviceFrontEnd::SurfaceOfNewTexture(MemoryTexture* texture, SurfaceRole role, IDirect3DSurface8** surface)
{
    HRESULT result = D3D_OK;
    try {
        *surface = new MemorySurface(texture, 0, role);
    } catch (const std::bad_alloc&) {
        result = E_OUTOFMEMORY;
    }
    texture->Release();
    return result;
}

HRESULT DeviceFrontEnd::GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface)
{
    const HRESULT result = [&]() -> HRESULT {
        if (surface == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *surface = nullptr;
        const UINT count = presentParameters.BackBufferCount > 0 ? presentParameters.BackBufferCount : 1;
        if (type != D3DBACKBUFFER_TYPE_MONO || backBuffer >= count) {
            return D3DERR_INVALIDCALL;
        }
        // The back buffer is the one level of a default-pool render target, so holding it stateBlocks Reset.
        MemoryTexture* texture = nullptr;
        try {
            texture = new MemoryTexture(resourceOwner, BackBufferWidth(), BackBufferHeight(), 1, D3DUSAGE_RENDERTARGET,
                                        BackBufferFormat(), D3DPOOL_DEFAULT);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return SurfaceOfNewTexture(texture, SurfaceRole::BackBuffer, surface);
    }();
    Report(DeviceMethod::GetBackBuffer, result, {backBuffer, ArgumentBits(type)},
           surface != nullptr ? *surface : nullptr);
    return result;
}

HRESULT DeviceFrontEnd::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture8** texture)
{
    const HRESULT result = [&]() -> HRESULT {
        if (texture == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *texture = nullptr;
        if (D3DFormatBytesPerPixel(format) == 0 || width == 0 || height == 0 || width > deviceCaps.MaxTextureWidth ||
            height > deviceCaps.MaxTextureHeight || width > LargestTextureSide || height > LargestTextureSide ||
            !KnownPool(pool)) {
            return D3DERR_INVALIDCALL;
        }
        if ((deviceCaps.TextureCaps & D3DPTEXTURECAPS_POW2) && (!PowerOfTwo(width) || !PowerOfTwo(height))) {
            return D3DERR_INVALIDCALL;
        }
        if ((deviceCaps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) {
            return D3DERR_INVALIDCALL;
        }
        // Render targets and depth buffers live only in video memory.
        if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && pool != D3DPOOL_DEFAULT) {
            return D3DERR_INVALIDCALL;
        }
        const UINT fullChain = MemoryTexture::FullChainLength(width, height);
        if (levels > fullChain) {
            return D3DERR_INVALIDCALL;
        }
        const UINT levelCount = levels == 0 ? fullChain : levels;
        return Make(texture,
                    [&] { return NewTexture(resourceOwner, width, height, levelCount, usage, format, pool); });
    }();
    Report(DeviceMethod::CreateTexture, result,
           {width, height, levels, usage, ArgumentBits(format), ArgumentBits(pool)},
           texture != nullptr ? *texture : nullptr);
    return result;
}

HRESULT DeviceFrontEnd::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                           IDirect3DVertexBuffer8** vertexBuffer)
{
    const bool valid = length > 0 && (fvf == 0 || length >= D3DFVFVertexSize(fvf)) && KnownPool(pool);
    const HRESULT result =
        MakeChecked(vertexBuffer, valid, [&] { return NewVertexBuffer(resourceOwner, length, usage, fvf, pool); });
    Report(DeviceMethod::CreateVertexBuffer, result, {length, usage, fvf, ArgumentBits(pool)},
           vertexBuffer != nullptr ? *vertexBuffer : nullptr);
    return result;
}

HRESULT DeviceFrontEnd::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                          IDirect3DIndexBuffer8** indexBuffer)
{
    const bool valid = (format == D3DFMT_INDEX16 || format == D3DFMT_INDEX32) && length > 0 && KnownPool(pool);
    const HRESULT result =
        MakeChecked(indexBuffer, valid, [&] { return NewIndexBuffer(resourceOwner, length, usage, format, pool); });
    Report(DeviceMethod::CreateIndexBuffer, result, {length, usage, ArgumentBits(format), ArgumentBits(pool)},
           indexBuffer != nullptr ? *indexBuffer : nullptr);
    return result;
}

MemoryVertexBuffer* DeviceFrontEnd::NewVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                                DWORD fvf, D3DPOOL pool)
{
    return new MemoryVertexBuffer(std::move(owner), length, usage, fvf, pool);
}

MemoryIndexBuffer* DeviceFrontEnd::NewIndexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                              D3DFORMAT format, D3DPOOL pool)
{
    return new MemoryIndexBuffer(std::move(owner), length, usage, format, pool);
}

MemoryTexture* DeviceFrontEnd::NewTexture(std::shared_ptr<ResourceOwner> owner, UINT width, UINT height, UINT levels,
                                      DWORD usage, D3DFORMAT format, D3DPOOL pool)
{
    return new MemoryTexture(std::move(owner), width, height, levels, usage, format, pool);
}
