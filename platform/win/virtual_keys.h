// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard translation: SDL key codes to the platform's virtual-key codes, and the character a key
// types (for WM_CHAR).
#pragma once

#include <cstdint>

// The virtual-key code for an SDL key code; 0 for keys the show's platform has no code for.
// Left and right modifier keys both give the generic code (VK_SHIFT, VK_CONTROL, VK_MENU).
int VirtualKeyFromSdl(std::int32_t sdlKeycode);

// The character a key-down of virtualKey types with the given modifiers, or 0 when it types none.
// Letters follow Shift and Caps Lock; digits, space, Enter, Tab, Backspace and Esc type their codes.
char CharacterOfKey(int virtualKey, bool shift, bool capsLock);
