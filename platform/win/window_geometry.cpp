// SPDX-License-Identifier: GPL-3.0-or-later
// Window, bar and client rectangles.
#include "platform/win/window_geometry.h"

RECT ClientRectOf(int outerWidth, int outerHeight, int barHeight)
{
    const int width = outerWidth > 0 ? outerWidth : 0;
    const int height = outerHeight - barHeight > 0 ? outerHeight - barHeight : 0;
    return RECT{0, 0, width, height};
}

POINT ClientOriginOf(int windowX, int windowY, int barHeight) { return POINT{windowX, windowY + barHeight}; }
