// SPDX-License-Identifier: GPL-3.0-or-later
// The soft layer's targets and its composite.
#include "effects/soft_target.h"

#include "effects/effect_resources.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The composite quad: pre-transformed corners with the whole texture across them.
struct CompositeVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD CompositeFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

template <typename Object>
void ReleaseOf(Object*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

// The quad over area: corners on the back buffer's pixel edges (centres are on integers), each edge
// at its place in the whole texture, so that every pixel centre samples the texture where the full
// picture has it and the filter blends the four nearest texels.
bool FillQuad(SoftTargets& targets, const PixelRect& area)
{
    BYTE* bytes = nullptr;
    if (FAILED(targets.quad->Lock(0, 0, &bytes, 0))) {
        return false;
    }
    const float w = static_cast<float>(targets.backWidth);
    const float h = static_cast<float>(targets.backHeight);
    const auto x0 = static_cast<float>(area.x0);
    const auto y0 = static_cast<float>(area.y0);
    const auto x1 = static_cast<float>(area.x1);
    const auto y1 = static_cast<float>(area.y1);
    const CompositeVertex corners[4] = {{x0 - 0.5f, y0 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFFu, x0 / w, y0 / h},
                                        {x1 - 0.5f, y0 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFFu, x1 / w, y0 / h},
                                        {x0 - 0.5f, y1 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFFu, x0 / w, y1 / h},
                                        {x1 - 0.5f, y1 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFFu, x1 / w, y1 / h}};
    auto* vertices = reinterpret_cast<CompositeVertex*>(bytes);
    for (int i = 0; i < 4; ++i) {
        vertices[i] = corners[i];
    }
    targets.quad->Unlock();
    return true;
}

} // namespace

const char* QualityLevelName(QualityLevel level)
{
    switch (level) {
    case QualityLevel::Balanced: return "balanced";
    case QualityLevel::Fast: return "fast";
    default: return "full";
    }
}

int SoftLayerDivisor(QualityLevel level)
{
    return level == QualityLevel::Balanced ? 2 : level == QualityLevel::Fast ? 4 : 1;
}

bool DrawsInSoftware(IDirect3D8* d3d, IDirect3DDevice8* device)
{
    D3DCAPS8 caps{};
    if (device != nullptr && SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.DeviceType == D3DDEVTYPE_REF) {
        return true;
    }
    D3DADAPTER_IDENTIFIER8 identifier{};
    if (d3d == nullptr || FAILED(d3d->GetAdapterIdentifier(caps.AdapterOrdinal, 0, &identifier))) {
        return false;
    }
    const char* description = identifier.Description;
    return std::strstr(description, "llvmpipe") != nullptr || std::strstr(description, "softpipe") != nullptr ||
           std::strstr(description, "swrast") != nullptr || std::strstr(description, "Software") != nullptr;
}

void CreateSoftTargets(IDirect3DDevice8* device, UINT backWidth, UINT backHeight, SoftTargets& targets)
{
    ReleaseSoftTargets(targets);
    targets.device = device;
    targets.backWidth = backWidth;
    targets.backHeight = backHeight;
    D3DSURFACE_DESC backDesc{};
    if (backWidth == 0 || backHeight == 0 || FAILED(device->GetRenderTarget(&targets.backBuffer)) ||
        FAILED(targets.backBuffer->GetDesc(&backDesc)) || FAILED(device->GetDepthStencilSurface(&targets.backDepth)) ||
        FAILED(device->CreateVertexBuffer(4 * sizeof(CompositeVertex), D3DUSAGE_WRITEONLY, CompositeFVF,
                                          D3DPOOL_MANAGED, &targets.quad))) {
        ReleaseSoftTargets(targets);
        return;
    }
    D3DSURFACE_DESC depthDesc{};
    targets.backDepth->GetDesc(&depthDesc);
    for (int level = 1; level < QualityLevelCount; ++level) {
        const auto divisor = static_cast<UINT>(SoftLayerDivisor(static_cast<QualityLevel>(level)));
        // Rounded up: the composite spreads the whole texture over the whole back buffer.
        const UINT width = (backWidth + divisor - 1) / divisor;
        const UINT height = (backHeight + divisor - 1) / divisor;
        if (FAILED(device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                         &targets.textures[level])) ||
            FAILED(targets.textures[level]->GetSurfaceLevel(0, &targets.colors[level])) ||
            FAILED(device->CreateDepthStencilSurface(width, height, depthDesc.Format, D3DMULTISAMPLE_NONE,
                                                     &targets.depths[level]))) {
            ReleaseOf(targets.colors[level]);
            ReleaseOf(targets.depths[level]);
            ReleaseOf(targets.textures[level]);
        }
    }
}

