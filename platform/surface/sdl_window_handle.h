// SPDX-License-Identifier: GPL-3.0-or-later
// Window handles on both sides of the seam: an HWND is the SDL window it names, cast to the handle type.
#pragma once

#include "platform/base/win_types.h"

struct SDL_Window;

inline SDL_Window* SdlWindowFromHwnd(HWND window) { return reinterpret_cast<SDL_Window*>(window); }

inline HWND HwndFromSdlWindow(SDL_Window* window) { return reinterpret_cast<HWND>(window); }
