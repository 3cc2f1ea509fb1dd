// SPDX-License-Identifier: GPL-3.0-or-later
// Frame cost of the effect system on a device that draws nothing: EffectsUpdate plus EffectsDraw
// with the particle pools full. Reports time per frame and heap allocations per frame (must be 0).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "platform/d3d8/device_front.h"
#include "shells/bee_shell.h"
#include "shells/chrysanthemum_shell.h"
#include "shells/color_ramp.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"
#include "shells/peony_shell.h"
#include "shells/ring_shell.h"
#include "shells/rising_shell.h"
#include "shells/saturn_shell.h"
#include "shells/spiral_shell.h"
#include "tools/support/allocation_counter.h"
#include "tools/support/bmp_writer.h"

namespace {

// Effect textures on disk, a null device and the effect resources created on it.
class EffectBench {
public:
    EffectBench()
    {
        folder = std::filesystem::temp_directory_path() / ("fireworks-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(folder);
        WriteEffectTextures(folder.string());
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder);

        D3DPRESENT_PARAMETERS params{};
        params.BackBufferWidth = 640;
        params.BackBufferHeight = 480;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.Windowed = TRUE;
        device = new NullDevice(NullDevice::DefaultCaps(), params);
        Effects.device = device;
        Effects.time = 0.0f;
        EffectsInitScene();
        ok = SUCCEEDED(EffectsCreateDeviceResources()) && SUCCEEDED(EffectsRestoreDeviceResources());

        D3DXMATRIX view;
        const D3DXVECTOR3 eye(0, 5, 6), at(0, 3, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        SetEffectView(view);
    }
    ~EffectBench()
    {
        for (SceneLayer* layer : LayerRegistry) {
            layer->Clear();
        }
        EffectsInvalidateDeviceResources();
        EffectsDestroyDeviceResources();
        device->Release();
        Effects.device = nullptr;
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }

    // Pools full of particles that outlive the benchmark: 4096 sparks, 1024 puffs, 10 flashes.
    static void FillPools()
    {
        ResetRuntimeRand();
        for (int i = 0; i < SparkCapacity; ++i) {
            const float a = static_cast<float>(Random01());
            SpawnSpark(a, 3.0f + a, -a, 0.5f - a, -1.0f, a, 1.0e6f, i % 4 == 0);
        }
        for (int i = 0; i < SmokeCapacity; ++i) {
            const float a = static_cast<float>(Random01());
            SpawnSmoke(a * 4.0f - 2.0f, 3.0f + a, 0.0f, 1.0e6f, 1.5f, 0.8f);
        }
        for (int i = 0; i < FlashCapacity; ++i) {
            SpawnFlash(static_cast<float>(i) * 0.3f - 1.5f, 4.0f, 0.0f, 1.0e6f, 3.0f, 0.8f, D3DXCOLOR(1, 0.8f, 0.5f, 1));
        }
    }

    bool ok = false;

private:
    std::filesystem::path folder;
    std::filesystem::path previous;
    NullDevice* device = nullptr;
};

// Twenty live objects of every family, mid-life: rising shells still climbing, bursts spreading.
void LaunchTwentyOfEachFamily()
{
    ResetRuntimeRand();
    for (int i = 0; i < 20; ++i) {
        const float x = static_cast<float>(Random01() * 4.0 - 2.0);
        const float z = static_cast<float>(Random01() * 4.0 - 2.0);
        const float y = static_cast<float>(Random01() * 2.0 + 3.0);
        const int a = i % RampPresetCount;
        SubmitFireObject(new RisingShell(0.0f, 0.0f, 0.0f, x, y, z, nullptr));
        SubmitFireObject(new ChrysanthemumShell(x, y, z, 25, 3.0f, 2.0f, KikuRamps[a]));
        SubmitFireObject(new BeeShell(x, y, z, 30, 2.0f, 2.0f, BotanRamps[a]));
        SubmitFireObject(new SaturnShell(x, y, z, 20, 1.5f, 0.5f, BotanRamps[a], BotanRamps[9 - a]));
        SubmitFireObject(new SpiralShell(x, y, z, 30, 2.0f, 1.5f, BotanRamps[a]));
        SubmitFireObject(new PeonyShell(x, y, z, 25, 2.0f, 1.5f, BotanRamps[a], true));
        SubmitFireObject(new RingShell(x, y, z, 80, 1.5f, 0.5f, BotanRamps[a]));
    }
}

// Runs 10 ms frames and reports the heap allocations per frame. With advance false the application
// time stays put, so every object keeps its age and the scene stays as it is, while the elapsed
// time still makes trails and bees emit their sparks each frame.
void RunFrames(benchmark::State& state, bool advance)
{
    const std::uint64_t before = HeapAllocationCount();
    for (auto _ : state) {
        Effects.time += advance ? 0.01f : 0.0f;
        Effects.elapsed = 0.01f;
        EffectsUpdate();
        EffectsDraw();
        benchmark::DoNotOptimize(FlashBrightness);
    }
    const std::uint64_t allocations = HeapAllocationCount() - before;
    state.counters["allocs_per_frame"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
}

void BM_EffectsFrameFullPools(benchmark::State& state)
{
    EffectBench bench;
    if (!bench.ok) {
        state.SkipWithError("effect resources could not be created");
        return;
    }
    EffectBench::FillPools();
    // One warm-up frame, so that steady state is what gets measured.
    EffectsUpdate();
    EffectsDraw();
    RunFrames(state, true);
}
BENCHMARK(BM_EffectsFrameFullPools)->Unit(benchmark::kMicrosecond);

void BM_EffectsFrameTwentyOfEachFamily(benchmark::State& state)
{
    EffectBench bench;
    if (!bench.ok) {
        state.SkipWithError("effect resources could not be created");
        return;
    }
    EffectBench::FillPools();
    Effects.time = 1.0f;
    LaunchTwentyOfEachFamily();
    EffectsUpdate();
    // 0.7 s into every life: all 140 objects are alive, none has ended.
    Effects.time = 1.7f;
    EffectsUpdate();
    EffectsDraw();
    RunFrames(state, false);
}
BENCHMARK(BM_EffectsFrameTwentyOfEachFamily)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
