// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end's state keeping, argument checks, state blocks, scenes and draw checks, the
// frame path's allocations and what its state-change hook is told.
#include "platform/d3d8/device_front.h"
#include "tests/platform/d3d8/device_front_fixture.h"
#include "tools/support/allocation_counter.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST_F(DeviceFrontTest, NewDeviceHasTheDefaultState)
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

TEST_F(DeviceFrontTest, DepthTestIsOffWithoutADepthBuffer)
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

TEST_F(DeviceFrontTest, BadArgumentsAreRefusedAndChangeNothing)
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

TEST_F(DeviceFrontTest, StateBlocksRecordCaptureAndApplyOnlyTheirStates)
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

TEST_F(DeviceFrontTest, SavedBlockRestoresExactlyWhatTheDrawingBlockChanges)
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

TEST_F(DeviceFrontTest, DrawsMustStayInsideTheBoundBuffer)
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

TEST_F(DeviceFrontTest, ScenesDoNotNest)
{
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_FALSE(device->InScene());
}

TEST_F(DeviceFrontTest, FramePathDoesNotAllocate)
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

} // namespace
