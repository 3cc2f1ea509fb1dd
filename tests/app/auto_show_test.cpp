// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic show's scheduler and the show-file player on a fake clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/auto_show.h"
#include "app/firework_types.h"
#include "app/launch_handlers.h"
#include "app/show_script.h"

namespace {

// Every launch of a show run for seconds in frames of step seconds.
std::vector<AutoLaunch> RunShow(AutoShow& show, double from, double seconds, double step = 0.01)
{
    std::vector<AutoLaunch> all;
    AutoLaunch out[4];
    for (double t = from; t <= from + seconds; t += step) {
        int count = 0;
        while ((count = StepAutoShow(show, t, out, 4)) > 0) {
            for (int i = 0; i < count; ++i) {
                EXPECT_LE(out[i].time, t + 1e-6);
                all.push_back(out[i]);
            }
        }
    }
    return all;
}

// Launches that leave within 0.05 s of the one before belong to one volley.
std::vector<int> VolleySizes(const std::vector<AutoLaunch>& launches)
{
    std::vector<int> sizes;
    for (std::size_t i = 0; i < launches.size(); ++i) {
        if (i == 0 || launches[i].time - launches[i - 1].time > 0.5f) {
            sizes.push_back(0);
        }
        ++sizes.back();
    }
    return sizes;
}

} // namespace

TEST(AutoShowTest, LaunchesAtADisplaysRhythmFromTheShore)
{
    AutoShow show;
    StartAutoShow(show, 7, 10.0);
    const std::vector<AutoLaunch> launches = RunShow(show, 10.0, 600.0);
    // Between 20 and 90 shells a minute at the usual rate.
    EXPECT_GE(launches.size(), 200u);
    EXPECT_LE(launches.size(), 900u);
    EXPECT_GE(launches.front().time, 11.0f - 1e-4f);
    int finales = 0;
    for (int size : VolleySizes(launches)) {
        finales += size >= kAutoFinaleMin ? 1 : 0;
        EXPECT_LE(size, kAutoFinaleMax);
    }
    EXPECT_GE(finales, 600 / 60);
    for (const AutoLaunch& shell : launches) {
        EXPECT_EQ(shell.launch[1], 0.0f);
        EXPECT_LE(std::fabs(shell.launch[0]), kAutoSites * kAutoSiteSpacing * 0.5f);
        EXPECT_GE(shell.burst[1], 3.0f);
        EXPECT_LE(shell.burst[1], 5.0f);
        EXPECT_GE(shell.pick, 0.0f);
        EXPECT_LT(shell.pick, 1.0f);
    }
}

TEST(AutoShowTest, RateOffAndSeed)
{
    AutoShow a;
    AutoShow b;
    StartAutoShow(a, 99, 0.0);
    StartAutoShow(b, 99, 0.0);
    // The same seed gives the same launches, whatever the frame steps.
    const std::vector<AutoLaunch> first = RunShow(a, 0.0, 120.0, 0.01);
    const std::vector<AutoLaunch> second = RunShow(b, 0.0, 120.0, 0.037);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].time, second[i].time);
        EXPECT_EQ(first[i].pick, second[i].pick);
        EXPECT_EQ(first[i].burst[0], second[i].burst[0]);
    }
    StartAutoShow(b, 100, 0.0);
    EXPECT_NE(RunShow(b, 0.0, 120.0).front().pick, first.front().pick);

    // Four times the rate launches several times as much; the rate stays within its bounds.
    StartAutoShow(a, 5, 0.0);
    StartAutoShow(b, 5, 0.0);
    for (int i = 0; i < 5; ++i) {
        ChangeAutoRate(b, true);
    }
    EXPECT_EQ(b.rate, kAutoMaxRate);
    EXPECT_GT(RunShow(b, 0.0, 300.0).size(), 2 * RunShow(a, 0.0, 300.0).size());
    for (int i = 0; i < 10; ++i) {
        ChangeAutoRate(b, false);
    }
    EXPECT_EQ(b.rate, kAutoMinRate);

    // Switched off, nothing is launched; switched on, the beat resumes without catching up.
    a.enabled = false;
    EXPECT_LE(RunShow(a, 300.0, 60.0).size(), static_cast<std::size_t>(kAutoFinaleMax));
    a.enabled = true;
    EXPECT_LE(RunShow(a, 360.0, 1.0).size(), static_cast<std::size_t>(kAutoFinaleMax));
}

TEST(ShowPlayerTest, LaunchesExactlyItsLinesAtTheirTimesAndLoops)
{
    RenderScript script;
    std::string error;
    ASSERT_TRUE(ParseRenderScript("at 0.5 launch 3004 0 0 0 0 4 0\nat 0.2 click\n\nat 2 click # end\n", script, error));
    ScriptPlayer player;
    player.start = 100.0;
    player.loop = true;
    std::vector<std::pair<double, int>> played;
    for (double t = 100.0; t < 110.0; t += 0.01) {
        while (const ScriptEvent* event = TakeDueEvent(player, script, t)) {
            played.emplace_back(t, event->line);
        }
    }
    // Three lines a round; a round is the last time plus the gap: 5 s, so two rounds.
    ASSERT_EQ(played.size(), 6u);
    const double times[] = {0.2, 0.5, 2.0};
    const int lines[] = {2, 1, 4};
    for (std::size_t i = 0; i < played.size(); ++i) {
        const double due = 100.0 + times[i % 3] + (i / 3) * (2.0 + kShowLoopGap);
        EXPECT_GE(played[i].first, due - 1e-6);
        EXPECT_LT(played[i].first, due + 0.011);
        EXPECT_EQ(played[i].second, lines[i % 3]);
    }
    player = ScriptPlayer{};
    int once = 0;
    while (TakeDueEvent(player, script, 1000.0) != nullptr) {
        ++once;
    }
    EXPECT_EQ(once, 3);
}

TEST(ShowPlayerTest, ShowFilesAreCheckedAgainstTheKinds)
{
    FireworkTypeRegistry kinds;
    RegisterFireworkKinds(kinds);
    const std::string path = testing::TempDir() + "auto_show_test.show";
    RenderScript script;
    std::string error;
    {
        std::ofstream(path) << "# two\nat 1 launch 1002 0 0 0 0 4 0\nat 2 click\n";
    }
    ASSERT_TRUE(LoadShowFile(path, kinds, 0.01, script, error)) << error;
    EXPECT_EQ(script.events.size(), 2u);
    {
        std::ofstream(path) << "at 1 click\nat 2 launch 7000 0 0 0 0 4 0\n";
    }
    EXPECT_FALSE(LoadShowFile(path, kinds, 0.01, script, error));
    EXPECT_EQ(error, path + ": line 2: no firework type 7000: 'at 2 launch 7000 0 0 0 0 4 0'");
    EXPECT_FALSE(LoadShowFile(path + ".missing", kinds, 0.01, script, error));
    EXPECT_EQ(error, path + ".missing: cannot read it");
    EXPECT_FALSE(LoadShowFile(testing::TempDir(), kinds, 0.01, script, error));
    std::remove(path.c_str());
}
