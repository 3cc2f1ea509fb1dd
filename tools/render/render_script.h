// The little script the headless renderer follows: what to launch, and when.
//
//   # comment
//   at 0.5 launch 3004 0 0 0  0.5 4 -0.5   launch firework type 3004 from (0,0,0), burst at (0.5,4,-0.5)
//   at 1.0 click                           a click: LaunchRandomFirework
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScriptEvent {
    enum class Kind { Launch, Click };

    Kind kind = Kind::Click;
    float time = 0.0f;
    std::int32_t typeId = 0;
    float launch[3] = {};
    float burst[3] = {};
};

struct RenderScript {
    // Sorted by time; events of equal time keep their order in the text.
    std::vector<ScriptEvent> events;
};

// Parses the script text. On a malformed line returns false with "line N: what is wrong" in error.
bool ParseRenderScript(const std::string& text, RenderScript& script, std::string& error);
