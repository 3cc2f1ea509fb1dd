// SPDX-License-Identifier: GPL-3.0-or-later
// Fan-out of the lifecycle steps to the shared resources, the particle pools and the layers.
#include "shells/effects_lifecycle.h"

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_passes.h"
#include "effects/particle_pool.h"
#include "shells/color_ramp.h"
#include "shells/layer_registry.h"

HRESULT EffectsInitScene()
{
    for (SceneLayer* layer : LayerRegistry) {
        layer->InitScene();
    }
    FillParticlePools();
    BuildColorRamps();
    return S_OK;
}

HRESULT EffectsCreateDeviceResources()
{
    const HRESULT hr = CreateEffectResources();
    if (FAILED(hr)) {
        return hr;
    }
    for (SceneLayer* layer : LayerRegistry) {
        layer->CreateDeviceResources();
    }
    SetSharedRenderStates(Effects.device);
    Effects.device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    return S_OK;
}

HRESULT EffectsRestoreDeviceResources()
{
    SetSharedRenderStates(Effects.device);
    for (SceneLayer* layer : LayerRegistry) {
        layer->RestoreDeviceResources();
    }
    return S_OK;
}

HRESULT EffectsInvalidateDeviceResources()
{
    for (SceneLayer* layer : LayerRegistry) {
        layer->InvalidateDeviceResources();
    }
    return S_OK;
}

HRESULT EffectsDestroyDeviceResources()
{
    DestroyEffectResources();
    for (SceneLayer* layer : LayerRegistry) {
        layer->DestroyDeviceResources();
    }
    return S_OK;
}

void EffectsUpdate()
{
    // A payload submitted by layer 0 during its update reaches its own, later layer in this same pass.
    for (SceneLayer* layer : LayerRegistry) {
        layer->Admit();
        layer->Update();
        layer->Reap();
    }
}

void EffectsDraw()
{
    EffectsDrawSharp();
    EffectsDrawSoft();
}

void EffectsDrawSharp()
{
    DrawSparks();
    for (SceneLayer* layer : LayerRegistry) {
        layer->Draw();
    }
}

void EffectsDrawSoft()
{
    DrawFlashes();
    DrawSmoke();
}
