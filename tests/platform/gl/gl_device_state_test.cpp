// SPDX-License-Identifier: GPL-3.0-or-later
// State blocks, the GL call counter, Reset rules, the Direct3D object and refused input on the GL device.
#include "gl_test_scene.h"

#include "platform/d3d8/gl/gl_offscreen.h"

namespace {

bool IsRed(const Rgb& p) { return p.r > 240 && p.g < 16 && p.b < 16; }
bool IsYellow(const Rgb& p) { return p.r > 240 && p.g > 240 && p.b < 16; }
bool IsGreen(const Rgb& p) { return p.r < 16 && p.g > 240 && p.b < 16; }

} // namespace

TEST_F(GlScene, StateBlocksCaptureAndRestoreExactlyTheirStates)
{
    // Recorded: additive blending. Not recorded: the colour write mask.
    DWORD additive = 0;
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    ASSERT_EQ(device->EndStateBlock(&additive), D3D_OK);
    DWORD saved = 0;
    device->BeginStateBlock();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->EndStateBlock(&saved);

    // Recording changed nothing the draws see.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    DrawRect(0, 0, 64, 64, 0xFF00FF00u);
    EXPECT_TRUE(IsGreen(Pixel(5, 5))) << "blending must still be off";

    // Capture the current (opaque) states, apply the additive block, draw, restore.
    ASSERT_EQ(device->CaptureStateBlock(saved), D3D_OK);
    ASSERT_EQ(device->ApplyStateBlock(additive), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    DrawRect(0, 0, 64, 64, 0xFF00FF00u);
    EXPECT_TRUE(IsYellow(Pixel(5, 5)));
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0x2);
    ASSERT_EQ(device->ApplyStateBlock(saved), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    DrawRect(0, 0, 64, 64, 0xFF00FF00u);
    // Blending is off again, but the write mask the blocks never recorded still keeps red.
    EXPECT_TRUE(IsYellow(Pixel(5, 5))) << "green written over kept red";
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    DrawRect(0, 0, 64, 64, 0xFF00FF00u);
    EXPECT_TRUE(IsGreen(Pixel(5, 5)));
    EXPECT_EQ(device->DeleteStateBlock(saved), D3D_OK);
    EXPECT_EQ(device->ApplyStateBlock(saved), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DeleteStateBlock(additive), D3D_OK);
}

TEST_F(GlScene, CallCounterCountsOnlyWhatTheCacheDidNotSkip)
{
    const std::vector<XyzRhwColorTex> quad = {
        {0, 0, 0.5f, 1, 0xFFFF0000u, 0, 0}, {63, 0, 0.5f, 1, 0xFFFF0000u, 0, 0}, {0, 63, 0.5f, 1, 0xFFFF0000u, 0, 0}};
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(3 * sizeof(XyzRhwColorTex), 0, FvfXyzRhwColorTex, D3DPOOL_MANAGED, &buffer),
              D3D_OK);
    BYTE* bytes = nullptr;
    buffer->Lock(0, 0, &bytes, 0);
    std::memcpy(bytes, quad.data(), 3 * sizeof(XyzRhwColorTex));
    buffer->Unlock();
    device->SetStreamSource(0, buffer, sizeof(XyzRhwColorTex));
    device->SetVertexShader(FvfXyzRhwColorTex);
    const auto drawCalls = [&] {
        Gl().ResetStats();
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
        return Gl().Stats().calls;
    };
    const std::uint64_t first = drawCalls();
    const std::uint64_t second = drawCalls();
    EXPECT_LT(second, first);
    // Nothing changed: the draw itself is the one call left.
    EXPECT_EQ(second, 1u);
    EXPECT_EQ(Gl().Stats().draws, 1u);
    // Setting a state to the value it has sends nothing; a new value sends what it touches.
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    EXPECT_EQ(drawCalls(), 1u);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    EXPECT_GT(drawCalls(), 1u);
    // Rewriting the buffer uploads it again before the draw.
    buffer->Lock(0, 0, &bytes, D3DLOCK_DISCARD);
    buffer->Unlock();
    Gl().ResetStats();
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    EXPECT_EQ(Gl().Stats().uploadedBytes, 3 * sizeof(XyzRhwColorTex));
    device->SetStreamSource(0, nullptr, 0);
    buffer->Release();
}

