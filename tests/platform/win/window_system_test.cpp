// SPDX-License-Identifier: GPL-3.0-or-later
// The window layer on a real X display: client area below the menu bar, the surface handed to the
// drawing device, keys and accelerators as messages, a posted message waking a blocked GetMessageA,
// one size-move loop per resize burst, and the popup menu loops choosing an item with the mouse.
#include "platform/win/menu_layout.h"
#include "platform/win/menu_painter.h"
#include "platform/surface/sdl_window_handle.h"
#include "platform/win/window_geometry.h"
#include "platform/win/window_record.h"
#include "platform/win/window_surface.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Seen> seen;
// What the window does on WM_ENTERMENULOOP (a test pushes its clicks there) and what it saw while painting.
void (*onMenuLoop)(HWND) = nullptr;
int paintsWithPopup = 0;

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back({message, wParam, lParam});
    if (message == WM_ENTERMENULOOP && onMenuLoop != nullptr) {
        onMenuLoop(window);
    }
    if (message == WM_PAINT) {
        if (const WindowRecord* record = FindWindowRecord(window)) {
            record->overlay->Read([](std::uint64_t, int, const OverlayImage* images) {
                paintsWithPopup += images[WindowOverlay::Popup].visible ? 1 : 0;
            });
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr MenuItemResource kBarItems[] = {
    {MF_POPUP, 0, "&File", true},
    {MF_SEPARATOR, 0, nullptr, false},
    {MF_STRING, 40006, "E&xit\tESC", true},
};
constexpr MenuItemResource kContextItems[] = {
    {MF_POPUP, 0, "Popup", true},
    {MF_STRING, 40004, "&Go/stop", false},
    {MF_STRING, 40005, "&Single step", false},
    {MF_SEPARATOR, 0, nullptr, false},
    {MF_STRING, 40006, "E&xit", true},
};
constexpr MenuResource kMenus[] = {{141, kBarItems, 3}, {142, kContextItems, 5}};
constexpr ACCEL kAccelerators[] = {
    {FVIRTKEY, VK_ESCAPE, 40006},
    {FVIRTKEY | FALT, VK_RETURN, 40003},
};
constexpr AcceleratorResource kAcceleratorTables[] = {{113, kAccelerators, 2}};
constexpr ResourceModule kModule{kMenus, 2, kAcceleratorTables, 1, nullptr, 0};

HINSTANCE Instance() { return HinstanceFromModule(&kModule); }

class WindowSystem : public testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = &RecordingProcedure;
            windowClass.hInstance = Instance();
            windowClass.lpszClassName = "Test Window";
            ASSERT_NE(RegisterClassA(&windowClass), 0);
            registered = true;
        }
        RECT outer{0, 0, 640, 480};
        AdjustWindowRect(&outer, 0x10CE0000u, TRUE);
        window = CreateWindowExA(0, "Test Window", "test", 0x10CE0000u, CW_USEDEFAULT, CW_USEDEFAULT,
                                 outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                 LoadMenuA(Instance(), MAKEINTRESOURCEA(141)), Instance(), nullptr);
        ASSERT_NE(window, nullptr);
        // Let the window manager map and place the window before anything is measured.
        Pump(400);
        seen.clear();
        onMenuLoop = nullptr;
        paintsWithPopup = 0;
    }

    void TearDown() override
    {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
        Pump(50);
    }

    // Dispatches messages for a while; accelerators first when a table is given.
    void Pump(int milliseconds, HACCEL accelerators = nullptr)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            MSG message{};
            if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (accelerators == nullptr || !TranslateAcceleratorA(window, accelerators, &message)) {
                    TranslateMessage(&message);
                    DispatchMessageA(&message);
                }
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    }

    void PushKey(Uint32 type, SDL_Keycode key, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0)
    {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = SDL_GetWindowID(SdlWindowFromHwnd(window));
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.sym = key;
        event.key.keysym.mod = modifiers;
        SDL_PushEvent(&event);
    }

    int Count(UINT message) const
    {
        int count = 0;
        for (const Seen& s : seen) {
            count += s.message == message ? 1 : 0;
        }
        return count;
    }

    // The first message of a kind (an empty one when there was none).
    Seen First(UINT message) const
    {
        for (const Seen& s : seen) {
            if (s.message == message) {
                return s;
            }
        }
        return Seen{WM_NULL, 0, 0};
    }

    int IndexOf(UINT message) const
    {
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (seen[i].message == message) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    HWND window = nullptr;
};

