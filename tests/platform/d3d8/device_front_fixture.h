// SPDX-License-Identifier: GPL-3.0-or-later
// What the device front end's tests share: a coloured vertex, state comparison and a fixture holding a
// null device with helpers that create its resources.
#pragma once

#include "platform/d3d8/device_front.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

constexpr DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

struct ColorVertex {
    float x, y, z;
    DWORD color;
};
constexpr DWORD ColorVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

inline D3DMATRIX Translation(float x, float y, float z)
{
    return {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}}};
}

template <typename T>
bool SameBytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Field by field: the struct has padding whose bytes mean nothing.
inline bool SameState(const DeviceState& a, const DeviceState& b)
{
    return SameBytes(a.renderStates, b.renderStates) && SameBytes(a.textureStageStates, b.textureStageStates) &&
           SameBytes(a.transforms, b.transforms) && SameBytes(a.lights, b.lights) &&
           SameBytes(a.lightEnabled, b.lightEnabled) && SameBytes(a.material, b.material) &&
           SameBytes(a.viewport, b.viewport) && a.streamSource == b.streamSource &&
           a.streamStride == b.streamStride && a.indices == b.indices && a.baseVertexIndex == b.baseVertexIndex &&
           a.vertexShader == b.vertexShader && a.pixelShader == b.pixelShader && SameBytes(a.textures, b.textures);
}

class DeviceFrontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = new NullDevice(NullDevice::DefaultCaps(), NullDevice::DefaultPresentParameters());
    }

    void TearDown() override
    {
        if (device != nullptr) {
            EXPECT_EQ(device->Release(), 0u);
        }
    }

    IDirect3DVertexBuffer8* MakeVertexBuffer(UINT vertices, D3DPOOL pool = D3DPOOL_MANAGED)
    {
        IDirect3DVertexBuffer8* buffer = nullptr;
        EXPECT_EQ(device->CreateVertexBuffer(vertices * sizeof(ColorVertex), D3DUSAGE_WRITEONLY, ColorVertexFvf,
                                             pool, &buffer),
                  D3D_OK);
        return buffer;
    }

    IDirect3DTexture8* MakeTexture(D3DPOOL pool = D3DPOOL_MANAGED)
    {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, pool, &texture), D3D_OK);
        return texture;
    }

    NullDevice* device = nullptr;
};
