// SPDX-License-Identifier: GPL-3.0-or-later
// The window thread's message queue: messages translated from SDL's events and messages posted from
// any thread wait side by side, Peek/Get hand them out in order, painting when nothing else waits.
#include "platform/win/event_pump.h"
#include "platform/win/virtual_keys.h"
#include "platform/win/window_record.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

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

DWORD Now() { return static_cast<DWORD>(SDL_GetTicks()); }

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

void PumpEvents()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    InputEvent event;
    while (PollInputEvent(&event)) {
        TranslateInputEvent(event);
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
    *message = MSG{found.window, WM_PAINT, 0, 0, Now(), CursorScreenPoint()};
    return true;
}

} // namespace

std::uint32_t WakeEventType() { return SDL_USEREVENT; }

POINT CursorScreenPoint()
{
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return POINT{x, y};
}

void QueueQuitMessage() { Enqueue(MSG{nullptr, WM_QUIT, 0, 0, Now(), CursorScreenPoint()}); }

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
        messages.push_back(MSG{window, message, wParam, lParam, Now(), CursorScreenPoint()});
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
        InputEvent event;
        if (WaitInputEvent(&event, settle >= 0 ? settle + 1 : -1)) {
            TranslateInputEvent(event);
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
