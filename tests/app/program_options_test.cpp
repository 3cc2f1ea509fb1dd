// SPDX-License-Identifier: GPL-3.0-or-later
// The fireworks program's options: each is read into its field, and each bad value or unknown
// option gives one line that names it.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/program_options.h"

namespace {

ProgramOptions Parse(std::initializer_list<const char*> args, const char* screensaverWindow = nullptr)
{
    std::vector<const char*> argv{"fireworks"};
    argv.insert(argv.end(), args);
    return ParseProgramOptions(static_cast<int>(argv.size()), argv.data(), screensaverWindow);
}

} // namespace

TEST(ProgramOptionsTest, NoOptionsIsThePlainShow)
{
    const ProgramOptions options = Parse({});
    EXPECT_TRUE(options.error.empty());
    EXPECT_TRUE(options.Plain());
    EXPECT_FALSE(options.fullScreen);
    EXPECT_FALSE(options.hasSeed);
    EXPECT_EQ(options.width, 0);
    EXPECT_TRUE(Parse({}, "").Plain());
}

TEST(ProgramOptionsTest, EveryOptionReachesItsField)
{
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
    EXPECT_FALSE(Parse({}).sound);
    EXPECT_TRUE(Parse({"--sound"}).sound);
    EXPECT_FALSE(Parse({"--sound"}).Plain());

    const ProgramOptions show = Parse({"--auto", "--show", "a b.show", "--loop", "--size", "800x600", "--seed", "0"});
    ASSERT_TRUE(show.error.empty()) << show.error;
    EXPECT_TRUE(show.automatic);
    EXPECT_EQ(show.showFile, "a b.show");
    EXPECT_TRUE(show.loop);
    EXPECT_EQ(show.width, 800);
    EXPECT_EQ(show.height, 600);
    EXPECT_TRUE(show.hasSeed);
    EXPECT_EQ(show.seed, 0u);
    EXPECT_EQ(Parse({"--seed=4294967295"}).seed, 4294967295u);
    EXPECT_TRUE(Parse({"--fullscreen"}).fullScreen);

    // A screensaver's window comes as decimal or hexadecimal, by option or variable, and means --auto.
    const ProgramOptions saver = Parse({"--window-id", "0x2a00007"});
    EXPECT_EQ(saver.windowId, 0x2a00007u);
    EXPECT_TRUE(saver.automatic);
    EXPECT_EQ(Parse({}, "44040199").windowId, 44040199u);
    EXPECT_EQ(Parse({"--window-id", "12"}, "0x99").windowId, 12u);
    EXPECT_EQ(Parse({"-root"}, "0x99").windowId, 0x99u);
}

