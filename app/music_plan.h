// SPDX-License-Identifier: GPL-3.0-or-later
// What both programs do with a music file before the show: decode it, listen to it (with a progress
// line on terminals and a note for music without a beat), and plan the show as a script.
#pragma once

#include <cstdint>
#include <string>

#include "app/show_script.h"
#include "music/music_analysis.h"
#include "music/music_decoder.h"

// Decodes and analyses path; false with "PATH: why" in error. program prefixes the lines on stderr.
bool ListenToMusic(const std::string& path, const char* program, MusicAudio& audio, MusicAnalysis& analysis,
                   std::string& error);

// The planned show as a script naming the music, for frames of frameStep seconds.
RenderScript PlannedShow(const MusicAnalysis& analysis, std::uint32_t seed, double frameStep,
                         const std::string& musicPath);
