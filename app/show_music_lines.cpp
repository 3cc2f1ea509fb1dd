// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the music, tempo and beat-time words of show files.
#include "app/show_music_lines.h"

#include <cstdio>
#include <filesystem>

#include "app/show_script.h"

namespace {

constexpr double kMinTempo = 20.0;
constexpr double kMaxTempo = 400.0;

} // namespace

MusicLine ReadMusicLine(const std::vector<std::string>& words, RenderScript& script, std::string& error)
{
    if (words[0] == "music") {
        if (words.size() < 2) {
            error = "'music' wants a file name";
            return MusicLine::Bad;
        }
        // The name is the rest of the line, spaces included.
        std::string name = words[1];
        for (std::size_t i = 2; i < words.size(); ++i) {
            name += " " + words[i];
        }
        script.music = name;
        return MusicLine::Read;
    }
    if (words[0] != "tempo") {
        return MusicLine::NotOne;
    }
    double bpm = 0.0;
    double start = 0.0;
    const bool shape = words.size() == 2 || (words.size() == 4 && words[2] == "at");
    if (!shape || !ReadScriptNumber(words[1], bpm) || (words.size() == 4 && !ReadScriptNumber(words[3], start))) {
        error = "expected 'tempo <beats a minute>' or 'tempo <beats a minute> at <seconds>'";
        return MusicLine::Bad;
    }
    if (bpm < kMinTempo || bpm > kMaxTempo || start < 0.0 || start > kMaxShowSeconds) {
        error = "the tempo wants 20 to 400 beats a minute, starting within the show";
        return MusicLine::Bad;
    }
    script.tempo = bpm;
    script.tempoStart = start;
    return MusicLine::Read;
}

bool BeatsToSeconds(std::vector<std::string>& words, const RenderScript& script, std::string& error)
{
    if (words.size() < 2 || words[0] != "at") {
        return true;
    }
    const std::string& word = words[1];
    const std::size_t b = word.find('b');
    if (b == std::string::npos) {
        return true;
    }
    double beat = 0.0;
    double offset = 0.0;
    const std::string rest = word.substr(b + 1);
    if (!ReadScriptNumber(word.substr(0, b), beat) ||
        (!rest.empty() && ((rest[0] != '+' && rest[0] != '-') || !ReadScriptNumber(rest, offset)))) {
        error = "'" + word.substr(0, 24) + "' is not a time in beats (such as 16b, 16.5b or 16b-2)";
        return false;
    }
    if (!(script.tempo > 0.0)) {
        error = "a time in beats needs a 'tempo' line before it";
        return false;
    }
    char seconds[48];
    std::snprintf(seconds, sizeof seconds, "%.6f", script.tempoStart + beat * 60.0 / script.tempo + offset);
    words[1] = seconds;
    return true;
}

std::string MusicBesideShow(const std::string& music, const std::string& showPath)
{
    const std::filesystem::path path(music);
    if (music.empty() || path.is_absolute()) {
        return music;
    }
    return (std::filesystem::path(showPath).parent_path() / path).lexically_normal().string();
}
