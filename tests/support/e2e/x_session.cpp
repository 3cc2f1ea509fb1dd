// SPDX-License-Identifier: GPL-3.0-or-later
// Xvfb and openbox started for one test, and the tools that act on that display.
#include "tests/support/e2e/x_session.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

XSession::~XSession() { Stop(); }

bool XSession::Start(int width, int height, bool withWindowManager)
{
    // -displayfd makes the server pick a free display and write its number to our pipe.
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    if (!server.Start({"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"})) {
        error = "Xvfb could not be started";
        return false;
    }
    const std::optional<std::string> number = server.ReadLine(10s);
    if (!number || number->empty()) {
        error = "Xvfb did not report a display: " + server.Stderr();
        return false;
    }
    display = ":" + *number;

    if (withWindowManager) {
        char marker[] = "/tmp/fw-e2e-wm-XXXXXX";
        const int fd = mkstemp(marker);
        if (fd >= 0) {
            close(fd);
            unlink(marker);
        }
        // openbox runs the start-up command once it manages the screen.
        if (!windowManager.Start({"/usr/bin/openbox", "--startup", std::string("/usr/bin/touch ") + marker},
                                 {DisplayVariable()})) {
            error = "openbox could not be started";
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (access(marker, F_OK) != 0) {
            if (std::chrono::steady_clock::now() > deadline || windowManager.Wait(0ms)) {
                error = "openbox did not start: " + windowManager.Stderr();
                return false;
            }
            std::this_thread::sleep_for(20ms);
        }
        unlink(marker);
    }
    return true;
}

void XSession::Stop()
{
    windowManager.Terminate(2s);
    // A terminated server removes its socket and lock file.
    server.Terminate(2s);
}

bool XSession::Xdotool(const std::vector<std::string>& arguments, std::string* output) const
{
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CommandResult result = RunCommand(argv, {DisplayVariable()}, 15s);
    if (output != nullptr) {
        *output = result.output;
        while (!output->empty() && output->back() == '\n') {
            output->pop_back();
        }
    }
    return result.exitCode == 0;
}

unsigned long XSession::WindowOfProcess(int pid, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        std::string found;
        if (Xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)}, &found) && !found.empty()) {
            return std::stoul(found.substr(0, found.find('\n')));
        }
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return 0;
}

bool XSession::WindowGeometry(unsigned long window, int* x, int* y, int* width, int* height) const
{
    std::string shell;
    if (!Xdotool({"getwindowgeometry", "--shell", std::to_string(window)}, &shell)) {
        return false;
    }
    std::istringstream lines(shell);
    std::string line;
    int found = 0;
    while (std::getline(lines, line)) {
        int value = 0;
        if (std::sscanf(line.c_str(), "X=%d", &value) == 1) {
            *x = value;
            ++found;
        } else if (std::sscanf(line.c_str(), "Y=%d", &value) == 1) {
            *y = value;
            ++found;
        } else if (std::sscanf(line.c_str(), "WIDTH=%d", &value) == 1) {
            *width = value;
            ++found;
        } else if (std::sscanf(line.c_str(), "HEIGHT=%d", &value) == 1) {
            *height = value;
            ++found;
        }
    }
    return found == 4;
}

bool XSession::Screenshot(RgbImage* image) const
{
    // import writes the root window as a binary PPM: header, then raw 8-bit RGB.
    ChildProcess import;
    char path[] = "/tmp/fw-e2e-shot-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        return false;
    }
    close(fd);
    const std::string target = std::string("ppm:") + path;
    CommandResult result = RunCommand({"import", "-silent", "-window", "root", "-depth", "8", target},
                                      {DisplayVariable()}, 20s);
    bool ok = false;
    if (result.exitCode == 0) {
        if (FILE* file = std::fopen(path, "rb")) {
            int maxValue = 0;
            if (std::fscanf(file, "P6 %d %d %d", &image->width, &image->height, &maxValue) == 3 &&
                maxValue == 255 && std::fgetc(file) != EOF) {
                image->pixels.resize(static_cast<size_t>(image->width) * image->height * 3);
                ok = std::fread(image->pixels.data(), 1, image->pixels.size(), file) == image->pixels.size();
            }
            std::fclose(file);
        }
    }
    unlink(path);
    return ok;
}
