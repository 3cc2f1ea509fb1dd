// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end: its lifetime, the scene, Clear, state blocks and the Reset rules. The state's
// setters are in device_front_state.cpp, resources in device_front_resources.cpp, draws in
// device_front_draw.cpp.
#include "platform/d3d8/device_front.h"

#include "platform/d3d8/memory_texture.h"

#include <utility>

namespace {

bool HasStencil(D3DFORMAT format)
{
    return format == D3DFMT_D15S1 || format == D3DFMT_D24S8 || format == D3DFMT_D24X4S4;
}

bool InUnitRange(float value) { return value >= 0.0f && value <= 1.0f; }

} // namespace

D3DCAPS8 DeviceFrontEnd::DefaultCaps()
{
    D3DCAPS8 deviceCaps{};
    deviceCaps.DeviceType = D3DDEVTYPE_HAL;
    deviceCaps.AdapterOrdinal = D3DADAPTER_DEFAULT;
    deviceCaps.Caps2 = D3DCAPS2_CANRENDERWINDOWED;
    deviceCaps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    deviceCaps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    deviceCaps.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    deviceCaps.TextureCaps = D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_ALPHA;
    deviceCaps.MaxTextureWidth = 4096;
    deviceCaps.MaxTextureHeight = 4096;
    deviceCaps.MaxTextureRepeat = 8192;
    deviceCaps.MaxTextureAspectRatio = 4096;
    deviceCaps.MaxAnisotropy = 1;
    deviceCaps.MaxVertexW = 1.0e10f;
    deviceCaps.FVFCaps = 8 | D3DFVFCAPS_PSIZE;
    deviceCaps.MaxTextureBlendStages = D3DMAX_TEXTURE_STAGES;
    deviceCaps.MaxSimultaneousTextures = D3DMAX_TEXTURE_STAGES;
    deviceCaps.MaxActiveLights = DeviceLightCount;
    deviceCaps.MaxUserClipPlanes = DeviceClipPlaneCount;
    deviceCaps.MaxPointSize = 64.0f;
    deviceCaps.MaxPrimitiveCount = 0xFFFFF;
    deviceCaps.MaxVertexIndex = 0xFFFFF;
    deviceCaps.MaxStreams = 1;
    deviceCaps.MaxStreamStride = 256;
    return deviceCaps;
}

D3DPRESENT_PARAMETERS DeviceFrontEnd::DefaultPresentParameters()
{
    D3DPRESENT_PARAMETERS presentParameters{};
    presentParameters.BackBufferWidth = 640;
    presentParameters.BackBufferHeight = 480;
    presentParameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    presentParameters.BackBufferCount = 1;
    presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParameters.Windowed = TRUE;
    presentParameters.EnableAutoDepthStencil = TRUE;
    presentParameters.AutoDepthStencilFormat = D3DFMT_D16;
    return presentParameters;
}

DeviceFrontEnd::DeviceFrontEnd(const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters)
    : deviceCaps(caps), presentParameters(parameters), deviceState{}, resourceOwner(std::make_shared<ResourceOwner>())
{
    resourceOwner->device.store(this);
    FillDefaultDeviceState(deviceState, presentParameters, deviceCaps);
}

DeviceFrontEnd::~DeviceFrontEnd()
{
    // Resources that outlive the device must no longer reach it.
    resourceOwner->device.store(nullptr);
    stateBlocks.Clear();
    ReleaseBoundObjects(deviceState);
    UnbindTargets();
}

ULONG DeviceFrontEnd::AddRef()
{
    const ULONG count = references.Increment();
    Report(DeviceMethod::AddRef, D3D_OK, {count});
    return count;
}

