// SPDX-License-Identifier: GPL-3.0-or-later
// The OpenGL device's work per frame on the headless show: ten fireworks launched together, drawn
// before their bursts and at the heavy frame just after them. Reports the CPU time of the whole
// process per frame (the rasteriser's threads included), with GL calls, draws and bytes uploaded
// per frame as counters, so that a change which adds device work shows.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "tools/render/offline_show.h"

namespace {

// The ten launches of tools/render/scenes/ten_bursts.txt: all climb for 2 s and burst at height 4.
struct Launch {
    int type;
    float burst[3];
};
constexpr Launch TenBursts[] = {
    {1001, {-2.0f, 4.0f, -1.0f}}, {2004, {-1.0f, 4.0f, 1.0f}},  {3007, {0.0f, 4.0f, -1.5f}},
    {4002, {1.0f, 4.0f, 0.5f}},   {5008, {2.0f, 4.0f, -0.5f}},  {6003, {-1.5f, 4.0f, 0.0f}},
    {1006, {1.5f, 4.0f, 1.5f}},   {2009, {0.5f, 4.0f, -1.0f}},  {5000, {-0.5f, 4.0f, 1.0f}},
    {4005, {0.0f, 4.0f, 0.0f}},
};
constexpr float Step = 0.01f;

// Plays the ten launches up to the given time, then draws that moment again and again (no time
// passes, so the scene stays as it is).
void DeviceFrame(benchmark::State& state, float at, int width, int height)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(FIREWORKS_BIN_DIR);
    OfflineShowOptions options;
    options.width = width;
    options.height = height;
    OfflineShow show;
    std::string error;
    if (!show.Open(options, error)) {
        state.SkipWithError(error.c_str());
        std::filesystem::current_path(previous);
        return;
    }
    const float origin[3] = {0.0f, 0.0f, 0.0f};
    for (const Launch& launch : TenBursts) {
        show.Launch(launch.type, origin, launch.burst);
    }
    float time = 0.0f;
    for (; time < at; time += Step) {
        show.Frame(time + Step, Step, false);
    }
    show.Finish();
    show.TakeCounts();

    OfflineShow::FrameCounts total;
    for (auto _ : state) {
        show.Frame(time, 0.0f, false);
        show.Finish();
        const OfflineShow::FrameCounts counts = show.TakeCounts();
        total.calls += counts.calls;
        total.draws += counts.draws;
        total.uploadedBytes += counts.uploadedBytes;
    }
    using Counter = benchmark::Counter;
    state.counters["gl_calls"] = Counter(static_cast<double>(total.calls), Counter::kAvgIterations);
    state.counters["draws"] = Counter(static_cast<double>(total.draws), Counter::kAvgIterations);
    state.counters["bytes_uploaded"] = Counter(static_cast<double>(total.uploadedBytes), Counter::kAvgIterations);
    show.Close();
    std::filesystem::current_path(previous);
}

void BM_BeforeTheBursts640x480(benchmark::State& state) { DeviceFrame(state, 1.0f, 640, 480); }
void BM_HeavyFrame640x480(benchmark::State& state) { DeviceFrame(state, 2.2f, 640, 480); }
void BM_HeavyFrame1280x720(benchmark::State& state) { DeviceFrame(state, 2.2f, 1280, 720); }

} // namespace

BENCHMARK(BM_BeforeTheBursts640x480)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeavyFrame640x480)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeavyFrame1280x720)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
