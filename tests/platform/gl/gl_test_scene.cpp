// SPDX-License-Identifier: GPL-3.0-or-later
// The headless GL scene shared by the GL suites.
#include "gl_test_scene.h"

#include "platform/d3d8/gl/gl_offscreen.h"

#include <algorithm>
#include <cmath>

void GlScene::SetUp()
{
    window = CreateOffscreenGlWindow(Size, Size);
    ASSERT_NE(window, nullptr);
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    parameters = {};
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferWidth = Size;
    parameters.BackBufferHeight = Size;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.hDeviceWindow = window;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &parameters, &device),
              D3D_OK);
    ASSERT_NE(device, nullptr);
    // A new depth buffer holds anything; the suites clear only colour where depth does not matter.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
}

void GlScene::TearDown()
{
    if (device != nullptr) {
        EXPECT_EQ(device->Release(), 0u);
    }
    if (d3d != nullptr) {
        d3d->Release();
    }
    DestroyOffscreenGlWindow(window);
}

HRESULT GlScene::DrawBytes(D3DPRIMITIVETYPE type, DWORD fvf, const void* data, UINT stride, UINT count,
                           UINT primitives)
{
    IDirect3DVertexBuffer8* buffer = nullptr;
    HRESULT hr = device->CreateVertexBuffer(stride * count, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer);
    if (FAILED(hr)) {
        return hr;
    }
    BYTE* bytes = nullptr;
    buffer->Lock(0, 0, &bytes, 0);
    std::memcpy(bytes, data, static_cast<size_t>(stride) * count);
    buffer->Unlock();
    device->SetStreamSource(0, buffer, stride);
    device->SetVertexShader(fvf);
    hr = device->DrawPrimitive(type, 0, primitives);
    // The device keeps its own reference while the buffer is bound.
    buffer->Release();
    return hr;
}

HRESULT GlScene::DrawRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z)
{
    // Edges half a pixel before the first and after the last covered pixel centre.
    const float l = x1 - 0.5f;
    const float t = y1 - 0.5f;
    const float r = x2 - 0.5f;
    const float b = y2 - 0.5f;
    const std::vector<XyzRhwColorTex> quad = {
        {l, t, z, 1, color, 0, 0}, {r, t, z, 1, color, 1, 0}, {l, b, z, 1, color, 0, 1},
        {r, t, z, 1, color, 1, 0}, {r, b, z, 1, color, 1, 1}, {l, b, z, 1, color, 0, 1},
    };
    return Draw(D3DPT_TRIANGLELIST, FvfXyzRhwColorTex, quad, 2);
}

std::vector<Rgb> GlScene::ReadFrame()
{
    std::vector<Rgb> frame;
    IDirect3DSurface8* surface = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
        ADD_FAILURE() << "no back buffer";
        return frame;
    }
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    // A smaller back buffer (after a reset) leaves the rest of the frame marked as outside.
    const int width = std::min(static_cast<int>(desc.Width), static_cast<int>(Size));
    const int height = std::min(static_cast<int>(desc.Height), static_cast<int>(Size));
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        frame.assign(Size * Size, Rgb{-1, -1, -1});
        for (int y = 0; y < height; ++y) {
            const auto* row = static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
            for (int x = 0; x < width; ++x) {
                // X8R8G8B8 is B, G, R, X in memory.
                frame[y * Size + x] = {row[4 * x + 2], row[4 * x + 1], row[4 * x]};
            }
        }
        surface->UnlockRect();
    } else {
        ADD_FAILURE() << "back buffer does not lock";
    }
    surface->Release();
    return frame;
}

Rgb GlScene::Pixel(int x, int y)
{
    const std::vector<Rgb> frame = ReadFrame();
    return frame.empty() ? Rgb{-1, -1, -1} : frame[y * Size + x];
}

int GlScene::CountLit(const std::vector<Rgb>& frame, int row, int threshold)
{
    int lit = 0;
    for (int x = 0; x < Size; ++x) {
        lit += frame[row * Size + x].r > threshold ? 1 : 0;
    }
    return lit;
}

void GlScene::SetCamera()
{
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    // Left-handed perspective, 90° vertical field, square aspect: x' = x, y' = y, w = z.
    const float zn = 1.0f;
    const float zf = 100.0f;
    D3DMATRIX projection{};
    projection._11 = 1.0f;
    projection._22 = 1.0f;
    projection._33 = zf / (zf - zn);
    projection._34 = 1.0f;
    projection._43 = -zn * zf / (zf - zn);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
}