ULONG DeviceFrontEnd::Release()
{
    // Reported first: the last Release deletes the device.
    Report(DeviceMethod::Release, D3D_OK, {RefCount() > 0 ? RefCount() - 1 : 0});
    const ULONG count = references.Decrement();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT DeviceFrontEnd::TestCooperativeLevel()
{
    Report(DeviceMethod::TestCooperativeLevel, D3D_OK, {});
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetDeviceCaps(D3DCAPS8* caps)
{
    const HRESULT result = CopyOut(caps, deviceCaps);
    Report(DeviceMethod::GetDeviceCaps, result, {});
    return result;
}

HRESULT DeviceFrontEnd::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    const HRESULT result = CopyOut(mode, D3DDISPLAYMODE{BackBufferWidth(), BackBufferHeight(), 60, BackBufferFormat()});
    Report(DeviceMethod::GetDisplayMode, result, {});
    return result;
}

void DeviceFrontEnd::SetCursorPosition(int x, int y, DWORD flags)
{
    Report(DeviceMethod::SetCursorPosition, D3D_OK, {ArgumentBits(x), ArgumentBits(y), flags});
}

HRESULT DeviceFrontEnd::Reset(D3DPRESENT_PARAMETERS* presentationParameters)
{
    const HRESULT result = [&]() -> HRESULT {
        if (presentationParameters == nullptr || DefaultPoolHeldElsewhere() > 0) {
            return D3DERR_INVALIDCALL;
        }
        ReleaseBoundObjects(deviceState);
        const bool textureTarget = renderTarget != nullptr || depthSurface != nullptr || !autoDepthBound;
        UnbindTargets();
        presentParameters = *presentationParameters;
        FillDefaultDeviceState(deviceState, presentParameters, deviceCaps);
        inScene = false;
        StateChanged(DirtyAll, 0);
        if (textureTarget) {
            RenderTargetChanged();
        }
        return D3D_OK;
    }();
    Report(DeviceMethod::Reset, result, {}, presentationParameters);
    return result;
}

HRESULT DeviceFrontEnd::Present(const RECT*, const RECT*, HWND, const void*)
{
    Report(DeviceMethod::Present, D3D_OK, {});
    return D3D_OK;
}

HRESULT DeviceFrontEnd::BeginScene()
{
    const HRESULT result = [&]() -> HRESULT {
        if (inScene) {
            return D3DERR_INVALIDCALL;
        }
        inScene = true;
        return D3D_OK;
    }();
    Report(DeviceMethod::BeginScene, result, {});
    return result;
}

HRESULT DeviceFrontEnd::EndScene()
{
    const HRESULT result = [&]() -> HRESULT {
        if (!inScene) {
            return D3DERR_INVALIDCALL;
        }
        inScene = false;
        return D3D_OK;
    }();
    Report(DeviceMethod::EndScene, result, {});
    return result;
}

HRESULT DeviceFrontEnd::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                              DWORD stencil)
{
    const HRESULT result = [&]() -> HRESULT {
        if ((count > 0 && rects == nullptr) || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
            return D3DERR_INVALIDCALL;
        }
        // Depth and stencil can be cleared only when the device has them.
        if ((flags & D3DCLEAR_ZBUFFER) && !DepthBufferBound()) {
            return D3DERR_INVALIDCALL;
        }
        if ((flags & D3DCLEAR_STENCIL) && (!DepthBufferBound() || !HasStencil(BoundDepthFormat()))) {
            return D3DERR_INVALIDCALL;
        }
        if ((flags & D3DCLEAR_ZBUFFER) && !InUnitRange(z)) {
            return D3DERR_INVALIDCALL;
        }
        return D3D_OK;
    }();
    Report(DeviceMethod::Clear, result, {count, flags, color, stencil}, &z);
    return result;
}

HRESULT DeviceFrontEnd::BeginStateBlock()
{
    const HRESULT result = stateBlocks.Begin();
    Report(DeviceMethod::BeginStateBlock, result, {});
    return result;
}

HRESULT DeviceFrontEnd::EndStateBlock(DWORD* token)
{
    const HRESULT result = stateBlocks.End(token);
    Report(DeviceMethod::EndStateBlock, result, {SUCCEEDED(result) ? *token : 0});
    return result;
}

HRESULT DeviceFrontEnd::ApplyStateBlock(DWORD token)
{
    const HRESULT result = [&]() -> HRESULT {
        const StateBlock* block = stateBlocks.Find(token);
        if (block == nullptr || stateBlocks.Recording() != nullptr) {
            return D3DERR_INVALIDCALL;
        }
        CopyRecordedStates(block->recorded, block->values, deviceState);
        StateChanged(DirtyAll, 0);
        return D3D_OK;
    }();
    Report(DeviceMethod::ApplyStateBlock, result, {token});
    return result;
}

