// SPDX-License-Identifier: GPL-3.0-or-later
// The show's window messages: keys feed the command table and the held keys, Esc and M act on
// release, and a left click launches a firework.
#include "app/show_app.h"

#include "app/show_trace.h"

#include "shells/chrysanthemum_layer.h"

LRESULT ShowApp::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && adoptedWindow != 0 && wParam != SIZE_MINIMIZED) {
        // A screensaver's host window is sized by its owner, with no size-move loop: follow at once.
        const LRESULT result = AppFramework::HandleMessage(hwnd, message, wParam, lParam);
        CheckResize();
        return result;
    }
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
        commands.DispatchKey(message, wParam);
    }
    if (message == WM_KEYDOWN) {
        if (wParam <= 255) {
            camera.keyDown[wParam].store(1, std::memory_order_relaxed);
        }
    } else if (message == WM_KEYUP) {
        if (wParam <= 255) {
            camera.keyDown[wParam].store(0, std::memory_order_relaxed);
        }
        if (wParam == VK_ESCAPE) {
            // The "Quit" binding has usually closed the window already; a second request has nothing to do.
            if (!quit) {
                Quit();
            }
        } else if (wParam == 'M') {
            EnterCriticalSection(&RenderLock);
            TextureStageResetFlag = !TextureStageResetFlag;
            const bool flag = TextureStageResetFlag;
            LeaveCriticalSection(&RenderLock);
            ShowTrace("texture stage reset %s", flag ? "on" : "off");
        }
    } else if (message == WM_LBUTTONDOWN) {
        fireworkTypes.LaunchRandomFirework();
        ShowTrace("launch");
    }
    return AppFramework::HandleMessage(hwnd, message, wParam, lParam);
}
