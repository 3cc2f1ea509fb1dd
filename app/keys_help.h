// SPDX-License-Identifier: GPL-3.0-or-later
// The keys of the current mode as text over the picture, shown on F1 or ? beyond the plain show.
#pragma once

#include <cstddef>

#include "platform/d3d8/d3d8.h"

class BitmapFont;

// Room for the text of the fullest mode (the automatic show with sound), its terminator included.
constexpr std::size_t KeysHelpSize = 640;

// The keys of the show, with the automatic show's and the sound's when they are on, into text.
void FormatKeysHelp(char (&text)[KeysHelpSize], bool autoKeys, bool soundKeys);

// The text below the status lines. Depth writes on and blending off first, as the status text
// leaves them for the next frame's sea. Drawing failures are ignored.
void DrawKeysHelp(IDirect3DDevice8* device, BitmapFont& font, const char* text);
