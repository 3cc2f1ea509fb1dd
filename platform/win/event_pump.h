// SPDX-License-Identifier: GPL-3.0-or-later
// The window system's one reader of SDL's events: each is decoded into an InputEvent for whoever
// pumps (the message queue, or a menu loop while it runs). Window thread only.
#pragma once

#include "platform/win/input_event.h"

// The next waiting event; false when none waits or video has not started.
bool PollInputEvent(InputEvent* event);

// Waits for the next event, at most timeoutMs milliseconds (negative: without limit); false when
// none came in time or waiting failed.
bool WaitInputEvent(InputEvent* event, int timeoutMs);
