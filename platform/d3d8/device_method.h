// SPDX-License-Identifier: GPL-3.0-or-later
// The calls a device front end reports to a derived device that asks for them (see CallMade).
#pragma once

#include "platform/d3d8/d3d8.h"

enum class DeviceMethod {
    AddRef,
    Release,
    TestCooperativeLevel,
    GetDeviceCaps,
    GetDisplayMode,
    SetCursorPosition,
    Reset,
    Present,
    GetBackBuffer,
    CreateTexture,
    CreateVertexBuffer,
    CreateIndexBuffer,
    BeginScene,
    EndScene,
    Clear,
    SetTransform,
    GetTransform,
    SetViewport,
    GetViewport,
    SetMaterial,
    GetMaterial,
    SetLight,
    GetLight,
    LightEnable,
    GetLightEnable,
    SetClipPlane,
    GetClipPlane,
    SetRenderState,
    GetRenderState,
    BeginStateBlock,
    EndStateBlock,
    ApplyStateBlock,
    CaptureStateBlock,
    DeleteStateBlock,
    GetTexture,
    SetTexture,
    GetTextureStageState,
    SetTextureStageState,
    DrawPrimitive,
    DrawIndexedPrimitive,
    SetVertexShader,
    GetVertexShader,
    SetPixelShader,
    GetPixelShader,
    SetStreamSource,
    GetStreamSource,
    SetIndices,
    GetIndices,
    // Calls on the vertex buffers a device created, for a device that reports those too.
    VertexBufferLock,
    VertexBufferUnlock,
};

// A call's argument as the number a report carries.
template <typename Value>
constexpr DWORD ArgumentBits(Value value)
{
    return static_cast<DWORD>(value);
}
