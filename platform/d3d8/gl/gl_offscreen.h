// SPDX-License-Identifier: GPL-3.0-or-later
// A hidden window the GL device can draw into without anyone seeing it: for the headless renderer
// and the GL tests (SDL's offscreen video driver, or any display). Returned as the platform's HWND.
#pragma once

#include "platform/base/win_types.h"

// Asks for SDL's offscreen video driver unless the user chose one (SDL_VIDEODRIVER): drawing needs no
// display then. Call before Direct3DCreate8 and before any window is made.
void PreferOffscreenVideo();
// Initialises SDL video if needed; null (with SDL's reason on stderr) when no window can be made.
HWND CreateOffscreenGlWindow(int width, int height);
// Destroys the window and gives back the video initialisation it took.
void DestroyOffscreenGlWindow(HWND window);
