// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end's state: the setters, which check their arguments and write the live state or
// the block being recorded, and the getters.
#include "platform/d3d8/device_front.h"

#include "platform/d3d8/memory_texture.h"

#include <cstring>

namespace {

bool InUnitRange(float value) { return value >= 0.0f && value <= 1.0f; }

} // namespace

HRESULT DeviceFrontEnd::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix)
{
    const int slot = TransformSlot(type);
    const HRESULT result = (slot < 0 || matrix == nullptr) ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.transforms[slot]; }, *matrix, DirtyTransforms);
    }
    Report(DeviceMethod::SetTransform, result, {ArgumentBits(type)}, matrix);
    return result;
}

HRESULT DeviceFrontEnd::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix)
{
    const int slot = TransformSlot(type);
    const HRESULT result = slot < 0 ? D3DERR_INVALIDCALL : CopyOut(matrix, deviceState.transforms[slot]);
    Report(DeviceMethod::GetTransform, result, {ArgumentBits(type)});
    return result;
}

HRESULT DeviceFrontEnd::SetViewport(const D3DVIEWPORT8* viewport)
{
    const bool refused = viewport == nullptr || !InUnitRange(viewport->MinZ) || !InUnitRange(viewport->MaxZ);
    const HRESULT result = refused ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.viewport; }, *viewport, DirtyViewport);
    }
    Report(DeviceMethod::SetViewport, result, {}, viewport);
    return result;
}

HRESULT DeviceFrontEnd::GetViewport(D3DVIEWPORT8* viewport)
{
    const HRESULT result = CopyOut(viewport, deviceState.viewport);
    Report(DeviceMethod::GetViewport, result, {});
    return result;
}

HRESULT DeviceFrontEnd::SetMaterial(const D3DMATERIAL8* material)
{
    const HRESULT result = material == nullptr ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.material; }, *material, DirtyMaterial);
    }
    Report(DeviceMethod::SetMaterial, result, {}, material);
    return result;
}

HRESULT DeviceFrontEnd::GetMaterial(D3DMATERIAL8* material)
{
    const HRESULT result = CopyOut(material, deviceState.material);
    Report(DeviceMethod::GetMaterial, result, {});
    return result;
}

HRESULT DeviceFrontEnd::SetLight(DWORD index, const D3DLIGHT8* light)
{
    const bool refused = index >= DeviceLightCount || light == nullptr || light->Type < D3DLIGHT_POINT ||
                         light->Type > D3DLIGHT_DIRECTIONAL;
    const HRESULT result = refused ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.lights[index]; }, *light, DirtyLights);
    }
    Report(DeviceMethod::SetLight, result, {index}, light);
    return result;
}

HRESULT DeviceFrontEnd::GetLight(DWORD index, D3DLIGHT8* light)
{
    const HRESULT result = index >= DeviceLightCount ? D3DERR_INVALIDCALL : CopyOut(light, deviceState.lights[index]);
    Report(DeviceMethod::GetLight, result, {index});
    return result;
}

HRESULT DeviceFrontEnd::LightEnable(DWORD index, BOOL enable)
{
    const HRESULT result = index >= DeviceLightCount ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.lightEnabled[index]; }, enable ? TRUE : FALSE, DirtyLights);
    }
    Report(DeviceMethod::LightEnable, result, {index, ArgumentBits(enable)});
    return result;
}

HRESULT DeviceFrontEnd::GetLightEnable(DWORD index, BOOL* enable)
{
    const HRESULT result =
        index >= DeviceLightCount ? D3DERR_INVALIDCALL : CopyOut(enable, deviceState.lightEnabled[index]);
    Report(DeviceMethod::GetLightEnable, result, {index});
    return result;
}

HRESULT DeviceFrontEnd::SetClipPlane(DWORD index, const float* plane)
{
    const HRESULT result = (index >= DeviceClipPlaneCount || plane == nullptr) ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.clipPlanes[index]; },
              ClipPlane{{plane[0], plane[1], plane[2], plane[3]}}, DirtyClipPlanes);
    }
    Report(DeviceMethod::SetClipPlane, result, {index});
    return result;
}

HRESULT DeviceFrontEnd::GetClipPlane(DWORD index, float* plane)
{
    const HRESULT result = [&]() -> HRESULT {
        if (index >= DeviceClipPlaneCount || plane == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        std::memcpy(plane, deviceState.clipPlanes[index].abcd, sizeof(ClipPlane::abcd));
        return D3D_OK;
    }();
    Report(DeviceMethod::GetClipPlane, result, {index});
    return result;
}

HRESULT DeviceFrontEnd::SetRenderState(D3DRENDERSTATETYPE type, DWORD value)
{
    const HRESULT result = (type <= 0 || type >= D3DRS_MAX) ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.renderStates[type]; }, value, RenderStateGroup(type));
    }
    Report(DeviceMethod::SetRenderState, result, {ArgumentBits(type), value});
    return result;
}

