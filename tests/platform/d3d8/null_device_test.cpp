// SPDX-License-Identifier: GPL-3.0-or-later
// The null device's state keeping, argument checks, reference counting, state blocks, Reset rules and
// locks, and what the recording device captures of each draw.
#include "platform/d3d8/memory_texture.h"
#include "platform/d3d8/device_front.h"
#include "tools/support/allocation_counter.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

struct ColorVertex {
    float x, y, z;
    DWORD color;
};
constexpr DWORD ColorVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

D3DMATRIX Translation(float x, float y, float z)
{
    return {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}}};
}

template <typename T>
bool SameBytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Field by field: the struct has padding whose bytes mean nothing.
bool SameState(const DeviceState& a, const DeviceState& b)
{
    return SameBytes(a.renderStates, b.renderStates) && SameBytes(a.textureStageStates, b.textureStageStates) &&
           SameBytes(a.transforms, b.transforms) && SameBytes(a.lights, b.lights) &&
           SameBytes(a.lightEnabled, b.lightEnabled) && SameBytes(a.material, b.material) &&
           SameBytes(a.viewport, b.viewport) && a.streamSource == b.streamSource &&
           a.streamStride == b.streamStride && a.indices == b.indices && a.baseVertexIndex == b.baseVertexIndex &&
           a.vertexShader == b.vertexShader && a.pixelShader == b.pixelShader && SameBytes(a.textures, b.textures);
}