TEST_F(GlScene, DrawsUploadOnlyTheRewrittenBytesAndUniformsTheyRead)
{
    // Two rectangles in one buffer, as the effect batches fill it: red on the left, green on the right.
    const auto rect = [](float x1, float x2, D3DCOLOR color, XyzRhwColorTex* out) {
        const float l = x1 - 0.5f;
        const float r = x2 - 0.5f;
        const XyzRhwColorTex corners[6] = {{l, -0.5f, 0.5f, 1, color, 0, 0}, {r, -0.5f, 0.5f, 1, color, 0, 0},
                                           {l, 63.5f, 0.5f, 1, color, 0, 0}, {r, -0.5f, 0.5f, 1, color, 0, 0},
                                           {r, 63.5f, 0.5f, 1, color, 0, 0}, {l, 63.5f, 0.5f, 1, color, 0, 0}};
        std::memcpy(out, corners, sizeof corners);
    };
    constexpr UINT stride = sizeof(XyzRhwColorTex);
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(64 * stride, D3DUSAGE_WRITEONLY, FvfXyzRhwColorTex, D3DPOOL_MANAGED, &buffer),
              D3D_OK);
    device->SetStreamSource(0, buffer, stride);
    device->SetVertexShader(FvfXyzRhwColorTex);
    const auto refill = [&](D3DCOLOR left, D3DCOLOR right) {
        BYTE* bytes = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &bytes, D3DLOCK_DISCARD), D3D_OK);
        rect(0, 32, left, reinterpret_cast<XyzRhwColorTex*>(bytes));
        rect(32, 64, right, reinterpret_cast<XyzRhwColorTex*>(bytes) + 6);
        buffer->Unlock();
    };
    const auto drawHalf = [&](UINT start) {
        Gl().ResetStats();
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, start, 2), D3D_OK);
        return Gl().Stats().uploadedBytes;
    };
    refill(0xFF0000FFu, 0xFF0000FFu);
    drawHalf(0);
    drawHalf(6);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    refill(0xFFFF0000u, 0xFF00FF00u);
    // A draw of the first half sends the first half only; the second then sends its own, once.
    EXPECT_EQ(drawHalf(0), 6 * stride);
    EXPECT_EQ(drawHalf(6), 6 * stride);
    EXPECT_EQ(drawHalf(6), 0u);
    EXPECT_TRUE(IsRed(Pixel(10, 10)));
    EXPECT_TRUE(IsGreen(Pixel(50, 10))) << "the second half must not draw the old blue bytes";

    // A moved world sends its world-view matrix, not the lights and states filled with it; a change
    // undone before the next draw sends nothing.
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    world._41 = 0.5f;
    device->SetTransform(D3DTS_WORLD, &world);
    const std::uint64_t moved = drawHalf(0);
    EXPECT_GT(moved, 0u);
    EXPECT_LE(moved, sizeof(float) * 16);
    world._41 = 0.25f;
    device->SetTransform(D3DTS_WORLD, &world);
    world._41 = 0.5f;
    device->SetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(drawHalf(0), 0u);
    device->SetStreamSource(0, nullptr, 0);
    buffer->Release();
}

TEST_F(GlScene, ResetFailsWhileDefaultPoolObjectsLiveAndDrawsAfterward)
{
    IDirect3DVertexBuffer8* dynamic = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(8400, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &dynamic),
              D3D_OK);
    D3DPRESENT_PARAMETERS again = parameters;
    EXPECT_EQ(device->Reset(&again), D3DERR_INVALIDCALL);
    dynamic->Release();
    // The back buffer surface counts too while it is held.
    IDirect3DSurface8* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device->Reset(&again), D3DERR_INVALIDCALL);
    backBuffer->Release();

    // A smaller back buffer after the reset: the defaults come back and the viewport follows it.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    again.BackBufferWidth = 32;
    again.BackBufferHeight = 32;
    ASSERT_EQ(device->Reset(&again), D3D_OK);
    DWORD blending = TRUE;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(blending, static_cast<DWORD>(FALSE));
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 32u);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    D3DSURFACE_DESC desc{};
    backBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    backBuffer->Release();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    ASSERT_EQ(DrawRect(16, 16, 32, 32, 0xFFFF0000u), D3D_OK);
    // The 32 × 32 back buffer is the top-left of the 64 × 64 drawable.
    EXPECT_TRUE(IsRed(Pixel(20, 20)));
    EXPECT_FALSE(IsRed(Pixel(10, 10)));
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(GlScene, BadInputIsRefusedWithInvalidCall)
{
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(this);
    // Formats the device cannot sample.
    for (const D3DFORMAT format : {D3DFMT_A8, D3DFMT_L8, D3DFMT_R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_UNKNOWN}) {
        EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, format, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL) << format;
        EXPECT_EQ(texture, nullptr);
    }
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr), D3DERR_INVALIDCALL);
    // Draws the device could not read safely.
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(3 * sizeof(XyzRhwColorTex), 0, 0, D3DPOOL_MANAGED, &buffer), D3D_OK);
    device->SetStreamSource(0, buffer, 12);
    device->SetVertexShader(FvfXyzRhwColorTex);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK) << "three vertices of 28 bytes fit at stride 12";
    device->SetStreamSource(0, buffer, 30);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL) << "the last vertex ends past the buffer";
    device->SetStreamSource(0, buffer, sizeof(XyzRhwColorTex));
    device->SetVertexShader(D3DFVF_DIFFUSE);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL) << "a format without a position";
    device->SetStreamSource(0, nullptr, 0);
    buffer->Release();
    EXPECT_EQ(device->Clear(0, nullptr, 0x100, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Reset(nullptr), D3DERR_INVALIDCALL);
    D3DPRESENT_PARAMETERS odd = parameters;
    odd.BackBufferFormat = D3DFMT_A8;
    EXPECT_EQ(device->Reset(&odd), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK) << "a refused reset leaves the device as it was";
}