HRESULT DeviceFrontEnd::CaptureStateBlock(DWORD token)
{
    const HRESULT result = [&]() -> HRESULT {
        StateBlock* block = stateBlocks.Find(token);
        if (block == nullptr || stateBlocks.Recording() != nullptr) {
            return D3DERR_INVALIDCALL;
        }
        CopyRecordedStates(block->recorded, deviceState, block->values);
        return D3D_OK;
    }();
    Report(DeviceMethod::CaptureStateBlock, result, {token});
    return result;
}

HRESULT DeviceFrontEnd::DeleteStateBlock(DWORD token)
{
    const HRESULT result = stateBlocks.Delete(token);
    Report(DeviceMethod::DeleteStateBlock, result, {token});
    return result;
}

void DeviceFrontEnd::StateChanged(DirtyGroups, DWORD) {}

void DeviceFrontEnd::CallMade(DeviceMethod, HRESULT, std::initializer_list<DWORD>, const void*) {}

DeviceState& DeviceFrontEnd::Target()
{
    StateBlock* block = stateBlocks.Recording();
    return block != nullptr ? block->values : deviceState;
}

StateBlockMask* DeviceFrontEnd::Recording()
{
    StateBlock* block = stateBlocks.Recording();
    return block != nullptr ? &block->recorded : nullptr;
}

UINT DeviceFrontEnd::DefaultPoolHeldElsewhere() const
{
    // A default-pool object that only the device's bindings keep alive goes away with Reset,
    // so it does not count against it.
    struct Held {
        const ResourceCore* core;
        ULONG bindings;
    };
    Held held[D3DMAX_TEXTURE_STAGES + 4] = {};
    int heldCount = 0;
    const auto note = [&](const ResourceCore& core) {
        if (core.Pool() != D3DPOOL_DEFAULT) {
            return;
        }
        for (int i = 0; i < heldCount; ++i) {
            if (held[i].core == &core) {
                ++held[i].bindings;
                return;
            }
        }
        held[heldCount++] = {&core, 1};
    };
    for (IDirect3DBaseTexture8* texture : deviceState.textures) {
        if (texture != nullptr) {
            note(static_cast<const MemoryTexture*>(texture)->Core());
        }
    }
    if (deviceState.streamSource != nullptr) {
        note(static_cast<const MemoryVertexBuffer*>(deviceState.streamSource)->Core());
    }
    if (deviceState.indices != nullptr) {
        note(static_cast<const MemoryIndexBuffer*>(deviceState.indices)->Core());
    }
    // A target or depth surface the device alone still holds goes with the reset too.
    for (const MemorySurface* bound : {renderTarget, depthSurface}) {
        if (bound != nullptr && bound->RefCount() == 1) {
            note(bound->Texture()->Core());
        }
    }
    UINT onlyBound = 0;
    for (int i = 0; i < heldCount; ++i) {
        if (held[i].core->RefCount() == held[i].bindings) {
            ++onlyBound;
        }
    }
    const UINT live = resourceOwner->liveDefaultPool.load();
    return live > onlyBound ? live - onlyBound : 0;
}

// A size of 0 asks for the window's; with no window here, the smallest buffer stands in.
UINT DeviceFrontEnd::BackBufferWidth() const
{
    return presentParameters.BackBufferWidth > 0 ? presentParameters.BackBufferWidth : 1;
}

UINT DeviceFrontEnd::BackBufferHeight() const
{
    return presentParameters.BackBufferHeight > 0 ? presentParameters.BackBufferHeight : 1;
}

D3DFORMAT DeviceFrontEnd::BackBufferFormat() const
{
    // A windowed device may leave the format to the desktop's, which is 32-bit here.
    const D3DFORMAT format = presentParameters.BackBufferFormat;
    return D3DFormatBytesPerPixel(format) > 0 ? format : D3DFMT_X8R8G8B8;
}