class NullDeviceTest : public ::testing::Test {
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

TEST_F(NullDeviceTest, NewDeviceHasTheDefaultState)
{
    const DeviceState& s = device->State();
    EXPECT_EQ(s.renderStates[D3DRS_ZENABLE], static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(s.renderStates[D3DRS_ZFUNC], static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_EQ(s.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(TRUE));
    EXPECT_EQ(s.renderStates[D3DRS_CULLMODE], static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(s.renderStates[D3DRS_SHADEMODE], static_cast<DWORD>(D3DSHADE_GOURAUD));
    EXPECT_EQ(s.renderStates[D3DRS_LIGHTING], static_cast<DWORD>(TRUE));
    EXPECT_EQ(s.renderStates[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(FALSE));
    EXPECT_EQ(s.renderStates[D3DRS_SRCBLEND], static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(s.renderStates[D3DRS_DESTBLEND], static_cast<DWORD>(D3DBLEND_ZERO));
    EXPECT_EQ(s.renderStates[D3DRS_FOGENABLE], static_cast<DWORD>(FALSE));
    EXPECT_EQ(s.renderStates[D3DRS_FOGEND], FloatBits(1.0f));
    EXPECT_EQ(s.renderStates[D3DRS_ALPHAFUNC], static_cast<DWORD>(D3DCMP_ALWAYS));
    EXPECT_EQ(s.renderStates[D3DRS_POINTSIZE], FloatBits(1.0f));
    EXPECT_EQ(s.renderStates[D3DRS_POINTSCALE_A], FloatBits(1.0f));
    EXPECT_EQ(s.renderStates[D3DRS_POINTSCALE_B], FloatBits(0.0f));
    EXPECT_EQ(s.renderStates[D3DRS_POINTSCALE_C], FloatBits(0.0f));
    EXPECT_EQ(s.renderStates[D3DRS_POINTSIZE_MAX], FloatBits(64.0f));
    EXPECT_EQ(s.renderStates[D3DRS_COLORVERTEX], static_cast<DWORD>(TRUE));

    EXPECT_EQ(s.textureStageStates[0][D3DTSS_COLOROP], static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(s.textureStageStates[0][D3DTSS_ALPHAOP], static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(s.textureStageStates[0][D3DTSS_COLORARG1], D3DTA_TEXTURE);
    EXPECT_EQ(s.textureStageStates[0][D3DTSS_COLORARG2], D3DTA_DIFFUSE);
    for (DWORD stage = 0; stage < D3DMAX_TEXTURE_STAGES; ++stage) {
        SCOPED_TRACE(stage);
        if (stage > 0) {
            EXPECT_EQ(s.textureStageStates[stage][D3DTSS_COLOROP], static_cast<DWORD>(D3DTOP_DISABLE));
            EXPECT_EQ(s.textureStageStates[stage][D3DTSS_ALPHAOP], static_cast<DWORD>(D3DTOP_DISABLE));
        }
        EXPECT_EQ(s.textureStageStates[stage][D3DTSS_TEXCOORDINDEX], stage);
        EXPECT_EQ(s.textureStageStates[stage][D3DTSS_MINFILTER], static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(s.textureStageStates[stage][D3DTSS_MAGFILTER], static_cast<DWORD>(D3DTEXF_POINT));
        EXPECT_EQ(s.textureStageStates[stage][D3DTSS_MIPFILTER], static_cast<DWORD>(D3DTEXF_NONE));
        EXPECT_EQ(s.textureStageStates[stage][D3DTSS_ADDRESSU], static_cast<DWORD>(D3DTADDRESS_WRAP));
        EXPECT_EQ(s.textures[stage], nullptr);
    }

    D3DMATRIX world{};
    ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &world), D3D_OK);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(world.m[r][c], r == c ? 1.0f : 0.0f);
        }
    }
    D3DVIEWPORT8 viewport{};
    ASSERT_EQ(device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, 640u);
    EXPECT_EQ(viewport.Height, 480u);
    EXPECT_EQ(viewport.MaxZ, 1.0f);
    EXPECT_EQ(device->RefCount(), 1u);
}

TEST_F(NullDeviceTest, DepthTestIsOffWithoutADepthBuffer)
{
    D3DPRESENT_PARAMETERS parameters = NullDevice::DefaultPresentParameters();
    parameters.EnableAutoDepthStencil = FALSE;
    NullDevice* plain = new NullDevice(NullDevice::DefaultCaps(), parameters);
    EXPECT_EQ(plain->State().renderStates[D3DRS_ZENABLE], static_cast<DWORD>(D3DZB_FALSE));
    // Nor can a missing depth buffer be cleared.
    EXPECT_EQ(plain->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(plain->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(plain->Release(), 0u);
}

TEST_F(NullDeviceTest, BadArgumentsAreRefusedAndChangeNothing)
{
    IDirect3DTexture8* texture = MakeTexture();
    IDirect3DVertexBuffer8* buffer = MakeVertexBuffer(4);
    NullDevice* other = new NullDevice(NullDevice::DefaultCaps(), NullDevice::DefaultPresentParameters());
    IDirect3DTexture8* foreignTexture = nullptr;
    ASSERT_EQ(other->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &foreignTexture), D3D_OK);

    const DeviceState before = device->State();
    const D3DMATRIX m = Translation(1, 2, 3);
    D3DLIGHT8 badLight{};
    badLight.Type = static_cast<D3DLIGHTTYPE>(7);
    const D3DVIEWPORT8 deepViewport{0, 0, 10, 10, 0.0f, 2.0f};
    const HRESULT results[] = {
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(0), 1),
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(D3DRS_MAX), 1),
        device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(-3), 1),
        device->SetTextureStageState(D3DMAX_TEXTURE_STAGES, D3DTSS_COLOROP, D3DTOP_ADD),
        device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(D3DTSS_MAX), 1),
        device->SetTexture(D3DMAX_TEXTURE_STAGES, texture),
        device->SetTexture(0, foreignTexture),
        device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &m),
        device->SetTransform(D3DTS_WORLD, nullptr),
        device->SetLight(DeviceLightCount, &badLight),
        device->SetLight(0, nullptr),
        device->SetLight(0, &badLight),
        device->LightEnable(DeviceLightCount, TRUE),
        device->SetMaterial(nullptr),
        device->SetViewport(nullptr),
        device->SetViewport(&deepViewport),
        device->SetStreamSource(1, buffer, sizeof(ColorVertex)),
        device->SetStreamSource(0, buffer, 0),
        device->SetPixelShader(5),
    };
    for (size_t i = 0; i < std::size(results); ++i) {
        EXPECT_EQ(results[i], D3DERR_INVALIDCALL) << "call " << i;
    }
    EXPECT_TRUE(SameState(before, device->State()));

    DWORD value = 0;
    D3DMATRIX matrix{};
    BOOL enabled = FALSE;
    IDirect3DBaseTexture8* bound = nullptr;
    EXPECT_EQ(device->GetRenderState(D3DRS_ZENABLE, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(D3DRS_MAX), &value), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetTextureStageState(9, D3DTSS_COLOROP, &value), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(300), &matrix), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetLightEnable(DeviceLightCount, &enabled), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetTexture(D3DMAX_TEXTURE_STAGES, &bound), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetDeviceCaps(nullptr), D3DERR_INVALIDCALL);

    foreignTexture->Release();
    other->Release();
    buffer->Release();
    texture->Release();
}

TEST_F(NullDeviceTest, ResourceCreationChecksItsArguments)
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