HRESULT DeviceFrontEnd::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value)
{
    const HRESULT result =
        (type <= 0 || type >= D3DRS_MAX) ? D3DERR_INVALIDCALL : CopyOut(value, deviceState.renderStates[type]);
    Report(DeviceMethod::GetRenderState, result, {ArgumentBits(type)});
    return result;
}

HRESULT DeviceFrontEnd::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    const HRESULT result = [&]() -> HRESULT {
        if (stage >= D3DMAX_TEXTURE_STAGES || texture == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *texture = deviceState.textures[stage];
        if (*texture != nullptr) {
            (*texture)->AddRef();
        }
        return D3D_OK;
    }();
    Report(DeviceMethod::GetTexture, result, {stage});
    return result;
}

HRESULT DeviceFrontEnd::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    const HRESULT result = [&]() -> HRESULT {
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
    }();
    Report(DeviceMethod::SetTexture, result, {stage}, texture);
    return result;
}

HRESULT DeviceFrontEnd::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    const bool known = stage < D3DMAX_TEXTURE_STAGES && type > 0 && type < D3DTSS_MAX;
    const HRESULT result = known ? CopyOut(value, deviceState.textureStageStates[stage][type]) : D3DERR_INVALIDCALL;
    Report(DeviceMethod::GetTextureStageState, result, {stage, ArgumentBits(type)});
    return result;
}

HRESULT DeviceFrontEnd::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    const HRESULT result =
        (stage >= D3DMAX_TEXTURE_STAGES || type <= 0 || type >= D3DTSS_MAX) ? D3DERR_INVALIDCALL : D3D_OK;
    if (result == D3D_OK) {
        Store([&](auto& state) -> auto& { return state.textureStageStates[stage][type]; },
              value, DirtyTextureStage, stage);
    }
    Report(DeviceMethod::SetTextureStageState, result, {stage, ArgumentBits(type), value});
    return result;
}

HRESULT DeviceFrontEnd::SetVertexShader(DWORD handle)
{
    Store([](auto& state) -> auto& { return state.vertexShader; }, handle, DirtyVertexInput);
    Report(DeviceMethod::SetVertexShader, D3D_OK, {handle});
    return D3D_OK;
}

HRESULT DeviceFrontEnd::GetVertexShader(DWORD* handle)
{
    const HRESULT result = CopyOut(handle, deviceState.vertexShader);
    Report(DeviceMethod::GetVertexShader, result, {});
    return result;
}

HRESULT DeviceFrontEnd::SetPixelShader(DWORD handle)
{
    const HRESULT result = [&]() -> HRESULT {
        // No pixel shader can be created on this device, so 0 (the fixed pipeline) is the only handle.
        if (handle != 0) {
            return D3DERR_INVALIDCALL;
        }
        Target().pixelShader = handle;
        if (StateBlockMask* mask = Recording()) {
            mask->pixelShader = true;
        }
        return D3D_OK;
    }();
    Report(DeviceMethod::SetPixelShader, result, {handle});
    return result;
}

HRESULT DeviceFrontEnd::GetPixelShader(DWORD* handle)
{
    const HRESULT result = CopyOut(handle, deviceState.pixelShader);
    Report(DeviceMethod::GetPixelShader, result, {});
    return result;
}

HRESULT DeviceFrontEnd::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride)
{
    const HRESULT result = [&]() -> HRESULT {
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
    }();
    Report(DeviceMethod::SetStreamSource, result, {streamNumber, stride}, streamData);
    return result;
}

HRESULT DeviceFrontEnd::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData, UINT* stride)
{
    const HRESULT result = [&]() -> HRESULT {
        if (streamNumber != 0 || streamData == nullptr || stride == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *streamData = deviceState.streamSource;
        *stride = deviceState.streamStride;
        if (*streamData != nullptr) {
            (*streamData)->AddRef();
        }
        return D3D_OK;
    }();
    Report(DeviceMethod::GetStreamSource, result, {streamNumber});
    return result;
}

HRESULT DeviceFrontEnd::SetIndices(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex)
{
    const HRESULT result = [&]() -> HRESULT {
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
    }();
    Report(DeviceMethod::SetIndices, result, {baseVertexIndex}, indexData);
    return result;
}

HRESULT DeviceFrontEnd::GetIndices(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex)
{
    const HRESULT result = [&]() -> HRESULT {
        if (indexData == nullptr || baseVertexIndex == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *indexData = deviceState.indices;
        *baseVertexIndex = deviceState.baseVertexIndex;
        if (*indexData != nullptr) {
            (*indexData)->AddRef();
        }
        return D3D_OK;
    }();
    Report(DeviceMethod::GetIndices, result, {});
    return result;
}

template <typename Field, typename Value>
void DeviceFrontEnd::Store(const Field& field, const Value& value, DirtyGroups groups, DWORD stage)
{
    StateBlockMask* mask = Recording();
    Value& slot = field(Target());
    if (mask != nullptr) {
        slot = value;
        field(*mask) = true;
        return;
    }
    const bool changed = std::memcmp(&slot, &value, sizeof(Value)) != 0;
    slot = value;
    if (changed && groups != 0) {
        StateChanged(groups, stage);
    }
}
