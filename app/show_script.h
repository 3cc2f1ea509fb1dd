// SPDX-License-Identifier: GPL-3.0-or-later
// Show files: the little script language that says what to launch, and when. The show plays them
// on its own clock and the headless renderer draws them frame by frame.
//
//   # comment
//   at 0.5 launch 3004 0 0 0  0.5 4 -0.5   launch firework type 3004 from (0,0,0), burst at (0.5,4,-0.5)
//   at 1.0 click                           a click: LaunchRandomFirework
//
// A script is held to what a player can finish: the limits below are stated in the --help texts.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FireworkTypeRegistry;

// Times of events and lengths of shows, in seconds.
constexpr double kMaxShowSeconds = 3600.0;
// The time step of a frame.
constexpr double kMinStep = 0.001;
constexpr double kMaxStep = 1.0;
constexpr double kMaxFrames = 100000;
// Launches and clicks in one frame, and in a whole script.
constexpr int kMaxLaunchesPerFrame = 1000;
constexpr int kMaxEvents = 10000;
// Larger show files are refused.
constexpr std::uintmax_t kMaxShowFileBytes = 4u << 20;
// Launch and burst points stay within this distance of the origin on each axis.
constexpr double kMaxCoordinate = 1000.0;

struct ScriptEvent {
    enum class Kind { Launch, Click };

    Kind kind = Kind::Click;
    // The time in whole microseconds, as written: the frame an event falls in is counted from it.
    std::int64_t microseconds = 0;
    std::int32_t typeId = 0;
    float launch[3] = {};
    float burst[3] = {};
    // Where the event stands in the script, for messages.
    int line = 0;

    float Seconds() const { return static_cast<float>(static_cast<double>(microseconds) / 1e6); }
};

struct RenderScript {
    // Sorted by time; events of equal time keep their order in the text.
    std::vector<ScriptEvent> events;
    // The text of each line that holds an event, by line number, for messages.
    std::map<int, std::string> lines;
    // The music named by a 'music' line (relative to the show file until LoadShowFile resolves it), and
    // the tempo of a 'tempo' line for times in beats (0: none).
    std::string music;
    double tempo = 0.0;
    double tempoStart = 0.0;
};

// Reads a show line by line, keeping only its events; ParseRenderScript and LoadShowFile feed it.
class ShowReader {
public:
    explicit ShowReader(RenderScript& script);
    // The next line; false with "line N: what is wrong: '<the line>'" in error when it is malformed.
    bool AddLine(const std::string& line, std::string& error);
    // Sorts the events by time; call once after the last line.
    void Finish();

private:
    // 'at SECONDS ACTION ...': one launch or click.
    bool AddEvent(const std::vector<std::string>& words, const std::string& line, std::string& error);

    RenderScript& script_;
    int number_ = 0;
};

// Parses the script text. On a malformed line returns false with
// "line N: what is wrong: '<the line, shortened>'" in error.
bool ParseRenderScript(const std::string& text, RenderScript& script, std::string& error);

// Checks a parsed script against what a run with this step can do: known firework ids (isKnownType)
// and at most kMaxLaunchesPerFrame launches dispatched before one frame. Errors as ParseRenderScript's.
bool CheckRenderScript(const RenderScript& script, double step, const std::function<bool(int)>& isKnownType,
                       std::string& error);

// The frame of step seconds before which an event is dispatched, the same in the window and the
// renderer: both time and step rounded to whole microseconds, so 0.01 s is frame 1 of 0.01 s steps.
long long ScriptEventFrame(const ScriptEvent& event, double step);

// A word of a show file or an argument as a message quotes it: cut when long, with control bytes and
// broken UTF-8 written as \xNN so that nothing reaches the terminal raw.
std::string QuotedWord(const std::string& word);

// Sets an event's time: seconds rounded to the whole microseconds its frame is counted from.
void SetScriptEventTime(ScriptEvent& event, double seconds);

// Reads a whole word as a finite number ("1.5", "-2", "1e3"); false for anything else ("0x10", "nan").
bool ReadScriptNumber(const std::string& word, double& value);

// Parses and checks a show's text against the registered kinds, as a show with frames of step seconds
// plays it. Errors as ParseRenderScript's.
bool ReadShowText(const std::string& text, const FireworkTypeRegistry& kinds, double step, RenderScript& script,
                  std::string& error);

// Reads, parses and checks a show file against the registered kinds, as a show with frames of step
// seconds plays it; the file is read a line at a time and a byte-order mark is skipped. Errors:
// "PATH: cannot read it" or "PATH: line N: what is wrong: '<the line>'".
bool LoadShowFile(const std::string& path, const FireworkTypeRegistry& kinds, double step, RenderScript& script,
                  std::string& error);

// A looped show starts again this long after its last event.
constexpr double kShowLoopGap = 3.0;

// Where a playing show stands: its events are due at start plus their time.
struct ScriptPlayer {
    double start = 0.0;
    std::size_t next = 0;
    bool loop = false;
};

// The next event due by time, or null when none is; each event is handed out once per round.
const ScriptEvent* TakeDueEvent(ScriptPlayer& player, const RenderScript& script, double time);
