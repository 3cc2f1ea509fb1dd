// SPDX-License-Identifier: GPL-3.0-or-later
// Checks on native windows handed to this layer from outside, kept apart from the window code so
// that the native headers' names stay out of it.
#pragma once

#include <cstdint>

struct SDL_Window;

// Whether the native window exists on the display (an X window id). Where there is no such check,
// true: the adoption itself then has the last word.
bool NativeWindowExists(std::uint64_t nativeWindow);

// The root window of the display's default screen; 0 where there is none.
std::uint64_t NativeRootWindow();

// The window to draw into for a native window given from outside. The root window cannot be
// adopted as it is (it has no parent to be placed in): it gets a child covering it, below every
// other window, kept for the life of the process. Any other window is itself.
std::uint64_t NativeDrawingWindow(std::uint64_t nativeWindow);

// Asks the display to report size changes of an adopted native window, which SDL then passes on
// as resize events (it asks nothing of windows it did not make).
void FollowNativeWindowSize(SDL_Window* adopted);
