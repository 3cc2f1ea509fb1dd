// SPDX-License-Identifier: GPL-3.0-or-later
// The ways to watch without clicking, on a private X display: the automatic show, a show file played
// at its times, and the screensaver drawing into a window it is given and ending on SIGTERM.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/e2e/child_process.h"
#include "tests/support/e2e/x_session.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Pixels of the window's upper half whose brightest channel passes a level: bursts in the night sky.
int SkyBrightPixels(const RgbImage& image, int x0, int y0, int width, int height)
{
    int count = 0;
    for (int y = y0; y < y0 + height / 2 && y < image.height; ++y) {
        for (int x = x0; x < x0 + width && x < image.width; ++x) {
            const std::uint8_t* p = image.At(x, y);
            count += std::max({p[0], p[1], p[2]}) >= 110 ? 1 : 0;
        }
    }
    return count;
}

class WaysToWatchE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(x.Start(1024, 768, true)) << x.Error(); }

    std::vector<std::string> Environment() const
    {
        return {x.DisplayVariable(), "FIREWORKS_MESSAGE_BOX=stderr", "FIREWORKS_TRACE=stdout"};
    }

    // The most sky pixels lit in screenshots of the window over a few seconds.
    int BrightestSky(unsigned long window, std::chrono::milliseconds during)
    {
        int x0 = 0;
        int y0 = 0;
        int width = 0;
        int height = 0;
        EXPECT_TRUE(x.WindowGeometry(window, &x0, &y0, &width, &height));
        int most = 0;
        for (const auto end = Clock::now() + during; Clock::now() < end;) {
            RgbImage image;
            if (x.Screenshot(&image)) {
                most = std::max(most, SkyBrightPixels(image, x0, y0, width, height));
            }
            std::this_thread::sleep_for(200ms);
        }
        return most;
    }

    XSession x;
    ChildProcess show;
};

} // namespace

TEST_F(WaysToWatchE2eTest, AutoShowBurstsWithoutInput)
{
    ASSERT_TRUE(show.Start({FIREWORKS_PROGRAM, "--auto", "--seed", "4"}, Environment()));
    const unsigned long window = x.WindowOfProcess(show.Pid(), 15000);
    ASSERT_NE(window, 0ul) << show.Stderr();
    ASSERT_TRUE(show.WaitForLine("frame time", 15s)) << show.Stderr();
    // The first volley goes up a second into the show; its bursts light the sky soon after.
    ASSERT_TRUE(show.WaitForLine("auto launch", 5s)) << show.Stderr();
    EXPECT_GT(BrightestSky(window, 4s), 150);
    show.Terminate(5s);
}

TEST_F(WaysToWatchE2eTest, ShowFileDrawsItsFireworksAtTheirTimes)
{
    ASSERT_TRUE(show.Start({FIREWORKS_PROGRAM, "--show", FIREWORKS_EXAMPLE_SHOW}, Environment()));
    const unsigned long window = x.WindowOfProcess(show.Pid(), 15000);
    ASSERT_NE(window, 0ul) << show.Stderr();
    // The first line goes up at 0.5 s, the next two at 2.0 and 2.4 s.
    ASSERT_TRUE(show.WaitForLine("show launch line 9", 15s)) << show.Stderr();
    const auto first = Clock::now();
    ASSERT_TRUE(show.WaitForLine("show launch line 10", 5s));
    const double gap = std::chrono::duration<double>(Clock::now() - first).count();
    EXPECT_GT(gap, 1.0);
    EXPECT_LT(gap, 2.5);
    EXPECT_TRUE(show.WaitForLine("show launch line 11", 2s));
    EXPECT_GT(BrightestSky(window, 3s), 150);
    // Nothing but the file's lines: no automatic launches.
    for (const std::string& line : show.Lines()) {
        EXPECT_EQ(line.find("auto launch"), std::string::npos) << line;
    }
    show.Terminate(5s);
}

