// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks --auto --music on a private X display with SDL's disk audio driver: the planned show's
// launches all go up while the music plays, the sky lights, the captured sound is the music, and the
// program keeps running after the music's end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>

#include "sound/sound_names.h"
#include "sound/wav_file.h"
#include "tests/music/synth_music.h"
#include "tests/support/e2e/child_process.h"
#include "tests/support/e2e/x_session.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Energy every 10 ms of a mono signal.
std::vector<double> Envelope(const std::vector<float>& mono)
{
    constexpr std::size_t Window = SoundSampleRate / 100;
    std::vector<double> envelope(mono.size() / Window);
    for (std::size_t w = 0; w < envelope.size(); ++w) {
        for (std::size_t i = 0; i < Window; ++i) {
            envelope[w] += static_cast<double>(mono[w * Window + i]) * mono[w * Window + i];
        }
    }
    return envelope;
}

// The best normalised correlation of part anywhere in whole.
double BestMatch(const std::vector<double>& whole, const std::vector<double>& part)
{
    double best = 0.0;
    for (std::size_t at = 0; at + part.size() <= whole.size(); ++at) {
        double ab = 0.0;
        double aa = 0.0;
        double bb = 0.0;
        for (std::size_t i = 0; i < part.size(); ++i) {
            ab += whole[at + i] * part[i];
            aa += whole[at + i] * whole[at + i];
            bb += part[i] * part[i];
        }
        best = std::max(best, ab / std::sqrt(aa * bb + 1e-30));
    }
    return best;
}

// A whole file's bytes.
std::string ReadFile(const fs::path& path)
{
    std::error_code error;
    std::string bytes(static_cast<std::size_t>(fs::file_size(path, error)), '\0');
    std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

} // namespace

TEST(MusicLiveE2e, TheAutomaticShowPlaysTheMusicAndItsPlanAndGoesOnAfterIt)
{
    const fs::path work = fs::temp_directory_path() / ("fireworks-music-live-" + std::to_string(::getpid()));
    fs::create_directories(work);
    const SynthMusic music = DrumPattern({{120.0, 20}}, SoundSampleRate);
    const std::vector<std::uint8_t> wav = EncodeWav16(music.mono, 1, SoundSampleRate);
    std::ofstream(work / "drums.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));

    // The plan the show will play, written by the same program with the same seed.
    const CommandResult written = RunCommand({FIREWORKS_PROGRAM, "--music", (work / "drums.wav").string(),
                                              "--write-show", (work / "plan.show").string(), "--seed", "2"});
    ASSERT_EQ(written.exitCode, 0) << written.output;
    const std::string plan = ReadFile(work / "plan.show");
    const auto launches = static_cast<std::size_t>(std::count(plan.begin(), plan.end(), '\n')) - 4;
    ASSERT_GT(launches, 5u);

    XSession x;
    ASSERT_TRUE(x.Start(1024, 768, false)) << x.Error();
    ChildProcess show;
    ASSERT_TRUE(show.Start({FIREWORKS_PROGRAM, "--auto", "--music", (work / "drums.wav").string(), "--seed", "2",
                            "--size", "480x360"},
                           {x.DisplayVariable(), "FIREWORKS_MESSAGE_BOX=stderr", "FIREWORKS_TRACE=stdout",
                            "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + (work / "heard.raw").string()}));
    const unsigned long window = x.WindowOfProcess(show.Pid(), 15000);
    ASSERT_NE(window, 0ul) << show.Stderr();
    ASSERT_TRUE(show.WaitForLine("music start", 15s)) << show.Stderr();
    int x0 = 0;
    int y0 = 0;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(x.WindowGeometry(window, &x0, &y0, &width, &height));
    int brightest = 0;
    for (int shot = 0; shot < 20; ++shot) {
        RgbImage image;
        if (x.Screenshot(&image)) {
            int bright = 0;
            for (int y = y0; y < y0 + height / 2; ++y) {
                for (int x1 = x0; x1 < x0 + width; ++x1) {
                    const std::uint8_t* p = image.At(x1, y);
                    bright += std::max({p[0], p[1], p[2]}) >= 110 ? 1 : 0;
                }
            }
            brightest = std::max(brightest, bright);
        }
        std::this_thread::sleep_for(250ms);
    }
    EXPECT_GT(brightest, 100);
    ASSERT_TRUE(show.WaitForLine("music end", 30s)) << show.Stderr();
    // Every planned launch went up before the music ended, and the program is still running.
    const auto launched = static_cast<std::size_t>(std::count_if(
        show.Lines().begin(), show.Lines().end(), [](const std::string& l) { return l.rfind("show launch", 0) == 0; }));
    EXPECT_EQ(launched, launches);
    EXPECT_FALSE(show.Wait(1s).has_value());
    show.Terminate(5s);

    // The captured sound holds the music, drums and all, over the bursts' booms: each two seconds of it
    // found there (apart, since the show moves the music back in step when the device's clock wanders).
    const std::string bytes = ReadFile(work / "heard.raw");
    std::vector<float> stereo(bytes.size() / sizeof(float));
    std::memcpy(stereo.data(), bytes.data(), stereo.size() * sizeof(float));
    std::vector<float> left(stereo.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] = stereo[2 * i];
    }
    ASSERT_GT(left.size(), music.mono.size() / 2);
    const std::vector<double> heard = Envelope(left);
    const std::vector<double> played = Envelope(music.mono);
    std::vector<double> matches;
    for (std::size_t at = 0; at + 200 <= played.size(); at += 200) {
        matches.push_back(BestMatch(heard, std::vector<double>(played.begin() + static_cast<std::ptrdiff_t>(at),
                                                               played.begin() + static_cast<std::ptrdiff_t>(at + 200))));
    }
    std::sort(matches.begin(), matches.end());
    ASSERT_GE(matches.size(), 4u);
    EXPECT_GT(matches[matches.size() / 2], 0.8);
    fs::remove_all(work);
}
