// SPDX-License-Identifier: GPL-3.0-or-later
// Show files as people write them: odd bytes are shown escaped, a byte-order mark is skipped, the
// window and the renderer count frames alike, and a huge file of blank lines costs no memory.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/firework_types.h"
#include "app/launch_handlers.h"
#include "app/show_script.h"

namespace {

bool HasRawControlByte(const std::string& text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

TEST(ShowFile, ControlBytesAndBrokenUtf8AreShownEscaped)
{
    const struct {
        std::string line;
        const char* shown;
    } cases[] = {
        {"at 1 \x1b]0;owned\x07 click", "'\\x1B]0;owned\\x07'"},
        {std::string("at 1 cl\0ck", 10), "'cl\\x00ck'"},
        {"at 1 \xC2\x9B" "2J", "'\\xC2\\x9B2J'"},
        {"at 1 caf\xC3\xA9", "'caf\xC3\xA9'"},
    };
    for (const auto& c : cases) {
        RenderScript script;
        std::string error;
        EXPECT_FALSE(ParseRenderScript(c.line, script, error));
        EXPECT_NE(error.find(std::string("unknown action ") + c.shown), std::string::npos) << error;
        EXPECT_FALSE(HasRawControlByte(error)) << error;
    }
}

TEST(ShowFile, AByteOrderMarkIsSkipped)
{
    RenderScript script;
    std::string error;
    ASSERT_TRUE(ParseRenderScript("\xEF\xBB\xBF" "at 1 click\nat 2 click\n", script, error)) << error;
    EXPECT_EQ(script.events.size(), 2u);
    // Only at the start of the file.
    EXPECT_FALSE(ParseRenderScript("at 1 click\n\xEF\xBB\xBF" "at 2 click\n", script, error));
}

TEST(ShowFile, TheWindowAndTheRendererCountFramesAlike)
{
    // The window's frame time is a float, the renderer's step a double: 0.01 s is frame 1 in both.
    std::string busy;
    for (int i = 0; i < kMaxLaunchesPerFrame; ++i) {
        busy += "at 0 click\n";
    }
    busy += "at 0.01 click\nat 0.03 click\n";
    RenderScript script;
    std::string error;
    ASSERT_TRUE(ParseRenderScript(busy, script, error));
    const auto known = [](int) { return true; };
    for (const double step : {0.01, static_cast<double>(0.01f)}) {
        EXPECT_TRUE(CheckRenderScript(script, step, known, error)) << step << ": " << error;
        EXPECT_EQ(ScriptEventFrame(script.events[kMaxLaunchesPerFrame], step), 1) << step;
        EXPECT_EQ(ScriptEventFrame(script.events.back(), step), 3) << step;
    }
}

TEST(ShowFile, AFileOfBlankLinesIsReadWithoutHoldingIt)
{
    const std::string path = testing::TempDir() + "show_file_test_blank.show";
    {
        std::ofstream file(path, std::ios::binary);
        file << std::string(kMaxShowFileBytes - 16, '\n') << "at 1 click\n";
    }
    FireworkTypeRegistry kinds;
    RegisterFireworkKinds(kinds);
    RenderScript script;
    std::string error;
    const long before = PeakKilobytes();
    ASSERT_TRUE(LoadShowFile(path, kinds, 0.01, script, error)) << error;
    EXPECT_LT(PeakKilobytes() - before, 32 * 1024);
    ASSERT_EQ(script.events.size(), 1u);
    EXPECT_EQ(script.events[0].line, static_cast<int>(kMaxShowFileBytes - 16) + 1);
    std::remove(path.c_str());
}
