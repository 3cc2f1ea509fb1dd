// SPDX-License-Identifier: GPL-3.0-or-later
// Accelerator tables: key-downs matching an entry become WM_COMMAND.
#include "platform/win/window_record.h"

// An accelerator handle is the module's table itself; tables are constant, so nothing is freed.
HACCEL LoadAcceleratorsA(HINSTANCE instance, LPCSTR name)
{
    const ResourceModule* module = ModuleFromHinstance(instance);
    if (module == nullptr || !IS_INTRESOURCE(name)) {
        return nullptr;
    }
    const auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    for (std::size_t i = 0; i < module->acceleratorCount; ++i) {
        if (module->accelerators[i].id == id) {
            return reinterpret_cast<HACCEL>(const_cast<AcceleratorResource*>(&module->accelerators[i]));
        }
    }
    return nullptr;
}

int TranslateAcceleratorA(HWND window, HACCEL table, MSG* message)
{
    if (window == nullptr || table == nullptr || message == nullptr) {
        return 0;
    }
    if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN) {
        return 0;
    }
    const auto* accelerators = reinterpret_cast<const AcceleratorResource*>(table);
    BYTE held = 0;
    if (message->lParam & KF_ALTDOWN_BIT) {
        held |= FALT;
    }
    if (GetKeyState(VK_CONTROL) & 0x8000) {
        held |= FCONTROL;
    }
    if (GetKeyState(VK_SHIFT) & 0x8000) {
        held |= FSHIFT;
    }
    for (std::size_t i = 0; i < accelerators->count; ++i) {
        const ACCEL& entry = accelerators->entries[i];
        // Only virtual-key entries exist in this program; their modifiers must match exactly.
        if ((entry.fVirt & FVIRTKEY) == 0 || entry.key != message->wParam) {
            continue;
        }
        if ((entry.fVirt & (FALT | FCONTROL | FSHIFT)) != held) {
            continue;
        }
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
        return 1;
    }
    return 0;
}
