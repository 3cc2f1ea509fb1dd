// SPDX-License-Identifier: GPL-3.0-or-later
// Xlib's fatal handlers replaced: the process ends with _exit, as nothing it holds can be saved
// without the display and the threads still drawing must not run static destructors.
#include "platform/win/display_loss.h"

#include <SDL.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// -1 until the program is asked to end; then the exit code of a quiet end.
std::atomic<int> quietExitCode{-1};

} // namespace

void EndQuietlyWhenDisplayIsLost(int exitCode)
{
    quietExitCode.store(exitCode);
}

#ifdef FIREWORKS_HAVE_X11
#include <X11/Xlib.h>

namespace {

void EndNowIfQuiet()
{
    const int code = quietExitCode.load();
    if (code >= 0) {
        _exit(code);
    }
}

// Called by Xlib with its display lock held: only writes and _exit, no Xlib calls.
int EndOnLostConnection(Display*)
{
    EndNowIfQuiet();
    std::fprintf(stderr, "%s: the connection to the X display was lost; the show ends\n",
                 program_invocation_short_name);
    std::fflush(stderr);
    _exit(1);
}

int EndOnXError(Display*, XErrorEvent* event)
{
    EndNowIfQuiet();
    if (event->error_code == BadWindow || event->error_code == BadDrawable) {
        // The window named is the one drawn in, perhaps a child of the host: the id would mislead.
        std::fprintf(stderr, "%s: the X window it draws into is gone; the show ends\n",
                     program_invocation_short_name);
    } else {
        std::fprintf(stderr, "%s: X error %d on request %d.%d; the show ends\n", program_invocation_short_name,
                     static_cast<int>(event->error_code), static_cast<int>(event->request_code),
                     static_cast<int>(event->minor_code));
    }
    std::fflush(stderr);
    _exit(1);
}

} // namespace

void EndProcessWhenDisplayIsLost()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return;
    }
    // Process-wide: SDL's connection and the GL driver's share them. Handlers that SDL or the driver
    // set around a request of their own are restored to these afterwards.
    XSetIOErrorHandler(&EndOnLostConnection);
    XSetErrorHandler(&EndOnXError);
}
#else
void EndProcessWhenDisplayIsLost()
{
}
#endif
