// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing, checking and playing of show files. Every number is a whole word, and every value is held to
// the stated limits, so that a script cannot ask for more than the renderer can finish.
#include "app/show_script.h"

#include "app/firework_types.h"
#include "app/show_music_lines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// Lines quoted in messages are cut to this many characters.
constexpr std::size_t kQuotedLine = 60;

std::string Quoted(const std::string& line)
{
    std::string text = line;
    const std::size_t last = text.find_last_not_of(" \t\r");
    text.erase(last == std::string::npos ? 0 : last + 1);
    text.erase(0, std::min(text.find_first_not_of(" \t"), text.size()));
    if (text.size() > kQuotedLine) {
        text = text.substr(0, kQuotedLine - 3) + "...";
    }
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = '?';
        }
    }
    return "'" + text + "'";
}

// A word of the script as quoted inside a message, cut when long.
std::string Word(const std::string& word)
{
    constexpr std::size_t kShown = 24;
    return "'" + (word.size() > kShown ? word.substr(0, kShown - 3) + "..." : word) + "'";
}

std::string LineError(int number, const std::string& what, const std::string& line)
{
    return "line " + std::to_string(number) + ": " + what + ": " + Quoted(line);
}

std::string Seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

bool ParseLine(const std::vector<std::string>& words, ScriptEvent& event, std::string& error)
{
    if (words[0] != "at") {
        error = "expected 'at <seconds> launch ...' or 'at <seconds> click'";
        return false;
    }
    double time = 0.0;
    if (words.size() < 2) {
        error = "missing the time after 'at'";
        return false;
    }
    if (!ReadScriptNumber(words[1], time)) {
        error = Word(words[1]) + " is not a time in seconds";
        return false;
    }
    if (time < 0.0 || time > kMaxShowSeconds) {
        error = "time " + Word(words[1]) + " is outside 0 to " + Seconds(kMaxShowSeconds) + " s";
        return false;
    }
    event.time = static_cast<float>(time);
    if (words.size() < 3) {
        error = "missing the action after the time (launch or click)";
        return false;
    }
    const std::string& action = words[2];
    std::size_t used = 3;
    if (action == "click") {
        event.kind = ScriptEvent::Kind::Click;
    } else if (action == "launch") {
        event.kind = ScriptEvent::Kind::Launch;
        if (words.size() < 10) {
            error = "'launch' wants a firework id and six numbers (launch x y z, burst x y z); found " +
                    std::to_string(words.size() - 3) + " values";
            return false;
        }
        double id = 0.0;
        if (!ReadScriptNumber(words[3], id) || id != std::floor(id) || id < 0.0 || id > 1000000.0) {
            error = Word(words[3]) + " is not a firework id";
            return false;
        }
        event.typeId = static_cast<std::int32_t>(id);
        float* values[] = {&event.launch[0], &event.launch[1], &event.launch[2],
                           &event.burst[0],  &event.burst[1],  &event.burst[2]};
        for (int i = 0; i < 6; ++i) {
            double value = 0.0;
            if (!ReadScriptNumber(words[4 + i], value)) {
                error = Word(words[4 + i]) + " is not a number";
                return false;
            }
            if (std::fabs(value) > kMaxCoordinate) {
                error = "coordinate " + Word(words[4 + i]) + " is outside -" + Seconds(kMaxCoordinate) + " to " +
                        Seconds(kMaxCoordinate);
                return false;
            }
            *values[i] = static_cast<float>(value);
        }
        used = 10;
    } else {
        error = "unknown action " + Word(action) + " (use launch or click)";
        return false;
    }
    if (words.size() > used) {
        error = "unexpected " + Word(words[used]) + " at the end of the line";
        return false;
    }
    return true;
}

} // namespace

