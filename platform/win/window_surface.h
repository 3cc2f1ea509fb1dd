// SPDX-License-Identifier: GPL-3.0-or-later
// The window system's side of the seam to the drawing device: the surface description of a window,
// and the preparation the device asks for before each window is made. The application introduces
// the two sides; the window system includes nothing of the device.
#pragma once

#include "platform/surface/surface_description.h"

// The window's SDL window and overlay; false for a handle that names no window of this system.
// Safe on any thread while the window lives.
bool DescribeWindowSurface(HWND window, SurfaceDescription* surface);

// Called before every window is made (the GL device's context attributes); null calls nothing.
void SetWindowPreparation(void (*prepare)());
