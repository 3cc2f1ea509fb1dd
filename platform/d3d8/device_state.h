// SPDX-License-Identifier: GPL-3.0-or-later
// Everything a Direct3D 8 device remembers between calls, in one plain struct of fixed arrays
// indexed by the platform's own enums, and the defaults of a new device. Float states hold their bits.
#pragma once

#include "platform/d3d8/d3d8.h"

// Lights a device keeps; indices from 0 to DeviceLightCount - 1.
constexpr int DeviceLightCount = 8;

// User clip planes a device keeps.
constexpr int DeviceClipPlaneCount = 6;

struct ClipPlane {
    float abcd[4];
};

// Transform slots: view, projection, texture 0..7, world.
constexpr int DeviceTransformCount = 11;

// The slot of a transform type, or -1 for a type the device does not keep.
constexpr int TransformSlot(D3DTRANSFORMSTATETYPE type)
{
    if (type == D3DTS_VIEW) return 0;
    if (type == D3DTS_PROJECTION) return 1;
    if (type >= D3DTS_TEXTURE0 && type <= D3DTS_TEXTURE7) return 2 + (type - D3DTS_TEXTURE0);
    if (type == D3DTS_WORLD) return 10;
    return -1;
}

struct DeviceState {
    DWORD renderStates[D3DRS_MAX];
    DWORD textureStageStates[D3DMAX_TEXTURE_STAGES][D3DTSS_MAX];
    D3DMATRIX transforms[DeviceTransformCount];
    D3DLIGHT8 lights[DeviceLightCount];
    BOOL lightEnabled[DeviceLightCount];
    ClipPlane clipPlanes[DeviceClipPlaneCount];
    D3DMATERIAL8 material;
    D3DVIEWPORT8 viewport;
    // Bound objects each hold one reference taken by whoever stored them.
    IDirect3DVertexBuffer8* streamSource;
    UINT streamStride;
    IDirect3DIndexBuffer8* indices;
    UINT baseVertexIndex;
    DWORD vertexShader;
    DWORD pixelShader;
    IDirect3DBaseTexture8* textures[D3DMAX_TEXTURE_STAGES];
};

// The state of a new or reset device; bound objects are left to the caller, who must have released them.
void FillDefaultDeviceState(DeviceState& state, const D3DPRESENT_PARAMETERS& parameters, const D3DCAPS8& caps);

// Swaps a bound object for another: the new one gains a reference, the old one loses its.
template <typename Object>
void Rebind(Object*& slot, Object* object)
{
    if (object != nullptr) {
        object->AddRef();
    }
    if (slot != nullptr) {
        slot->Release();
    }
    slot = object;
}

// Releases and clears every bound texture, stream source and index buffer.
void ReleaseBoundObjects(DeviceState& state);
