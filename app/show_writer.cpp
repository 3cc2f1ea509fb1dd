// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a planned show as show-file text.
#include "app/show_writer.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "shells/rising_shell.h"

std::string ShowFileText(const std::vector<ScriptEvent>& events, const MusicAnalysis& analysis,
                         const std::string& music)
{
    std::string text = "# Planned from the music: each shell bursts on a beat (launch = beat - climb - one frame,\n"
                       "# the climb half a second per unit of burst height). Edit freely; see docs/show-files.md.\n";
    text += "music " + music + "\n";
    char line[256];
    if (analysis.tempo > 0.0 && !analysis.beats.empty()) {
        std::snprintf(line, sizeof line, "tempo %.3f at %.4f\n", analysis.tempo, analysis.beats.front().time);
        text += line;
    }
    for (const ScriptEvent& e : events) {
        // To the microsecond, so that the file read back launches in the very frames of the plan.
        const double launch = static_cast<double>(e.microseconds) / 1e6;
        const double burst = launch +
                             static_cast<double>(RisingShellClimbSeconds(e.launch[1], e.burst[1]));
        std::snprintf(line, sizeof line, "at %.6f launch %d %g %g %g  %g %g %g   # bursts at %.3f\n",
                      launch, e.typeId, static_cast<double>(e.launch[0]),
                      static_cast<double>(e.launch[1]), static_cast<double>(e.launch[2]),
                      static_cast<double>(e.burst[0]), static_cast<double>(e.burst[1]),
                      static_cast<double>(e.burst[2]), burst);
        text += line;
    }
    return text;
}

bool WriteShowFile(const std::string& path, const std::vector<ScriptEvent>& events, const MusicAnalysis& analysis,
                   const std::string& musicPath, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code failure;
    const fs::path folder = fs::absolute(path, failure).parent_path();
    const fs::path music = fs::absolute(musicPath, failure);
    fs::path relative = music.lexically_relative(folder);
    if (relative.empty()) {
        relative = music;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << ShowFileText(events, analysis, relative.string());
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
