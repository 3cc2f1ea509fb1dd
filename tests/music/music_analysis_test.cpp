// SPDX-License-Identifier: GPL-3.0-or-later
// Listening to synthesised music with known beats: the tempo found, the beats placed, music without a
// beat told apart, and a four-minute piece analysed within the time a show can wait.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "music/music_analysis.h"
#include "sound/sound_names.h"
#include "tests/music/synth_music.h"

namespace {

constexpr int Rate = SoundSampleRate;

// Sanitizer builds run several times slower: the time limit holds for the program as shipped.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double TimeLimit = 30.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr double TimeLimit = 30.0;
#else
constexpr double TimeLimit = 5.0;
#endif
#else
constexpr double TimeLimit = 5.0;
#endif

std::vector<double> SteadyBeats(const MusicAnalysis& analysis, double from, double to)
{
    std::vector<double> times;
    for (const MusicBeat& beat : analysis.beats) {
        if (beat.steady && beat.time >= from && beat.time < to) {
            times.push_back(beat.time);
        }
    }
    return times;
}

// Beats a minute from the median interval of the steady beats between from and to.
double TempoBetween(const MusicAnalysis& analysis, double from, double to)
{
    const std::vector<double> beats = SteadyBeats(analysis, from, to);
    std::vector<double> gaps;
    for (std::size_t i = 1; i < beats.size(); ++i) {
        gaps.push_back(beats[i] - beats[i - 1]);
    }
    if (gaps.empty()) {
        return 0.0;
    }
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
    return 60.0 / gaps[gaps.size() / 2];
}

class SteadyTempo : public ::testing::TestWithParam<double> {};

} // namespace

TEST_P(SteadyTempo, ClickTrackAndDrumsGiveTheTempoAndTheirBeats)
{
    const double bpm = GetParam();
    const int beats = static_cast<int>(bpm / 2.0);
    for (const SynthMusic& music : {ClickTrack({{bpm, beats}}, Rate), DrumPattern({{bpm, beats}}, Rate)}) {
        const MusicAnalysis analysis = AnalyseMusic(music.mono, Rate);
        ASSERT_FALSE(analysis.beatless);
        EXPECT_NEAR(analysis.tempo, bpm, 0.02 * bpm);
        const std::vector<double> found = SteadyBeats(analysis, 0.0, 1e9);
        // Most true beats found steady (the tracker wavers now and then), and almost all found true, within 20 ms.
        EXPECT_GT(PartNear(music.beats, found, 0.02), 0.7);
        EXPECT_GT(PartNear(found, music.beats, 0.02), 0.95);
        EXPECT_EQ(analysis.onsets.empty(), false);
    }
}

INSTANTIATE_TEST_SUITE_P(Tempos, SteadyTempo, ::testing::Values(70.0, 100.0, 128.0, 155.0, 180.0));

TEST(MusicAnalysis, ATempoChangeIsFollowed)
{
    const SynthMusic music = DrumPattern({{96.0, 48}, {140.0, 80}}, Rate);
    const MusicAnalysis analysis = AnalyseMusic(music.mono, Rate);
    const double change = music.beats[48];
    // Each section's tempo away from the change, where the tracker has settled.
    EXPECT_NEAR(TempoBetween(analysis, 0.0, change), 96.0, 0.02 * 96.0);
    EXPECT_NEAR(TempoBetween(analysis, change + 8.0, 1e9), 140.0, 0.02 * 140.0);
    EXPECT_GT(PartNear(SteadyBeats(analysis, 0.0, 1e9), music.beats, 0.02), 0.9);
}

TEST(MusicAnalysis, DownbeatsFallOnTheAccentedClicks)
{
    const SynthMusic music = ClickTrack({{120.0, 64}}, Rate);
    const MusicAnalysis analysis = AnalyseMusic(music.mono, Rate);
    int right = 0;
    int downbeats = 0;
    for (const MusicBeat& beat : analysis.beats) {
        if (beat.downbeat) {
            ++downbeats;
            for (std::size_t i = 0; i < music.beats.size(); i += 4) {
                right += std::fabs(music.beats[i] - beat.time) < 0.02 ? 1 : 0;
            }
        }
    }
    EXPECT_GE(downbeats, 14);
    EXPECT_GE(right, downbeats - 1);
}

TEST(MusicAnalysis, SilenceAndAHeldToneHaveNoBeat)
{
    const std::vector<float> silence(static_cast<std::size_t>(20 * Rate), 0.0f);
    const MusicAnalysis quiet = AnalyseMusic(silence, Rate);
    EXPECT_TRUE(quiet.beatless);
    EXPECT_TRUE(quiet.silent);
    EXPECT_DOUBLE_EQ(quiet.tempo, 0.0);

    const MusicAnalysis tone = AnalyseMusic(HeldTone(20.0, 440.0, Rate).mono, Rate);
    EXPECT_TRUE(tone.beatless);
    EXPECT_FALSE(tone.silent);
    EXPECT_TRUE(tone.beats.empty());
    EXPECT_NEAR(tone.seconds, 20.0, 0.01);

    EXPECT_TRUE(AnalyseMusic({}, Rate).beatless);
}

TEST(MusicAnalysis, AFourMinutePieceIsHeardWithinFiveSeconds)
{
    const SynthMusic music = DrumPattern({{124.0, 496}}, Rate);
    ASSERT_GE(music.mono.size(), static_cast<std::size_t>(240 * Rate));
    double reported = 0.0;
    const auto start = std::chrono::steady_clock::now();
    const MusicAnalysis analysis = AnalyseMusic(music.mono, Rate, [&](double part) { reported = part; });
    const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(spent, TimeLimit);
    EXPECT_DOUBLE_EQ(reported, 1.0);
    EXPECT_NEAR(analysis.tempo, 124.0, 2.0);
}
