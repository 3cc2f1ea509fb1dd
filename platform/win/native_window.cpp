// SPDX-License-Identifier: GPL-3.0-or-later
// The native-window check over Xlib: a window that is gone must not end the process through Xlib's
// default error handler, so the question is asked on a connection of its own with errors caught.
#include "platform/win/native_window.h"

#ifdef FIREWORKS_HAVE_X11
#include <X11/Xlib.h>

namespace {

int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

bool NativeWindowExists(std::uint64_t nativeWindow)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return true;
    }
    // Only this thread talks to X now: windows are made before the render thread starts.
    XErrorHandler previous = XSetErrorHandler(&IgnoreXError);
    XWindowAttributes attributes;
    const Status found = XGetWindowAttributes(display, static_cast<::Window>(nativeWindow), &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return found != 0;
}
#else
bool NativeWindowExists(std::uint64_t)
{
    return true;
}
#endif