// Pushes a left click at a point of the window (window pixels).
void PushClick(HWND window, int x, int y)
{
    const Uint32 id = SDL_GetWindowID(SdlWindowFromHwnd(window));
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = id;
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        event = SDL_Event{};
        event.type = type;
        event.button.windowID = id;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    }
}

// The centre of a popup item at its place in the window, for a popup wanted at (x, y).
POINT ItemCentre(HWND window, HMENU popup, int item, int x, int y)
{
    const PopupLayout layout = LayoutPopup(*popup, MenuTextWidthOf);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(SdlWindowFromHwnd(window), &width, &height);
    const POINT at = PlacePopup(x, y, layout.width, layout.height, width, height);
    const RECT& r = layout.items[static_cast<std::size_t>(item)];
    return POINT{at.x + (r.left + r.right) / 2, at.y + (r.top + r.bottom) / 2};
}

} // namespace

TEST_F(WindowSystem, TheClientAreaLiesBelowTheMenuBar)
{
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.bottom - outer.top, 480 + MenuBarHeight);
    POINT origin{outer.left, outer.top + MenuBarHeight};
    ASSERT_TRUE(ScreenToClient(window, &origin));
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);

    // Without the bar the client area takes the whole window; the outer size stays.
    HMENU bar = GetMenu(window);
    ASSERT_TRUE(SetMenu(window, nullptr));
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, 480 + MenuBarHeight);
    SetMenu(window, bar);
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, 480);
}

TEST_F(WindowSystem, TheSurfaceDescriptionCarriesTheWindowAndAnOverlayThatOutlivesIt)
{
    SurfaceDescription surface;
    ASSERT_TRUE(DescribeWindowSurface(window, &surface));
    EXPECT_EQ(surface.window, SdlWindowFromHwnd(window));
    ASSERT_NE(surface.overlay, nullptr);
    EXPECT_EQ(surface.overlay->BarHeight(), MenuBarHeight);
    EXPECT_FALSE(DescribeWindowSurface(nullptr, &surface));

    // A device still holding the description after the window went reads a live overlay.
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(surface.overlay->BarHeight(), MenuBarHeight);
}

TEST_F(WindowSystem, KeysArriveAsMessagesWithVirtualKeysRepeatAndAltFlags)
{
    PushKey(SDL_KEYDOWN, SDLK_v);
    PushKey(SDL_KEYDOWN, SDLK_v, KMOD_NONE, 1);
    PushKey(SDL_KEYUP, SDLK_v);
    PushKey(SDL_KEYDOWN, SDLK_x, KMOD_LALT);
    PushKey(SDL_KEYUP, SDLK_x, KMOD_LALT);
    Pump(200);
    std::vector<Seen> keys;
    for (const Seen& s : seen) {
        if (s.message >= WM_KEYDOWN && s.message <= WM_SYSCHAR) {
            keys.push_back(s);
        }
    }
    // Down, its character, the repeat and its character, up, Alt+X down and its system character, up.
    ASSERT_EQ(keys.size(), 8u);
    EXPECT_EQ(keys[0].message, WM_KEYDOWN);
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('V'));
    EXPECT_EQ(keys[0].lParam & KF_REPEAT_BIT, 0);
    EXPECT_EQ(keys[1].message, WM_CHAR);
    EXPECT_EQ(keys[1].wParam, static_cast<WPARAM>('v'));
    EXPECT_EQ(keys[2].message, WM_KEYDOWN);
    EXPECT_NE(keys[2].lParam & KF_REPEAT_BIT, 0);
    EXPECT_EQ(keys[4].message, WM_KEYUP);
    EXPECT_EQ(keys[5].message, WM_SYSKEYDOWN);
    EXPECT_EQ(keys[5].wParam, static_cast<WPARAM>('X'));
    EXPECT_NE(keys[5].lParam & KF_ALTDOWN_BIT, 0);
    EXPECT_EQ(keys[7].message, WM_SYSKEYUP);
    EXPECT_EQ(GetKeyState('V') & 0x8000, 0);
}

