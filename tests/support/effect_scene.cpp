// SPDX-License-Identifier: GPL-3.0-or-later
// Setting up and tearing down the effect system around one test.
#include "tests/support/effect_scene.h"

#include <atomic>
#include <random>
#include <string>

#include "effects/effect_context.h"
#include "effects/random01.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"
#include "tools/support/bmp_writer.h"

namespace {
std::atomic<int> SceneNumber{0};
// Suites of one folder run side by side from the same directory: a token per process keeps them apart.
const std::string ProcessToken = std::to_string(std::random_device{}());
}

EffectScene::EffectScene(const D3DCAPS8& caps)
{
    folder = std::filesystem::temp_directory_path() /
             ("fireworks-effects-" + ProcessToken + "-" + std::to_string(SceneNumber++));
    std::filesystem::create_directories(folder);
    WriteEffectTextures(folder.string());
    previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);

    device = new RecordingDevice(caps);
    Effects = EffectContext{};
    Effects.device = device;
    ResetRuntimeRand();
    EffectsInitScene();
    created = EffectsCreateDeviceResources();
    if (SUCCEEDED(created)) {
        EffectsRestoreDeviceResources();
    }
}

EffectScene::~EffectScene()
{
    for (SceneLayer* layer : LayerRegistry) {
        layer->Clear();
    }
    EffectsInvalidateDeviceResources();
    EffectsDestroyDeviceResources();
    EffectsInitScene();
    device->Release();
    Effects = EffectContext{};
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void EffectScene::Frame(float time)
{
    Update(time, time - Effects.time);
    EffectsDraw();
}

void EffectScene::Update(float time, float elapsed)
{
    Effects.time = time;
    Effects.elapsed = elapsed;
    EffectsUpdate();
}
