// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a show file that tie it to music:
//
//   music song.ogg          the music to play with the show (relative to the show file)
//   tempo 128 at 0.42       128 beats a minute, beat 0 at 0.42 s: from here on times may be in beats
//   at 16b launch ...       at beat 16;  at 16b-2 launch ...  two seconds before beat 16
#pragma once

#include <string>
#include <vector>

struct RenderScript;

enum class MusicLine { NotOne, Read, Bad };

// Reads a 'music' or 'tempo' line into script; Bad with the reason in error.
MusicLine ReadMusicLine(const std::vector<std::string>& words, RenderScript& script, std::string& error);

// Turns a time in beats after 'at' (words[1]) into seconds on the script's tempo; false with the reason
// for a malformed one or one without a tempo. Other words are left alone.
bool BeatsToSeconds(std::vector<std::string>& words, const RenderScript& script, std::string& error);

// A relative music path is taken from the show file's folder.
std::string MusicBesideShow(const std::string& music, const std::string& showPath);
