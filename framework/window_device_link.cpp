// SPDX-License-Identifier: GPL-3.0-or-later
// The one place that knows both sides of the window–device seam.
#include "framework/window_device_link.h"

#include "platform/d3d8/gl/gl_context.h"
#include "platform/d3d8/gl/gl_surface_source.h"
#include "platform/win/window_surface.h"

void LinkWindowsToDevice()
{
    SetWindowPreparation(&SetGlContextAttributes);
    SetDeviceSurfaceSource(&DescribeWindowSurface);
}
