// SPDX-License-Identifier: GPL-3.0-or-later
// Shows planned on synthesised music, played through the real launch path and effect layers on a
// clock the test drives: the bursts start on the music's true beats, the same seed plans the same show,
// and music without a beat gets an evenly spaced, quiet one.
#include <gtest/gtest.h>

#include <cmath>

#include "app/firework_types.h"
#include "app/launch_handlers.h"
#include "effects/effect_context.h"
#include "shells/layer_registry.h"
#include "shells/rising_shell.h"
#include "app/choreography.h"
#include "sound/sound_names.h"
#include "tests/music/synth_music.h"
#include "tests/support/effect_scene.h"

namespace {

constexpr int Rate = SoundSampleRate;
// The test's frames: 5 ms, fine enough that the frame adds little to a burst's timing.
constexpr double Step = 0.005;

// Launches the plan as the renderer does (each event before the first frame past its time) and returns
// the show times at which a burst, an object of any layer but the rising shells', started.
std::vector<double> BurstStarts(const std::vector<ScriptEvent>& plan, double seconds)
{
    EffectScene scene;
    scene.device->PauseRecording(true);
    FireworkTypeRegistry registry;
    RegisterFireworkKinds(registry);
    std::vector<double> starts;
    std::size_t next = 0;
    for (int frame = 1; frame * Step < seconds + 3.0; ++frame) {
        const float time = static_cast<float>(frame * Step);
        for (; next < plan.size() && plan[next].Seconds() < time; ++next) {
            const ScriptEvent& e = plan[next];
            registry.LaunchById(e.typeId, e.launch[0], e.launch[1], e.launch[2], e.burst[0], e.burst[1], e.burst[2]);
        }
        scene.Update(time, static_cast<float>(Step));
        for (const SceneLayer* layer : LayerRegistry) {
            for (const FireObject* o = layer->activeList; layer->layerId != LayerRisingShell && o != nullptr;
                 o = o->next) {
                if (o->birthTime == time) {
                    starts.push_back(static_cast<double>(time));
                }
            }
        }
    }
    return starts;
}

class BurstsOnBeats : public ::testing::TestWithParam<std::vector<TempoSection>> {};

} // namespace

TEST_P(BurstsOnBeats, NineInTenBurstsStartWithin20MsOfATrueBeat)
{
    const SynthMusic music = DrumPattern(GetParam(), Rate);
    const MusicAnalysis analysis = AnalyseMusic(music.mono, Rate);
    const std::vector<ScriptEvent> plan = ChoreographShow(analysis, 7, Step);
    const std::vector<double> bursts = BurstStarts(plan, analysis.seconds);
    // Every launch burst, and the swelling music brought pairs and fans: more shells than beats used.
    ASSERT_EQ(bursts.size(), plan.size());
    EXPECT_GT(bursts.size(), music.beats.size() / 2);
    EXPECT_GE(PartNear(bursts, music.beats, 0.02), 0.9);
}

INSTANTIATE_TEST_SUITE_P(Music, BurstsOnBeats,
                         ::testing::Values(std::vector<TempoSection>{{70.0, 32}},
                                           std::vector<TempoSection>{{128.0, 64}},
                                           std::vector<TempoSection>{{180.0, 90}},
                                           std::vector<TempoSection>{{100.0, 40}, {150.0, 60}}));

TEST(Choreography, TheSameMusicAndSeedPlanTheSameShowAndQuietStartsSparse)
{
    const SynthMusic music = DrumPattern({{120.0, 96}}, Rate);
    const MusicAnalysis analysis = AnalyseMusic(music.mono, Rate);
    const std::vector<ScriptEvent> a = ChoreographShow(analysis, 3, Step);
    const std::vector<ScriptEvent> b = ChoreographShow(analysis, 3, Step);
    const std::vector<ScriptEvent> c = ChoreographShow(analysis, 4, Step);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Seconds(), b[i].Seconds());
        EXPECT_EQ(a[i].typeId, b[i].typeId);
        EXPECT_EQ(a[i].burst[0], b[i].burst[0]);
    }
    bool differs = a.size() != c.size();
    for (std::size_t i = 0; !differs && i < a.size(); ++i) {
        differs = a[i].typeId != c[i].typeId || a[i].burst[0] != c[i].burst[0];
    }
    EXPECT_TRUE(differs);
    // The drums swell from quiet to loud: the last third bursts far more than the first, and the last
    // beat is a finale of several shells at once.
    const double third = analysis.seconds / 3.0;
    int early = 0;
    int late = 0;
    for (const ScriptEvent& e : a) {
        const double burst = e.Seconds() + RisingShellClimbSeconds(e.launch[1], e.burst[1]) + Step;
        early += burst < third ? 1 : 0;
        late += burst >= 2.0 * third ? 1 : 0;
    }
    EXPECT_GT(late, 2 * early);
    const double lastBeat = analysis.beats.back().time;
    int onLast = 0;
    for (const ScriptEvent& e : a) {
        onLast += std::fabs(e.Seconds() + RisingShellClimbSeconds(e.launch[1], e.burst[1]) + Step - lastBeat) < 1e-3 ? 1 : 0;
    }
    EXPECT_GE(onLast, 5);
}

TEST(Choreography, MusicWithoutABeatGetsAnEvenQuietShow)
{
    for (const SynthMusic& music : {HeldTone(30.0, 220.0, Rate), SynthMusic{std::vector<float>(30 * Rate), {}}}) {
        const MusicAnalysis analysis = AnalyseMusic(music.mono, Rate);
        ASSERT_TRUE(analysis.beatless);
        const std::vector<ScriptEvent> plan = ChoreographShow(analysis, 1, Step);
        ASSERT_GE(plan.size(), 7u);
        for (std::size_t i = 1; i < plan.size(); ++i) {
            EXPECT_NEAR(plan[i].Seconds() - plan[i - 1].Seconds(), kBeatlessSpacing, 1e-3);
        }
        // One small shell at a time, none of the big kinds.
        for (const ScriptEvent& e : plan) {
            EXPECT_NE(e.typeId / 1000, 3);
            EXPECT_NE(e.typeId / 1000, 6);
            EXPECT_LE(e.burst[1], 4.0f);
        }
        EXPECT_LT(plan.back().Seconds() + 2.0f, 30.0f);
    }
}