TEST_F(NullDeviceTest, BoundObjectsStayAliveUntilUnbound)
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

TEST_F(NullDeviceTest, StateBlocksRecordCaptureAndApplyOnlyTheirStates)
{
    IDirect3DTexture8* texture = MakeTexture(D3DPOOL_DEFAULT);
    const D3DMATRIX moved = Translation(5, 6, 7);
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    EXPECT_EQ(device->BeginStateBlock(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD), D3D_OK);
    ASSERT_EQ(device->SetTransform(D3DTS_VIEW, &moved), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    ASSERT_EQ(device->LightEnable(3, TRUE), D3D_OK);
    const float plane[4] = {0.0f, 1.0f, 0.0f, -3.0f};
    ASSERT_EQ(device->SetClipPlane(2, plane), D3D_OK);
    // Recording leaves the device as it was.
    EXPECT_EQ(device->State().renderStates[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(FALSE));
    EXPECT_EQ(device->State().textures[0], nullptr);
    DWORD token = 0;
    ASSERT_EQ(device->EndStateBlock(&token), D3D_OK);
    EXPECT_NE(token, 0u);
    EXPECT_EQ(device->EndStateBlock(&token), D3DERR_INVALIDCALL);
    // The block keeps the texture alive on its own.
    EXPECT_EQ(texture->Release(), 1u);

    ASSERT_EQ(device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE), D3D_OK);
    ASSERT_EQ(device->ApplyStateBlock(token), D3D_OK);
    const DeviceState& s = device->State();
    EXPECT_EQ(s.renderStates[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(TRUE));
    EXPECT_EQ(s.textureStageStates[1][D3DTSS_COLOROP], static_cast<DWORD>(D3DTOP_ADD));
    EXPECT_EQ(s.transforms[TransformSlot(D3DTS_VIEW)].m[3][2], 7.0f);
    EXPECT_EQ(s.textures[0], texture);
    EXPECT_EQ(s.lightEnabled[3], TRUE);
    EXPECT_EQ(s.clipPlanes[2].abcd[3], -3.0f);
    EXPECT_EQ(s.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(FALSE)) << "not recorded, not applied";

    // Capture takes the current values of the recorded states only; a later apply restores them.
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(device->LiveDefaultPoolResources(), 1u) << "held by the block alone";
    ASSERT_EQ(device->CaptureStateBlock(token), D3D_OK);
    EXPECT_EQ(device->LiveDefaultPoolResources(), 0u) << "capturing no texture drops the block's reference";
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    ASSERT_EQ(device->ApplyStateBlock(token), D3D_OK);
    EXPECT_EQ(s.renderStates[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(FALSE));
    EXPECT_EQ(s.textures[0], nullptr);
    EXPECT_EQ(s.renderStates[D3DRS_ZWRITEENABLE], static_cast<DWORD>(TRUE));
    EXPECT_EQ(s.renderStates[D3DRS_CULLMODE], static_cast<DWORD>(D3DCULL_NONE));

    ASSERT_EQ(device->DeleteStateBlock(token), D3D_OK);
    EXPECT_EQ(device->ApplyStateBlock(token), D3DERR_INVALIDCALL) << "a deleted token stays dead";
    EXPECT_EQ(device->CaptureStateBlock(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DeleteStateBlock(token), D3DERR_INVALIDCALL);
}

TEST_F(NullDeviceTest, SavedBlockRestoresExactlyWhatTheDrawingBlockChanges)
{
    // Two recordings of the same states: one to save the caller's, one to draw with.
    DWORD tokens[2] = {};
    for (DWORD& token : tokens) {
        ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        ASSERT_EQ(device->EndStateBlock(&token), D3D_OK);
    }
    EXPECT_NE(tokens[0], tokens[1]);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    const DeviceState before = device->State();

    ASSERT_EQ(device->CaptureStateBlock(tokens[0]), D3D_OK);
    ASSERT_EQ(device->ApplyStateBlock(tokens[1]), D3D_OK);
    EXPECT_EQ(device->State().renderStates[D3DRS_SRCBLEND], static_cast<DWORD>(D3DBLEND_SRCALPHA));
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    ASSERT_EQ(device->ApplyStateBlock(tokens[0]), D3D_OK);

    // Only the filter set outside any block differs from the saved state.
    DeviceState expected = before;
    expected.textureStageStates[0][D3DTSS_MINFILTER] = D3DTEXF_LINEAR;
    EXPECT_TRUE(SameState(expected, device->State()));
}

TEST_F(NullDeviceTest, ResetWaitsForDefaultPoolResources)
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

TEST_F(NullDeviceTest, BufferLocksFollowTheRules)
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

TEST_F(NullDeviceTest, TextureLevelsLockWithTheirOwnPitchAndRectangle)
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

TEST_F(NullDeviceTest, DrawsMustStayInsideTheBoundBuffer)
{
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0), D3D_OK) << "nothing to draw";
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL) << "no stream source";
    IDirect3DVertexBuffer8* buffer = MakeVertexBuffer(10);
    ASSERT_EQ(device->SetStreamSource(0, buffer, sizeof(ColorVertex)), D3D_OK);
    buffer->Release();

    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 3), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 2, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 8), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 9), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_LINESTRIP, 0, 9), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 9, 1), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0xFFFFFFFFu, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(9), 0, 1), D3DERR_INVALIDCALL);

    BYTE* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL) << "drawing from a locked buffer";
    buffer->Unlock();

    // Indexed draws check the index range and the vertices they may reach.
    IDirect3DIndexBuffer8* indices = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(6 * sizeof(WORD), 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL) << "no indices";
    ASSERT_EQ(device->SetIndices(indices, 4), D3D_OK);
    indices->Release();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, 3, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 6, 0, 2), D3DERR_INVALIDCALL)
        << "base 4 + vertices 1..6 passes the tenth vertex";
}

