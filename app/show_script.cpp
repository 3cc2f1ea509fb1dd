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
#include <sstream>

namespace {

// Lines quoted in messages are cut to this many characters, words to fewer.
constexpr std::size_t kQuotedLine = 60;
constexpr std::size_t kQuotedWord = 24;

// The UTF-8 byte-order mark some editors write at the start of a file.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The length of the well-formed UTF-8 sequence at text[at] that is no control character, or 0.
std::size_t PrintableSequence(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead >= 0x20 && lead < 0x7F) {
        return 1;
    }
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4                                ? 4
                                                                                             : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = at + 1; i < at + length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // U+0080 to U+009F are the C1 controls, which some terminals obey.
    return lead == 0xC2 && byte(at + 1) < 0xA0 ? 0 : length;
}

std::string Escaped(const std::string& text)
{
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = PrintableSequence(text, at);
        if (length > 0) {
            shown.append(text, at, length);
            at += length;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(text[at]));
            shown += code;
            ++at;
        }
    }
    return shown;
}

std::string Quoted(const std::string& line)
{
    std::string text = line;
    const std::size_t last = text.find_last_not_of(" \t\r");
    text.erase(last == std::string::npos ? 0 : last + 1);
    text.erase(0, std::min(text.find_first_not_of(" \t"), text.size()));
    if (text.size() > kQuotedLine) {
        text = text.substr(0, kQuotedLine - 3) + "...";
    }
    return "'" + Escaped(text) + "'";
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

// The words of a line before its comment, split at spaces and tabs.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    const std::string code = line.substr(0, line.find('#'));
    std::size_t at = 0;
    while ((at = code.find_first_not_of(" \t\r\v\f", at)) != std::string::npos) {
        const std::size_t end = std::min(code.find_first_of(" \t\r\v\f", at), code.size());
        words.push_back(code.substr(at, end - at));
        at = end;
    }
    return words;
}

// The words after 'at SECONDS launch': a firework id and the launch and burst points.
bool ReadLaunch(const std::vector<std::string>& words, ScriptEvent& event, std::string& error)
{
    event.kind = ScriptEvent::Kind::Launch;
    if (words.size() < 10) {
        error = "'launch' wants a firework id and six numbers (launch x y z, burst x y z); found " +
                std::to_string(words.size() - 3) + " values";
        return false;
    }
    double id = 0.0;
    if (!ReadScriptNumber(words[3], id) || id != std::floor(id) || id < 0.0 || id > 1000000.0) {
        error = QuotedWord(words[3]) + " is not a firework id";
        return false;
    }
    event.typeId = static_cast<std::int32_t>(id);
    float* values[] = {&event.launch[0], &event.launch[1], &event.launch[2],
                       &event.burst[0],  &event.burst[1],  &event.burst[2]};
    for (int i = 0; i < 6; ++i) {
        double value = 0.0;
        if (!ReadScriptNumber(words[4 + i], value)) {
            error = QuotedWord(words[4 + i]) + " is not a number";
            return false;
        }
        if (std::fabs(value) > kMaxCoordinate) {
            error = "coordinate " + QuotedWord(words[4 + i]) + " is outside -" + Seconds(kMaxCoordinate) + " to " +
                    Seconds(kMaxCoordinate);
            return false;
        }
        *values[i] = static_cast<float>(value);
    }
    return true;
}

// The words after 'at SECONDS click': none.
bool ReadClick(const std::vector<std::string>&, ScriptEvent& event, std::string&)
{
    event.kind = ScriptEvent::Kind::Click;
    return true;
}

// The actions of 'at' lines, each with its reader and the number of words its line holds.
struct Action {
    const char* name;
    bool (*read)(const std::vector<std::string>& words, ScriptEvent& event, std::string& error);
    std::size_t words;
};
constexpr Action kActions[] = {
    {"launch", ReadLaunch, 10},
    {"click", ReadClick, 3},
};

// 'at SECONDS ACTION ...': the time, then the action's own words.
bool ReadEventLine(const std::vector<std::string>& words, ScriptEvent& event, std::string& error)
{
    double time = 0.0;
    if (words.size() < 2) {
        error = "missing the time after 'at'";
        return false;
    }
    if (!ReadScriptNumber(words[1], time)) {
        error = QuotedWord(words[1]) + " is not a time in seconds";
        return false;
    }
    if (time < 0.0 || time > kMaxShowSeconds) {
        error = "time " + QuotedWord(words[1]) + " is outside 0 to " + Seconds(kMaxShowSeconds) + " s";
        return false;
    }
    SetScriptEventTime(event, time);
    if (words.size() < 3) {
        error = "missing the action after the time (launch or click)";
        return false;
    }
    for (const Action& action : kActions) {
        if (words[2] == action.name) {
            if (!action.read(words, event, error)) {
                return false;
            }
            if (words.size() > action.words) {
                error = "unexpected " + QuotedWord(words[action.words]) + " at the end of the line";
                return false;
            }
            return true;
        }
    }
    error = "unknown action " + QuotedWord(words[2]) + " (use launch or click)";
    return false;
}

} // namespace

