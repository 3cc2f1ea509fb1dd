// SPDX-License-Identifier: GPL-3.0-or-later
// The command table: one-shot commands on key release, repeat commands while held, rebinding, and
// the show's own vocabulary with its five default bindings.
#include <gtest/gtest.h>

#include <string>

#include "app/command_table.h"
#include "platform/win/window_messages.h"

namespace {

int CameraNextRuns = 0;
int OtherRuns = 0;
int HeldRuns = 0;

void CountCameraNext() { ++CameraNextRuns; }
void CountOther() { ++OtherRuns; }
void CountHeld() { ++HeldRuns; }

class ShowCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CameraNextRuns = OtherRuns = HeldRuns = 0;
        ShowCommandActions actions;
        actions.cameraNext = &CountCameraNext;
        actions.cameraPrev = &CountOther;
        actions.statusToggle = &CountOther;
        actions.fullScreenToggle = &CountOther;
        actions.quit = &CountOther;
        RegisterShowCommands(table, actions);
    }

    void Press(WPARAM key, int repeats = 1)
    {
        for (int i = 0; i < repeats; ++i) {
            table.DispatchKey(WM_KEYDOWN, key);
        }
    }

    CommandTable table;
};

} // namespace

TEST_F(ShowCommandsTest, HeldVRunsCameraNextOnceOnRelease)
{
    EXPECT_EQ(table.commandCount, 81);
    EXPECT_EQ(table.oneShotCount, 5);
    EXPECT_EQ(table.repeatCount, 0);
    Press('V', 12);
    EXPECT_EQ(CameraNextRuns, 0);
    table.DispatchKey(WM_KEYUP, 'V');
    EXPECT_EQ(CameraNextRuns, 1);
    table.DispatchKey(WM_CHAR, 'V');
    EXPECT_EQ(CameraNextRuns, 1);
}

TEST_F(ShowCommandsTest, SpaceRunsLaunchWhichDoesNothing)
{
    Press(VK_SPACE);
    table.DispatchKey(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(CameraNextRuns + OtherRuns, 0);
    EXPECT_EQ(table.BoundCommand(table.oneShotBindings[2])->name, "Launch");
    // No repeat command is bound, so polling held keys runs nothing.
    Press('W');
    table.PollHeldKeys();
    EXPECT_EQ(CameraNextRuns + OtherRuns, 0);
}

TEST_F(ShowCommandsTest, ActingCommandsRunOnTheirKeysOnly)
{
    for (WPARAM key : {WPARAM(VK_F2), WPARAM(VK_ESCAPE), WPARAM('T')}) {
        table.DispatchKey(WM_KEYUP, key);
    }
    EXPECT_EQ(OtherRuns, 3);
    table.DispatchKey(WM_KEYUP, 'X');
    // Codes beyond the table are ignored, not written out of bounds.
    table.DispatchKey(WM_KEYDOWN, 300);
    table.DispatchKey(WM_KEYUP, 300);
    EXPECT_EQ(OtherRuns, 3);
    EXPECT_EQ(CameraNextRuns, 0);
}

TEST_F(ShowCommandsTest, RebindingF2ReplacesItsBindingAndDuplicateNamesBindTheFirst)
{
    ASSERT_TRUE(table.BindKey(VK_F2, "CameraNext"));
    EXPECT_EQ(table.oneShotCount, 5);
    table.DispatchKey(WM_KEYUP, VK_F2);
    EXPECT_EQ(CameraNextRuns, 1);
    EXPECT_EQ(OtherRuns, 0);

    ASSERT_TRUE(table.BindKey('D', "DetailNext"));
    EXPECT_EQ(table.oneShotBindings.back().command, 20);

    const int before = table.oneShotCount;
    EXPECT_FALSE(table.BindKey('K', "NoSuchCommand"));
    EXPECT_FALSE(table.BindKey('K', "cameranext"));
    EXPECT_EQ(table.oneShotCount, before);

    // A repeat command bound to F2 lands in its own list beside the one-shot binding.
    ASSERT_TRUE(table.BindKey(VK_F2, "Up"));
    EXPECT_EQ(table.repeatCount, 1);
    EXPECT_EQ(table.oneShotCount, before);
}

TEST(CommandTableTest, RepeatCommandsRunEveryPollWhileHeld)
{
    CommandTable table;
    table.AddCommand("Hold", 1, &CountHeld);
    table.AddCommand("Tap", 0, &CountOther);
    ASSERT_TRUE(table.BindKey('H', "Hold"));
    HeldRuns = OtherRuns = 0;
    table.PollHeldKeys();
    table.DispatchKey(WM_KEYDOWN, 'H');
    table.PollHeldKeys();
    table.PollHeldKeys();
    table.DispatchKey(WM_KEYUP, 'H');
    table.PollHeldKeys();
    EXPECT_EQ(HeldRuns, 2);
    EXPECT_EQ(OtherRuns, 0);
    // Commands added after binding leave the existing bindings valid.
    for (int i = 0; i < 100; ++i) {
        table.AddCommand("More", 0, &CountOther);
    }
    table.DispatchKey(WM_KEYDOWN, 'H');
    table.PollHeldKeys();
    EXPECT_EQ(HeldRuns, 3);
}