TEST_F(WindowSystem, AcceleratorsTurnKeyDownsIntoCommandsAndLetKeyUpsThrough)
{
    HACCEL table = LoadAcceleratorsA(Instance(), MAKEINTRESOURCEA(113));
    ASSERT_NE(table, nullptr);
    PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
    PushKey(SDL_KEYUP, SDLK_RETURN, KMOD_LALT);
    // Enter without Alt matches no entry: modifiers must match exactly.
    PushKey(SDL_KEYDOWN, SDLK_RETURN);
    PushKey(SDL_KEYUP, SDLK_RETURN);
    PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    PushKey(SDL_KEYUP, SDLK_ESCAPE);
    Pump(200, table);
    std::vector<WPARAM> commands;
    int escapeDowns = 0;
    int escapeUps = 0;
    int enterDowns = 0;
    for (const Seen& s : seen) {
        if (s.message == WM_COMMAND) {
            EXPECT_EQ(HIWORD(s.wParam), 1);
            commands.push_back(LOWORD(s.wParam));
        }
        escapeDowns += s.message == WM_KEYDOWN && s.wParam == VK_ESCAPE ? 1 : 0;
        escapeUps += s.message == WM_KEYUP && s.wParam == VK_ESCAPE ? 1 : 0;
        enterDowns += s.message == WM_KEYDOWN && s.wParam == VK_RETURN ? 1 : 0;
    }
    EXPECT_EQ(commands, (std::vector<WPARAM>{40003, 40006}));
    EXPECT_EQ(escapeDowns, 0);
    EXPECT_EQ(escapeUps, 1);
    EXPECT_EQ(enterDowns, 1);
}

TEST_F(WindowSystem, APostFromAnotherThreadWakesABlockedGetMessage)
{
    Pump(100);
    std::thread poster([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        PostMessageA(window, WM_USER + 7, 42, 0);
    });
    MSG message{};
    const auto start = std::chrono::steady_clock::now();
    BOOL got = FALSE;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0 && message.message != WM_USER + 7) {
        DispatchMessageA(&message);
    }
    poster.join();
    EXPECT_EQ(got, TRUE);
    EXPECT_EQ(message.wParam, 42u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    PostQuitMessage(3);
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), FALSE);
    EXPECT_EQ(message.wParam, 3u);
}

TEST_F(WindowSystem, AResizeBurstIsOneSizeMoveLoop)
{
    SDL_Window* sdl = SdlWindowFromHwnd(window);
    SDL_SetWindowSize(sdl, 560, 420);
    SDL_SetWindowSize(sdl, 540, 400);
    SDL_SetWindowSize(sdl, 500, 400);
    Pump(800);
    ASSERT_EQ(Count(WM_ENTERSIZEMOVE), 1);
    ASSERT_EQ(Count(WM_EXITSIZEMOVE), 1);
    ASSERT_EQ(Count(WM_SIZE), 1);
    EXPECT_LT(IndexOf(WM_ENTERSIZEMOVE), IndexOf(WM_SIZE));
    EXPECT_LT(IndexOf(WM_SIZE), IndexOf(WM_EXITSIZEMOVE));
    const Seen size = First(WM_SIZE);
    EXPECT_EQ(size.wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(size.lParam)), 500);
    EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(size.lParam)), 400 - MenuBarHeight);

    // A size the program sets itself reports WM_SIZE without a size-move loop.
    seen.clear();
    SetWindowPos(window, HWND_TOP, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER);
    Pump(400);
    EXPECT_EQ(Count(WM_ENTERSIZEMOVE), 0);
    EXPECT_EQ(Count(WM_SIZE), 1);
}

