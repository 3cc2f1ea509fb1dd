// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks-render --video and --audio on the example show: the streams ffprobe sees, a frame of the
// video against the PNG of the same time, and the first burst heard when it should be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "sound/sound_names.h"
#include "sound/wav_file.h"
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

// Root mean square of both channels over [from, to) seconds of interleaved stereo.
double Loudness(const std::vector<float>& stereo, double from, double to)
{
    const auto first = static_cast<std::size_t>(std::max(0.0, from) * SoundSampleRate) * 2;
    const auto last = std::min(stereo.size(), static_cast<std::size_t>(to * SoundSampleRate) * 2);
    double sum = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        sum += static_cast<double>(stereo[i]) * stereo[i];
    }
    return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0.0;
}

// The show's first shell: launched at 0.5 s, seen to leave between the frames at 0.48 and 0.52,
// from (0 0 1) up to (0 4.5 1) at half a second per unit, heard from the camera at (0 5 6).
double FirstBurstHeard()
{
    const double distance = std::sqrt(0.5 * 0.5 + 5.0 * 5.0);
    return 0.48 + 4.5 * 0.5 + distance / SpeedOfSoundUnits;
}

// The burst is heard at `at` within 20 ms: the first 5 ms stretch louder than any launch thump (the
// third shell's thump is heard 60 ms before this burst) starts there.
void ExpectOnset(const std::vector<float>& stereo, double at, const char* track)
{
    double onset = -1.0;
    for (double t = at - 0.3; t < at + 0.3 && onset < 0.0; t += 0.005) {
        onset = Loudness(stereo, t, t + 0.005) > 0.15 ? t : -1.0;
    }
    EXPECT_NEAR(onset, at, 0.02) << track;
}

class VideoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        work = fs::temp_directory_path() / ("fireworks-video-" + std::to_string(::getpid()));
        fs::create_directories(work);
        rendered = RunCommand({FIREWORKS_RENDER, "--script", FIREWORKS_EXAMPLE_SHOW, "--size", "320x240", "--step",
                               "0.04", "--every", "50", "--out", (work / "frames").string(), "--video",
                               (work / "show.mp4").string(), "--audio", (work / "show.wav").string()},
                              {}, 150s);
    }
    static void TearDownTestSuite() { fs::remove_all(work); }

    static CommandResult Tool(const std::string& command)
    {
        return RunCommand({"/bin/sh", "-c", command}, {}, 60s);
    }

    static inline fs::path work;
    static inline CommandResult rendered;
};

} // namespace

TEST_F(VideoTest, FfprobeSeesOneVideoAndOneAudioStreamOfTheShowsLength)
{
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    const CommandResult probe =
        Tool("ffprobe -v error -show_entries stream=codec_type,width,height,r_frame_rate,duration -of "
             "csv=p=0 '" + (work / "show.mp4").string() + "'");
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    std::istringstream lines(probe.output);
    std::string line;
    int video = 0;
    int audio = 0;
    // The last launch at 17.5 s and four seconds after it, one step short of the last frame's time.
    const double length = 21.5;
    while (std::getline(lines, line)) {
        double duration = 0.0;
        char type[16] = {};
        int w = 0;
        int h = 0;
        int rate = 0;
        if (std::sscanf(line.c_str(), "video,%d,%d,%d/1,%lf", &w, &h, &rate, &duration) == 4) {
            ++video;
            EXPECT_EQ(w, 320);
            EXPECT_EQ(h, 240);
            EXPECT_EQ(rate, 25);
            EXPECT_NEAR(duration, length, 0.1);
        } else if (std::sscanf(line.c_str(), "%15[a-z],%*[^,],%lf", type, &duration) >= 1 &&
                   std::string(type) == "audio") {
            ++audio;
            const std::size_t comma = line.rfind(',');
            EXPECT_NEAR(std::stod(line.substr(comma + 1)), length, 0.1) << line;
        }
    }
    EXPECT_EQ(video, 1) << probe.output;
    EXPECT_EQ(audio, 1) << probe.output;
}

