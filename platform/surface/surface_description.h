// SPDX-License-Identifier: GPL-3.0-or-later
// The seam between the window system and the drawing device: the surface a window hands the device
// (its SDL window and the overlay drawn over it), and the one rule for the menu-bar strip and the
// client area below it. Both sides include this; neither includes the other.
#pragma once

#include "platform/base/win_types.h"
#include "platform/surface/window_overlay.h"

#include <memory>

struct SDL_Window;

// Height in pixels of the menu-bar strip the window system draws above the client area.
constexpr int MenuBarHeight = 20;

// What the device draws into: the window, and what the window system draws over the presented
// picture (null for a bare window). The overlay is shared, so it outlives a window destroyed first.
struct SurfaceDescription {
    SDL_Window* window = nullptr;
    std::shared_ptr<const WindowOverlay> overlay;
};

// Fills surface for a window handle; false for a handle the window system does not know.
using SurfaceSource = bool (*)(HWND window, SurfaceDescription* surface);

// The menu-bar rule: the strip shows while the window has a menu and does not cover the screen.
constexpr int MenuBarStripOf(bool hasMenu, bool fullScreen) { return hasMenu && !fullScreen ? MenuBarHeight : 0; }

// A rectangle in drawable pixels, origin top-left.
struct SurfaceRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The client area of a drawable of drawableWidth × drawableHeight under a strip of barHeight:
// everything below the strip, never negative.
constexpr SurfaceRect ClientAreaOf(int drawableWidth, int drawableHeight, int barHeight)
{
    SurfaceRect area;
    area.y = barHeight > 0 ? barHeight : 0;
    area.width = drawableWidth > 0 ? drawableWidth : 0;
    area.height = drawableHeight - area.y > 0 ? drawableHeight - area.y : 0;
    return area;
}

// The strip a surface shows: the window system's, unless the device covers the screen.
inline int SurfaceBarHeight(const WindowOverlay* overlay, bool fullScreen)
{
    return MenuBarStripOf(overlay != nullptr && overlay->BarHeight() > 0, fullScreen);
}
