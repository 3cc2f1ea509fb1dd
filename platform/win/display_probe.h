// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the window system can open windows on this machine at all (a display server is reachable).
#pragma once

// Starts the video subsystem with its default driver and keeps it started for the windows that follow;
// false on a machine without a display, where no window could be made.
bool DisplayAvailable();
// Whether SDL's video driver of that name draws where no one sees it (offscreen, dummy, or none).
bool DriverDrawsNowhere(const char* driver);
