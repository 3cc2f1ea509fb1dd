// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding, listening and planning, with what the user sees of it on standard error.
#include "app/music_plan.h"

#include <cstdio>

#include <unistd.h>

#include "app/choreography.h"

bool ListenToMusic(const std::string& path, const char* program, MusicAudio& audio, MusicAnalysis& analysis,
                   std::string& error)
{
    if (!DecodeMusic(path, audio, error)) {
        return false;
    }
    const bool terminal = isatty(fileno(stderr)) != 0;
    int shown = -1;
    const auto progress = [&](double part) {
        const int percent = static_cast<int>(part * 100.0);
        if (terminal && percent / 5 != shown / 5) {
            shown = percent;
            std::fprintf(stderr, "\r%s: listening to the music: %3d%%", program, percent);
            std::fflush(stderr);
        }
    };
    analysis = AnalyseMusic(audio.Mono(), audio.sampleRate, progress);
    if (terminal) {
        std::fprintf(stderr, "\r%60s\r", "");
    }
    if (analysis.beatless) {
        std::fprintf(stderr, "%s: %s: %s; the show goes on quietly, a shell every %g s\n", program, path.c_str(),
                     analysis.silent ? "silent" : "no steady beat heard", kBeatlessSpacing);
    }
    return true;
}

RenderScript PlannedShow(const MusicAnalysis& analysis, std::uint32_t seed, double frameStep,
                         const std::string& musicPath)
{
    RenderScript script;
    script.events = ChoreographShow(analysis, seed, frameStep);
    script.music = musicPath;
    script.tempo = analysis.tempo;
    script.tempoStart = analysis.beats.empty() ? 0.0 : analysis.beats.front().time;
    return script;
}
