// SPDX-License-Identifier: GPL-3.0-or-later
// Threads as the show's code starts them, and sleeping.
#pragma once

#include <cstdint>

#include "platform/base/win_types.h"

// Starts a thread running start(argument); returns a handle (never 0 on success, -1 on failure).
// The thread must be joined with JoinThread before the process ends.
std::uintptr_t _beginthread(void (*start)(void*), unsigned stackSize, void* argument);
// Waits for a thread started by _beginthread to end and frees its handle; false for an unknown handle
// or the calling thread's own.
bool JoinThread(std::uintptr_t handle);
void Sleep(DWORD milliseconds);