TEST(ProgramOptionsTest, BadValuesAndUnknownOptionsAreNamed)
{
    const struct {
        std::vector<const char*> args;
        const char* screensaverWindow;
        const char* named;
    } cases[] = {
        {{"--bogus"}, nullptr, "--bogus"},
        {{"stray"}, nullptr, "stray"},
        {{"--size", "640"}, nullptr, "--size"},
        {{"--size", "63x480"}, nullptr, "--size"},
        {{"--size", "640x480x"}, nullptr, "--size"},
        {{"--size", "9000x480"}, nullptr, "--size"},
        {{"--size"}, nullptr, "--size"},
        {{"--seed", "-1"}, nullptr, "--seed"},
        {{"--seed", "4294967296"}, nullptr, "--seed"},
        {{"--seed", "12abc"}, nullptr, "--seed"},
        {{"--window-id", "0"}, nullptr, "--window-id"},
        {{"--window-id", "0x"}, nullptr, "--window-id"},
        {{"--window-id", "0x1ffffffff"}, nullptr, "--window-id"},
        {{"--window-id", "-5"}, nullptr, "--window-id"},
        {{}, "window", "XSCREENSAVER_WINDOW"},
        {{"--loop"}, nullptr, "--loop"},
        {{"-mono"}, nullptr, "-mono"},
        {{"--show"}, nullptr, "--show"},
        {{"--show", ""}, nullptr, "--show"},
        {{"--fullscreen", "--size", "800x600"}, nullptr, "--fullscreen"},
        {{"--window-id", "7", "--fullscreen"}, nullptr, "--window-id"},
        {{"--size", "800x600"}, "0x99", "XSCREENSAVER_WINDOW"},
        {{"--root", "--fullscreen"}, nullptr, "--root"},
        {{"--delay", "-1"}, nullptr, "--delay"},
        {{"--delay", "1000001"}, nullptr, "--delay"},
        {{"--launch-rate", "5"}, nullptr, "--launch-rate"},
        {{"--launch-rate", "1x"}, nullptr, "--launch-rate"},
        {{"--root", "--delay"}, nullptr, "--delay"},
        {{"--quality", "best"}, nullptr, "--quality"},
        {{"--max-fps", "0"}, nullptr, "--max-fps"},
        {{"--max-fps", "24.5"}, nullptr, "--max-fps"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"fireworks"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProgramOptions options =
            ParseProgramOptions(static_cast<int>(argv.size()), argv.data(), c.screensaverWindow);
        const std::string shown = c.args.empty() ? std::string("(none)") : c.args[0];
        EXPECT_NE(options.error.find(c.named), std::string::npos) << shown << ": " << options.error;
        EXPECT_EQ(options.error.find('\n'), std::string::npos) << shown;
    }
}

TEST(ProgramOptionsTest, FlickerIsGentleWhereTheShowRunsUnattendedAndTheOptionSetsIt)
{
    EXPECT_EQ(Parse({"--sound"}).flicker, 0.1);
    EXPECT_EQ(Parse({}, "0x99").flicker, 0.05);
    EXPECT_EQ(Parse({"--auto", "--flicker", "0.1"}).flicker, 0.1);
    EXPECT_NE(Parse({"--flicker", "0.11"}).error.find("--flicker wants a number from 0 to 0.1"), std::string::npos);
    EXPECT_NE(Parse({"--flicker", "-0.01"}).error, "");
}

TEST(ProgramOptionsTest, QualityIsAutomaticWhereTheShowRunsUnattendedAndTheOptionSetsIt)
{
    using Quality = ProgramOptions::Quality;
    EXPECT_EQ(Parse({}).quality, Quality::Full);
    EXPECT_EQ(Parse({"--sound"}).quality, Quality::Full);
    EXPECT_EQ(Parse({"--auto"}).quality, Quality::Auto);
    EXPECT_EQ(Parse({"--show", "a.show"}).quality, Quality::Auto);
    EXPECT_EQ(Parse({}, "0x99").quality, Quality::Auto);
    EXPECT_EQ(Parse({"--auto", "--quality", "full"}).quality, Quality::Full);
    EXPECT_EQ(Parse({"--quality", "fast"}).quality, Quality::Fast);
    EXPECT_EQ(Parse({"--max-fps", "30"}).maxFps, 30);
    EXPECT_EQ(Parse({}).maxFps, 0);
}

TEST(ProgramOptionsTest, ScreensaverSwitchesAreAcceptedAndStrangersIgnoredWithAWarning)
{
    const ProgramOptions root = Parse({"--root", "--fps", "--delay", "30000", "--launch-rate", "2.5"});
    ASSERT_TRUE(root.error.empty()) << root.error;
    EXPECT_TRUE(root.screensaver);
    EXPECT_TRUE(root.root);
    EXPECT_TRUE(root.automatic);
    EXPECT_EQ(root.windowId, 0u);
    EXPECT_TRUE(root.showFrameRate);
    EXPECT_EQ(root.delayMicroseconds, 30000);
    EXPECT_FLOAT_EQ(root.launchRate, 2.5f);
    EXPECT_TRUE(root.warnings.empty());
    // The manager's window wins over the root window; one-dash spellings are the same switches.
    EXPECT_EQ(Parse({"--root"}, "0x99").windowId, 0x99u);
    const ProgramOptions dashed = Parse({"-window-id", "0x10", "-fps", "-delay", "0"});
    ASSERT_TRUE(dashed.error.empty()) << dashed.error;
    EXPECT_EQ(dashed.windowId, 0x10u);
    EXPECT_TRUE(dashed.showFrameRate);
    EXPECT_EQ(dashed.delayMicroseconds, 0);

    const ProgramOptions strangers = Parse({"-root", "-mono", "--install", "-visual", "default"}, "0x99");
    ASSERT_TRUE(strangers.error.empty()) << strangers.error;
    EXPECT_EQ(strangers.windowId, 0x99u);
    std::string warned;
    for (const std::string& warning : strangers.warnings) {
        warned += warning + "|";
    }
    for (const char* named : {"-mono", "--install", "-visual", "default"}) {
        EXPECT_NE(warned.find(named), std::string::npos) << named << " in " << warned;
    }
    // Outside a screensaver an unknown option still stops the program.
    EXPECT_NE(Parse({"--install"}).error, "");
}

TEST(ProgramOptionsTest, MistakesAreNamedInOurWords)
{
    const struct {
        std::vector<const char*> args;
        const char* said;
    } cases[] = {
        {{"--seed", "1", "--seed", "2"}, "--seed is given more than once"},
        {{"--show", "a", "--show", "b"}, "--show is given more than once"},
        {{"--seed"}, "--seed wants a value"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"stray"}, "unexpected argument 'stray'"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"fireworks"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const std::string error = ParseProgramOptions(static_cast<int>(argv.size()), argv.data(), nullptr).error;
        EXPECT_NE(error.find(c.said), std::string::npos) << error;
    }
}

TEST(ProgramOptionsTest, MusicGoesWithAShowOrWritesOne)
{
    const ProgramOptions planned = Parse({"--auto", "--music", "song.ogg"});
    EXPECT_TRUE(planned.error.empty()) << planned.error;
    EXPECT_EQ(planned.music, "song.ogg");
    EXPECT_FALSE(planned.Plain());
    EXPECT_TRUE(Parse({"--show", "a.show", "--music", "song.ogg"}).error.empty());
    EXPECT_EQ(Parse({"--music", "s.ogg", "--write-show", "p.show"}).writeShow, "p.show");
    EXPECT_NE(Parse({"--music", "song.ogg"}).error.find("--music goes with"), std::string::npos);
    EXPECT_NE(Parse({"--auto", "--write-show", "p.show"}).error.find("--write-show"), std::string::npos);
    EXPECT_NE(Parse({"--auto", "--music", ""}).error.find("file name"), std::string::npos);
}
