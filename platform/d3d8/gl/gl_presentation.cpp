// SPDX-License-Identifier: GPL-3.0-or-later
// Checking and applying presentation parameters.
#include "platform/d3d8/gl/gl_presentation.h"

#include "platform/d3d8/gl/gl_formats.h"
#include "platform/surface/surface_description.h"

#include <SDL.h>

D3DFORMAT DisplayFormatOf(unsigned sdlPixelFormat)
{
    const unsigned bits = SDL_BITSPERPIXEL(sdlPixelFormat);
    if (bits == 15 || bits == 16) {
        return D3DFMT_R5G6B5;
    }
    if (bits == 24 || bits == 32) {
        return D3DFMT_X8R8G8B8;
    }
    return D3DFMT_UNKNOWN;
}

HRESULT CompletePresentParameters(SDL_Window* window, const WindowOverlay* overlay, D3DPRESENT_PARAMETERS* p)
{
    if (window == nullptr || p == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (p->MultiSampleType != D3DMULTISAMPLE_NONE || p->BackBufferCount > 3 ||
        p->SwapEffect < D3DSWAPEFFECT_DISCARD || p->SwapEffect > D3DSWAPEFFECT_COPY_VSYNC) {
        return D3DERR_INVALIDCALL;
    }
    if (p->EnableAutoDepthStencil && !IsDepthFormat(p->AutoDepthStencilFormat)) {
        return D3DERR_INVALIDCALL;
    }
    if (p->Windowed) {
        if (p->BackBufferFormat == D3DFMT_UNKNOWN) {
            p->BackBufferFormat = D3DFMT_X8R8G8B8;
        }
        if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
            int width = 0;
            int height = 0;
            SDL_GL_GetDrawableSize(window, &width, &height);
            // The client area: the window system's menu bar takes the top of the drawable.
            height = ClientAreaOf(width, height, SurfaceBarHeight(overlay, false)).height;
            p->BackBufferWidth = p->BackBufferWidth != 0 ? p->BackBufferWidth : static_cast<UINT>(width > 0 ? width : 1);
            p->BackBufferHeight =
                p->BackBufferHeight != 0 ? p->BackBufferHeight : static_cast<UINT>(height > 0 ? height : 1);
        }
    } else if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (!IsBackBufferFormat(p->BackBufferFormat)) {
        return D3DERR_INVALIDCALL;
    }
    if (p->BackBufferCount == 0) {
        p->BackBufferCount = 1;
    }
    return D3D_OK;
}

HRESULT ApplyPresentation(SDL_Window* window, const D3DPRESENT_PARAMETERS& p)
{
    if (p.Windowed) {
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
            SDL_SetWindowFullscreen(window, 0);
        }
    } else if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN_DESKTOP) {
        // The window covers the screen at the desktop's own mode; Present letterboxes the back buffer.
        if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            return D3DERR_NOTAVAILABLE;
        }
    }
    // A windowed device presents at once; full-screen waits for the display unless asked not to.
    const bool immediate = p.Windowed || p.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE;
    // No vsync is a valid answer: the render thread paces itself.
    (void)SDL_GL_SetSwapInterval(immediate ? 0 : 1);
    return D3D_OK;
}
