// SPDX-License-Identifier: GPL-3.0-or-later
// Composing and drawing the keys help.
#include "app/keys_help.h"

#include <cstdio>

#include "media/bitmap_font.h"

namespace {

// The status text's font is proportional: a dash, not columns, sets each key off from what it does.
constexpr char CommonKeys[] =
    "Keys (F1 or ? to hide)\n"
    "left click - launch a firework\n"
    "V - next camera (free, orbit, figure eight)\n"
    "W S, arrows - fly the free camera (E Q turn, Z A pitch)\n"
    "T - status text on or off\n"
    "F2 - full-screen on or off\n";
constexpr char AutoKeys[] =
    "O - automatic launches on or off (I on, K off)\n"
    "+ more launches, - fewer launches\n"
    "P or Pause - stop or restart the show's time\n";
constexpr char SoundKeys[] = "N - sound off or on\n";
constexpr char LastKey[] = "Esc - quit";

static_assert(sizeof CommonKeys + sizeof AutoKeys + sizeof SoundKeys + sizeof LastKey <= KeysHelpSize,
              "the fullest keys help must fit its buffer");

} // namespace

void FormatKeysHelp(char (&text)[KeysHelpSize], bool autoKeys, bool soundKeys)
{
    std::snprintf(text, sizeof text, "%s%s%s%s", CommonKeys, autoKeys ? AutoKeys : "", soundKeys ? SoundKeys : "",
                  LastKey);
}

void DrawKeysHelp(IDirect3DDevice8* device, BitmapFont& font, const char* text)
{
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    // Below the status lines, in the status text's yellow.
    font.DrawString(12.0f, 48.0f, 0xFFFFFF00, text, 0);
}
