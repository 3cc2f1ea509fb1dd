// SPDX-License-Identifier: GPL-3.0-or-later
// SDL key codes to virtual-key codes, and typed characters.
#include "platform/win/virtual_keys.h"

#include "platform/win/window_messages.h"

#include <SDL.h>

namespace {

struct KeyPair {
    SDL_Keycode sdl;
    int vk;
};

// Keys outside the letter, digit and function-key runs.
constexpr KeyPair kNamedKeys[] = {
    {SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN},
    {SDLK_SPACE, VK_SPACE},
    {SDLK_TAB, VK_TAB},
    {SDLK_BACKSPACE, VK_BACK},
    {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},
    {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},
    {SDLK_LGUI, VK_LWIN},
    {SDLK_RGUI, VK_RWIN},
    {SDLK_APPLICATION, VK_APPS},
    {SDLK_PAUSE, VK_PAUSE},
    {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDLK_SCROLLLOCK, VK_SCROLL},
    {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},
    {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},
    {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},
    {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},
    {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},
    {SDLK_KP_MULTIPLY, VK_MULTIPLY},
    {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, VK_SUBTRACT},
    {SDLK_KP_PERIOD, VK_DECIMAL},
    {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_SEMICOLON, VK_OEM_1},
    {SDLK_EQUALS, VK_OEM_PLUS},
    {SDLK_PLUS, VK_OEM_PLUS},
    {SDLK_COMMA, VK_OEM_COMMA},
    {SDLK_MINUS, VK_OEM_MINUS},
    {SDLK_PERIOD, VK_OEM_PERIOD},
    {SDLK_SLASH, VK_OEM_2},
    {SDLK_BACKQUOTE, VK_OEM_3},
    {SDLK_LEFTBRACKET, VK_OEM_4},
    {SDLK_BACKSLASH, VK_OEM_5},
    {SDLK_RIGHTBRACKET, VK_OEM_6},
    {SDLK_QUOTE, VK_OEM_7},
};

} // namespace

int VirtualKeyFromSdl(std::int32_t code)
{
    if (code >= SDLK_a && code <= SDLK_z) {
        return 'A' + (code - SDLK_a);
    }
    if (code >= SDLK_0 && code <= SDLK_9) {
        return '0' + (code - SDLK_0);
    }
    if (code >= SDLK_F1 && code <= SDLK_F12) {
        return VK_F1 + (code - SDLK_F1);
    }
    if (code >= SDLK_KP_1 && code <= SDLK_KP_9) {
        return VK_NUMPAD0 + 1 + (code - SDLK_KP_1);
    }
    if (code == SDLK_KP_0) {
        return VK_NUMPAD0;
    }
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.sdl == code) {
            return pair.vk;
        }
    }
    return 0;
}

char CharacterOfKey(int vk, bool shift, bool capsLock)
{
    if (vk >= 'A' && vk <= 'Z') {
        return static_cast<char>(shift != capsLock ? vk : vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9' && !shift) {
        return static_cast<char>(vk);
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        return static_cast<char>('0' + (vk - VK_NUMPAD0));
    }
    switch (vk) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return '\r';
    case VK_TAB:
        return '\t';
    case VK_BACK:
        return '\b';
    case VK_ESCAPE:
        return 27;
    default:
        return 0;
    }
}
