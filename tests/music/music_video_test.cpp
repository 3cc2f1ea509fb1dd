// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks-render --music end to end: a 30-second synthesised track rendered to MP4 has one video and
// one audio stream of the music's length, and the video's flashes come within a frame of the beats in
// its own sound track; a file that is not sound is refused in one line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

#include "sound/sound_names.h"
#include "sound/wav_file.h"
#include "tests/music/synth_music.h"
#include "tests/support/e2e/child_process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr double Step = 0.04;

std::vector<std::uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

CommandResult Shell(const std::string& command)
{
    return RunCommand({"/bin/sh", "-c", command}, {}, 120s);
}

double Energy(const std::vector<float>& mono, double from, double to)
{
    double sum = 0.0;
    for (auto i = static_cast<std::size_t>(std::max(0.0, from) * SoundSampleRate);
         i < std::min(mono.size(), static_cast<std::size_t>(to * SoundSampleRate)); ++i) {
        sum += static_cast<double>(mono[i]) * mono[i];
    }
    return sum;
}

class MusicVideo : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        work = fs::temp_directory_path() / ("fireworks-music-video-" + std::to_string(::getpid()));
        fs::create_directories(work);
        music = DrumPattern({{120.0, 60}}, SoundSampleRate);
        const std::vector<std::uint8_t> wav = EncodeWav16(music.mono, 1, SoundSampleRate);
        std::ofstream((work / "drums.wav"), std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
        rendered = RunCommand({FIREWORKS_RENDER, "--music", (work / "drums.wav").string(), "--size", "320x240",
                               "--step", "0.04", "--every", "0", "--video", (work / "show.mp4").string()},
                              {}, 240s);
    }
    static void TearDownTestSuite() { fs::remove_all(work); }

    static inline fs::path work;
    static inline SynthMusic music;
    static inline CommandResult rendered;
};

} // namespace

TEST_F(MusicVideo, OneVideoAndOneAudioStreamAsLongAsTheMusic)
{
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    const CommandResult probe = Shell("ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 '" +
                                      (work / "show.mp4").string() + "'");
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    const double length = static_cast<double>(music.mono.size()) / SoundSampleRate;
    int video = 0;
    int audio = 0;
    std::istringstream lines(probe.output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t comma = line.find(',');
        ASSERT_NE(comma, std::string::npos) << line;
        (line.substr(0, comma) == "video" ? video : audio) += 1;
        EXPECT_NEAR(std::stod(line.substr(comma + 1)), length, 0.1) << line;
    }
    EXPECT_EQ(video, 1) << probe.output;
    EXPECT_EQ(audio, 1) << probe.output;
}

TEST_F(MusicVideo, FlashesComeWithinAFrameOfTheBeatsInTheSoundTrack)
{
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    const fs::path sound = work / "sound.f32";
    const fs::path frames = work / "frames.gray";
    ASSERT_EQ(Shell("ffmpeg -v error -y -i '" + (work / "show.mp4").string() + "' -vn -f f32le -ac 1 -ar " +
                    std::to_string(SoundSampleRate) + " '" + sound.string() + "'")
                  .exitCode,
              0);
    ASSERT_EQ(Shell("ffmpeg -v error -y -i '" + (work / "show.mp4").string() +
                    "' -vf scale=32:24,format=gray -f rawvideo '" + frames.string() + "'")
                  .exitCode,
              0);
    const std::vector<std::uint8_t> bytes = ReadAll(sound);
    std::vector<float> track(bytes.size() / sizeof(float));
    std::memcpy(track.data(), bytes.data(), track.size() * sizeof(float));

    // The beats as heard in the video's own track: each drum hit's attack, found within 30 ms of where
    // it was written (the track starts a frame into the show, with the first picture).
    std::vector<double> heard;
    for (double beat : music.beats) {
        double best = -1.0;
        double rise = 0.0;
        for (double t = beat - Step - 0.03; t < beat - Step + 0.03; t += 0.001) {
            const double r = Energy(track, t, t + 0.01) - Energy(track, t - 0.01, t);
            if (r > rise) {
                rise = r;
                best = t;
            }
        }
        if (best >= 0.0) {
            heard.push_back(best);
        }
    }
    ASSERT_GT(heard.size(), music.beats.size() * 9 / 10);

    // The flashes: frames much brighter than the one before, after the sea's first picture.
    const std::vector<std::uint8_t> pixels = ReadAll(frames);
    const std::size_t size = 32 * 24;
    std::vector<double> brightness;
    for (std::size_t f = 0; f + 1 <= pixels.size() / size; ++f) {
        double sum = 0.0;
        for (std::size_t i = 0; i < size; ++i) {
            sum += pixels[f * size + i];
        }
        brightness.push_back(sum / static_cast<double>(size));
    }
    std::vector<double> flashes;
    for (std::size_t f = 2; f < brightness.size(); ++f) {
        if (brightness[f] - brightness[f - 1] > 1.5 && brightness[f - 1] - brightness[f - 2] <= 1.5) {
            flashes.push_back(static_cast<double>(f) * Step);
        }
    }
    ASSERT_GE(flashes.size(), 20u);
    EXPECT_GE(PartNear(flashes, heard, Step + 0.002), 0.9);
}

TEST_F(MusicVideo, AFileThatIsNotSoundIsRefusedInOneLineAndSilenceGetsANote)
{
    std::ofstream(work / "notes.txt") << std::string(4000, 'x');
    const CommandResult result =
        Shell(std::string(FIREWORKS_RENDER) + " --music '" + (work / "notes.txt").string() + "' 2>&1");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
    EXPECT_NE(result.output.find("notes.txt"), std::string::npos) << result.output;

    // Silence plans a quiet show and says so on standard error, once.
    const std::vector<std::uint8_t> silence = EncodeWav16(std::vector<float>(20 * SoundSampleRate, 0.0f), 1,
                                                          SoundSampleRate);
    std::ofstream(work / "silence.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(silence.data()), static_cast<std::streamsize>(silence.size()));
    const CommandResult quiet = Shell(std::string(FIREWORKS_RENDER) + " --music '" + (work / "silence.wav").string() +
                                      "' --write-show '" + (work / "quiet.show").string() + "' 2>&1 >/dev/null");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(std::count(quiet.output.begin(), quiet.output.end(), '\n'), 1) << quiet.output;
    EXPECT_NE(quiet.output.find("silent"), std::string::npos) << quiet.output;
}
