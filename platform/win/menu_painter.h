// SPDX-License-Identifier: GPL-3.0-or-later
// Draws menus into RGBA images (rows top first, bytes R, G, B, A) with the desktop's sans-serif face:
// the bar with its titles and a popup with its items, the highlighted one marked.
#pragma once

#include "platform/win/menu_layout.h"

#include <cstdint>
#include <vector>

// Width of a label in the menu face (an estimate when no font can be found).
int MenuTextWidthOf(std::string_view text);

std::vector<std::uint8_t> PaintMenuBarImage(const HMENU__& menu, const std::vector<RECT>& items, int width,
                                            int height, int hot);
std::vector<std::uint8_t> PaintPopupImage(const HMENU__& menu, const PopupLayout& layout, int hot);
