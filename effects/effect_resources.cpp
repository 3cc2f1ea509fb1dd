// SPDX-License-Identifier: GPL-3.0-or-later
// Creating, restoring and releasing the shared effect resources.
#include "effects/effect_resources.h"

#include <algorithm>
#include <bit>

#include "d3dx/d3dx_texture.h"
#include "effects/effect_context.h"
#include "effects/vertex_formats.h"

EffectResources SharedEffects;

namespace {

struct TextureFile {
    const char* name;
    UINT mipLevels;
};

// The flash quads and the bursts' smoke are always drawn larger than their images, so smaller levels
// would never be read; sampling without them saves the rasteriser the level-of-detail work.
constexpr TextureFile TextureFiles[EffectTextureCount] = {
    {"Star.bmp", 5}, {"Launch.bmp", 5}, {"Shine.bmp", 5}, {"Shine2.bmp", 5},
    {"Random.bmp", 5}, {"Smoke.bmp", 7}, {"Light.bmp", 1}, {"Smoke.bmp", 1},
};

constexpr DWORD MinBatchCapacity = 6;
constexpr DWORD MaxBatchCapacity = 2048;

DWORD FloatBits(float value)
{
    return std::bit_cast<DWORD>(value);
}

} // namespace

HRESULT CreateEffectResources()
{
    IDirect3DDevice8* device = Effects.device;
    D3DCAPS8 caps{};
    device->GetDeviceCaps(&caps);
    // A whole quad must fit in one run, whatever the device reports.
    SharedEffects.batchCapacity =
        static_cast<int>(std::clamp<DWORD>(caps.MaxPrimitiveCount, MinBatchCapacity, MaxBatchCapacity));

    constexpr DWORD filter = D3DX_FILTER_POINT | D3DX_FILTER_MIRROR;
    for (int i = 0; i < EffectTextureCount; ++i) {
        const HRESULT hr = D3DXCreateTextureFromFileExA(
            device, TextureFiles[i].name, D3DX_DEFAULT, D3DX_DEFAULT, TextureFiles[i].mipLevels, 0, D3DFMT_UNKNOWN,
            D3DPOOL_MANAGED, filter, filter, 0, nullptr, nullptr, &SharedEffects.textures[i]);
        if (FAILED(hr)) {
            return MediaNotFoundResult;
        }
    }
    // Unreadable levels only cost the trimming: the puffs are then drawn whole.
    BuildLitAreaTable(SharedEffects.textures[TextureSmoke], SharedEffects.smokeAreas);
    BuildLitReachTable(SharedEffects.textures[TextureLight], SharedEffects.flashReach);

    const UINT capacity = static_cast<UINT>(SharedEffects.batchCapacity);
    HRESULT hr = device->CreateVertexBuffer(capacity * sizeof(ColorVertex), D3DUSAGE_WRITEONLY, ColorVertexFVF,
                                            D3DPOOL_MANAGED, &SharedEffects.pointBuffer);
    if (FAILED(hr)) {
        return hr;
    }
    hr = device->CreateVertexBuffer(capacity * sizeof(TexturedVertex), D3DUSAGE_WRITEONLY, TexturedVertexFVF,
                                    D3DPOOL_MANAGED, &SharedEffects.quadBuffer);
    return hr;
}

void SetSharedRenderStates(IDirect3DDevice8* device)
{
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSIZE_MIN, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(1.0f));
    SetAdditiveStates(device);
}

void SetAdditiveStates(IDirect3DDevice8* device, D3DBLEND sourceBlend)
{
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, sourceBlend);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

void DestroyEffectResources()
{
    SharedEffects.smokeAreas.levelCount = 0;
    SharedEffects.flashReach.known = false;
    for (IDirect3DTexture8*& texture : SharedEffects.textures) {
        if (texture != nullptr) {
            texture->Release();
            texture = nullptr;
        }
    }
    if (SharedEffects.pointBuffer != nullptr) {
        SharedEffects.pointBuffer->Release();
        SharedEffects.pointBuffer = nullptr;
    }
    if (SharedEffects.quadBuffer != nullptr) {
        SharedEffects.quadBuffer->Release();
        SharedEffects.quadBuffer = nullptr;
    }
}
