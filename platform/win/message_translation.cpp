// SPDX-License-Identifier: GPL-3.0-or-later
// Decoded SDL events become window messages: keys and system keys, the pointer below the menu bar,
// wheel turns, window changes (one size-move loop per burst of resizes or moves), and quitting.
#include "platform/win/input_event.h"
#include "platform/win/native_window.h"
#include "platform/win/window_geometry.h"
#include "platform/win/window_record.h"

#include <SDL.h>

namespace {

// How long a burst of size or move events may pause before the size-move loop counts as ended.
constexpr std::uint32_t SizeMoveSettleMs = 150;

// Alt went down and nothing else was pressed since: its release opens the menu bar.
bool altAlone = false;
// A key whose press closed a menu; its release is dropped (window thread only).
int swallowedKeyUp = 0;

WPARAM MouseKeyFlags(Uint32 buttons)
{
    WPARAM flags = 0;
    if (buttons & SDL_BUTTON_LMASK) {
        flags |= MK_LBUTTON;
    }
    if (buttons & SDL_BUTTON_RMASK) {
        flags |= MK_RBUTTON;
    }
    if (buttons & SDL_BUTTON_MMASK) {
        flags |= MK_MBUTTON;
    }
    const SDL_Keymod mods = SDL_GetModState();
    if (mods & KMOD_SHIFT) {
        flags |= MK_SHIFT;
    }
    if (mods & KMOD_CTRL) {
        flags |= MK_CONTROL;
    }
    return flags;
}

WindowRecord* RecordForEvent(std::uint32_t windowId)
{
    WindowRecord* record = FindWindowRecordById(windowId);
    if (record == nullptr && windowId == 0) {
        record = FindWindowRecord(FirstWindow());
    }
    return record;
}

POINT ScreenPointOf(const WindowRecord& record, int x, int y)
{
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(record.sdl, &left, &top);
    return POINT{left + x, top + y};
}

void TranslateKey(const InputEvent& key)
{
    WindowRecord* record = RecordForEvent(key.windowId);
    const int vk = key.virtualKey;
    if (vk == 0) {
        return;
    }
    const bool down = key.down;
    if (vk == swallowedKeyUp) {
        swallowedKeyUp = 0;
        if (!down) {
            NoteKeyState(vk, false);
            return;
        }
    }
    const bool alt = key.alt || vk == VK_MENU;
    // Alt chords and F10 are system keys; Ctrl+Alt types ordinary keys.
    const bool system = (alt && !key.ctrl) || vk == VK_F10;
    LPARAM lParam = 1 | (static_cast<LPARAM>(key.scanCode & 0xFF) << 16);
    if (alt) {
        lParam |= KF_ALTDOWN_BIT;
    }
    if (!down || key.repeat || (GetKeyState(vk) & 0x8000) != 0) {
        lParam |= KF_REPEAT_BIT;
    }
    if (!down) {
        lParam |= KF_UP_BIT;
    }
    NoteKeyState(vk, down);
    if (down) {
        altAlone = vk == VK_MENU && !key.repeat ? true : altAlone && vk == VK_MENU;
    }
    if (record == nullptr) {
        return;
    }
    const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    QueueInputMessage(HandleOf(*record), message, static_cast<WPARAM>(vk), lParam);
}

void TranslateMotion(const InputEvent& motion)
{
    WindowRecord* record = RecordForEvent(motion.windowId);
    if (record == nullptr) {
        return;
    }
    const HWND window = HandleOf(*record);
    const int bar = BarHeightOf(*record);
    HoverMenuBar(*record, motion.x, motion.y);
    if (motion.y < bar) {
        return;
    }
    RestoreClassCursor();
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    ApplyCursor();
    QueueInputMessage(window, WM_MOUSEMOVE, MouseKeyFlags(motion.buttons), MAKELPARAM(motion.x, motion.y - bar));
}

void TranslateButton(const InputEvent& button)
{
    WindowRecord* record = RecordForEvent(button.windowId);
    const bool down = button.down;
    const int vk = button.virtualKey;
    if (vk == 0) {
        return;
    }
    NoteKeyState(vk, down);
    altAlone = false;
    if (record == nullptr) {
        return;
    }
    const HWND window = HandleOf(*record);
    const int bar = BarHeightOf(*record);
    const POINT screen = ScreenPointOf(*record, button.x, button.y);
    if (button.y < bar) {
        if (down && vk == VK_LBUTTON) {
            QueueInputMessage(window, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTMENU), MAKELPARAM(screen.x, screen.y));
        }
        return;
    }
    const LPARAM client = MAKELPARAM(button.x, button.y - bar);
    const WPARAM keys = MouseKeyFlags(SDL_GetMouseState(nullptr, nullptr));
    UINT message = 0;
    if (vk == VK_LBUTTON) {
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    } else if (vk == VK_RBUTTON) {
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    } else {
        message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    }
    QueueInputMessage(window, message, keys, client);
    if (vk == VK_RBUTTON && !down) {
        QueueInputMessage(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(screen.x, screen.y));
    }
}

void TranslateWheel(const InputEvent& wheel)
{
    WindowRecord* record = RecordForEvent(wheel.windowId);
    if (record == nullptr || wheel.wheel == 0) {
        return;
    }
    const int delta = wheel.wheel * WHEEL_DELTA;
    const POINT cursor = CursorScreenPoint();
    QueueInputMessage(HandleOf(*record), WM_MOUSEWHEEL,
                      MAKEWPARAM(static_cast<int>(MouseKeyFlags(SDL_GetMouseState(nullptr, nullptr))), delta),
                      MAKELPARAM(cursor.x, cursor.y));
}

