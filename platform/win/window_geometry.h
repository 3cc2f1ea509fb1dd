// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of a window here: the menu-bar strip on top of the window's drawable, the client
// area below it, and the conversions between screen and client coordinates.
#pragma once

#include "platform/base/win_types.h"
#include "platform/surface/surface_description.h"

// The client rectangle, (0, 0) to its size, of a window whose drawable is outerWidth × outerHeight
// with a strip of barHeight on top; never negative.
RECT ClientRectOf(int outerWidth, int outerHeight, int barHeight);

// Screen position of the client area's origin for a window whose drawable starts at (windowX, windowY).
POINT ClientOriginOf(int windowX, int windowY, int barHeight);
