// SPDX-License-Identifier: GPL-3.0-or-later
// Device states, scene light and frame order of the show.
#include "app/show_scene.h"

#include <bit>
#include <cstdio>
#include <filesystem>

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "media/bitmap_font.h"
#include "media/d3d_file.h"
#include "media/media_lookup.h"
#include "shells/effects_lifecycle.h"

namespace {

DWORD FloatBits(float value)
{
    return std::bit_cast<DWORD>(value);
}

const D3DXMATRIX Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Eye depth where the fog turns the sea fully black.
constexpr float SeaFogEnd = 20.0f;

} // namespace

D3DLIGHT8 SceneLight(float b)
{
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = D3DCOLORVALUE{b, b, b, b};
    light.Specular = D3DCOLORVALUE{0, 0, 0, 0};
    light.Ambient = D3DCOLORVALUE{b, b, b, b};
    light.Position = D3DVECTOR{0.0f, 2.0f, 0.0f};
    light.Direction = D3DVECTOR{0.5f, -1.0f, 0.0f};
    light.Range = 8.0f;
    light.Falloff = 0.0f;
    light.Attenuation0 = 1.0f;
    light.Attenuation1 = 0.0f;
    light.Attenuation2 = std::bit_cast<float>(0x3EB2B8C0u);
    light.Theta = std::bit_cast<float>(0x3F32B8C0u);
    light.Phi = 0.0f;
    return light;
}

void SetShowDeviceStates(IDirect3DDevice8* device, UINT backBufferWidth, UINT backBufferHeight)
{
    device->SetTransform(D3DTS_WORLD, &Identity);
    // A back buffer of no height (a collapsed window) would give an infinite aspect.
    const float aspect = backBufferHeight == 0 ? 1.0f
                                               : static_cast<float>(backBufferWidth) / static_cast<float>(backBufferHeight);
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, std::bit_cast<float>(0x3F490FDBu), aspect, 0.1f, 100.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRS_FOGCOLOR, 0x00000000);
}

bool LoadCalmSea(IDirect3DDevice8* device, CD3DFile& calmSea)
{
    // It stands for the sea of its own folder: beside a sea from elsewhere it would show the wrong one.
    char seaPath[MAX_PATH];
    char calmPath[MAX_PATH];
    if (FAILED(LocateMediaFile(seaPath, "sea.x")) || FAILED(LocateMediaFile(calmPath, "sea_calm.x")) ||
        std::filesystem::path(seaPath).parent_path() != std::filesystem::path(calmPath).parent_path()) {
        return false;
    }
    if (SUCCEEDED(calmSea.Load(device, calmPath))) {
        return true;
    }
    calmSea.ReleaseTree();
    return false;
}

namespace {

// Beyond the fog's end the sea is as black as the cleared sky: a plane there leaves it undrawn.
// It keeps eye depth up to the fog's end: depth = x V's third column, 1 = x V's fourth.
void DrawSeaWithinFog(IDirect3DDevice8* device, const D3DXMATRIX& view, CD3DFile* drawn)
{
    const float seaPlane[4] = {SeaFogEnd * view._14 - view._13, SeaFogEnd * view._24 - view._23,
                               SeaFogEnd * view._34 - view._33, SeaFogEnd * view._44 - view._43};
    device->SetClipPlane(0, seaPlane);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, D3DCLIPPLANE0);
    drawn->Draw(device, &Identity);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
}

// The soft layer's own depth: the sea's surface (the few faces will do), without colour, so that the
// horizon hides what lies behind the sea as it does at full resolution. The depth-write state is the
// one the sea was drawn with.
void DrawSeaDepth(IDirect3DDevice8* device, const D3DXMATRIX& view, CD3DFile* sea, CD3DFile* calmSea)
{
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    DrawSeaWithinFog(device, view, calmSea != nullptr ? calmSea : sea);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
}

// The flashes' light on the sea alone (no global ambient; the sea's material has no emissive part),
// fogged to black: added to the unlit sea it gives the lit one. Drawn first on the soft layer's black,
// it also leaves the sea's depth there.
void DrawSeaLight(IDirect3DDevice8* device, const D3DXMATRIX& view, CD3DFile* sea)
{
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    const D3DLIGHT8 light = SceneLight(FlashBrightness);
    device->SetLight(0, &light);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    DrawSeaWithinFog(device, view, sea);
    device->SetRenderState(D3DRS_AMBIENT, 0xC0C0C0C0);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
}

} // namespace

