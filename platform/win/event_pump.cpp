// SPDX-License-Identifier: GPL-3.0-or-later
// Reading SDL's events and decoding them into the window system's terms.
#include "platform/win/event_pump.h"

#include "platform/win/virtual_keys.h"
#include "platform/win/window_messages.h"

#include <SDL.h>

namespace {

// SDL's window events and the changes they stand for.
struct ChangeOfEvent {
    Uint8 event;
    InputEvent::Change change;
};
constexpr ChangeOfEvent WindowChanges[] = {
    {SDL_WINDOWEVENT_CLOSE, InputEvent::Change::Close},
    {SDL_WINDOWEVENT_EXPOSED, InputEvent::Change::Exposed},
    {SDL_WINDOWEVENT_SIZE_CHANGED, InputEvent::Change::SizeChanged},
    {SDL_WINDOWEVENT_MOVED, InputEvent::Change::Moved},
    {SDL_WINDOWEVENT_MINIMIZED, InputEvent::Change::Minimized},
    {SDL_WINDOWEVENT_MAXIMIZED, InputEvent::Change::Maximized},
    {SDL_WINDOWEVENT_RESTORED, InputEvent::Change::Restored},
    {SDL_WINDOWEVENT_LEAVE, InputEvent::Change::Leave},
    {SDL_WINDOWEVENT_FOCUS_GAINED, InputEvent::Change::FocusGained},
    {SDL_WINDOWEVENT_FOCUS_LOST, InputEvent::Change::FocusLost},
};

InputEvent::Change ChangeOf(Uint8 event)
{
    for (const ChangeOfEvent& entry : WindowChanges) {
        if (entry.event == event) {
            return entry.change;
        }
    }
    return InputEvent::Change::Other;
}

int ButtonKey(Uint8 button)
{
    return button == SDL_BUTTON_LEFT     ? VK_LBUTTON
           : button == SDL_BUTTON_RIGHT  ? VK_RBUTTON
           : button == SDL_BUTTON_MIDDLE ? VK_MBUTTON
                                         : 0;
}

InputEvent Decode(const SDL_Event& event)
{
    InputEvent decoded;
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        decoded.kind = InputEvent::Kind::Key;
        decoded.windowId = event.key.windowID;
        decoded.virtualKey = VirtualKeyFromSdl(event.key.keysym.sym);
        decoded.down = event.type == SDL_KEYDOWN;
        decoded.repeat = event.key.repeat != 0;
        decoded.alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        decoded.ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
        decoded.scanCode = static_cast<int>(event.key.keysym.scancode);
        break;
    case SDL_MOUSEMOTION:
        decoded.kind = InputEvent::Kind::Motion;
        decoded.windowId = event.motion.windowID;
        decoded.x = event.motion.x;
        decoded.y = event.motion.y;
        decoded.buttons = event.motion.state;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        decoded.kind = InputEvent::Kind::Button;
        decoded.windowId = event.button.windowID;
        decoded.virtualKey = ButtonKey(event.button.button);
        decoded.down = event.type == SDL_MOUSEBUTTONDOWN;
        decoded.x = event.button.x;
        decoded.y = event.button.y;
        break;
    case SDL_MOUSEWHEEL:
        decoded.kind = InputEvent::Kind::Wheel;
        decoded.windowId = event.wheel.windowID;
        decoded.wheel = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        break;
    case SDL_WINDOWEVENT:
        decoded.kind = InputEvent::Kind::Window;
        decoded.windowId = event.window.windowID;
        decoded.change = ChangeOf(event.window.event);
        decoded.width = event.window.data1;
        decoded.height = event.window.data2;
        break;
    case SDL_SYSWMEVENT:
        decoded.kind = InputEvent::Kind::Native;
        decoded.native = event.syswm.msg;
        break;
    case SDL_QUIT:
        decoded.kind = InputEvent::Kind::Quit;
        break;
    default:
        break;
    }
    return decoded;
}

} // namespace

bool PollInputEvent(InputEvent* event)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return false;
    }
    SDL_Event polled;
    if (SDL_PollEvent(&polled) == 0) {
        return false;
    }
    *event = Decode(polled);
    return true;
}

bool WaitInputEvent(InputEvent* event, int timeoutMs)
{
    SDL_Event waited;
    const int got = timeoutMs >= 0 ? SDL_WaitEventTimeout(&waited, timeoutMs) : SDL_WaitEvent(&waited);
    if (got == 0) {
        return false;
    }
    *event = Decode(waited);
    return true;
}
