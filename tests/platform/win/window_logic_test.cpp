// SPDX-License-Identifier: GPL-3.0-or-later
// The window layer's logic that needs no display: geometry, menus from templates and their layout,
// key translation, the fair critical section, threads and message boxes in standard-error mode.
#include "platform/d3d8/gl/gl_present_target.h"
#include "platform/os/critical_section.h"
#include "platform/win/menu_layout.h"
#include "platform/os/threads.h"
#include "platform/win/virtual_keys.h"
#include "platform/win/window_geometry.h"
#include "platform/win/window_record.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every character is 7 pixels wide, so layouts can be checked without a font.
int FixedWidth(std::string_view text) { return static_cast<int>(text.size()) * 7; }

constexpr MenuItemResource kContextItems[] = {
    {MF_POPUP, 0, "Popup", true},
    {MF_STRING, 40004, "&Go/stop", false},
    {MF_SEPARATOR, 0, nullptr, false},
    {MF_GRAYED, 40002, "&Change device...", false},
    {MF_STRING, 40006, "E&xit\tESC", true},
};
// A popup whose level never ends: the template is cut short.
constexpr MenuItemResource kTruncatedItems[] = {
    {MF_POPUP, 0, "&File", true},
    {MF_STRING, 1, "One", false},
};
constexpr MenuResource kMenus[] = {{142, kContextItems, 5}, {7, kTruncatedItems, 2}};
constexpr ResourceModule kModule{kMenus, 2, nullptr, 0, nullptr, 0};

} // namespace

TEST(WindowGeometry, ClientAreaSitsBelowTheBarAndNeverGoesNegative)
{
    const RECT client = ClientRectOf(640, 500, MenuBarHeight);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 500 - MenuBarHeight);
    EXPECT_EQ(ClientRectOf(100, 10, MenuBarHeight).bottom, 0);
    // AdjustWindowRect and the client rectangle undo each other.
    RECT outer{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(&outer, WS_CAPTION, TRUE));
    EXPECT_EQ(ClientRectOf(outer.right - outer.left, outer.bottom - outer.top, MenuBarHeight).bottom, 480);
    const POINT origin = ClientOriginOf(100, 50, MenuBarHeight);
    EXPECT_EQ(origin.x, 100);
    EXPECT_EQ(origin.y, 50 + MenuBarHeight);
}

TEST(PresentTarget, FullScreenKeepsTheAspectWithCentredBars)
{
    // 4:3 on a 4:3 screen fills it.
    PresentRect fill = LetterboxRect(640, 480, 1024, 768);
    EXPECT_EQ(fill.x, 0);
    EXPECT_EQ(fill.y, 0);
    EXPECT_EQ(fill.width, 1024);
    EXPECT_EQ(fill.height, 768);
    // 4:3 on a wide screen: bars left and right.
    PresentRect wide = LetterboxRect(640, 480, 1280, 720);
    EXPECT_EQ(wide.width, 960);
    EXPECT_EQ(wide.height, 720);
    EXPECT_EQ(wide.x, 160);
    EXPECT_EQ(wide.y, 0);
    // A wide back buffer on a 4:3 screen: bars above and below.
    PresentRect tall = LetterboxRect(800, 400, 1024, 768);
    EXPECT_EQ(tall.width, 1024);
    EXPECT_EQ(tall.height, 512);
    EXPECT_EQ(tall.y, 128);
    EXPECT_EQ(LetterboxRect(0, 480, 1024, 768).width, 0);

    // Only the bars are cleared before the copy: none when it fills the screen.
    PresentRect bars[4];
    EXPECT_EQ(UncoveredRects(fill, 1024, 768, bars), 0);
    ASSERT_EQ(UncoveredRects(wide, 1280, 720, bars), 2);
    EXPECT_EQ(bars[0].x + bars[0].width, 160);
    EXPECT_EQ(bars[1].x, 1120);
    EXPECT_EQ(bars[1].height, 720);
    ASSERT_EQ(UncoveredRects(tall, 1024, 768, bars), 2);
    EXPECT_EQ(bars[0].height + bars[1].height, 768 - 512);
    ASSERT_EQ(UncoveredRects(PresentRect{}, 1024, 768, bars), 1);
    EXPECT_EQ(bars[0].width * bars[0].height, 1024 * 768);

    const PresentRect client = ClientPresentRect(640, 500, 20);
    EXPECT_EQ(client.y, 20);
    EXPECT_EQ(client.height, 480);
}

TEST(Menus, TemplatesBuildTreesAndTruncatedOnesAreRefused)
{
    const HINSTANCE instance = HinstanceFromModule(&kModule);
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(142));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(popup->items.size(), 4u);
    EXPECT_EQ(popup->items[3].id, 40006);
    EXPECT_EQ(GetSubMenu(menu, 1), nullptr);
    EXPECT_EQ(GetSubMenu(popup, 0), nullptr);
    EXPECT_TRUE(DestroyMenu(menu));

    EXPECT_EQ(LoadMenuA(instance, MAKEINTRESOURCEA(7)), nullptr);
    EXPECT_EQ(LoadMenuA(instance, MAKEINTRESOURCEA(99)), nullptr);
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(142)), nullptr);
}

