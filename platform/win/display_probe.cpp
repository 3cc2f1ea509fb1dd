// SPDX-License-Identifier: GPL-3.0-or-later
// The display probe over SDL's video subsystem.
#include "platform/win/display_probe.h"

#include "platform/win/display_loss.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

bool DriverDrawsNowhere(const char* driver)
{
    return driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

bool DisplayAvailable()
{
    // Without a Wayland compositor to talk to, trying one only prints the client library's complaint.
    if (std::getenv("WAYLAND_DISPLAY") == nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,kmsdrm");
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    // With no display server SDL falls back to drivers that draw nowhere; no one would see the window.
    if (DriverDrawsNowhere(SDL_GetCurrentVideoDriver())) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    EndProcessWhenDisplayIsLost();
    return true;
}
