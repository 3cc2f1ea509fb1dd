// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests' recording device captures of each draw and call, and the failures it can play.
#include "tests/platform/d3d8/device_front_fixture.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

class RecordingDeviceTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(device->Release(), 0u); }

    RecordingDevice* device = new RecordingDevice();
};

TEST_F(RecordingDeviceTest, DrawsKeepTheirVerticesAndState)
{
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(6 * sizeof(ColorVertex), 0, ColorVertexFvf, D3DPOOL_DEFAULT, &buffer),
              D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    for (int i = 0; i < 6; ++i) {
        const ColorVertex vertex{float(i), 0.0f, 0.0f, 0xFF000000u | DWORD(i)};
        std::memcpy(data + i * sizeof(ColorVertex), &vertex, sizeof vertex);
    }
    buffer->Unlock();
    device->SetStreamSource(0, buffer, sizeof(ColorVertex));
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 1), D3D_OK);

    // Rewriting the buffer after the draw must not change what the draw recorded.
    ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    std::memset(data, 0, 6 * sizeof(ColorVertex));
    buffer->Unlock();
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_LINESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_LINESTRIP, 0, 6), D3DERR_INVALIDCALL);

    ASSERT_EQ(device->Draws().size(), 2u);
    const DrawRecord& first = device->Draws()[0];
    EXPECT_EQ(first.vertexCount, 3u);
    EXPECT_EQ(first.buffer, buffer);
    EXPECT_EQ(device->Vertex<ColorVertex>(0, 0).x, 3.0f);
    EXPECT_EQ(device->Vertex<ColorVertex>(0, 2).color, 0xFF000005u);
    EXPECT_THROW(device->Vertex<ColorVertex>(0, 3), std::out_of_range);
    EXPECT_EQ(first.state.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(FALSE));
    EXPECT_EQ(device->Draws()[1].vertexCount, 3u);
    EXPECT_EQ(device->Vertex<ColorVertex>(1, 0).color, 0u);
    EXPECT_EQ(device->Draws()[1].state.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(TRUE));

    // The call list holds the locks in order with their flags, and failed draws point at no record.
    const std::vector<DeviceCall> locks = device->CallsOf(DeviceMethod::VertexBufferLock);
    ASSERT_EQ(locks.size(), 2u);
    EXPECT_EQ(locks[0].args[2], D3DLOCK_DISCARD);
    EXPECT_EQ(locks[0].object, buffer);
    EXPECT_EQ(device->CountOf(DeviceMethod::VertexBufferUnlock), 2u);
    const std::vector<DeviceCall> draws = device->CallsOf(DeviceMethod::DrawPrimitive);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[1].args[3], 1u);
    EXPECT_EQ(draws[2].result, D3DERR_INVALIDCALL);
    EXPECT_EQ(draws[2].args[3], RecordingDevice::NoDraw);
    const DeviceCall zwrite = device->CallsOf(DeviceMethod::SetRenderState).at(0);
    EXPECT_EQ(zwrite.args[0], static_cast<DWORD>(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(zwrite.args[1], static_cast<DWORD>(FALSE));

    device->Clear();
    EXPECT_TRUE(device->Calls().empty());
    EXPECT_TRUE(device->Draws().empty());
    buffer->Release();
}

TEST_F(RecordingDeviceTest, CapsAndCreationFailuresCanBeArranged)
{
    device->SetCapsMaxPrimitiveCount(1000);
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.MaxPrimitiveCount, 1000u);
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(2000 * sizeof(ColorVertex), 0, ColorVertexFvf, D3DPOOL_MANAGED, &buffer),
              D3D_OK);
    device->SetStreamSource(0, buffer, sizeof(ColorVertex));
    buffer->Release();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1000), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1001), D3DERR_INVALIDCALL);

    // One success first, then one failure, then creation works again.
    device->FailNextCreateVertexBuffer(E_OUTOFMEMORY, 1);
    IDirect3DVertexBuffer8* buffers[3] = {};
    EXPECT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_DEFAULT, &buffers[0]), D3D_OK);
    EXPECT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_DEFAULT, &buffers[1]), E_OUTOFMEMORY);
    EXPECT_EQ(buffers[1], nullptr);
    EXPECT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_DEFAULT, &buffers[2]), D3D_OK);
    device->FailNextCreateTexture(D3DERR_OUTOFVIDEOMEMORY);
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);
    buffers[0]->Release();
    buffers[2]->Release();
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0u);
}

} // namespace