TEST(Menus, TextLayoutAndKeyboardSelection)
{
    const MenuText exit = ParseMenuText("E&xit\tESC");
    EXPECT_EQ(exit.label, "Exit");
    EXPECT_EQ(exit.mnemonic, 1);
    EXPECT_EQ(exit.shortcut, "ESC");
    const MenuText ampersand = ParseMenuText("Fish && &Chips");
    EXPECT_EQ(ampersand.label, "Fish & Chips");
    EXPECT_EQ(ampersand.mnemonic, 7);

    HMENU menu = LoadMenuA(HinstanceFromModule(&kModule), MAKEINTRESOURCEA(142));
    ASSERT_NE(menu, nullptr);
    const HMENU__& popup = *GetSubMenu(menu, 0);
    const PopupLayout layout = LayoutPopup(popup, FixedWidth);
    ASSERT_EQ(layout.items.size(), 4u);
    // Rows follow each other without overlap, the separator thinner; the shortcut widens the popup.
    EXPECT_EQ(layout.items[1].top, layout.items[0].bottom);
    EXPECT_LT(layout.items[1].bottom - layout.items[1].top, layout.items[0].bottom - layout.items[0].top);
    EXPECT_GE(layout.width, MenuTextLeft + FixedWidth("Change device...") + MenuTextRight);
    EXPECT_LE(layout.items.back().bottom, layout.height);
    const RECT& exitRow = layout.items[3];
    EXPECT_EQ(HitMenuItem(layout.items, exitRow.left + 5, exitRow.top + 2), 3);
    EXPECT_EQ(HitMenuItem(layout.items, layout.width + 5, exitRow.top + 2), -1);

    // Arrow keys skip separators and grayed items, and wrap.
    EXPECT_EQ(NextSelectableItem(popup, -1, 1), 0);
    EXPECT_EQ(NextSelectableItem(popup, 0, 1), 3);
    EXPECT_EQ(NextSelectableItem(popup, 3, 1), 0);
    EXPECT_EQ(NextSelectableItem(popup, 0, -1), 3);

    // A popup opened near the right or bottom edge moves back inside the window.
    const POINT placed = PlacePopup(600, 450, layout.width, layout.height, 640, 480);
    EXPECT_EQ(placed.x, 640 - layout.width);
    EXPECT_EQ(placed.y, 480 - layout.height);
    DestroyMenu(menu);
}

TEST(Keys, SdlKeysBecomeVirtualKeysAndCharacters)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_v), 'V');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_7), '7');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F2), VK_F2);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12), VK_F12);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT), VK_SHIFT);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER), VK_RETURN);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0), VK_NUMPAD0);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN), VK_DOWN);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_VOLUMEUP), 0);
    EXPECT_EQ(CharacterOfKey('T', false, false), 't');
    EXPECT_EQ(CharacterOfKey('T', true, false), 'T');
    EXPECT_EQ(CharacterOfKey('T', true, true), 't');
    EXPECT_EQ(CharacterOfKey(VK_F2, false, false), 0);
}

TEST(FairCriticalSection, AWaitingThreadGetsTheSectionBeforeTheLeaverReentersIt)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    std::vector<int> order;
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    std::thread waiter([&] {
        EnterCriticalSection(&section);
        order.push_back(2);
        LeaveCriticalSection(&section);
    });
    // Wait until the other thread queues for the section.
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(section.mutex);
            if (section.nextTicket - section.servedTicket == 2) {
                break;
            }
        }
        std::this_thread::yield();
    }
    // The inner Leave keeps the section; the outer one hands it to the waiter.
    LeaveCriticalSection(&section);
    EXPECT_EQ(section.recursionCount, 1);
    LeaveCriticalSection(&section);
    EnterCriticalSection(&section);
    order.push_back(1);
    LeaveCriticalSection(&section);
    waiter.join();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    // A Leave without an Enter hands nothing over.
    LeaveCriticalSection(&section);
    EXPECT_EQ(TryEnterCriticalSection(&section), TRUE);
    LeaveCriticalSection(&section);
}

TEST(Threads, StartJoinAndRefuseUnknownHandles)
{
    static std::atomic<int> ran{0};
    static int five = 5;
    const std::uintptr_t handle = _beginthread([](void* value) { ran += *static_cast<int*>(value); }, 0, &five);
    ASSERT_NE(handle, static_cast<std::uintptr_t>(-1));
    EXPECT_TRUE(JoinThread(handle));
    EXPECT_EQ(ran.load(), 5);
    EXPECT_FALSE(JoinThread(handle));
    EXPECT_EQ(_beginthread(nullptr, 0, nullptr), static_cast<std::uintptr_t>(-1));
}

TEST(MessageBoxes, StandardErrorModePrintsAndReturnsAtOnce)
{
    setenv("FIREWORKS_MESSAGE_BOX", "stderr", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Could not load required media.", "Fireworks", MB_ICONERROR), IDOK);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "Fireworks: Could not load required media.\n");
}
