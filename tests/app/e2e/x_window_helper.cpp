// SPDX-License-Identifier: GPL-3.0-or-later
// A plain X window for the screensaver test, as a screensaver manager would make one: white, at
// (40, 40), 320 x 240. Prints its id and keeps it open until it is ended by a signal.
#include <X11/Xlib.h>

#include <cstdio>
#include <unistd.h>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x_window_helper: no display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 40, 40, 320, 240, 0,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "screensaver window");
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("window %lu\n", static_cast<unsigned long>(window));
    std::fflush(stdout);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        usleep(50000);
    }
}