void ReleaseSoftTargets(SoftTargets& targets)
{
    for (int level = 0; level < QualityLevelCount; ++level) {
        ReleaseOf(targets.colors[level]);
        ReleaseOf(targets.depths[level]);
        ReleaseOf(targets.textures[level]);
    }
    ReleaseOf(targets.backBuffer);
    ReleaseOf(targets.backDepth);
    ReleaseOf(targets.quad);
    targets.drawing = -1;
}

bool SoftLayerReady(const SoftTargets& targets, QualityLevel level)
{
    const int index = static_cast<int>(level);
    return index > 0 && index < QualityLevelCount && targets.colors[index] != nullptr;
}

bool BeginSoftLayer(SoftTargets& targets, QualityLevel level, const PixelRect& area)
{
    const int index = static_cast<int>(level);
    if (!SoftLayerReady(targets, level)) {
        return false;
    }
    IDirect3DDevice8* device = targets.device;
    if (FAILED(device->SetRenderTarget(targets.colors[index], targets.depths[index]))) {
        return false;
    }
    targets.drawing = index;
    targets.area = area;
    // Everything drawn here adds light: it gathers on black, and is added to the picture in one go.
    // Only the texels the quad over area reads are cleared: two beyond it each way cover the filter.
    D3DSURFACE_DESC desc{};
    targets.colors[index]->GetDesc(&desc);
    const double sx = static_cast<double>(desc.Width) / static_cast<double>(targets.backWidth);
    const double sy = static_cast<double>(desc.Height) / static_cast<double>(targets.backHeight);
    const auto texel = [](double value, LONG limit) {
        return std::clamp(static_cast<LONG>(std::floor(value)), LONG{0}, limit);
    };
    const D3DRECT cleared{texel(area.x0 * sx - 2.0, static_cast<LONG>(desc.Width)),
                          texel(area.y0 * sy - 2.0, static_cast<LONG>(desc.Height)),
                          texel(std::ceil(area.x1 * sx) + 2.0, static_cast<LONG>(desc.Width)),
                          texel(std::ceil(area.y1 * sy) + 2.0, static_cast<LONG>(desc.Height))};
    device->Clear(1, &cleared, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    return true;
}

void EndSoftLayer(SoftTargets& targets)
{
    if (targets.drawing < 0) {
        return;
    }
    IDirect3DDevice8* device = targets.device;
    device->SetRenderTarget(targets.backBuffer, targets.backDepth);
    const PixelRect& area = targets.area;
    if (area.x1 <= area.x0 || area.y1 <= area.y0 || !FillQuad(targets, area)) {
        targets.drawing = -1;
        return;
    }
    DWORD depthTest = D3DZB_TRUE;
    DWORD addressU = D3DTADDRESS_WRAP;
    DWORD addressV = D3DTADDRESS_WRAP;
    device->GetRenderState(D3DRS_ZENABLE, &depthTest);
    device->GetTextureStageState(0, D3DTSS_ADDRESSU, &addressU);
    device->GetTextureStageState(0, D3DTSS_ADDRESSV, &addressV);
    SetAdditiveStates(device);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    // Clamped: a wrapped edge would borrow light from the opposite side of the picture.
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTexture(0, targets.textures[targets.drawing]);
    device->SetStreamSource(0, targets.quad, sizeof(CompositeVertex));
    device->SetVertexShader(CompositeFVF);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, addressU);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, addressV);
    device->SetRenderState(D3DRS_ZENABLE, depthTest);
    targets.drawing = -1;
}
