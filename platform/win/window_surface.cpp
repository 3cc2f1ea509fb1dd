// SPDX-License-Identifier: GPL-3.0-or-later
// Surface descriptions of windows, found through the SDL window's data, and the preparation hook.
#include "platform/win/window_surface.h"

#include "platform/surface/sdl_window_handle.h"
#include "platform/win/window_record.h"

#include <SDL.h>

#include <atomic>

namespace {

// The window system's own name for its record in an SDL window's data.
constexpr const char* kRecordDataName = "fireworks.window";

std::atomic<void (*)()> preparation{nullptr};

} // namespace

bool DescribeWindowSurface(HWND window, SurfaceDescription* surface)
{
    if (window == nullptr || surface == nullptr) {
        return false;
    }
    SDL_Window* sdl = SdlWindowFromHwnd(window);
    const auto* record = static_cast<const WindowRecord*>(SDL_GetWindowData(sdl, kRecordDataName));
    if (record == nullptr) {
        return false;
    }
    surface->window = sdl;
    surface->overlay = record->overlay;
    return true;
}

void SetWindowPreparation(void (*prepare)()) { preparation.store(prepare); }

void PrepareWindowSurface()
{
    if (void (*prepare)() = preparation.load()) {
        prepare();
    }
}

void AttachWindowSurface(WindowRecord& record) { SDL_SetWindowData(record.sdl, kRecordDataName, &record); }

void DetachWindowSurface(WindowRecord& record) { SDL_SetWindowData(record.sdl, kRecordDataName, nullptr); }
