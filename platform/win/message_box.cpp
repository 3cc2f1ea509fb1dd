// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes: SDL's simple box, or standard error when nobody can answer one.
#include "platform/win/window_system.h"

#include "platform/win/display_probe.h"

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <pthread.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// Set by MessageBoxesAsOneLine; read by the window thread only.
const char* oneLinePrefix = nullptr;

#ifdef __linux__
// SDL shows its box from a child process; the box must not outlive the program (killed, or ended
// by a signal while the box waits).
void ChildEndsWithParent()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}
#endif

void BoxChildrenEndWithTheProgram()
{
#ifdef __linux__
    static const bool registered = pthread_atfork(nullptr, nullptr, &ChildEndsWithParent) == 0;
    (void)registered;
#endif
}

bool BoxesGoToStandardError()
{
    const char* mode = std::getenv("FIREWORKS_MESSAGE_BOX");
    if (mode != nullptr && std::strcmp(mode, "stderr") == 0) {
        return true;
    }
    // A box needs a display: without video there is no one to answer it.
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return true;
    }
    const bool nowhere = DriverDrawsNowhere(SDL_GetCurrentVideoDriver());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nowhere;
}

} // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    const char* shownText = text != nullptr ? text : "";
    const char* shownCaption = caption != nullptr ? caption : "Error";
    if (oneLinePrefix != nullptr) {
        std::string line = shownText;
        // Paragraph breaks become one space, like line breaks; trailing ones go.
        std::string joined;
        for (const char c : line) {
            if (c == '\n') {
                if (!joined.empty() && joined.back() != ' ') {
                    joined += ' ';
                }
            } else {
                joined += c;
            }
        }
        while (!joined.empty() && joined.back() == ' ') {
            joined.pop_back();
        }
        std::fprintf(stderr, "%s: %s\n", oneLinePrefix, joined.c_str());
        std::fflush(stderr);
        return IDOK;
    }
    if (BoxesGoToStandardError()) {
        std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
        std::fflush(stderr);
        return IDOK;
    }
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    const UINT icon = type & 0xF0u;
    if (icon == MB_ICONERROR) {
        flags = SDL_MESSAGEBOX_ERROR;
    } else if (icon == MB_ICONWARNING) {
        flags = SDL_MESSAGEBOX_WARNING;
    }
    BoxChildrenEndWithTheProgram();
    // The box is modal on its own; tying it to a window whose thread may be drawing gains nothing.
    if (SDL_ShowSimpleMessageBox(flags, shownCaption, shownText, nullptr) != 0) {
        std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
    }
    return IDOK;
}

void MessageBoxesAsOneLine(const char* prefix)
{
    oneLinePrefix = prefix;
}
