// SPDX-License-Identifier: GPL-3.0-or-later
// Native windows handed in from outside, over Xlib: the check that one exists (asked on a connection
// of its own with errors caught), and the child window the show draws in, which follows its host.
#include "platform/win/native_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#ifdef FIREWORKS_HAVE_X11
#include <X11/Xlib.h>

#include <initializer_list>

namespace {

int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// The host window given from outside and the child made in it. The connection that made the child
// stays open for the life of the process: closing it would destroy the child.
struct HostedChild {
    Display* display = nullptr;
    ::Window host = 0;
    ::Window child = 0;
};

HostedChild& Hosted()
{
    static HostedChild hosted;
    return hosted;
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
    HostedChild& hosted = Hosted();
    if (hosted.child != 0) {
        return nativeWindow == hosted.host ? hosted.child : 0;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 0;
    }
    XErrorHandler previous = XSetErrorHandler(&IgnoreXError);
    const int screen = DefaultScreen(display);
    const ::Window host = static_cast<::Window>(nativeWindow);
    const bool root = host == RootWindow(display, screen);
    XWindowAttributes size;
    ::Window child = 0;
    if (XGetWindowAttributes(display, host, &size) != 0) {
        // The screen's default visual, whatever the host's (a manager's may be 32 bits deep): the GL
        // context is made for it, and a drawable of another depth refuses its pictures.
        XSetWindowAttributes attributes = {};
        attributes.colormap = DefaultColormap(display, screen);
        attributes.background_pixel = BlackPixel(display, screen);
        attributes.border_pixel = 0;
        // On the root window: not managed by a window manager, no frame, placed where asked.
        attributes.override_redirect = root ? True : False;
        child = XCreateWindow(display, host, 0, 0, static_cast<unsigned>(size.width),
                              static_cast<unsigned>(size.height), 0, DefaultDepth(display, screen), InputOutput,
                              DefaultVisual(display, screen),
                              CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect, &attributes);
        XMapWindow(display, child);
        if (root) {
            // Below every other window, as a picture on the root window would be.
            XLowerWindow(display, child);
        }
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    XWindowAttributes made;
    if (child == 0 || XGetWindowAttributes(display, child, &made) == 0) {
        XCloseDisplay(display);
        return 0;
    }
    hosted = HostedChild{display, host, child};
    return child;
}

void FollowNativeWindowSize(SDL_Window* adopted)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    const HostedChild& hosted = Hosted();
    if (hosted.host == 0 || SDL_GetWindowWMInfo(adopted, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    // The host's size changes reach SDL's connection, which hands them on as window-system messages;
    // the child's then come back as SDL's own resize events.
    Display* display = info.info.x11.display;
    for (const ::Window window : {hosted.host, hosted.child}) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window, &attributes) != 0) {
            XSelectInput(display, window, attributes.your_event_mask | StructureNotifyMask);
        }
    }
    XFlush(display);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void HandleNativeWindowMessage(const SDL_SysWMmsg* message)
{
    const HostedChild& hosted = Hosted();
    if (message == nullptr || message->subsystem != SDL_SYSWM_X11 || hosted.host == 0) {
        return;
    }
    const XEvent& event = message->msg.x11.event;
    if (event.type == ConfigureNotify && event.xconfigure.window == hosted.host) {
        XResizeWindow(event.xconfigure.display, hosted.child, static_cast<unsigned>(event.xconfigure.width),
                      static_cast<unsigned>(event.xconfigure.height));
        XFlush(event.xconfigure.display);
    }
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

void HandleNativeWindowMessage(const SDL_SysWMmsg*)
{
}
#endif
