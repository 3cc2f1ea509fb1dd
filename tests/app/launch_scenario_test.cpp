// SPDX-License-Identifier: GPL-3.0-or-later
// One firework of every kind from the click to the end of its life: every object leaves its layer,
// and frames allocate nothing except where an object starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/firework_types.h"
#include "app/launch_handlers.h"
#include "effects/effect_context.h"
#include "effects/particle_pool.h"
#include "shells/layer_registry.h"
#include "tools/support/allocation_counter.h"
#include "tests/support/effect_scene.h"

namespace {

// The started objects of every layer; with queued ones too when asked.
std::vector<const FireObject*> LiveObjects(bool withQueued = true)
{
    std::vector<const FireObject*> live;
    for (const SceneLayer* layer : LayerRegistry) {
        for (const FireObject* o = layer->activeList; o != nullptr; o = o->next) {
            live.push_back(o);
        }
        for (const FireObject* o = withQueued ? layer->incomingList : nullptr; o != nullptr; o = o->next) {
            live.push_back(o);
        }
    }
    return live;
}

struct ScenarioResult {
    int frames = 0;
    int framesWithAllocations = 0;
    int framesWithStarts = 0;
    std::vector<int> layersSeen;
};

// Runs 10 ms frames until no object is left, counting allocations in frames that started nothing.
ScenarioResult RunUntilEmpty(EffectScene& scene, float start)
{
    ScenarioResult result;
    std::vector<const FireObject*> before;
    before.reserve(64);
    std::vector<const FireObject*> after;
    after.reserve(64);
    float time = start;
    while (result.frames < 1200) {
        before = LiveObjects(false);
        time += 0.01f;
        const std::uint64_t allocations = HeapAllocationCount();
        scene.Frame(time);
        const std::uint64_t used = HeapAllocationCount() - allocations;
        after = LiveObjects(false);
        ++result.frames;
        const bool started = std::any_of(after.begin(), after.end(), [&](const FireObject* o) {
            return std::find(before.begin(), before.end(), o) == before.end();
        });
        for (const FireObject* o : after) {
            if (std::find(result.layersSeen.begin(), result.layersSeen.end(), o->layerId) == result.layersSeen.end()) {
                result.layersSeen.push_back(o->layerId);
            }
        }
        result.framesWithStarts += started ? 1 : 0;
        if (!started && used > 0) {
            ++result.framesWithAllocations;
        }
        if (LiveObjects().empty()) {
            break;
        }
    }
    return result;
}

class LaunchScenario : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(LaunchScenario, AFireworkRisesBurstsAndLeavesNothingBehind)
{
    EffectScene scene;
    FireworkTypeRegistry registry;
    RegisterFireworkKinds(registry);
    const int id = GetParam() * 1000 + 4;
    const auto entry = std::find_if(registry.entries.begin(), registry.entries.end(),
                                    [&](const FireworkType& type) { return type.id == id; });
    ASSERT_NE(entry, registry.entries.end());
    entry->handler(registry, id, 0.01f, 0.0f, -0.02f, 0.5f, 4.0f, -0.5f);

    scene.device->PauseRecording(true);
    const ScenarioResult result = RunUntilEmpty(scene, 0.0f);
    EXPECT_TRUE(LiveObjects().empty()) << "still alive after " << result.frames << " frames";
    // Climb (4 - 0) * 0.5 = 2 s, then a burst of at most 3 s.
    EXPECT_GT(result.frames, 200);
    EXPECT_LT(result.frames, 520);
    // The rising shell and its payload: two layers, each object started in a frame of its own.
    ASSERT_EQ(result.layersSeen.size(), 2u);
    EXPECT_EQ(result.layersSeen[0], LayerRisingShell);
    EXPECT_EQ(result.layersSeen[1], GetParam() == 1 ? LayerChrysanthemum : GetParam() == 2 ? LayerBee
                                    : GetParam() == 3 ? LayerSaturn : GetParam() == 4 ? LayerSpiral
                                    : GetParam() == 5 ? LayerPeony : LayerRing);
    EXPECT_EQ(result.framesWithStarts, 2);
    EXPECT_EQ(result.framesWithAllocations, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, LaunchScenario, ::testing::Values(1, 2, 3, 4, 5, 6));

TEST(LaunchScenario, TheSameClicksFromTheInitialRandomStateGiveTheSameShow)
{
    // Two runs of five clicks with a few frames between them must draw exactly the same vertices.
    std::vector<std::vector<BYTE>> runs[2];
    for (auto& run : runs) {
        EffectScene scene;
        FireworkTypeRegistry registry;
        RegisterFireworkKinds(registry);
        float time = 0.0f;
        for (int click = 0; click < 5; ++click) {
            registry.LaunchRandomFirework();
            for (int frame = 0; frame < 60; ++frame) {
                time += 0.01f;
                scene.Frame(time);
            }
        }
        for (const DrawRecord& draw : scene.device->Draws()) {
            run.push_back(draw.vertices);
        }
    }
    ASSERT_FALSE(runs[0].empty());
    EXPECT_TRUE(runs[0] == runs[1]);
}
