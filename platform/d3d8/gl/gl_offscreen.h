// A hidden window the GL device can draw into without anyone seeing it: for the headless renderer
// and the GL tests (SDL's offscreen video driver, or any display). Returned as the platform's HWND.
#pragma once

#include "platform/win/win_types.h"

// Initialises SDL video if needed; null (with SDL's reason on stderr) when no window can be made.
HWND CreateOffscreenGlWindow(int width, int height);
// Destroys the window and gives back the video initialisation it took.
void DestroyOffscreenGlWindow(HWND window);
