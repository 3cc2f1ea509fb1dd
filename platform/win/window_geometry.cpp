// SPDX-License-Identifier: GPL-3.0-or-later
// Window, bar and client rectangles.
#include "platform/win/window_geometry.h"

RECT ClientRectOf(int outerWidth, int outerHeight, int barHeight)
{
    const SurfaceRect area = ClientAreaOf(outerWidth, outerHeight, barHeight);
    return RECT{0, 0, area.width, area.height};
}

POINT ClientOriginOf(int windowX, int windowY, int barHeight) { return POINT{windowX, windowY + barHeight}; }
