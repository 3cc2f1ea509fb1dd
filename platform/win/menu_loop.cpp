// The modal menu loops: popups opened from the bar or at a point.
#include "platform/win/window_record.h"

void PaintMenuBar(WindowRecord&) {}

void RunMenuBarLoop(HWND, int, bool) {}

bool PressMenuBar(HWND, int, int) { return false; }

BOOL TrackPopupMenuEx(HMENU menu, UINT, int, int, HWND window, const void*)
{
    if (menu == nullptr || FindWindowRecord(window) == nullptr) {
        return FALSE;
    }
    SendMessageA(window, WM_ENTERMENULOOP, FALSE, 0);
    SendMessageA(window, WM_EXITMENULOOP, FALSE, 0);
    return FALSE;
}
