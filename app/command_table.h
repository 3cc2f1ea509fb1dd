// SPDX-License-Identifier: GPL-3.0-or-later
// Named keyboard commands and their key bindings: a one-shot command runs when its key is released,
// a repeat command in every frame while its key is held.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/window_messages.h"

using CommandHandler = void (*)();

struct CommandEntry {
    std::string name;
    // 0 one-shot, 1 repeat.
    std::int32_t repeat = 0;
    CommandHandler handler = nullptr;
};

struct KeyBinding {
    std::int32_t key = 0;
    // Index into the table's commands: the array may move, the command's place in it does not.
    std::int32_t command = 0;
};

class CommandTable {
public:
    void AddCommand(const char* name, std::int32_t repeat, CommandHandler handler);
    // Gives the first command of that name its handler; false when there is none.
    bool SetHandler(const char* name, CommandHandler handler);
    // Binds key to the first command of that name; false (and nothing bound) when there is none.
    // A key already bound in the command's list (one-shot or repeat) is re-pointed, not added again.
    bool BindKey(std::int32_t key, const char* name);
    // WM_KEYDOWN marks the key held; WM_KEYUP clears it and runs the one-shot commands bound to it.
    void DispatchKey(UINT message, WPARAM key);
    // Runs the repeat commands whose keys are held; once per frame.
    void PollHeldKeys();

    const CommandEntry* BoundCommand(const KeyBinding& binding) const { return &commands[binding.command]; }

    std::vector<CommandEntry> commands;
    std::int32_t commandCount = 0;
    std::vector<KeyBinding> oneShotBindings;
    std::int32_t oneShotCount = 0;
    std::vector<KeyBinding> repeatBindings;
    std::int32_t repeatCount = 0;
    // Written by the window thread, read by the frame on the render thread.
    std::atomic<std::uint8_t> keyState[256] = {};

private:
    // The first command of that name, or -1.
    std::int32_t IndexOf(const char* name) const;
};

// What the five acting commands do; every other command of the show does nothing.
struct ShowCommandActions {
    CommandHandler cameraNext = nullptr;
    CommandHandler cameraPrev = nullptr;
    CommandHandler statusToggle = nullptr;
    CommandHandler fullScreenToggle = nullptr;
    CommandHandler quit = nullptr;
};

// The show's 81 commands in their fixed order, then the default bindings F2, Esc, Space, V and T.
void RegisterShowCommands(CommandTable& table, const ShowCommandActions& actions);
