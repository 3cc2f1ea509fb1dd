// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end's resources: creation checks, lifetimes of bound objects, the Reset rules for
// default-pool resources, and buffer and texture locks.
#include "platform/d3d8/memory_texture.h"
#include "tests/platform/d3d8/device_front_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST_F(DeviceFrontTest, ResourceCreationChecksItsArguments)
{
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(0x1);
    EXPECT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr) << "a failed creation leaves no stale pointer";
    EXPECT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(0, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8192, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(16, 16, 6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);

    // Levels 0 is the whole chain down to 1 x 1, halving each side and stopping at 1.
    ASSERT_EQ(device->CreateTexture(64, 8, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 7u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(4, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
    texture->Release();

    IDirect3DVertexBuffer8* buffer = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, &buffer), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(15, 0, ColorVertexFvf, D3DPOOL_DEFAULT, &buffer), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(16, 0, ColorVertexFvf, D3DPOOL_DEFAULT, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer, nullptr);
    IDirect3DIndexBuffer8* indices = nullptr;
    EXPECT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &indices), D3D_OK);
    indices->Release();
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0u);
}

TEST_F(DeviceFrontTest, BoundObjectsStayAliveUntilUnbound)
{
    IDirect3DTexture8* texture = MakeTexture(D3DPOOL_DEFAULT);
    ASSERT_EQ(device->SetTexture(2, texture), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u) << "the device holds its own reference";
    EXPECT_EQ(device->LiveDefaultPoolResources(), 1u);

    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(device->GetTexture(2, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    EXPECT_EQ(bound->Release(), 1u) << "GetTexture hands out a reference of its own";

    // Binding the same object again must not drop its last reference on the way.
    ASSERT_EQ(device->SetTexture(2, texture), D3D_OK);
    EXPECT_EQ(device->LiveDefaultPoolResources(), 1u);
    ASSERT_EQ(device->SetTexture(2, nullptr), D3D_OK);
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0u) << "unbinding releases the last reference";

    // The device gives up whatever is still bound when it goes.
    IDirect3DVertexBuffer8* buffer = MakeVertexBuffer(4);
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(8, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices), D3D_OK);
    ASSERT_EQ(device->SetStreamSource(0, buffer, sizeof(ColorVertex)), D3D_OK);
    ASSERT_EQ(device->SetIndices(indices, 0), D3D_OK);
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(buffer->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device);
    EXPECT_EQ(owner->Release(), 1u) << "GetDevice hands out a reference of the device";

    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    EXPECT_EQ(indices->Release(), 0u);
    // A resource that outlives its device answers without reaching it.
    EXPECT_EQ(buffer->GetDevice(&owner), D3DERR_INVALIDCALL);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(DeviceFrontTest, ResetWaitsForDefaultPoolResources)
{
    IDirect3DVertexBuffer8* dynamic = MakeVertexBuffer(8, D3DPOOL_DEFAULT);
    IDirect3DTexture8* managed = MakeTexture(D3DPOOL_MANAGED);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3DPRESENT_PARAMETERS parameters = NullDevice::DefaultPresentParameters();
    parameters.BackBufferWidth = 800;
    parameters.BackBufferHeight = 600;

    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->State().renderStates[D3DRS_LIGHTING], static_cast<DWORD>(FALSE))
        << "a failed reset changes nothing";

    // A buffer still bound but released by its owner goes away with the reset instead of blocking it.
    ASSERT_EQ(device->SetStreamSource(0, dynamic, sizeof(ColorVertex)), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, managed), D3D_OK);
    EXPECT_EQ(dynamic->Release(), 1u);
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0u);
    EXPECT_EQ(device->State().streamSource, nullptr);
    EXPECT_EQ(device->State().textures[0], nullptr);
    EXPECT_EQ(device->State().renderStates[D3DRS_LIGHTING], static_cast<DWORD>(TRUE));
    EXPECT_EQ(device->State().viewport.Width, 800u);

    // The back buffer is a default-pool surface too: held, it blocks the next reset.
    IDirect3DSurface8* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(backBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 800u);
    EXPECT_EQ(desc.Height, 600u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);
    EXPECT_EQ(backBuffer->Release(), 0u);
    EXPECT_EQ(device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(device->Reset(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(managed->Release(), 0u) << "managed resources survive a reset, unbound";
}

TEST_F(DeviceFrontTest, BufferLocksFollowTheRules)
{
    IDirect3DVertexBuffer8* buffer = MakeVertexBuffer(4); // 64 bytes
    BYTE* whole = nullptr;
    BYTE* part = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &whole, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(buffer->Lock(0, 0, &part, 0), D3DERR_INVALIDCALL) << "locked twice";
    EXPECT_EQ(part, nullptr);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL) << "unlocked twice";

    ASSERT_EQ(buffer->Lock(16, 0, &part, 0), D3D_OK) << "size 0 runs to the end";
    EXPECT_EQ(part, whole + 16);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(buffer->Lock(48, 17, &part, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(64, 0, &part, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Lock(32, 0xFFFFFFF0u, &part, 0), D3DERR_INVALIDCALL) << "a range that wraps around";
    EXPECT_EQ(buffer->Lock(0, 0, nullptr, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(buffer->Lock(48, 16, &part, 0), D3D_OK) << "failed locks leave the buffer unlocked";
    buffer->Unlock();
    buffer->Release();
}

TEST_F(DeviceFrontTest, TextureLevelsLockWithTheirOwnPitchAndRectangle)
{
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 4, 0, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT level0{};
    D3DLOCKED_RECT level1{};
    ASSERT_EQ(texture->LockRect(0, &level0, nullptr, 0), D3D_OK);
    EXPECT_EQ(level0.Pitch, 16);
    ASSERT_EQ(texture->LockRect(1, &level1, nullptr, 0), D3D_OK) << "levels lock on their own";
    EXPECT_EQ(level1.Pitch, 8);
    EXPECT_EQ(texture->LockRect(0, &level0, nullptr, 0), D3DERR_INVALIDCALL);
    static_cast<BYTE*>(level1.pBits)[8 + 2] = 0xAB; // row 1, texel 1
    texture->UnlockRect(1);
    texture->UnlockRect(0);
    EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(4, &level0, nullptr, 0), D3DERR_INVALIDCALL);

    // A rectangle moves the pointer to its corner; one outside the level is refused.
    const RECT inside{1, 1, 3, 2};
    const RECT outside{2, 0, 5, 2};
    ASSERT_EQ(texture->LockRect(1, &level1, &inside, 0), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(level1.pBits)[0], 0xAB);
    texture->UnlockRect(1);
    EXPECT_EQ(texture->LockRect(1, &level1, &outside, 0), D3DERR_INVALIDCALL);

    // A level's surface shares its memory and its lock, and keeps the texture alive.
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u);
    D3DLOCKED_RECT viaSurface{};
    ASSERT_EQ(surface->LockRect(&viaSurface, nullptr, 0), D3D_OK);
    EXPECT_EQ(static_cast<BYTE*>(viaSurface.pBits)[10], 0xAB);
    const auto* memory = static_cast<const MemoryTexture*>(texture);
    EXPECT_TRUE(memory->LevelLocked(1));
    surface->UnlockRect();
    EXPECT_EQ(surface->Release(), 0u);
}

} // namespace
