// SPDX-License-Identifier: GPL-3.0-or-later
// The process entry shared by every program on the framework: start-up, the message loop, and the
// exit code once the render thread has ended.
#pragma once

#include "framework/app_framework.h"

// 0 after a normal close; 1 when start-up failed or the program ended because of a failure.
int RunApplication(AppFramework& app, HINSTANCE instance);
