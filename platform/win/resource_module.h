// SPDX-License-Identifier: GPL-3.0-or-later
// A module's resources as plain tables: the icon, menus and accelerator tables that the window
// system loads by numeric identifier. A program hands its module to the window system as the
// instance handle (HinstanceFromModule).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/win_types.h"

// Menu item flags.
constexpr WORD MF_STRING = 0x0000;
constexpr WORD MF_GRAYED = 0x0001;
constexpr WORD MF_POPUP = 0x0010;
constexpr WORD MF_SEPARATOR = 0x0800;

// One item of a menu template, in order: a popup's items follow it, and `last` closes a level.
struct MenuItemResource {
    WORD flags;
    WORD id;
    const char* text;  // '&' marks the mnemonic, '\t' starts the shortcut text
    bool last;         // last item of its level
};

struct MenuResource {
    WORD id;
    const MenuItemResource* items;
    std::size_t count;
};

// Accelerator flags.
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

struct AcceleratorResource {
    WORD id;
    const ACCEL* entries;
    std::size_t count;
};

// An icon as 32-bit pixels holding the bytes R, G, B, A in memory order, rows top first.
struct IconResource {
    WORD id;
    int width;
    int height;
    const std::uint32_t* pixels;
};

struct ResourceModule {
    const MenuResource* menus;
    std::size_t menuCount;
    const AcceleratorResource* accelerators;
    std::size_t acceleratorCount;
    const IconResource* icons;
    std::size_t iconCount;
};

inline HINSTANCE HinstanceFromModule(const ResourceModule* module)
{
    return reinterpret_cast<HINSTANCE>(const_cast<ResourceModule*>(module));
}
inline const ResourceModule* ModuleFromHinstance(HINSTANCE instance)
{
    return reinterpret_cast<const ResourceModule*>(instance);
}
