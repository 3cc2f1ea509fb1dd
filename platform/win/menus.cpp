// SPDX-License-Identifier: GPL-3.0-or-later
// Menus as trees built from the module's menu templates; a window's bar and its popups.
#include "platform/win/window_record.h"

#include <cstring>
#include <new>

namespace {

// Builds the items of one level from items[*next] on; popups take their own level from what follows.
// Returns false for a template that ends inside a level.
bool BuildLevel(const MenuItemResource* items, std::size_t count, std::size_t* next, HMENU menu, int depth)
{
    // Templates nest a handful of levels; a deeper one is malformed.
    if (depth > 8) {
        return false;
    }
    while (*next < count) {
        const MenuItemResource& source = items[(*next)++];
        MenuItem item;
        item.flags = source.flags;
        item.id = source.id;
        item.text = source.text != nullptr ? source.text : "";
        if (source.flags & MF_POPUP) {
            item.popup = new (std::nothrow) HMENU__;
            if (item.popup == nullptr) {
                return false;
            }
            menu->items.push_back(std::move(item));
            if (!BuildLevel(items, count, next, menu->items.back().popup, depth + 1)) {
                return false;
            }
        } else {
            menu->items.push_back(std::move(item));
        }
        if (source.last) {
            return true;
        }
    }
    // The outermost level may simply run to the end of the table.
    return depth == 0;
}

} // namespace

HMENU LoadMenuA(HINSTANCE instance, LPCSTR name)
{
    const ResourceModule* module = ModuleFromHinstance(instance);
    if (module == nullptr || !IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    for (std::size_t i = 0; i < module->menuCount; ++i) {
        const MenuResource& resource = module->menus[i];
        if (resource.id != id || resource.items == nullptr) {
            continue;
        }
        HMENU menu = new (std::nothrow) HMENU__;
        if (menu == nullptr) {
            return nullptr;
        }
        std::size_t next = 0;
        if (!BuildLevel(resource.items, resource.count, &next, menu, 0)) {
            DestroyMenu(menu);
            return nullptr;
        }
        return menu;
    }
    return nullptr;
}

HMENU GetMenu(HWND window)
{
    const WindowRecord* record = FindWindowRecord(window);
    return record != nullptr ? record->menu : nullptr;
}

BOOL SetMenu(HWND window, HMENU menu)
{
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    if (record->menu != nullptr) {
        record->menu->owner = nullptr;
    }
    record->menu = menu;
    if (menu != nullptr) {
        menu->owner = window;
    }
    record->barHot = -1;
    RefreshMenuBar(*record);
    record->paintPending = true;
    return TRUE;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    if (menu == nullptr || position < 0 || position >= static_cast<int>(menu->items.size())) {
        return nullptr;
    }
    return menu->items[static_cast<std::size_t>(position)].popup;
}

BOOL DestroyMenu(HMENU menu)
{
    if (menu == nullptr) {
        return FALSE;
    }
    // A bar still attached stays until its window lets go of it.
    if (menu->owner != nullptr) {
        if (WindowRecord* record = FindWindowRecord(menu->owner)) {
            if (record->menu == menu) {
                SetMenu(menu->owner, nullptr);
            }
        }
    }
    for (MenuItem& item : menu->items) {
        if (item.popup != nullptr) {
            DestroyMenu(item.popup);
        }
    }
    delete menu;
    return TRUE;
}