TEST_F(VideoTest, AVideoFrameMatchesThePngOfTheSameTime)
{
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    // frame_00150.png is the 150th frame, the video's frame 149: the first bursts fill the sky.
    const std::string raw = (work / "grab.rgb").string();
    const std::string png = (work / "png.rgb").string();
    ASSERT_EQ(Tool("ffmpeg -v error -y -i '" + (work / "show.mp4").string() +
                   "' -vf 'select=eq(n\\,149)' -frames:v 1 -f rawvideo -pix_fmt rgb24 '" + raw + "'")
                  .exitCode,
              0);
    ASSERT_EQ(Tool("ffmpeg -v error -y -i '" + (work / "frames" / "frame_00150.png").string() +
                   "' -f rawvideo -pix_fmt rgb24 '" + png + "'")
                  .exitCode,
              0);
    const std::vector<std::uint8_t> a = ReadAll(raw);
    const std::vector<std::uint8_t> b = ReadAll(png);
    ASSERT_EQ(a.size(), 320u * 240u * 3u);
    ASSERT_EQ(b.size(), a.size());
    // Lossy coding and 4:2:0 colour: within 4 levels on average, and the picture not black.
    double difference = 0.0;
    double brightness = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference += std::abs(a[i] - b[i]);
        brightness += b[i];
    }
    EXPECT_LT(difference / static_cast<double>(a.size()), 4.0);
    EXPECT_GT(brightness / static_cast<double>(b.size()), 2.0);
}

TEST_F(VideoTest, TheFirstBurstIsHeardAfterItsClimbAndItsDistance)
{
    ASSERT_EQ(rendered.exitCode, 0) << rendered.output;
    WavData wav;
    std::string error;
    ASSERT_TRUE(LoadWav16((work / "show.wav").string(), wav, error)) << error;
    ASSERT_EQ(wav.channels, 2);
    ExpectOnset(wav.samples, FirstBurstHeard(), "the WAV track");

    // The video's sound starts a step into the show, with its first picture.
    const std::string raw = (work / "sound.f32").string();
    ASSERT_EQ(Tool("ffmpeg -v error -y -i '" + (work / "show.mp4").string() + "' -vn -f f32le -ac 2 -ar " +
                   std::to_string(SoundSampleRate) + " '" + raw + "'")
                  .exitCode,
              0);
    const std::vector<std::uint8_t> bytes = ReadAll(raw);
    std::vector<float> decoded(bytes.size() / sizeof(float));
    std::memcpy(decoded.data(), bytes.data(), decoded.size() * sizeof(float));
    ExpectOnset(decoded, FirstBurstHeard() - Step, "the video's track");
}

TEST_F(VideoTest, AVideoAloneIsOneTaggedFastStartFileAt25FramesASecond)
{
    const fs::path alone = work / "alone";
    fs::create_directories(alone);
    const CommandResult made = Tool("cd '" + alone.string() + "' && '" + FIREWORKS_RENDER +
                                    "' --size 160x120 --seconds 1 --video alone.mp4");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    // No PNG frames beside it.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(alone)) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"alone.mp4"});
    const CommandResult probe = Tool("ffprobe -v error -select_streams v -show_entries "
                                     "stream=r_frame_rate,color_range,color_space,color_transfer,color_primaries "
                                     "-of default=nw=1 '" + (alone / "alone.mp4").string() + "'");
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    for (const char* tag : {"r_frame_rate=25/1", "color_range=tv", "color_space=bt709", "color_transfer=bt709",
                            "color_primaries=bt709"}) {
        EXPECT_NE(probe.output.find(tag), std::string::npos) << tag << " in " << probe.output;
    }
    // The index before the pictures, so that playing can start before the whole file is there.
    const std::vector<std::uint8_t> bytes = ReadAll(alone / "alone.mp4");
    const std::size_t shown = std::min<std::size_t>(bytes.size(), 4096);
    const std::string head(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(shown));
    const std::size_t moov = head.find("moov");
    ASSERT_NE(moov, std::string::npos);
    const std::size_t mdat = head.find("mdat");
    EXPECT_TRUE(mdat == std::string::npos || moov < mdat);
}
