// SPDX-License-Identifier: GPL-3.0-or-later
// An SDL event as the window system reads it, decoded once by the event pump: what happened, to
// which window (by SDL id, 0 for none), keys as virtual-key codes, positions in window pixels. The
// message translation and the menu loop both read these; neither reads SDL's events itself.
#pragma once

#include <cstdint>

struct SDL_SysWMmsg;

struct InputEvent {
    enum class Kind { Other, Key, Motion, Button, Wheel, Window, Native, Quit };
    // The window changes the window system follows.
    enum class Change {
        Other,
        Close,
        Exposed,
        SizeChanged,
        Moved,
        Minimized,
        Maximized,
        Restored,
        Leave,
        FocusGained,
        FocusLost
    };

    Kind kind = Kind::Other;
    std::uint32_t windowId = 0;
    // Key: the virtual key (0 for a key without one), press or release, auto-repeat, Alt and Ctrl
    // held, and the scan code. Button: VK_LBUTTON, VK_RBUTTON or VK_MBUTTON (0 for other buttons).
    int virtualKey = 0;
    bool down = false;
    bool repeat = false;
    bool alt = false;
    bool ctrl = false;
    int scanCode = 0;
    // Motion and buttons: the pointer in window pixels (bar included); motion: the buttons held (SDL's mask).
    int x = 0;
    int y = 0;
    std::uint32_t buttons = 0;
    // Wheel: notches turned away from the user (a flipped wheel's already turned round).
    int wheel = 0;
    // Window: what changed, and the new size for SizeChanged.
    Change change = Change::Other;
    int width = 0;
    int height = 0;
    // Native: the display connection's own message.
    const SDL_SysWMmsg* native = nullptr;
};
