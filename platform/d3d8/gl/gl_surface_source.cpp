// SPDX-License-Identifier: GPL-3.0-or-later
// The installed surface source, read when a device is made.
#include "platform/d3d8/gl/gl_surface_source.h"

#include "platform/surface/sdl_window_handle.h"

#include <atomic>

namespace {

std::atomic<SurfaceSource> surfaceSource{nullptr};

} // namespace

void SetDeviceSurfaceSource(SurfaceSource source) { surfaceSource.store(source); }

SurfaceDescription DeviceSurfaceOf(HWND window)
{
    SurfaceDescription surface;
    const SurfaceSource source = surfaceSource.load();
    if (source == nullptr || !source(window, &surface)) {
        // Windows the device made itself (offscreen ones) carry nothing over their picture.
        surface = SurfaceDescription{SdlWindowFromHwnd(window), nullptr};
    }
    return surface;
}