TEST_F(WaysToWatchE2eTest, ScreensaverDrawsIntoTheGivenWindowAndEndsOnSigterm)
{
    ChildProcess helper;
    ASSERT_TRUE(helper.Start({X_WINDOW_HELPER}, {x.DisplayVariable()}));
    const std::optional<std::string> line = helper.WaitForLine("window ", 10s);
    ASSERT_TRUE(line) << helper.Stderr();
    const std::string id = line->substr(7);
    int x0 = 0;
    int y0 = 0;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(x.WindowGeometry(std::stoul(id), &x0, &y0, &width, &height));

    ASSERT_TRUE(show.Start({FIREWORKS_PROGRAM}, [&] {
        std::vector<std::string> environment = Environment();
        environment.push_back("XSCREENSAVER_WINDOW=" + id);
        return environment;
    }()));
    ASSERT_TRUE(show.WaitForLine("frame time", 15s)) << show.Stderr();
    // No window of its own: the drawing lands in the given one, whose white is now the night scene.
    EXPECT_EQ(x.WindowOfProcess(show.Pid(), 500), 0ul);
    ASSERT_TRUE(show.WaitForLine("auto launch", 5s)) << show.Stderr();
    std::this_thread::sleep_for(1500ms);
    RgbImage image;
    ASSERT_TRUE(x.Screenshot(&image));
    int dark = 0;
    for (int y = y0; y < y0 + height; ++y) {
        for (int x1 = x0; x1 < x0 + width; ++x1) {
            const std::uint8_t* p = image.At(x1, y);
            dark += p[0] + p[1] + p[2] < 200 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, width * height / 2);
    // No status text: its yellow appears nowhere in the window.
    int yellow = 0;
    for (int y = y0; y < y0 + height; ++y) {
        for (int x1 = x0; x1 < x0 + width; ++x1) {
            const std::uint8_t* p = image.At(x1, y);
            yellow += p[0] > 160 && p[1] > 160 && p[2] < 90 ? 1 : 0;
        }
    }
    EXPECT_LT(yellow, 20);

    ::kill(show.Pid(), SIGTERM);
    const std::optional<int> code = show.Wait(10s);
    ASSERT_TRUE(code);
    EXPECT_EQ(*code, 0) << show.Stderr();
    helper.Kill();

    // A window that is gone is named, and the program ends with exit code 1 instead of a crash.
    ChildProcess gone;
    ASSERT_TRUE(gone.Start({FIREWORKS_PROGRAM, "--window-id", id}, Environment()));
    const std::optional<int> goneCode = gone.Wait(10s);
    ASSERT_TRUE(goneCode);
    EXPECT_EQ(*goneCode, 1);
    EXPECT_NE(gone.Stderr().find("cannot draw into the X window"), std::string::npos) << gone.Stderr();
}

TEST_F(WaysToWatchE2eTest, SoundWithoutAnAudioDeviceWarnsOnceAndTheShowGoesOn)
{
    std::vector<std::string> environment = Environment();
    environment.push_back("SDL_AUDIODRIVER=no-such-driver");
    ASSERT_TRUE(show.Start({FIREWORKS_PROGRAM, "--sound", "--auto", "--seed", "4"}, environment));
    const unsigned long window = x.WindowOfProcess(show.Pid(), 15000);
    ASSERT_NE(window, 0ul) << show.Stderr();
    ASSERT_TRUE(show.WaitForLine("auto launch", 15s)) << show.Stderr();
    EXPECT_GT(BrightestSky(window, 3s), 150);
    show.Terminate(5s);
    const std::string errors = show.Stderr();
    EXPECT_NE(errors.find("fireworks: no sound ("), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

TEST_F(WaysToWatchE2eTest, KeysHelpOnF1OrQuestionMarkHiddenStatusAndFullScreenAtTheDesktopsSize)
{
    ASSERT_TRUE(show.Start({FIREWORKS_PROGRAM, "--auto", "--seed", "4"}, Environment()));
    const unsigned long window = x.WindowOfProcess(show.Pid(), 15000);
    ASSERT_NE(window, 0ul) << show.Stderr();
    ASSERT_TRUE(show.WaitForLine("frame time", 15s)) << show.Stderr();
    x.Xdotool({"windowactivate", "--sync", std::to_string(window)});
    int x0 = 0;
    int y0 = 0;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(x.WindowGeometry(window, &x0, &y0, &width, &height));
    const auto key = [&](const char* name, const char* trace) {
        x.Xdotool({"key", "--window", std::to_string(window), name});
        return show.WaitForLine(trace, 5s).has_value();
    };
    // With no launches the sky is black: what is bright at the top left is the status and the keys text.
    const auto text = [&] {
        std::this_thread::sleep_for(400ms);
        RgbImage image;
        EXPECT_TRUE(x.Screenshot(&image));
        return SkyBrightPixels(image, x0, y0, 420, 560);
    };
    // Launches off; a shell already up lights the sky a few seconds more. The status text starts hidden.
    ASSERT_TRUE(key("k", "auto off")) << show.Stderr();
    if (std::any_of(show.Lines().begin(), show.Lines().end(),
                    [](const std::string& line) { return line.find("auto launch") != std::string::npos; })) {
        std::this_thread::sleep_for(6s);
    }
    EXPECT_LT(text(), 20);
    ASSERT_TRUE(key("F1", "keys on"));
    EXPECT_GT(text(), 300);
    ASSERT_TRUE(key("question", "keys off"));
    EXPECT_LT(text(), 20);
    // Full-screen draws at the desktop's 1024 x 768, not at a stretched 640 x 480.
    ASSERT_TRUE(key("F2", "fullscreen on"));
    EXPECT_TRUE(show.WaitForLine("size 1024x768", 5s)) << show.Stderr();
    show.Terminate(5s);
}
