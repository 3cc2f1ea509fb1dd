// SPDX-License-Identifier: GPL-3.0-or-later
// Where a menu's items sit: the popup's rows and the bar's titles, hit-testing, and placing a popup
// inside the window. Text widths come from the caller, so the arithmetic needs no font.
#pragma once

#include "platform/base/win_types.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct HMENU__;

constexpr int MenuItemHeight = 22;
constexpr int MenuSeparatorHeight = 9;
// Room left of the text (check marks would sit there), between label and shortcut, and right of both.
constexpr int MenuTextLeft = 24;
constexpr int MenuShortcutGap = 28;
constexpr int MenuTextRight = 16;
constexpr int MenuBarItemPadding = 8;

// The label without mnemonic marks ("&&" stays one '&') and the position of the underlined character
// in it (-1 for none), split at the tab into label and shortcut text.
struct MenuText {
    std::string label;
    int mnemonic = -1;
    std::string shortcut;
};
MenuText ParseMenuText(std::string_view text);

using MenuTextWidth = std::function<int(std::string_view)>;

// Item rectangles in the popup's own pixels; the popup has a one-pixel border.
struct PopupLayout {
    int width = 0;
    int height = 0;
    std::vector<RECT> items;
};
PopupLayout LayoutPopup(const HMENU__& menu, const MenuTextWidth& width);

// Title rectangles in the bar's pixels (the bar starts at the window's top-left).
std::vector<RECT> LayoutBar(const HMENU__& menu, const MenuTextWidth& width, int barHeight);

// Index of the rectangle holding (x, y), or -1.
int HitMenuItem(const std::vector<RECT>& items, int x, int y);

// The popup's top-left for a wanted corner, moved inside a window of areaWidth × areaHeight where it
// fits (and to the top-left edge where it does not).
POINT PlacePopup(int x, int y, int width, int height, int areaWidth, int areaHeight);

// The next item from index in direction step (+1 or -1) that can be chosen, wrapping; -1 when none can.
int NextSelectableItem(const HMENU__& menu, int index, int step);
