// SPDX-License-Identifier: GPL-3.0-or-later
// A private X display for end-to-end tests: Xvfb on a free display number, optionally with the
// openbox window manager, plus xdotool input and screenshots of the root window on that display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/e2e/child_process.h"

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rows top first, three bytes per pixel

    const std::uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
};

class XSession {
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts the server (and the window manager, waiting until it runs). False with a reason in
    // Error() when something could not be started.
    bool Start(int width = 1024, int height = 768, bool windowManager = true);
    void Stop();
    const std::string& Error() const { return error; }

    // "DISPLAY=:n", for the environment of programs started on this display.
    std::string DisplayVariable() const { return "DISPLAY=" + display; }

    // Runs xdotool with the arguments; its output (trimmed of the last newline) or nothing when it failed.
    bool Xdotool(const std::vector<std::string>& arguments, std::string* output = nullptr) const;
    // The first visible window of a process, waiting up to `timeoutMs`; 0 when none appeared.
    unsigned long WindowOfProcess(int pid, int timeoutMs = 10000) const;
    // Position and size of a window on the screen (the area a program draws, without frame).
    bool WindowGeometry(unsigned long window, int* x, int* y, int* width, int* height) const;
    // The whole screen.
    bool Screenshot(RgbImage* image) const;

private:
    std::string display;
    std::string error;
    ChildProcess server;
    ChildProcess windowManager;
};
