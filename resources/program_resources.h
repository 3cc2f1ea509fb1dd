// SPDX-License-Identifier: GPL-3.0-or-later
// The program's window resources (icon, menu bar, context menu, accelerator table) and the command
// identifiers they carry.
#pragma once

#include "platform/win/resource_module.h"

constexpr WORD IDI_MAIN_ICON = 101;
constexpr WORD IDR_MAIN_ACCEL = 113;
constexpr WORD IDR_MENU = 141;
constexpr WORD IDR_POPUP = 142;

constexpr WORD IDM_CHANGEDEVICE = 40002;
constexpr WORD IDM_TOGGLEFULLSCREEN = 40003;
constexpr WORD IDM_TOGGLESTART = 40004;
constexpr WORD IDM_SINGLESTEP = 40005;
constexpr WORD IDM_EXIT = 40006;

// The module holding these resources, as the instance handle the window system loads them from.
HINSTANCE ProgramInstance();
