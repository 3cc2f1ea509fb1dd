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
        {{"-root"}, nullptr, "-root"},
        {{"--show"}, nullptr, "--show"},
        {{"--show", ""}, nullptr, "--show"},
        {{"--fullscreen", "--size", "800x600"}, nullptr, "--fullscreen"},
        {{"--window-id", "7", "--fullscreen"}, nullptr, "--window-id"},
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