TEST_F(WindowSystem, PopupLoopsRunBetweenEnterAndExitAndPostTheChosenCommand)
{
    // The context menu: a click on "E&xit".
    HMENU context = LoadMenuA(Instance(), MAKEINTRESOURCEA(142));
    HMENU popup = GetSubMenu(context, 0);
    RECT outer{};
    GetWindowRect(window, &outer);
    static POINT target;
    target = ItemCentre(window, popup, 3, 100, 100);
    onMenuLoop = [](HWND w) { PushClick(w, target.x, target.y); };
    EXPECT_TRUE(TrackPopupMenuEx(popup, TPM_VERTICAL, outer.left + 100, outer.top + 100, window, nullptr));
    ASSERT_GE(IndexOf(WM_ENTERMENULOOP), 0);
    EXPECT_GT(IndexOf(WM_EXITMENULOOP), IndexOf(WM_ENTERMENULOOP));
    // The window was repainted with the popup shown while the loop ran.
    EXPECT_GT(paintsWithPopup, 0);
    EXPECT_EQ(Count(WM_COMMAND), 0);
    Pump(100);
    ASSERT_EQ(Count(WM_COMMAND), 1);
    EXPECT_EQ(LOWORD(First(WM_COMMAND).wParam), 40006);

    // Esc dismisses the popup; with TPM_RETURNCMD nothing would be posted anyway.
    seen.clear();
    onMenuLoop = [](HWND w) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = SDL_GetWindowID(SdlWindowFromHwnd(w));
        event.key.keysym.sym = SDLK_ESCAPE;
        SDL_PushEvent(&event);
    };
    EXPECT_EQ(TrackPopupMenuEx(popup, TPM_RETURNCMD, outer.left + 10, outer.top + 10, window, nullptr), 0);
    EXPECT_EQ(Count(WM_EXITMENULOOP), 1);
    // The release of that Esc belongs to the menu; the next press and release reach the window.
    PushKey(SDL_KEYUP, SDLK_ESCAPE);
    PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    PushKey(SDL_KEYUP, SDLK_ESCAPE);
    Pump(200);
    EXPECT_EQ(Count(WM_KEYUP), 1);
    EXPECT_EQ(Count(WM_KEYDOWN), 1);
    DestroyMenu(context);

    // The bar: a press on "&File" opens its popup below the title, and a click on "E&xit" chooses it.
    seen.clear();
    static POINT barTarget;
    barTarget = ItemCentre(window, GetSubMenu(GetMenu(window), 0), 1, 2, MenuBarHeight);
    onMenuLoop = [](HWND w) { PushClick(w, barTarget.x, barTarget.y); };
    PushClick(window, 12, MenuBarHeight / 2);
    Pump(300);
    EXPECT_EQ(Count(WM_ENTERMENULOOP), 1);
    EXPECT_EQ(Count(WM_EXITMENULOOP), 1);
    ASSERT_EQ(Count(WM_COMMAND), 1);
    EXPECT_EQ(LOWORD(First(WM_COMMAND).wParam), 40006);
    EXPECT_EQ(Count(WM_LBUTTONDOWN), 0);

    // Alt pressed and released alone opens the bar from the keyboard; Alt+X does not.
    seen.clear();
    onMenuLoop = [](HWND w) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = SDL_GetWindowID(SdlWindowFromHwnd(w));
        event.key.keysym.sym = SDLK_ESCAPE;
        SDL_PushEvent(&event);
    };
    PushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    PushKey(SDL_KEYDOWN, SDLK_x, KMOD_LALT);
    PushKey(SDL_KEYUP, SDLK_x, KMOD_LALT);
    PushKey(SDL_KEYUP, SDLK_LALT);
    Pump(200);
    EXPECT_EQ(Count(WM_ENTERMENULOOP), 0);
    PushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    PushKey(SDL_KEYUP, SDLK_LALT);
    Pump(300);
    EXPECT_EQ(Count(WM_ENTERMENULOOP), 1);
    EXPECT_EQ(Count(WM_EXITMENULOOP), 1);

    // A close request waiting in the queue (the window manager's Alt+F4 behind Alt's release) ends
    // the menu at once instead of leaving the program in it.
    seen.clear();
    onMenuLoop = [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); };
    HMENU again = LoadMenuA(Instance(), MAKEINTRESOURCEA(142));
    EXPECT_EQ(TrackPopupMenuEx(GetSubMenu(again, 0), TPM_RETURNCMD, outer.left + 10, outer.top + 10, window,
                               nullptr),
              0);
    EXPECT_EQ(Count(WM_EXITMENULOOP), 1);
    DestroyMenu(again);
}
