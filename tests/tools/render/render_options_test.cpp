// SPDX-License-Identifier: GPL-3.0-or-later
// fireworks-render's options: values reach their fields, and bad ones are named with their exit code.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tools/render/render_options.h"

namespace {

RenderOptions Parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv{"fireworks-render"};
    argv.insert(argv.end(), args);
    return ParseRenderOptions(static_cast<int>(argv.size()), argv.data());
}

} // namespace

TEST(RenderOptionsTest, EveryOptionReachesItsField)
{
    const RenderOptions options =
        Parse({"--script", "s.show", "--out", "o", "--media", "m", "--size", "64x48", "--seconds", "2.5", "--step",
               "0.02", "--measure-from", "1", "--every", "0", "--no-sea", "--software", "--bare"});
    ASSERT_TRUE(options.error.empty()) << options.error;
    EXPECT_EQ(options.script, "s.show");
    EXPECT_EQ(options.out, "o");
    EXPECT_EQ(options.media, "m");
    EXPECT_EQ(options.show.width, 64);
    EXPECT_EQ(options.show.height, 48);
    EXPECT_EQ(options.seconds, 2.5);
    EXPECT_EQ(options.step, 0.02);
    EXPECT_EQ(options.measureFrom, 1.0);
    EXPECT_EQ(options.every, 0);
    EXPECT_FALSE(options.show.sea);
    EXPECT_TRUE(options.show.software);
    EXPECT_TRUE(options.bare);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({}).show.sea);
}

TEST(RenderOptionsTest, BadValuesAndUnknownOptionsAreNamed)
{
    const struct {
        std::vector<const char*> args;
        const char* named;
        int exitCode;
    } cases[] = {
        {{"--bogus"}, "--bogus", 2},
        {{"--out"}, "--out", 2},
        {{"--size", "8x8"}, "--size", 1},
        {{"--seconds", "1e30"}, "--seconds", 1},
        {{"--step", "0"}, "--step", 1},
        {{"--measure-from", "nan"}, "--measure-from", 1},
        {{"--every", "2.5"}, "--every", 1},
        {{"--every", "-1"}, "--every", 1},
        {{"--out", "a", "--out", "b"}, "--out is given more than once", 2},
        {{"--bare=yes"}, "--bare takes no value", 2},
        {{"frames"}, "unexpected 'frames'", 2},
        {{"--video", ""}, "--video wants a value", 2},
        {{"--seconds", "0"}, "--seconds", 1},
        {{"--audio", "track.mp3"}, "ending in .wav", 1},
        {{"--camera", "top"}, "--camera wants orbit or wide", 1},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"fireworks-render"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const RenderOptions options = ParseRenderOptions(static_cast<int>(argv.size()), argv.data());
        EXPECT_NE(options.error.find(c.named), std::string::npos) << c.args[0] << ": " << options.error;
        EXPECT_EQ(options.exitCode, c.exitCode) << c.args[0];
        // In the program's words, never the option library's.
        EXPECT_EQ(options.error.find("required"), std::string::npos) << options.error;
        EXPECT_EQ(options.error.find("not expected"), std::string::npos) << options.error;
    }
}

TEST(RenderOptionsTest, AVideoAloneIsOneFileAt25FramesASecond)
{
    const RenderOptions alone = Parse({"--video", "show.mp4"});
    ASSERT_TRUE(alone.error.empty()) << alone.error;
    EXPECT_EQ(alone.step, 0.04);
    EXPECT_FALSE(alone.writeFrames);
    EXPECT_EQ(alone.show.camera, RenderCamera::Orbit);
    const RenderOptions asked = Parse({"--video", "show.webm", "--out", "f", "--step", "0.02", "--camera", "wide"});
    ASSERT_TRUE(asked.error.empty()) << asked.error;
    EXPECT_EQ(asked.step, 0.02);
    EXPECT_TRUE(asked.writeFrames);
    EXPECT_EQ(asked.show.camera, RenderCamera::Wide);
    EXPECT_TRUE(Parse({"--video", "show.mp4", "--every", "5"}).writeFrames);
    EXPECT_TRUE(Parse({}).writeFrames);
    EXPECT_FALSE(Parse({"--every", "0"}).writeFrames);
    EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(RenderOptionsTest, MusicAndTheShowWrittenFromIt)
{
    const RenderOptions options = Parse({"--music", "song.ogg", "--write-show", "p.show"});
    EXPECT_TRUE(options.error.empty()) << options.error;
    EXPECT_EQ(options.music, "song.ogg");
    EXPECT_EQ(options.writeShow, "p.show");
    EXPECT_EQ(Parse({"--write-show", "p.show"}).exitCode, 1);
    EXPECT_EQ(Parse({"--music", "s.ogg", "--script", "a.show", "--write-show", "p.show"}).exitCode, 1);
    EXPECT_NE(RenderHelpText().find("--music FILE"), std::string::npos);
}
