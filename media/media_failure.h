// SPDX-License-Identifier: GPL-3.0-or-later
// Media failures in words for people: which file, and why (missing, unreadable, not a valid image or
// X file and what is wrong with it). The loading functions keep their result codes; a caller that
// reports a failure (the renderer, the show's error box) reads the text here.
#pragma once

#include <string>

// The last media failure of this thread: "cannot load Star.bmp: not found (looked in /home/me and
// /usr/share/fireworks/Media/)". Only a missing file names the folders looked in. "" when no load has
// failed on this thread.
std::string MediaFailureText();
