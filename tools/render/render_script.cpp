// Parsing of renderer scripts.
#include "tools/render/render_script.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

bool ReadFloat(std::istringstream& in, float& value)
{
    double v = 0.0;
    if (!(in >> v) || !std::isfinite(v)) {
        return false;
    }
    value = static_cast<float>(v);
    return true;
}

bool ParseLine(const std::string& line, ScriptEvent& event, std::string& error)
{
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word != "at") {
        error = "expected 'at <seconds> launch ...' or 'at <seconds> click'";
        return false;
    }
    if (!ReadFloat(in, event.time) || event.time < 0.0f) {
        error = "expected a time in seconds, 0 or more, after 'at'";
        return false;
    }
    in >> word;
    if (word == "click") {
        event.kind = ScriptEvent::Kind::Click;
    } else if (word == "launch") {
        event.kind = ScriptEvent::Kind::Launch;
        long long id = 0;
        if (!(in >> id) || id < 0 || id > 1000000) {
            error = "expected a firework type id after 'launch'";
            return false;
        }
        event.typeId = static_cast<std::int32_t>(id);
        for (float* v : {&event.launch[0], &event.launch[1], &event.launch[2], &event.burst[0], &event.burst[1],
                         &event.burst[2]}) {
            if (!ReadFloat(in, *v)) {
                error = "expected six numbers after the id: launch x y z, burst x y z";
                return false;
            }
        }
    } else {
        error = "unknown action '" + word + "' (use launch or click)";
        return false;
    }
    std::string rest;
    if (in >> rest) {
        error = "unexpected '" + rest + "' at the end of the line";
        return false;
    }
    return true;
}

} // namespace

bool ParseRenderScript(const std::string& text, RenderScript& script, std::string& error)
{
    script.events.clear();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
        }
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        ScriptEvent event;
        std::string what;
        if (!ParseLine(line, event, what)) {
            error = "line " + std::to_string(number) + ": " + what;
            return false;
        }
        script.events.push_back(event);
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
    return true;
}
