// SPDX-License-Identifier: GPL-3.0-or-later
// Hidden GL windows for headless drawing.
#include "platform/d3d8/gl/gl_offscreen.h"

#include "platform/d3d8/gl/gl_context.h"
#include "platform/surface/sdl_window_handle.h"

#include <SDL.h>

#include <cstdio>

void PreferOffscreenVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    }
}

HWND CreateOffscreenGlWindow(int width, int height)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "offscreen window: %s\n", SDL_GetError());
        return nullptr;
    }
    SetGlContextAttributes();
    SDL_Window* window = SDL_CreateWindow("fireworks", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                          height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        std::fprintf(stderr, "offscreen window: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    return HwndFromSdlWindow(window);
}

void DestroyOffscreenGlWindow(HWND window)
{
    if (window == nullptr) {
        return;
    }
    SDL_DestroyWindow(SdlWindowFromHwnd(window));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