void StartSizeMove(WindowRecord& record, bool resized)
{
    if (!record.sizeMovePending) {
        record.sizeMovePending = true;
        record.sizeMoveResized = false;
        record.sizeMoveMoved = false;
        QueueInputMessage(HandleOf(record), WM_ENTERSIZEMOVE, 0, 0);
    }
    (resized ? record.sizeMoveResized : record.sizeMoveMoved) = true;
    record.sizeMoveSettleAt = SDL_GetTicks() + SizeMoveSettleMs;
}

void QueueClientSize(WindowRecord& record, WPARAM kind)
{
    int width = 0;
    int height = 0;
    ClientSizeOf(record, &width, &height);
    QueueInputMessage(HandleOf(record), WM_SIZE, kind, MAKELPARAM(width, height));
}

void TranslateWindowChange(const InputEvent& event)
{
    WindowRecord* record = FindWindowRecordById(event.windowId);
    if (record == nullptr) {
        return;
    }
    const HWND window = HandleOf(*record);
    const bool fullScreen = (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_FULLSCREEN) != 0;
    if (record->wasFullScreen && !fullScreen) {
        ApplyWindowStyle(*record, true);
    }
    record->wasFullScreen = fullScreen;
    switch (event.change) {
    case InputEvent::Change::Close:
        QueueInputMessage(window, WM_CLOSE, 0, 0);
        break;
    case InputEvent::Change::Exposed:
        record->paintPending = true;
        break;
    case InputEvent::Change::SizeChanged: {
        const bool expected = event.width == record->expectedWidth && event.height == record->expectedHeight;
        record->expectedWidth = -1;
        record->expectedHeight = -1;
        const bool changed = event.width != record->outerWidth || event.height != record->outerHeight;
        RefreshMenuBar(*record);
        record->paintPending = true;
        if (expected || !changed || record->minimized) {
            break;
        }
        // Full-screen and borderless windows are sized by the program, never dragged.
        if (fullScreen || (record->style & WS_CAPTION) == 0) {
            QueueClientSize(*record, record->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
        } else {
            StartSizeMove(*record, true);
        }
        break;
    }
    case InputEvent::Change::Moved:
        if (!fullScreen && (record->style & WS_CAPTION) != 0 && !record->minimized) {
            StartSizeMove(*record, false);
        }
        break;
    case InputEvent::Change::Minimized:
        record->minimized = true;
        QueueInputMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case InputEvent::Change::Maximized:
        record->minimized = false;
        record->maximized = true;
        if (!record->sizeMovePending) {
            QueueClientSize(*record, SIZE_MAXIMIZED);
        }
        break;
    case InputEvent::Change::Restored:
        if (record->minimized || record->maximized) {
            record->minimized = false;
            record->maximized = false;
            if (!record->sizeMovePending) {
                QueueClientSize(*record, SIZE_RESTORED);
            }
        }
        record->paintPending = true;
        break;
    case InputEvent::Change::Leave:
        HoverMenuBar(*record, -1, -1);
        break;
    case InputEvent::Change::FocusGained:
        QueueInputMessage(window, WM_ACTIVATEAPP, TRUE, 0);
        break;
    case InputEvent::Change::FocusLost:
        // Alt held while switching windows (the window manager takes the chord) opens no menu.
        altAlone = false;
        QueueInputMessage(window, WM_ACTIVATEAPP, FALSE, 0);
        break;
    default:
        break;
    }
}

} // namespace

void TranslateInputEvent(const InputEvent& event)
{
    switch (event.kind) {
    case InputEvent::Kind::Key:
        TranslateKey(event);
        break;
    case InputEvent::Kind::Motion:
        TranslateMotion(event);
        break;
    case InputEvent::Kind::Button:
        TranslateButton(event);
        break;
    case InputEvent::Kind::Wheel:
        TranslateWheel(event);
        break;
    case InputEvent::Kind::Window:
        TranslateWindowChange(event);
        break;
    case InputEvent::Kind::Native:
        HandleNativeWindowMessage(event.native);
        break;
    case InputEvent::Kind::Quit:
        // With windows open, each has had its close request already.
        if (WindowCount() == 0) {
            QueueQuitMessage();
        }
        break;
    default:
        break;
    }
}

int SettleSizeMoves()
{
    int wait = -1;
    const std::uint32_t now = SDL_GetTicks();
    struct Context {
        std::uint32_t now;
        int* wait;
    } context{now, &wait};
    ForEachWindowRecord(
        [](WindowRecord& record, void* data) {
            auto* ctx = static_cast<Context*>(data);
            if (!record.sizeMovePending) {
                return;
            }
            if (static_cast<std::int32_t>(record.sizeMoveSettleAt - ctx->now) > 0) {
                const int left = static_cast<int>(record.sizeMoveSettleAt - ctx->now);
                if (*ctx->wait < 0 || left < *ctx->wait) {
                    *ctx->wait = left;
                }
                return;
            }
            record.sizeMovePending = false;
            const HWND window = HandleOf(record);
            if (record.sizeMoveMoved) {
                int x = 0;
                int y = 0;
                SDL_GetWindowPosition(record.sdl, &x, &y);
                const POINT origin = ClientOriginOf(x, y, BarHeightOf(record));
                QueueInputMessage(window, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
            }
            if (record.sizeMoveResized) {
                QueueClientSize(record, record.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
            }
            QueueInputMessage(window, WM_EXITSIZEMOVE, 0, 0);
        },
        &context);
    return wait;
}

void SwallowNextKeyUp(int virtualKey) { swallowedKeyUp = virtualKey; }

bool AltReleasedAlone()
{
    const bool alone = altAlone;
    altAlone = false;
    return alone;
}
