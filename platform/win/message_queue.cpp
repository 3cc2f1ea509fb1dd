// SPDX-License-Identifier: GPL-3.0-or-later
// The window thread's message queue: SDL events become window messages, posted messages from any
// thread wait beside them, and Peek/Get hand them out in order.
#include "platform/win/native_window.h"
#include "platform/win/virtual_keys.h"
#include "platform/win/window_geometry.h"
#include "platform/win/window_record.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

// How long a burst of size or move events may pause before the size-move loop counts as ended.
constexpr std::uint32_t SizeMoveSettleMs = 150;

struct MessageQueue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<MSG> messages;
};

MessageQueue& Queue()
{
    static MessageQueue queue;
    return queue;
}

// Key states by virtual-key code: 0x80 down, 0x01 toggled. Written by the window thread only; the
// render thread may read them (held keys) while they change.
std::atomic<BYTE> keyStates[256];
// Alt went down and nothing else was pressed since: its release opens the menu bar.
bool altAlone = false;
// A key whose press closed a menu; its release is dropped (window thread only).
int swallowedKeyUp = 0;

DWORD Now() { return static_cast<DWORD>(SDL_GetTicks()); }

POINT CursorPoint()
{
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return POINT{x, y};
}

void Enqueue(const MSG& message, bool atFront = false)
{
    {
        std::lock_guard<std::mutex> hold(Queue().mutex);
        if (atFront) {
            Queue().messages.push_front(message);
        } else {
            Queue().messages.push_back(message);
        }
    }
    Queue().posted.notify_all();
}

