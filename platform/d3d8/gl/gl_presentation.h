// SPDX-License-Identifier: GPL-3.0-or-later
// Presentation parameters on an SDL window: checking and completing them (sizes from the window,
// the desktop format) and applying them (full-screen mode or windowed, swap interval).
#pragma once

#include "platform/d3d8/d3d8.h"

struct SDL_Window;
class WindowOverlay;

// D3DERR_INVALIDCALL for parameters no device can present: an unknown back-buffer or depth format,
// a full-screen size of zero, multisampling, more than three back buffers. Zero windowed sizes become
// the window's client size (the drawable below the overlay's menu bar, if any) and an unknown windowed
// format the desktop's.
HRESULT CompletePresentParameters(SDL_Window* window, const WindowOverlay* overlay, D3DPRESENT_PARAMETERS* parameters);

// Switches the window to cover the screen (the desktop's mode stays; the back buffer is letterboxed
// into it) or back to windowed; the context must be current for
// the swap interval, whose failure (no vsync, as under Xvfb) is not an error.
HRESULT ApplyPresentation(SDL_Window* window, const D3DPRESENT_PARAMETERS& parameters);

// The desktop format of a display, as the platform names it.
D3DFORMAT DisplayFormatOf(unsigned sdlPixelFormat);