TEST_F(GlScene, CreateDeviceChecksItsArguments)
{
    IDirect3DDevice8* other = nullptr;
    D3DPRESENT_PARAMETERS p = parameters;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, 0, nullptr, &other), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, 0, &p, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(99, D3DDEVTYPE_HAL, window, 0, &p, &other), D3DERR_INVALIDCALL);
    p.hDeviceWindow = nullptr;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &p, &other), D3DERR_INVALIDCALL);
    p = parameters;
    p.BackBufferFormat = D3DFMT_L8;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, 0, &p, &other), D3DERR_INVALIDCALL);
    p = parameters;
    p.Windowed = FALSE;
    p.BackBufferWidth = 0;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, 0, &p, &other), D3DERR_INVALIDCALL);
    p = parameters;
    p.AutoDepthStencilFormat = D3DFMT_A8R8G8B8;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, 0, &p, &other), D3DERR_INVALIDCALL);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(Direct3DCreate8(D3D_SDK_VERSION - 1), nullptr);

    // Zero windowed sizes and an unknown windowed format are the window's.
    HWND second = CreateOffscreenGlWindow(48, 40);
    ASSERT_NE(second, nullptr);
    p = parameters;
    p.hDeviceWindow = second;
    p.BackBufferWidth = 0;
    p.BackBufferHeight = 0;
    p.BackBufferFormat = D3DFMT_UNKNOWN;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, second, 0, &p, &other), D3D_OK);
    EXPECT_EQ(p.BackBufferWidth, 48u);
    EXPECT_EQ(p.BackBufferHeight, 40u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(other->Release(), 0u);
    DestroyOffscreenGlWindow(second);
}

TEST_F(GlScene, Direct3DObjectReportsAdaptersModesAndFormats)
{
    ASSERT_GE(d3d->GetAdapterCount(), 1u);
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
    EXPECT_TRUE(desktop.Format == D3DFMT_X8R8G8B8 || desktop.Format == D3DFMT_R5G6B5);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(99, &desktop), D3DERR_INVALIDCALL);
    const UINT modes = d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT);
    ASSERT_GE(modes, 1u);
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, 0, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, modes, &mode), D3DERR_INVALIDCALL);
    // Full screen scales over the desktop, so the 16-bit 640 x 480 mode is offered wherever it fits.
    bool has16Bit640 = false;
    for (UINT i = 0; i < modes; ++i) {
        ASSERT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, i, &mode), D3D_OK);
        EXPECT_TRUE(mode.Width <= desktop.Width && mode.Height <= desktop.Height);
        has16Bit640 = has16Bit640 || (mode.Width == 640 && mode.Height == 480 && mode.Format == D3DFMT_R5G6B5);
    }
    EXPECT_EQ(has16Bit640, desktop.Width >= 640 && desktop.Height >= 480);

    // This machine has OpenGL 3.3 (Mesa at least): both device types exist.
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_A8, D3DFMT_A8, FALSE), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceType(7, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3DERR_INVALIDCALL);
    for (const D3DFORMAT format : {D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}) {
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, format), D3D_OK);
    }
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8),
              D3DERR_NOTAVAILABLE);
    for (const D3DFORMAT depth : {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32}) {
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                         depth),
                  D3D_OK);
        EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, depth), D3D_OK);
    }
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     D3DFMT_D15S1),
              D3DERR_NOTAVAILABLE);

    D3DCAPS8 caps{};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_GE(caps.MaxPointSize, 64.0f);
    EXPECT_TRUE(caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE, 0u);
    EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_SW, &caps), D3DERR_NOTAVAILABLE);
}
