// SPDX-License-Identifier: GPL-3.0-or-later
// Plain words for the result codes an X file can produce, for messages to people.
#pragma once

#include "platform/base/win_types.h"

// A short description such as "file not found"; "unknown error" for codes it does not know.
const char* ResultText(HRESULT result);