bool Matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax)
{
    // The quit message ends every loop, whatever window it filters for.
    if (message.message == WM_QUIT) {
        return true;
    }
    if (window != nullptr && message.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return message.message >= filterMin && message.message <= filterMax;
}

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

WindowRecord* RecordForEvent(Uint32 windowId)
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

void TranslateKey(const SDL_KeyboardEvent& key)
{
    WindowRecord* record = RecordForEvent(key.windowID);
    const int vk = VirtualKeyFromSdl(key.keysym.sym);
    if (vk == 0) {
        return;
    }
    const bool down = key.type == SDL_KEYDOWN;
    if (vk == swallowedKeyUp) {
        swallowedKeyUp = 0;
        if (!down) {
            NoteKeyState(vk, false);
            return;
        }
    }
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU;
    const bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
    // Alt chords and F10 are system keys; Ctrl+Alt types ordinary keys.
    const bool system = (alt && !ctrl) || vk == VK_F10;
    LPARAM lParam = 1 | (static_cast<LPARAM>(key.keysym.scancode & 0xFF) << 16);
    if (alt) {
        lParam |= KF_ALTDOWN_BIT;
    }
    if (!down || key.repeat != 0 || (keyStates[vk].load(std::memory_order_relaxed) & 0x80) != 0) {
        lParam |= KF_REPEAT_BIT;
    }
    if (!down) {
        lParam |= KF_UP_BIT;
    }
    NoteKeyState(vk, down);
    if (down) {
        altAlone = vk == VK_MENU && key.repeat == 0 ? true : altAlone && vk == VK_MENU;
    }
    if (record == nullptr) {
        return;
    }
    const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    QueueInputMessage(HandleOf(*record), message, static_cast<WPARAM>(vk), lParam);
}

void TranslateMotion(const SDL_MouseMotionEvent& motion)
{
    WindowRecord* record = RecordForEvent(motion.windowID);
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
    QueueInputMessage(window, WM_MOUSEMOVE, MouseKeyFlags(motion.state), MAKELPARAM(motion.x, motion.y - bar));
}

void TranslateButton(const SDL_MouseButtonEvent& button)
{
    WindowRecord* record = RecordForEvent(button.windowID);
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    const int vk = button.button == SDL_BUTTON_LEFT    ? VK_LBUTTON
                   : button.button == SDL_BUTTON_RIGHT ? VK_RBUTTON
                   : button.button == SDL_BUTTON_MIDDLE ? VK_MBUTTON
                                                        : 0;
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

void TranslateWheel(const SDL_MouseWheelEvent& wheel)
{
    WindowRecord* record = RecordForEvent(wheel.windowID);
    if (record == nullptr || wheel.y == 0) {
        return;
    }
    const int delta = (wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y) * WHEEL_DELTA;
    const POINT cursor = CursorPoint();
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

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    WindowRecord* record = FindWindowRecordById(event.windowID);
    if (record == nullptr) {
        return;
    }
    const HWND window = HandleOf(*record);
    const bool fullScreen = (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_FULLSCREEN) != 0;
    if (record->wasFullScreen && !fullScreen) {
        ApplyWindowStyle(*record, true);
    }
    record->wasFullScreen = fullScreen;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        QueueInputMessage(window, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        record->paintPending = true;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        const bool expected = event.data1 == record->expectedWidth && event.data2 == record->expectedHeight;
        record->expectedWidth = -1;
        record->expectedHeight = -1;
        const bool changed = event.data1 != record->outerWidth || event.data2 != record->outerHeight;
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
    case SDL_WINDOWEVENT_MOVED:
        if (!fullScreen && (record->style & WS_CAPTION) != 0 && !record->minimized) {
            StartSizeMove(*record, false);
        }
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        record->minimized = true;
        QueueInputMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        record->minimized = false;
        record->maximized = true;
        if (!record->sizeMovePending) {
            QueueClientSize(*record, SIZE_MAXIMIZED);
        }
        break;
    case SDL_WINDOWEVENT_RESTORED:
        if (record->minimized || record->maximized) {
            record->minimized = false;
            record->maximized = false;
            if (!record->sizeMovePending) {
                QueueClientSize(*record, SIZE_RESTORED);
            }
        }
        record->paintPending = true;
        break;
    case SDL_WINDOWEVENT_LEAVE:
        HoverMenuBar(*record, -1, -1);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        QueueInputMessage(window, WM_ACTIVATEAPP, TRUE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Alt held while switching windows (the window manager takes the chord) opens no menu.
        altAlone = false;
        QueueInputMessage(window, WM_ACTIVATEAPP, FALSE, 0);
        break;
    default:
        break;
    }
}

void TranslateEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(event.motion);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(event.wheel);
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
    case SDL_SYSWMEVENT:
        HandleNativeWindowMessage(event.syswm.msg);
        break;
    case SDL_QUIT:
        // With windows open, each has had its close request already.
        if (WindowCount() == 0) {
            Enqueue(MSG{nullptr, WM_QUIT, 0, 0, Now(), CursorPoint()});
        }
        break;
    default:
        break;
    }
}

// Ends the size-move loops whose bursts have settled; returns the ticks until the next one is due
// (or -1 when none is pending).
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

void PumpEvents()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        TranslateEvent(event);
    }
    SettleSizeMoves();
}

bool TakeMessage(MSG* message, HWND window, UINT filterMin, UINT filterMax, bool remove)
{
    {
        std::lock_guard<std::mutex> hold(Queue().mutex);
        auto& messages = Queue().messages;
        for (auto it = messages.begin(); it != messages.end(); ++it) {
            if (Matches(*it, window, filterMin, filterMax)) {
                *message = *it;
                if (remove) {
                    messages.erase(it);
                }
                return true;
            }
        }
    }
    // Painting comes when nothing else waits, as on the platform.
    if (filterMin != 0 || filterMax != 0) {
        if (WM_PAINT < filterMin || WM_PAINT > filterMax) {
            return false;
        }
    }
    struct Found {
        HWND window;
        HWND filter;
        bool remove;
    } found{nullptr, window, remove};
    ForEachWindowRecord(
        [](WindowRecord& record, void* data) {
            auto* f = static_cast<Found*>(data);
            if (f->window != nullptr || !record.paintPending) {
                return;
            }
            if (f->filter != nullptr && f->filter != HandleOf(record)) {
                return;
            }
            f->window = HandleOf(record);
            if (f->remove) {
                record.paintPending = false;
            }
        },
        &found);
    if (found.window == nullptr) {
        return false;
    }
    *message = MSG{found.window, WM_PAINT, 0, 0, Now(), CursorPoint()};
    return true;
}

} // namespace

std::uint32_t WakeEventType() { return SDL_USEREVENT; }

void QueueInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::mutex> hold(Queue().mutex);
        auto& messages = Queue().messages;
        // Pointer moves coalesce as on the platform: only the latest position waits.
        if (message == WM_MOUSEMOVE && !messages.empty() && messages.back().message == WM_MOUSEMOVE &&
            messages.back().hwnd == window) {
            messages.back().wParam = wParam;
            messages.back().lParam = lParam;
            return;
        }
        messages.push_back(MSG{window, message, wParam, lParam, Now(), CursorPoint()});
    }
}

void ForgetQueuedMessages(HWND window)
{
    std::lock_guard<std::mutex> hold(Queue().mutex);
    auto& messages = Queue().messages;
    for (auto it = messages.begin(); it != messages.end();) {
        it = it->hwnd == window ? messages.erase(it) : it + 1;
    }
}

void SwallowNextKeyUp(int virtualKey) { swallowedKeyUp = virtualKey; }

bool ClosingQueued(HWND window)
{
    std::lock_guard<std::mutex> hold(Queue().mutex);
    for (const MSG& message : Queue().messages) {
        if (message.message == WM_QUIT || (message.message == WM_CLOSE && message.hwnd == window)) {
            return true;
        }
    }
    return false;
}

bool AltReleasedAlone()
{
    const bool alone = altAlone;
    altAlone = false;
    return alone;
}

void NoteKeyState(int virtualKey, bool down)
{
    if (virtualKey <= 0 || virtualKey > 255) {
        return;
    }
    BYTE state = keyStates[virtualKey].load(std::memory_order_relaxed);
    if (down && (state & 0x80) == 0) {
        state ^= 0x01;
    }
    keyStates[virtualKey].store(static_cast<BYTE>(down ? (state | 0x80) : (state & ~0x80)), std::memory_order_relaxed);
}

short GetKeyState(int virtualKey)
{
    if (virtualKey <= 0 || virtualKey > 255) {
        return 0;
    }
    const BYTE state = keyStates[virtualKey].load(std::memory_order_relaxed);
    return static_cast<short>(((state & 0x80) != 0 ? 0x8000 : 0) | (state & 0x01));
}

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage)
{
    if (message == nullptr) {
        return FALSE;
    }
    PumpEvents();
    return TakeMessage(message, window, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax)
{
    if (message == nullptr) {
        return -1;
    }
    for (;;) {
        PumpEvents();
        if (TakeMessage(message, window, filterMin, filterMax, true)) {
            return message->message == WM_QUIT ? FALSE : TRUE;
        }
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            // No display in use: only posted messages can arrive.
            std::unique_lock<std::mutex> hold(Queue().mutex);
            Queue().posted.wait_for(hold, std::chrono::milliseconds(50));
            continue;
        }
        const int settle = SettleSizeMoves();
        SDL_Event event;
        const int got = settle >= 0 ? SDL_WaitEventTimeout(&event, settle + 1) : SDL_WaitEvent(&event);
        if (got != 0) {
            TranslateEvent(event);
        }
    }
}

BOOL TranslateMessage(const MSG* message)
{
    if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)) {
        return FALSE;
    }
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool caps = (GetKeyState(VK_CAPITAL) & 0x0001) != 0;
    const char character = CharacterOfKey(static_cast<int>(message->wParam), shift, caps);
    if (character == 0) {
        return FALSE;
    }
    const UINT kind = message->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    Enqueue(MSG{message->hwnd, kind, static_cast<WPARAM>(static_cast<unsigned char>(character)), message->lParam,
                message->time, message->pt},
            true);
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* message)
{
    if (message == nullptr || message->hwnd == nullptr) {
        return 0;
    }
    WindowRecord* record = FindWindowRecord(message->hwnd);
    if (record == nullptr) {
        return 0;
    }
    if (message->message == WM_PAINT) {
        record->paintPending = false;
    }
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT point{0, 0};
    Enqueue(MSG{window, message, wParam, lParam, 0, point});
    // Wakes a window thread blocked in SDL's event wait; safe from any thread.
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_Event wake{};
        wake.type = WakeEventType();
        SDL_PushEvent(&wake);
    }
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    Enqueue(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, POINT{0, 0}});
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_Event wake{};
        wake.type = WakeEventType();
        SDL_PushEvent(&wake);
    }
}
