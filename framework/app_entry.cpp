// SPDX-License-Identifier: GPL-3.0-or-later
// The process entry shared by the programs on the framework.
#include "framework/app_entry.h"

#include "framework/window_device_link.h"
#include "platform/os/threads.h"

int RunApplication(AppFramework& app, HINSTANCE instance)
{
    // Before start-up makes or adopts the window the device draws into.
    LinkWindowsToDevice();
    if (FAILED(app.Startup(instance))) {
        return 1;
    }
    const int result = app.RunMessageLoop();
    // The render thread leaves its last pass before the lock and the application object go away.
    if (app.renderThread != 0 && app.renderThread != static_cast<std::uintptr_t>(-1)) {
        JoinThread(app.renderThread);
        app.renderThread = 0;
    }
    return app.endedByFailure ? 1 : result;
}