void DrawShowScene(IDirect3DDevice8* device, const D3DXMATRIX& view, CD3DFile* sea, CD3DFile* calmSea,
                   SoftTargets* softTargets, QualityLevel quality)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    device->SetTransform(D3DTS_VIEW, &view);

    // The sea is lit by the flashes of the previous frame: the flash pass below recomputes the brightness.
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGSTART, FloatBits(10.0f));
    device->SetRenderState(D3DRS_FOGEND, FloatBits(SeaFogEnd));
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->LightEnable(0, TRUE);
    // At a reduced level the soft layer covers the soft parts' pixels where the pixels it spares
    // outweigh the ones its composite and the switch add (a few scattered puffs cost less drawn as they are). The
    // flashes' light on the sea goes there too, with the sea here unlit, where the composite is nearly
    // the whole picture already: the sea (about half of it) then spares more than the rest adds.
    PixelRect softArea{};
    double coverage = 0.0;
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    const bool ready = softTargets != nullptr && SoftLayerReady(*softTargets, quality);
    const bool softParts = ready && SoftPartsBounds(device, Effects.time, softArea, coverage);
    const double spared = 1.0 - 1.0 / (SoftLayerDivisor(quality) * SoftLayerDivisor(quality));
    const double composite = static_cast<double>(softArea.x1 - softArea.x0) * (softArea.y1 - softArea.y0);
    const double whole = static_cast<double>(viewport.Width) * viewport.Height;
    // Leaving the back buffer and coming back costs about as much as half a picture of fill again.
    const bool soft = softParts && coverage * spared > composite + 0.5 * whole;
    const bool lightApart = soft && sea != nullptr && calmSea != nullptr && FlashBrightness > 0.0f &&
                            whole - composite < 0.5 * whole * spared;
    if (lightApart) {
        softArea = {static_cast<LONG>(viewport.X), static_cast<LONG>(viewport.Y),
                    static_cast<LONG>(viewport.X + viewport.Width), static_cast<LONG>(viewport.Y + viewport.Height)};
    }
    DWORD seaWritesDepth = TRUE;
    device->GetRenderState(D3DRS_ZWRITEENABLE, &seaWritesDepth);
    const D3DLIGHT8 light = SceneLight(lightApart ? 0.0f : FlashBrightness);
    device->SetLight(0, &light);
    device->SetRenderState(D3DRS_AMBIENT, 0xC0C0C0C0);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);

    // The effects expect the identity world transform, which the sea restores after its frames.
    if (sea != nullptr) {
        // Unlit, the sea shows the global ambient alone, the same at every vertex, and the fog follows
        // the depth across any face: a few faces draw what the fine mesh draws, for far less.
        CD3DFile* drawn = (FlashBrightness == 0.0f || lightApart) && calmSea != nullptr ? calmSea : sea;
        DrawSeaWithinFog(device, view, drawn);
    } else {
        device->SetTransform(D3DTS_WORLD, &Identity);
    }

    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    EffectsDrawSharp();
    if (soft && BeginSoftLayer(*softTargets, quality, softArea)) {
        device->SetRenderState(D3DRS_ZWRITEENABLE, seaWritesDepth);
        if (lightApart) {
            DrawSeaLight(device, view, sea);
        } else if (sea != nullptr && seaWritesDepth != FALSE) {
            DrawSeaDepth(device, view, sea, calmSea);
        }
        EffectsDrawSoft();
        EndSoftLayer(*softTargets);
    } else {
        EffectsDrawSoft();
    }
}

void FormatStatusLine(char* line, size_t size, const D3DXVECTOR3& eye, int cameraIndex, const char* qualityName)
{
    if (qualityName != nullptr) {
        std::snprintf(line, size, "(%5.2f %5.2f %5.2f)  camera = %d  quality %s", eye.x, eye.y, eye.z, cameraIndex,
                      qualityName);
        return;
    }
    std::snprintf(line, size, "(%5.2f %5.2f %5.2f)  camera = %d", eye.x, eye.y, eye.z, cameraIndex);
}

void DrawStatusText(IDirect3DDevice8* device, BitmapFont& font, const char* statsText, const D3DXVECTOR3& eye,
                    int cameraIndex, const char* qualityName)
{
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    font.DrawString(2.0f, 0.0f, 0xFFFFFF00, statsText, 0);
    // On the stack: the frame allocates nothing.
    char line[256];
    FormatStatusLine(line, sizeof(line), eye, cameraIndex, qualityName);
    font.DrawString(2.0f, 20.0f, 0xFFFFFF00, line, 0);
}
