// SPDX-License-Identifier: GPL-3.0-or-later
// Checks on native windows handed to this layer from outside, kept apart from the window code so
// that the native headers' names stay out of it.
#pragma once

#include <cstdint>

struct SDL_Window;
struct SDL_SysWMmsg;

// Whether the native window exists on the display (an X window id). Where there is no such check,
// true: the adoption itself then has the last word.
bool NativeWindowExists(std::uint64_t nativeWindow);

// The root window of the display's default screen; 0 where there is none.
std::uint64_t NativeRootWindow();

// The window to draw into for a native window given from outside (the host): a child covering it
// with the screen's default visual, kept for the life of the process; 0 when none can be made. The
// host may be the root window (the child then lies below every other window) or have a visual the
// GL context cannot draw to.
std::uint64_t NativeDrawingWindow(std::uint64_t nativeWindow);

// Asks the display to report the host's size changes, after which the child follows them and SDL
// reports the child's as resize events (it asks nothing of windows it did not make).
void FollowNativeWindowSize(SDL_Window* adopted);
// A window-system message from SDL's connection: the host's size changes resize the child.
void HandleNativeWindowMessage(const SDL_SysWMmsg* message);