bool ReadScriptNumber(const std::string& word, double& value)
{
    // from_chars reads no leading plus and no hexadecimal prefix: "0x10" stops after its "0".
    const char* first = word.data() + (!word.empty() && word[0] == '+' ? 1 : 0);
    const char* last = word.data() + word.size();
    if (first == last) {
        return false;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc{} && end == last && std::isfinite(value);
}

bool ParseRenderScript(const std::string& text, RenderScript& script, std::string& error)
{
    script = RenderScript{};
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        script.lines.push_back(line);
        std::string code = line.substr(0, line.find('#'));
        std::istringstream in(code);
        std::vector<std::string> words;
        for (std::string word; in >> word;) {
            words.push_back(word);
        }
        if (words.empty()) {
            continue;
        }
        ScriptEvent event;
        std::string what;
        const MusicLine music = ReadMusicLine(words, script, what);
        if (music == MusicLine::Read) {
            continue;
        }
        if (music == MusicLine::Bad || !BeatsToSeconds(words, script, what) || !ParseLine(words, event, what)) {
            error = LineError(number, what, line);
            return false;
        }
        if (script.events.size() >= static_cast<std::size_t>(kMaxEvents)) {
            error = LineError(number, "more than " + std::to_string(kMaxEvents) + " launches and clicks", line);
            return false;
        }
        event.line = number;
        script.events.push_back(event);
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
    return true;
}

bool CheckRenderScript(const RenderScript& script, double step, const std::function<bool(int)>& isKnownType,
                       std::string& error)
{
    auto lineOf = [&](const ScriptEvent& event) {
        return event.line >= 1 && static_cast<std::size_t>(event.line) <= script.lines.size()
                   ? script.lines[static_cast<std::size_t>(event.line) - 1]
                   : std::string();
    };
    std::map<long long, int> perFrame;
    for (const ScriptEvent& event : script.events) {
        if (event.kind == ScriptEvent::Kind::Launch && !isKnownType(event.typeId)) {
            error = LineError(event.line, "no firework type " + std::to_string(event.typeId), lineOf(event));
            return false;
        }
        // The frame before which the event is dispatched: the first whose end time lies past it.
        const auto frame = static_cast<long long>(std::floor(static_cast<double>(event.time) / step));
        if (++perFrame[frame] > kMaxLaunchesPerFrame) {
            error = LineError(event.line,
                              "more than " + std::to_string(kMaxLaunchesPerFrame) + " launches in the frame at " +
                                  Seconds(static_cast<double>(event.time)) + " s",
                              lineOf(event));
            return false;
        }
    }
    return true;
}

bool ReadShowText(const std::string& text, const FireworkTypeRegistry& kinds, double step, RenderScript& script,
                  std::string& error)
{
    const auto isKnown = [&](int id) { return kinds.Find(id) != nullptr; };
    return ParseRenderScript(text, script, error) && CheckRenderScript(script, step, isKnown, error);
}

bool LoadShowFile(const std::string& path, const FireworkTypeRegistry& kinds, double step, RenderScript& script,
                  std::string& error)
{
    // Only a plain file of sensible size is read: not a folder, a device or a pipe that never ends.
    std::error_code failure;
    const bool plain = std::filesystem::is_regular_file(path, failure);
    const std::uintmax_t size = plain ? std::filesystem::file_size(path, failure) : 0;
    std::ifstream file;
    if (plain && !failure && size <= kMaxShowFileBytes) {
        file.open(path, std::ios::binary);
    }
    if (!file.is_open()) {
        error = path + (plain && size > kMaxShowFileBytes ? ": larger than 4 MiB" : ": cannot read it");
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!ReadShowText(text.str(), kinds, step, script, error)) {
        error = path + ": " + error;
        return false;
    }
    script.music = MusicBesideShow(script.music, path);
    return true;
}

const ScriptEvent* TakeDueEvent(ScriptPlayer& player, const RenderScript& script, double time)
{
    if (script.events.empty()) {
        return nullptr;
    }
    if (player.next >= script.events.size()) {
        if (!player.loop) {
            return nullptr;
        }
        const double length = static_cast<double>(script.events.back().time) + kShowLoopGap;
        if (time < player.start + length) {
            return nullptr;
        }
        player.start += length;
        player.next = 0;
    }
    const ScriptEvent& event = script.events[player.next];
    if (player.start + static_cast<double>(event.time) > time) {
        return nullptr;
    }
    ++player.next;
    return &event;
}
