// SPDX-License-Identifier: GPL-3.0-or-later
// The native-window check over Xlib: a window that is gone must not end the process through Xlib's
// default error handler, so the question is asked on a connection of its own with errors caught.
#include "platform/win/native_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

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

std::uint64_t NativeRootWindow()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 0;
    }
    const ::Window root = DefaultRootWindow(display);
    XCloseDisplay(display);
    return root;
}

std::uint64_t NativeDrawingWindow(std::uint64_t nativeWindow)
{
    // The connection that owns the covering window stays open: closing it would destroy the window.
    static Display* coverDisplay = nullptr;
    static ::Window cover = 0;
    if (cover != 0) {
        return nativeWindow == DefaultRootWindow(coverDisplay) ? cover : nativeWindow;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nativeWindow;
    }
    const int screen = DefaultScreen(display);
    if (nativeWindow != RootWindow(display, screen)) {
        XCloseDisplay(display);
        return nativeWindow;
    }
    XSetWindowAttributes attributes = {};
    // Not managed by a window manager: no frame, no focus, placed where asked.
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    cover = XCreateWindow(display, RootWindow(display, screen), 0, 0,
                          static_cast<unsigned>(DisplayWidth(display, screen)),
                          static_cast<unsigned>(DisplayHeight(display, screen)), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow(display, cover);
    XLowerWindow(display, cover);
    XSync(display, False);
    coverDisplay = display;
    return cover;
}

void FollowNativeWindowSize(SDL_Window* adopted)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(adopted, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, info.info.x11.window, &attributes) == 0) {
        return;
    }
    XSelectInput(display, info.info.x11.window, attributes.your_event_mask | StructureNotifyMask);
    XFlush(display);
}
#else
bool NativeWindowExists(std::uint64_t)
{
    return true;
}

std::uint64_t NativeRootWindow()
{
    return 0;
}

std::uint64_t NativeDrawingWindow(std::uint64_t nativeWindow)
{
    return nativeWindow;
}

void FollowNativeWindowSize(SDL_Window*)
{
}
#endif
