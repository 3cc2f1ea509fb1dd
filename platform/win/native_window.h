// SPDX-License-Identifier: GPL-3.0-or-later
// Checks on native windows handed to this layer from outside, kept apart from the window code so
// that the native headers' names stay out of it.
#pragma once

#include <cstdint>

// Whether the native window exists on the display (an X window id). Where there is no such check,
// true: the adoption itself then has the last word.
bool NativeWindowExists(std::uint64_t nativeWindow);