std::string QuotedWord(const std::string& word)
{
    return "'" + Escaped(word.size() > kQuotedWord ? word.substr(0, kQuotedWord - 3) + "..." : word) + "'";
}

long long ScriptEventFrame(const ScriptEvent& event, double step)
{
    const long long stepMicroseconds = std::max(1LL, std::llround(step * 1e6));
    return event.microseconds / stepMicroseconds;
}

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

void SetScriptEventTime(ScriptEvent& event, double seconds)
{
    event.microseconds = std::llround(seconds * 1e6);
}

ShowReader::ShowReader(RenderScript& script) : script_(script)
{
    script_ = RenderScript{};
}

bool ShowReader::AddLine(const std::string& text, std::string& error)
{
    ++number_;
    const bool marked = number_ == 1 && text.rfind(kByteOrderMark, 0) == 0;
    const std::string line = marked ? text.substr(sizeof kByteOrderMark - 1) : text;
    std::vector<std::string> words = Words(line);
    if (words.empty()) {
        return true;
    }
    // Each kind of line, named by its first word, has its own reader.
    std::string what;
    const MusicLine music = ReadMusicLine(words, script_, what);
    if (music != MusicLine::NotOne) {
        if (music == MusicLine::Bad) {
            error = LineError(number_, what, line);
        }
        return music == MusicLine::Read;
    }
    if (words[0] == "at") {
        if (!BeatsToSeconds(words, script_, what)) {
            error = LineError(number_, what, line);
            return false;
        }
        return AddEvent(words, line, error);
    }
    error = LineError(number_, "expected 'at <seconds> launch ...' or 'at <seconds> click'", line);
    return false;
}

bool ShowReader::AddEvent(const std::vector<std::string>& words, const std::string& line, std::string& error)
{
    ScriptEvent event;
    std::string what;
    if (!ReadEventLine(words, event, what)) {
        error = LineError(number_, what, line);
        return false;
    }
    if (script_.events.size() >= static_cast<std::size_t>(kMaxEvents)) {
        error = LineError(number_, "more than " + std::to_string(kMaxEvents) + " launches and clicks", line);
        return false;
    }
    event.line = number_;
    script_.events.push_back(event);
    script_.lines.emplace(number_, line);
    return true;
}

void ShowReader::Finish()
{
    std::stable_sort(script_.events.begin(), script_.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.microseconds < b.microseconds; });
}

bool ParseRenderScript(const std::string& text, RenderScript& script, std::string& error)
{
    ShowReader reader(script);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!reader.AddLine(line, error)) {
            return false;
        }
    }
    reader.Finish();
    return true;
}

bool CheckRenderScript(const RenderScript& script, double step, const std::function<bool(int)>& isKnownType,
                       std::string& error)
{
    auto lineOf = [&](const ScriptEvent& event) {
        const auto found = script.lines.find(event.line);
        return found != script.lines.end() ? found->second : std::string();
    };
    std::map<long long, int> perFrame;
    for (const ScriptEvent& event : script.events) {
        if (event.kind == ScriptEvent::Kind::Launch && !isKnownType(event.typeId)) {
            error = LineError(event.line, "no firework type " + std::to_string(event.typeId), lineOf(event));
            return false;
        }
        if (++perFrame[ScriptEventFrame(event, step)] > kMaxLaunchesPerFrame) {
            error = LineError(event.line,
                              "more than " + std::to_string(kMaxLaunchesPerFrame) + " launches in the frame at " +
                                  Seconds(static_cast<double>(event.Seconds())) + " s",
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
    const std::string shownPath = Escaped(path);
    if (!file.is_open()) {
        error = shownPath + (plain && size > kMaxShowFileBytes ? ": larger than 4 MiB" : ": cannot read it");
        return false;
    }
    // A line at a time, keeping only the events: a file of blank lines costs nothing.
    ShowReader reader(script);
    std::uintmax_t read = 0;
    for (std::string line; std::getline(file, line);) {
        read += line.size() + 1;
        // The file may grow while it is read; the limit holds for what is read.
        if (read > kMaxShowFileBytes + 1) {
            error = shownPath + ": larger than 4 MiB";
            return false;
        }
        if (!reader.AddLine(line, error)) {
            error = shownPath + ": " + error;
            return false;
        }
    }
    if (file.bad()) {
        error = shownPath + ": cannot read it";
        return false;
    }
    reader.Finish();
    const auto isKnown = [&](int id) { return kinds.Find(id) != nullptr; };
    if (!CheckRenderScript(script, step, isKnown, error)) {
        error = shownPath + ": " + error;
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
        const double length = static_cast<double>(script.events.back().Seconds()) + kShowLoopGap;
        if (time < player.start + length) {
            return nullptr;
        }
        player.start += length;
        player.next = 0;
    }
    const ScriptEvent& event = script.events[player.next];
    if (player.start + static_cast<double>(event.Seconds()) > time) {
        return nullptr;
    }
    ++player.next;
    return &event;
}
