// SPDX-License-Identifier: GPL-3.0-or-later
// The planned show written as an ordinary show file: a 'music' line, the tempo, and one launch a line
// with the beat its burst lands on in a comment, for editing by hand.
#pragma once

#include <string>
#include <vector>

#include "app/show_script.h"
#include "music/music_analysis.h"

// The show file's text; music is written as given.
std::string ShowFileText(const std::vector<ScriptEvent>& events, const MusicAnalysis& analysis,
                         const std::string& music);

// Writes the show file at path, naming the music relative to the file's folder where it can;
// false with "cannot write PATH" in error.
bool WriteShowFile(const std::string& path, const std::vector<ScriptEvent>& events, const MusicAnalysis& analysis,
                   const std::string& musicPath, std::string& error);
