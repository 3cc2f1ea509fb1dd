// SPDX-License-Identifier: GPL-3.0-or-later
// Where the GL device learns what a window handle stands for: the window system's surface
// descriptions, handed over by the application; a handle nobody describes is a bare SDL window.
#pragma once

#include "platform/surface/surface_description.h"

// Installs the window system's source of surface descriptions (null: every window is bare).
void SetDeviceSurfaceSource(SurfaceSource source);

// The surface a device on this window draws into.
SurfaceDescription DeviceSurfaceOf(HWND window);
