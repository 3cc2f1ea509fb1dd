// SPDX-License-Identifier: GPL-3.0-or-later
// Opening, driving and closing the headless show.
#include "tools/render/offline_show.h"

#include <cstdio>

#include "app/launch_handlers.h"
#include "app/show_scene.h"
#include "d3dx/load_failure.h"
#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "media/media_failure.h"
#include "platform/d3d8/gl/gl_device.h"
#include "platform/d3d8/gl/gl_offscreen.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"

namespace {

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// The last media failure in words; a missing file also gets the way to point at the media.
std::string MediaProblem(const std::string& fallback)
{
    const std::string text = MediaFailureText();
    if (text.empty()) {
        return fallback;
    }
    if (LastLoadFailure().kind == LoadFailureKind::Missing) {
        return text + "; run from the folder with the media or name it with --media";
    }
    return text;
}

} // namespace

OfflineShow::~OfflineShow()
{
    Close();
}

bool OfflineShow::Open(const OfflineShowOptions& options, std::string& error)
{
    PreferOffscreenVideo();
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (d3d == nullptr) {
        error = "no OpenGL 3.3 drawing layer is available";
        return false;
    }
    window = CreateOffscreenGlWindow(options.width, options.height);
    if (window == nullptr) {
        error = "no window for drawing could be made";
        return false;
    }
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = static_cast<UINT>(options.width);
    params.BackBufferHeight = static_cast<UINT>(options.height);
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = window;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    const D3DDEVTYPE type = options.software ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
    HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, type, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params,
                                   &device);
    if (FAILED(hr)) {
        error = "the device could not be created: " + Hex(hr);
        return false;
    }

    Effects = EffectContext{};
    Effects.device = device;
    Effects.flashFlicker = options.flicker;
    EffectsInitScene();
    hr = EffectsCreateDeviceResources();
    if (FAILED(hr)) {
        error = MediaProblem("the effect textures could not be loaded (" + Hex(hr) + ")");
        return false;
    }
    effectsCreated = true;
    if (options.sea) {
        hr = sea.Load(device, "sea.x");
        if (FAILED(hr)) {
            error = MediaProblem("sea.x could not be loaded (" + Hex(hr) + ")");
            return false;
        }
        seaLoaded = true;
        sea.AttachTree(device);
        calmSeaLoaded = LoadCalmSea(device, calmSea);
        if (calmSeaLoaded) {
            calmSea.AttachTree(device);
        }
    }
    SetShowDeviceStates(device, params.BackBufferWidth, params.BackBufferHeight);
    EffectsRestoreDeviceResources();
    quality = options.autoQuality ? (DrawsInSoftware(d3d, device) ? QualityLevel::Balanced : QualityLevel::Full)
                                  : options.quality;
    if (quality != QualityLevel::Full) {
        CreateSoftTargets(device, params.BackBufferWidth, params.BackBufferHeight, softTargets);
    }

    // The orbit camera at its start: from (0, 5, 6) toward the launch site's bursts at (0, 3, 0).
    // The wide view stands back on the same side: the shore's sites span x -3 to 3 at z 1, bursts
    // reach x +-4 and 5 up, and a shell's stars spread about 2 further.
    const bool wide = options.camera == RenderCamera::Wide;
    const D3DXVECTOR3 eye = wide ? D3DXVECTOR3(0.0f, 4.5f, 15.0f) : D3DXVECTOR3(0.0f, 5.0f, 6.0f);
    const D3DXVECTOR3 at = wide ? D3DXVECTOR3(0.0f, 3.5f, 1.0f) : D3DXVECTOR3(0.0f, 3.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    SetEffectView(view);

    RegisterFireworkKinds(registry);
    return true;
}

void OfflineShow::Close()
{
    for (SceneLayer* layer : LayerRegistry) {
        layer->Clear();
    }
    if (seaLoaded) {
        sea.DetachTree();
        sea.ReleaseTree();
        seaLoaded = false;
    }
    if (calmSeaLoaded) {
        calmSea.DetachTree();
        calmSea.ReleaseTree();
        calmSeaLoaded = false;
    }
    ReleaseSoftTargets(softTargets);
    if (effectsCreated) {
        EffectsInvalidateDeviceResources();
        EffectsDestroyDeviceResources();
        effectsCreated = false;
    }
    if (device != nullptr) {
        device->Release();
        device = nullptr;
    }
    Effects = EffectContext{};
    if (d3d != nullptr) {
        d3d->Release();
        d3d = nullptr;
    }
    if (window != nullptr) {
        DestroyOffscreenGlWindow(window);
        window = nullptr;
    }
}

bool OfflineShow::Launch(int typeId, const float launch[3], const float burst[3])
{
    return registry.LaunchById(typeId, launch[0], launch[1], launch[2], burst[0], burst[1], burst[2]);
}

void OfflineShow::Click()
{
    registry.LaunchRandomFirework();
}

bool OfflineShow::Frame(float time, float elapsed, bool bare)
{
    Effects.time = time;
    Effects.elapsed = elapsed;
    if (bare) {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
        device->EndScene();
        return SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr));
    }
    EffectsUpdate();
    device->BeginScene();
    DrawShowScene(device, view, seaLoaded ? &sea : nullptr, calmSeaLoaded ? &calmSea : nullptr, &softTargets,
                  quality);
    device->EndScene();
    return SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr));
}

void OfflineShow::Finish()
{
    if (auto* gl = dynamic_cast<GlDevice*>(device)) {
        gl->Finish();
    }
}

OfflineShow::FrameCounts OfflineShow::TakeCounts()
{
    FrameCounts counts;
    auto* gl = dynamic_cast<GlDevice*>(device);
    if (gl == nullptr) {
        return counts;
    }
    counts.calls = gl->Stats().calls;
    counts.draws = gl->Stats().draws;
    counts.uploadedBytes = gl->Stats().uploadedBytes;
    gl->ResetStats();
    return counts;
}

bool OfflineShow::Burst() const
{
    return FlashPool.activeList != nullptr;
}
