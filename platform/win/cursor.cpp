// SPDX-License-Identifier: GPL-3.0-or-later
// The pointer: confining it to a rectangle, hiding it over the client area, its position.
#include "platform/win/window_record.h"

#include <SDL.h>

namespace {

struct CursorState {
    // ShowCursor's display count: shown while it is 0 or more.
    int displayCount = 0;
    HCURSOR current = nullptr;
    bool currentSet = false;
};

CursorState cursorState;

void ApplyVisibility()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    const bool hidden = cursorState.displayCount < 0 || (cursorState.currentSet && cursorState.current == nullptr);
    SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
}

} // namespace

BOOL ClipCursor(const RECT* rect)
{
    WindowRecord* record = FindWindowRecord(FirstWindow());
    if (record == nullptr) {
        return rect == nullptr ? TRUE : FALSE;
    }
    if (rect == nullptr) {
        SDL_SetWindowMouseRect(record->sdl, nullptr);
        SDL_SetWindowMouseGrab(record->sdl, SDL_FALSE);
        return TRUE;
    }
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(record->sdl, &x, &y);
    // SDL confines within the window, in window coordinates.
    const SDL_Rect area{rect->left - x, rect->top - y, rect->right - rect->left, rect->bottom - rect->top};
    if (area.w <= 0 || area.h <= 0) {
        return FALSE;
    }
    SDL_SetWindowMouseRect(record->sdl, &area);
    SDL_SetWindowMouseGrab(record->sdl, SDL_TRUE);
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = cursorState.current;
    cursorState.current = cursor;
    cursorState.currentSet = true;
    ApplyVisibility();
    return previous;
}

// Before each WM_SETCURSOR the class's arrow applies again, as the platform's default handling does.
void RestoreClassCursor()
{
    cursorState.current = LoadCursorA(nullptr, IDC_ARROW);
    cursorState.currentSet = false;
}

void ApplyCursor() { ApplyVisibility(); }

BOOL GetCursorPos(POINT* point)
{
    if (point == nullptr) {
        return FALSE;
    }
    int x = 0;
    int y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_GetGlobalMouseState(&x, &y);
    }
    *point = POINT{x, y};
    return TRUE;
}

int ShowCursor(BOOL show)
{
    cursorState.displayCount += show ? 1 : -1;
    ApplyVisibility();
    return cursorState.displayCount;
}
