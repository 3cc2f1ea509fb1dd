// SPDX-License-Identifier: GPL-3.0-or-later
// Music and show files: decoding a written WAV file at another rate and layout, refusing what is not
// sound, and show files with music, tempo and beat times, as written by the planner and read back.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "app/firework_types.h"
#include "app/launch_handlers.h"
#include "app/show_script.h"
#include "app/choreography.h"
#include "music/music_decoder.h"
#include "app/show_writer.h"
#include "sound/sound_names.h"
#include "sound/wav_file.h"
#include "tests/music/synth_music.h"

namespace {

namespace fs = std::filesystem;

class MusicFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("fireworks-music-" + std::to_string(::getpid()));
        fs::create_directories(folder / "shows");
        RegisterFireworkKinds(kinds);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream file(folder / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return folder / name;
    }

    fs::path folder;
    FireworkTypeRegistry kinds;
};

} // namespace

TEST_F(MusicFiles, AMonoWavFileAtAnotherRateDecodesToStereoAtTheMixersRate)
{
    const SynthMusic clicks = ClickTrack({{120.0, 8}}, 22050);
    const fs::path mono = Write("mono.wav", EncodeWav16(clicks.mono, 1, 22050));
    MusicAudio music;
    std::string error;
    ASSERT_TRUE(DecodeMusic(mono.string(), music, error)) << error;
    EXPECT_EQ(music.sampleRate, SoundSampleRate);
    EXPECT_NEAR(music.Seconds(), static_cast<double>(clicks.mono.size()) / 22050.0, 0.01);
    // The first click, resampled, is where it was: silence before it, sound on both sides after.
    const auto at = static_cast<std::size_t>(clicks.beats[0] * SoundSampleRate);
    EXPECT_LT(std::fabs(music.stereo[2 * (at - 200)]), 1e-3f);
    float loudest = 0.0f;
    for (std::size_t i = at; i < at + 400; ++i) {
        loudest = std::max(loudest, std::fabs(music.stereo[2 * i]));
        EXPECT_FLOAT_EQ(music.stereo[2 * i], music.stereo[2 * i + 1]);
    }
    EXPECT_GT(loudest, 0.3f);

}

TEST_F(MusicFiles, WhatIsNotSoundIsRefusedInOneLine)
{
    MusicAudio music;
    std::string error;
    const fs::path text = Write("notes.txt", std::vector<std::uint8_t>(5000, 'a'));
    std::vector<std::uint8_t> cut = EncodeWav16(std::vector<float>(100, 0.1f), 1, 48000);
    cut.resize(30);
    for (const fs::path& path : {text, folder / "missing.ogg", folder, Write("cut.wav", cut)}) {
        EXPECT_FALSE(DecodeMusic(path.string(), music, error)) << path;
        EXPECT_EQ(error.rfind(path.string() + ": ", 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_TRUE(music.stereo.empty());
    }
}

TEST_F(MusicFiles, ShowFilesNameTheirMusicAndMayCountInBeats)
{
    std::ofstream(folder / "shows" / "song.show") << "music ../music/my song.ogg  # the song\n"
                                                   << "tempo 120 at 0.5\n"
                                                   << "at 4b launch 1002 0 0 1  0 3 1\n"
                                                   << "at 8b-1.5 launch 1002 0 0 1  0 3 1\n"
                                                   << "at 2.25 click\n";
    RenderScript script;
    std::string error;
    ASSERT_TRUE(LoadShowFile((folder / "shows" / "song.show").string(), kinds, 0.01, script, error)) << error;
    EXPECT_EQ(script.music, (folder / "music" / "my song.ogg").string());
    EXPECT_DOUBLE_EQ(script.tempo, 120.0);
    ASSERT_EQ(script.events.size(), 3u);
    EXPECT_FLOAT_EQ(script.events[0].Seconds(), 2.25f);
    EXPECT_FLOAT_EQ(script.events[1].Seconds(), 2.5f);
    EXPECT_FLOAT_EQ(script.events[2].Seconds(), 3.0f);

    const struct {
        const char* text;
        const char* complaint;
    } bad[] = {
        {"at 4b click\n", "needs a 'tempo' line"},
        {"tempo 120\nat 4x click\n", "not a time in seconds"},
        {"tempo 120\nat 4b*2 click\n", "not a time in beats"},
        {"tempo 1000\n", "20 to 400"},
        {"music\n", "wants a file name"},
    };
    for (const auto& line : bad) {
        EXPECT_FALSE(ReadShowText(line.text, kinds, 0.01, script, error)) << line.text;
        EXPECT_NE(error.find(line.complaint), std::string::npos) << error;
    }
}

TEST_F(MusicFiles, APlannedShowWrittenOutReadsBackAsTheSameLaunches)
{
    const SynthMusic drums = DrumPattern({{110.0, 40}}, SoundSampleRate);
    const MusicAnalysis analysis = AnalyseMusic(drums.mono, SoundSampleRate);
    const std::vector<ScriptEvent> plan = ChoreographShow(analysis, 5, 0.01);
    std::string error;
    const fs::path show = folder / "shows" / "planned.show";
    ASSERT_TRUE(WriteShowFile(show.string(), plan, analysis, (folder / "drums.wav").string(), error)) << error;
    RenderScript script;
    ASSERT_TRUE(LoadShowFile(show.string(), kinds, 0.01, script, error)) << error;
    EXPECT_EQ(fs::path(script.music), folder / "drums.wav");
    EXPECT_NEAR(script.tempo, 110.0, 2.0);
    ASSERT_EQ(script.events.size(), plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        EXPECT_NEAR(script.events[i].Seconds(), plan[i].Seconds(), 1e-4);
        EXPECT_EQ(script.events[i].typeId, plan[i].typeId);
        for (int k = 0; k < 3; ++k) {
            EXPECT_FLOAT_EQ(script.events[i].launch[k], plan[i].launch[k]);
            EXPECT_FLOAT_EQ(script.events[i].burst[k], plan[i].burst[k]);
        }
    }
}
