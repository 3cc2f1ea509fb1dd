// SPDX-License-Identifier: GPL-3.0-or-later
// For the person at the screen, beyond the plain show: F1 or ? shows the keys of the mode.
#include "app/show_app.h"

#include "app/show_trace.h"

namespace {

void KeysHelpToggleCommand()
{
    ShowApp& show = *static_cast<ShowApp*>(AppFramework::Instance());
    EnterCriticalSection(&show.RenderLock);
    show.keysVisible = !show.keysVisible;
    const bool visible = show.keysVisible;
    if (visible) {
        // Composed here, on the window thread: the frame only draws it.
        FormatKeysHelp(show.keysText, show.autoMode, show.audio != nullptr);
    }
    LeaveCriticalSection(&show.RenderLock);
    ShowTrace("keys %s", visible ? "on" : "off");
}

} // namespace

void ShowApp::EnableKeysHelp()
{
    // A command of its own after the show's vocabulary, so the plain show's table stays as it is.
    commands.AddCommand("KeysHelpToggle", 0, &KeysHelpToggleCommand);
    commands.BindKey(VK_F1, "KeysHelpToggle");
    // The key that types ? on the usual layouts, with or without Shift.
    commands.BindKey(VK_OEM_2, "KeysHelpToggle");
}
