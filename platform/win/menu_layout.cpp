// SPDX-License-Identifier: GPL-3.0-or-later
// Menu geometry.
#include "platform/win/menu_layout.h"

#include "platform/win/window_record.h"

#include <algorithm>

MenuText ParseMenuText(std::string_view text)
{
    MenuText parsed;
    const std::size_t tab = text.find('\t');
    const std::string_view label = text.substr(0, tab);
    if (tab != std::string_view::npos) {
        parsed.shortcut = std::string(text.substr(tab + 1));
    }
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) {
            ++i;
            if (label[i] != '&' && parsed.mnemonic < 0) {
                parsed.mnemonic = static_cast<int>(parsed.label.size());
            }
        }
        parsed.label.push_back(label[i]);
    }
    return parsed;
}

PopupLayout LayoutPopup(const HMENU__& menu, const MenuTextWidth& width)
{
    PopupLayout layout;
    int labelWidth = 0;
    int shortcutWidth = 0;
    for (const MenuItem& item : menu.items) {
        if (item.flags & MF_SEPARATOR) {
            continue;
        }
        const MenuText text = ParseMenuText(item.text);
        labelWidth = std::max(labelWidth, width(text.label));
        if (!text.shortcut.empty()) {
            shortcutWidth = std::max(shortcutWidth, width(text.shortcut));
        }
    }
    const int inner = MenuTextLeft + labelWidth + (shortcutWidth > 0 ? MenuShortcutGap + shortcutWidth : 0) +
                      MenuTextRight;
    layout.width = std::max(inner, 80) + 2;
    int y = 2;
    for (const MenuItem& item : menu.items) {
        const int height = (item.flags & MF_SEPARATOR) ? MenuSeparatorHeight : MenuItemHeight;
        layout.items.push_back(RECT{1, y, layout.width - 1, y + height});
        y += height;
    }
    layout.height = y + 2;
    return layout;
}

std::vector<RECT> LayoutBar(const HMENU__& menu, const MenuTextWidth& width, int barHeight)
{
    std::vector<RECT> items;
    int x = 2;
    for (const MenuItem& item : menu.items) {
        const int itemWidth = width(ParseMenuText(item.text).label) + 2 * MenuBarItemPadding;
        items.push_back(RECT{x, 0, x + itemWidth, barHeight});
        x += itemWidth;
    }
    return items;
}

int HitMenuItem(const std::vector<RECT>& items, int x, int y)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        const RECT& r = items[i];
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

POINT PlacePopup(int x, int y, int width, int height, int areaWidth, int areaHeight)
{
    if (x + width > areaWidth) {
        x = areaWidth - width;
    }
    if (y + height > areaHeight) {
        y = areaHeight - height;
    }
    return POINT{std::max(x, 0), std::max(y, 0)};
}

int NextSelectableItem(const HMENU__& menu, int index, int step)
{
    const int count = static_cast<int>(menu.items.size());
    if (count == 0) {
        return -1;
    }
    int at = index;
    for (int tried = 0; tried < count; ++tried) {
        at = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
        const MenuItem& item = menu.items[static_cast<std::size_t>(at)];
        if ((item.flags & (MF_SEPARATOR | MF_GRAYED)) == 0) {
            return at;
        }
    }
    return -1;
}
