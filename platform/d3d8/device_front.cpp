// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end: argument checks, the state and its blocks, the scene and the Reset rules.
// Resource creation is in device_front_resources.cpp, the draws in device_front_draw.cpp.
#include "platform/d3d8/device_front.h"

#include "platform/d3d8/memory_texture.h"

#include <cstring>
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

ULONG DeviceFrontEnd::AddRef() { return references.Increment(); }

ULONG DeviceFrontEnd::Release()
{
    const ULONG count = references.Decrement();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT DeviceFrontEnd::TestCooperativeLevel() { return D3D_OK; }

HRESULT DeviceFrontEnd::GetDeviceCaps(D3DCAPS8* caps)
{
    if (caps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *caps = deviceCaps;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    if (mode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *mode = {BackBufferWidth(), BackBufferHeight(), 60, BackBufferFormat()};
    return D3D_OK;
}

void DeviceFrontEnd::SetCursorPosition(int, int, DWORD) {}

HRESULT DeviceFrontEnd::Reset(D3DPRESENT_PARAMETERS* presentationParameters)
{
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
}

HRESULT DeviceFrontEnd::Present(const RECT*, const RECT*, HWND, const void*) { return D3D_OK; }

HRESULT DeviceFrontEnd::BeginScene()
{
    if (inScene) {
        return D3DERR_INVALIDCALL;
    }
    inScene = true;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::EndScene()
{
    if (!inScene) {
        return D3DERR_INVALIDCALL;
    }
    inScene = false;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR, float z, DWORD)
{
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
}

HRESULT DeviceFrontEnd::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix)
{
    const int slot = TransformSlot(type);
    if (slot < 0 || matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().transforms[slot], *matrix, DirtyTransforms);
    if (StateBlockMask* mask = Recording()) {
        mask->transforms[slot] = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix)
{
    const int slot = TransformSlot(type);
    if (slot < 0 || matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *matrix = deviceState.transforms[slot];
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetViewport(const D3DVIEWPORT8* viewport)
{
    if (viewport == nullptr || !InUnitRange(viewport->MinZ) || !InUnitRange(viewport->MaxZ)) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().viewport, *viewport, DirtyViewport);
    if (StateBlockMask* mask = Recording()) {
        mask->viewport = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetViewport(D3DVIEWPORT8* viewport)
{
    if (viewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *viewport = deviceState.viewport;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetMaterial(const D3DMATERIAL8* material)
{
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().material, *material, DirtyMaterial);
    if (StateBlockMask* mask = Recording()) {
        mask->material = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetMaterial(D3DMATERIAL8* material)
{
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *material = deviceState.material;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetLight(DWORD index, const D3DLIGHT8* light)
{
    if (index >= DeviceLightCount || light == nullptr || light->Type < D3DLIGHT_POINT ||
        light->Type > D3DLIGHT_DIRECTIONAL) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().lights[index], *light, DirtyLights);
    if (StateBlockMask* mask = Recording()) {
        mask->lights[index] = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetLight(DWORD index, D3DLIGHT8* light)
{
    if (index >= DeviceLightCount || light == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *light = deviceState.lights[index];
    return D3D_OK;
}

HRESULT DeviceFrontEnd::LightEnable(DWORD index, BOOL enable)
{
    if (index >= DeviceLightCount) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().lightEnabled[index], enable ? TRUE : FALSE, DirtyLights);
    if (StateBlockMask* mask = Recording()) {
        mask->lightEnabled[index] = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetLightEnable(DWORD index, BOOL* enable)
{
    if (index >= DeviceLightCount || enable == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *enable = deviceState.lightEnabled[index];
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetClipPlane(DWORD index, const float* plane)
{
    if (index >= DeviceClipPlaneCount || plane == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().clipPlanes[index], ClipPlane{{plane[0], plane[1], plane[2], plane[3]}}, DirtyClipPlanes);
    if (StateBlockMask* mask = Recording()) {
        mask->clipPlanes[index] = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetClipPlane(DWORD index, float* plane)
{
    if (index >= DeviceClipPlaneCount || plane == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(plane, deviceState.clipPlanes[index].abcd, sizeof(ClipPlane::abcd));
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetRenderState(D3DRENDERSTATETYPE type, DWORD value)
{
    if (type <= 0 || type >= D3DRS_MAX) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().renderStates[type], value, RenderStateGroup(type));
    if (StateBlockMask* mask = Recording()) {
        mask->renderStates[type] = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value)
{
    if (type <= 0 || type >= D3DRS_MAX || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = deviceState.renderStates[type];
    return D3D_OK;
}

HRESULT DeviceFrontEnd::BeginStateBlock() { return stateBlocks.Begin(); }

HRESULT DeviceFrontEnd::EndStateBlock(DWORD* token) { return stateBlocks.End(token); }

HRESULT DeviceFrontEnd::ApplyStateBlock(DWORD token)
{
    const StateBlock* block = stateBlocks.Find(token);
    if (block == nullptr || stateBlocks.Recording() != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    CopyRecordedStates(block->recorded, block->values, deviceState);
    StateChanged(DirtyAll, 0);
    return D3D_OK;
}

HRESULT DeviceFrontEnd::CaptureStateBlock(DWORD token)
{
    StateBlock* block = stateBlocks.Find(token);
    if (block == nullptr || stateBlocks.Recording() != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    CopyRecordedStates(block->recorded, deviceState, block->values);
    return D3D_OK;
}

HRESULT DeviceFrontEnd::DeleteStateBlock(DWORD token) { return stateBlocks.Delete(token); }

HRESULT DeviceFrontEnd::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    if (stage >= D3DMAX_TEXTURE_STAGES || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = deviceState.textures[stage];
    if (*texture != nullptr) {
        (*texture)->AddRef();
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    if (stage >= D3DMAX_TEXTURE_STAGES) {
        return D3DERR_INVALIDCALL;
    }
    // Only textures of this device can be bound: anything else could not be drawn or counted.
    if (texture != nullptr) {
        const MemoryTexture* memory = dynamic_cast<const MemoryTexture*>(texture);
        if (memory == nullptr || !Owns(memory->Core())) {
            return D3DERR_INVALIDCALL;
        }
    }
    Rebind(Target().textures[stage], texture);
    if (StateBlockMask* mask = Recording()) {
        mask->textures[stage] = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (stage >= D3DMAX_TEXTURE_STAGES || type <= 0 || type >= D3DTSS_MAX || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = deviceState.textureStageStates[stage][type];
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= D3DMAX_TEXTURE_STAGES || type <= 0 || type >= D3DTSS_MAX) {
        return D3DERR_INVALIDCALL;
    }
    Store(Target().textureStageStates[stage][type], value, DirtyTextureStage, stage);
    if (StateBlockMask* mask = Recording()) {
        mask->textureStageStates[stage][type] = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetVertexShader(DWORD handle)
{
    Store(Target().vertexShader, handle, DirtyVertexInput);
    if (StateBlockMask* mask = Recording()) {
        mask->vertexShader = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetVertexShader(DWORD* handle)
{
    if (handle == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *handle = deviceState.vertexShader;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetPixelShader(DWORD handle)
{
    // No pixel shader can be created on this device, so 0 (the fixed pipeline) is the only handle.
    if (handle != 0) {
        return D3DERR_INVALIDCALL;
    }
    Target().pixelShader = handle;
    if (StateBlockMask* mask = Recording()) {
        mask->pixelShader = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetPixelShader(DWORD* handle)
{
    if (handle == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *handle = deviceState.pixelShader;
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride)
{
    if (streamNumber != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (streamData != nullptr) {
        const MemoryVertexBuffer* memory = dynamic_cast<const MemoryVertexBuffer*>(streamData);
        // A zero stride would make every draw read the first vertex and defeat the range check.
        if (memory == nullptr || !Owns(memory->Core()) || stride == 0 ||
            (deviceCaps.MaxStreamStride > 0 && stride > deviceCaps.MaxStreamStride)) {
            return D3DERR_INVALIDCALL;
        }
    }
    DeviceState& target = Target();
    const bool changed = target.streamSource != streamData || target.streamStride != stride;
    Rebind(target.streamSource, streamData);
    target.streamStride = stride;
    if (changed && Recording() == nullptr) {
        StateChanged(DirtyVertexInput, 0);
    }
    if (StateBlockMask* mask = Recording()) {
        mask->streamSource = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData, UINT* stride)
{
    if (streamNumber != 0 || streamData == nullptr || stride == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *streamData = deviceState.streamSource;
    *stride = deviceState.streamStride;
    if (*streamData != nullptr) {
        (*streamData)->AddRef();
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::SetIndices(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex)
{
    if (indexData != nullptr) {
        const MemoryIndexBuffer* memory = dynamic_cast<const MemoryIndexBuffer*>(indexData);
        if (memory == nullptr || !Owns(memory->Core())) {
            return D3DERR_INVALIDCALL;
        }
    }
    DeviceState& target = Target();
    Rebind(target.indices, indexData);
    target.baseVertexIndex = baseVertexIndex;
    if (StateBlockMask* mask = Recording()) {
        mask->indices = true;
    }
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetIndices(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex)
{
    if (indexData == nullptr || baseVertexIndex == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *indexData = deviceState.indices;
    *baseVertexIndex = deviceState.baseVertexIndex;
    if (*indexData != nullptr) {
        (*indexData)->AddRef();
    }
    return D3D_OK;
}

void DeviceFrontEnd::StateChanged(DirtyGroups, DWORD) {}

template <typename Value>
void DeviceFrontEnd::Store(Value& slot, const Value& value, DirtyGroups groups, DWORD stage)
{
    const bool changed = Recording() == nullptr && std::memcmp(&slot, &value, sizeof(Value)) != 0;
    slot = value;
    if (changed && groups != 0) {
        StateChanged(groups, stage);
    }
}

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