TEST_F(NullDeviceTest, ScenesDoNotNest)
{
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_FALSE(device->InScene());
}

TEST_F(NullDeviceTest, FramePathDoesNotAllocate)
{
    IDirect3DVertexBuffer8* buffer = MakeVertexBuffer(300);
    IDirect3DTexture8* texture = MakeTexture();
    const D3DMATRIX world = Translation(1, 0, 0);
    device->SetStreamSource(0, buffer, sizeof(ColorVertex));
    DWORD token = 0;
    device->BeginStateBlock();
    device->SetTexture(0, texture);
    device->EndStateBlock(&token);

    const std::uint64_t before = HeapAllocationCount();
    for (int frame = 0; frame < 3; ++frame) {
        BYTE* data = nullptr;
        device->BeginScene();
        device->CaptureStateBlock(token);
        device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTexture(0, texture);
        buffer->Lock(0, 0, &data, D3DLOCK_DISCARD);
        buffer->Unlock();
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 100);
        device->ApplyStateBlock(token);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    EXPECT_EQ(HeapAllocationCount(), before);
    device->DeleteStateBlock(token);
    buffer->Release();
    texture->Release();
}

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

namespace {

// A front end that writes down what its state-change hook was told.
class HookedDevice : public DeviceFrontEnd {
public:
    HookedDevice() : DeviceFrontEnd(DefaultCaps(), DefaultPresentParameters()) {}
    static int Code(DirtyGroups groups, DWORD stage = 0)
    {
        return static_cast<int>(groups) * 100 + static_cast<int>(stage);
    }
    std::vector<int> changes;

protected:
    void StateChanged(DirtyGroups groups, DWORD stage) override { changes.push_back(Code(groups, stage)); }
};

} // namespace

TEST(DeviceFrontEnd, TellsItsHookOnlyOfLiveValuesThatChanged)
{
    HookedDevice device;
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    D3DMATRIX world{};
    world._11 = 2.0f;
    device.SetTransform(D3DTS_WORLD, &world);
    device.SetTransform(D3DTS_WORLD, &world);
    // A point size touches the point group alone; a state that only picks the shader touches none.
    device.SetRenderState(D3DRS_POINTSIZE, 0x40000000u);
    device.SetRenderState(D3DRS_LIGHTING, FALSE);
    const std::vector<int> live = {HookedDevice::Code(DirtyDepth), HookedDevice::Code(DirtyTextureStage, 1),
                                   HookedDevice::Code(DirtyTransforms), HookedDevice::Code(DirtyPoint)};
    EXPECT_EQ(device.changes, live);

    // Recording a block leaves the live state alone; applying it may change anything.
    device.changes.clear();
    DWORD token = 0;
    ASSERT_EQ(device.BeginStateBlock(), D3D_OK);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device.LightEnable(0, TRUE);
    ASSERT_EQ(device.EndStateBlock(&token), D3D_OK);
    EXPECT_TRUE(device.changes.empty());
    ASSERT_EQ(device.ApplyStateBlock(token), D3D_OK);
    EXPECT_EQ(device.changes, std::vector<int>{HookedDevice::Code(DirtyAll)});
}
