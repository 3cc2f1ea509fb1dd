// SPDX-License-Identifier: GPL-3.0-or-later
// The command table, and the show's command vocabulary with its default bindings.
#include "app/command_table.h"

#include <cstring>

#include "platform/win/window_messages.h"

void CommandTable::AddCommand(const char* name, std::int32_t repeat, CommandHandler handler)
{
    CommandEntry entry;
    entry.name = name != nullptr ? name : "";
    entry.repeat = repeat;
    entry.handler = handler;
    commands.push_back(std::move(entry));
    commandCount = static_cast<std::int32_t>(commands.size());
}

std::int32_t CommandTable::IndexOf(const char* name) const
{
    if (name == nullptr) {
        return -1;
    }
    for (std::int32_t i = 0; i < commandCount; ++i) {
        if (std::strcmp(commands[i].name.c_str(), name) == 0) {
            return i;
        }
    }
    return -1;
}

bool CommandTable::SetHandler(const char* name, CommandHandler handler)
{
    const std::int32_t found = IndexOf(name);
    if (found < 0) {
        return false;
    }
    commands[found].handler = handler;
    return true;
}

bool CommandTable::BindKey(std::int32_t key, const char* name)
{
    const std::int32_t found = IndexOf(name);
    if (found < 0) {
        return false;
    }
    const bool repeat = commands[found].repeat != 0;
    std::vector<KeyBinding>& bindings = repeat ? repeatBindings : oneShotBindings;
    for (KeyBinding& binding : bindings) {
        if (binding.key == key) {
            binding.command = found;
            return true;
        }
    }
    bindings.push_back({key, found});
    (repeat ? repeatCount : oneShotCount) = static_cast<std::int32_t>(bindings.size());
    return true;
}

void CommandTable::DispatchKey(UINT message, WPARAM key)
{
    if (key > 255) {
        return;
    }
    if (message == WM_KEYDOWN) {
        keyState[key].store(1, std::memory_order_relaxed);
    } else if (message == WM_KEYUP) {
        keyState[key].store(0, std::memory_order_relaxed);
        for (const KeyBinding& binding : oneShotBindings) {
            if (binding.key == static_cast<std::int32_t>(key)) {
                commands[binding.command].handler();
            }
        }
    }
}

void CommandTable::PollHeldKeys()
{
    for (const KeyBinding& binding : repeatBindings) {
        if (binding.key >= 0 && binding.key <= 255 && keyState[binding.key].load(std::memory_order_relaxed) != 0) {
            commands[binding.command].handler();
        }
    }
}

namespace {

void DoNothing() {}

// Registration order matters: lookups take the first command of a name, and two names repeat.
constexpr const char* CommandNames[81] = {
    "Launch", "AutoToggle", "AutoOn", "AutoOff", "CameraNext", "CameraPrev", "StatusToggle", "Foreward",
    "Backward", "TurnLeft", "TurnRight", "Up", "Down", "PitchUp", "PitchDown", "Left", "Right", "BankRight",
    "BankLeft", "ResetEye", "DetailNext", "DetailPrev", "DetailHigh", "DetailLow", "LaunchRateUp",
    "LaunchRateDown", "Macro0", "Macro1", "Macro2", "Macro3", "Macro4", "Macro5", "Macro6", "Macro7", "Macro8",
    "Macro9", "MacroPause", "FullScreenToggle", "FullScreen", "Window", "SoundToggle", "SoundOn", "SoundOff",
    "MessageToggle", "MessageOn", "MessageOff", "Configure", "CameraTypeVisitor", "CameraTypeHeli1",
    "CameraTypeHeli2", "CameraTypeHeli3", "CameraTypeSatelite", "CameraTypeFree", "CameraTypeFreeAt",
    "CameraTypeUser0", "CameraTypeUser1", "CameraTypeUser2", "CameraTypeUser3", "CameraTypeUser4",
    "CameraTypeUser5", "CameraTypeUser6", "CameraTypeUser7", "CameraTypeUser8", "CameraTypeUser9", "GroundNext",
    "GroundPrev", "DetailNext", "DetailPrev", "DetailTextureToggle", "DetailStarNumToggle", "DetailLightToggle",
    "DetailSmokeToggle", "DetailWaterToggle", "DetailSkyToggle", "DetailAAToggle", "Pause", "SpeedStep",
    "SpeedSlow", "SpeedFast", "SpeedNormal", "Quit",
};

CommandHandler OrNothing(CommandHandler handler)
{
    return handler != nullptr ? handler : &DoNothing;
}

} // namespace

void RegisterShowCommands(CommandTable& table, const ShowCommandActions& actions)
{
    for (int i = 0; i < 81; ++i) {
        const int order = i + 1;
        // The flying commands are the only repeat ones; the free camera reads its keys directly instead.
        const std::int32_t repeat = order >= 8 && order <= 19 ? 1 : 0;
        CommandHandler handler = &DoNothing;
        switch (order) {
        case 5:
            handler = OrNothing(actions.cameraNext);
            break;
        case 6:
            handler = OrNothing(actions.cameraPrev);
            break;
        case 7:
            handler = OrNothing(actions.statusToggle);
            break;
        case 38:
            handler = OrNothing(actions.fullScreenToggle);
            break;
        case 81:
            handler = OrNothing(actions.quit);
            break;
        default:
            break;
        }
        table.AddCommand(CommandNames[i], repeat, handler);
    }
    table.BindKey(VK_F2, "FullScreenToggle");
    table.BindKey(VK_ESCAPE, "Quit");
    table.BindKey(VK_SPACE, "Launch");
    table.BindKey('V', "CameraNext");
    table.BindKey('T', "StatusToggle");
}
