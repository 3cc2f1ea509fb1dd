// SPDX-License-Identifier: GPL-3.0-or-later
// Reading fireworks-render's options with CLI11; every value is held to the limits the help states.
#include "tools/render/render_options.h"

// The library's inlined string handling trips GCC's null-dereference analysis, wrongly.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wnull-dereference"
#endif
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <set>

#include "app/show_script.h"

namespace {

// A number option within [low, high]; false with a message naming the option otherwise.
bool ReadNumber(const char* option, const std::string& text, double low, double high, double& value,
                std::string& error)
{
    if (ReadScriptNumber(text, value) && value >= low && value <= high) {
        return true;
    }
    char message[160];
    std::snprintf(message, sizeof message, "%s wants a number from %g to %g, not '%.40s'", option, low, high,
                  text.c_str());
    error = message;
    return false;
}

bool EndsWith(const std::string& text, const char* tail)
{
    const std::string t(tail);
    return text.size() > t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
}

// The option library's own messages name its internals ("At Most 1 required but received 2"): the
// arguments are checked against its table first, and every mistake is told in the program's words.
std::string CheckArguments(const CLI::App& app, int argc, const char* const* argv)
{
    std::set<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.size() < 2 || word[0] != '-') {
            return "unexpected " + QuotedWord(word) + ": options start with --";
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const CLI::Option* option = app.get_option_no_throw(name);
        if (option == nullptr) {
            return "unknown option " + QuotedWord(name) + " (--help lists them)";
        }
        if (!seen.insert(option->get_name()).second) {
            return name + " is given more than once";
        }
        const bool takesValue = option->get_expected_max() > 0;
        if (!takesValue && equals != std::string::npos) {
            return name + " takes no value";
        }
        if (takesValue && equals == std::string::npos && i + 1 >= argc) {
            return name + " wants a value";
        }
        const std::string value = equals != std::string::npos ? word.substr(equals + 1)
                                  : takesValue                   ? argv[i + 1]
                                                                 : "";
        if (takesValue && value.empty()) {
            return name + " wants a value, not an empty word";
        }
        i += takesValue && equals == std::string::npos ? 1 : 0;
    }
    return {};
}

} // namespace

std::string RenderHelpText()
{
    char text[8192];
    std::snprintf(text, sizeof text,
                  "Usage: fireworks-render [--help | --version]\n"
                  "   or: fireworks-render [OPTION]...\n"
                  "   or: fireworks-render --music FILE --write-show FILE\n"
                  "Draws the show without a window into PNG frames, a video with its sound, or a WAV file.\n"
                  "  --script FILE  a show file: lines 'at SECONDS launch ID LX LY LZ BX BY BZ' or\n"
                  "                 'at SECONDS click' (default: one firework of every kind, then three clicks)\n"
                  "  --out DIR      folder for frame_NNNNN.png (default: frames; with --video, PNG frames\n"
                  "                 only when --out or --every is given)\n"
                  "  --every N      write every Nth frame, 0 for none (default 10)\n"
                  "  --size WxH     picture size, 16 to 8192 each way (default %dx%d)\n"
                  "  --seconds S    length of the show (default: the last event plus 4 s)\n"
                  "  --step S       time step of a frame (default 0.01; with --video 0.04, 25 frames a second)\n"
                  "  --camera C     orbit: the show's orbit camera at its start (default); wide: a fixed\n"
                  "                 wider view that keeps a finale from every shore site in frame\n"
                  "  --quality Q    full: every part at the picture's size (default); balanced or fast: the\n"
                  "                 smoke and the flash glows drawn at a half or a quarter of it, then\n"
                  "                 added to the picture filtered; auto: balanced on a software rasteriser,\n"
                  "                 else full\n"
                  "  --media DIR    folder with the media (default: the current folder, the program's, the installed one)\n"
                  "  --measure-from S  leave frames before S seconds out of the figures\n"
                  "  --measure      also print CPU milliseconds per frame (all threads of the process)\n"
                  "                 before and after the first burst, draws and bytes uploaded per frame\n"
                  "  --no-sea       draw the show without the sea\n"
                  "  --software     draw with Mesa's software rasteriser\n"
                  "  --bare         clear and present only, to compare frame costs\n"
                  "  --flash-check  count photosensitive flashes in the frames drawn (WCAG 2.3.1's general\n"
                  "                 and red flashes, more than three in a second over 2.8%% of the frame\n"
                  "                 fail) and report the worst second; the exit code stays 0 either way\n"
                  "  --video FILE   encode the show with its sound: H.264 and AAC for .mp4, VP9 and Opus\n"
                  "                 for .webm; one frame per step, so the step must divide a second\n"
                  "                 (--step 0.04 gives 25 frames a second)\n"
                  "  --audio FILE   write the sound track alone as a 16-bit stereo WAV file (.wav)\n"
                  "  --flicker A    the flashes' random flicker, 0 to 0.1 of their brightness either way\n"
                  "                 (default 0.1, the reference picture); a script gives the same fireworks\n"
                  "                 at any value. Use 0.05 for videos meant for the public.\n"
                  "  --music FILE   music in any format FFmpeg decodes: without --script, a show planned on its\n"
                  "                 beats (each shell bursts on a beat), as long as the music unless --seconds;\n"
                  "                 mixed into --video and --audio under the show's own sounds. A show file's\n"
                  "                 'music' line names its music too. An unreadable file: one line, exit code 1\n"
                  "  --write-show FILE  with --music: write the planned show as a show file and stop\n"
                  "  --help         print this text\n"
                  "  --version      print the version and the licence\n"
                  "sound: heard from the camera after its distance over the speed of sound; one world\n"
                  "       unit is 40 m, so sound crosses about 8.6 units a second.\n"
                  "limits: times 0 to %g s, --seconds %g to %g s and at least one step, --step %g to %g s,\n"
                  "        at most %g frames, %d launches and clicks in one frame, %d in a script, coordinates\n"
                  "        within +-%g; a script or value beyond them is refused with exit code 1, an unknown\n"
                  "        option with exit code 2.\n"
                  "Ctrl-C or SIGTERM stops a render and keeps the frames written; on a terminal a progress\n"
                  "line shows the frames done, the frames to go and the time left.\n",
                  kDefaultRenderWidth, kDefaultRenderHeight, kMaxShowSeconds, kMinStep, kMaxShowSeconds, kMinStep,
                  kMaxStep, kMaxFrames, kMaxLaunchesPerFrame, kMaxEvents, kMaxCoordinate);
    return text;
}

RenderOptions ParseRenderOptions(int argc, const char* const* argv)
{
    RenderOptions options;
    CLI::App app{"fireworks-render", "fireworks-render"};
    app.set_help_flag();
    std::string size;
    std::string seconds;
    std::string step;
    std::string measureFrom;
    std::string every;
    std::string flicker;
    app.add_option("--flicker", flicker);
    std::string camera;
    std::string quality;
    app.add_option("--quality", quality);
    app.add_flag("-h,--help", options.help);
    app.add_flag("--version", options.version);
    app.add_option("--script", options.script);
    app.add_option("--out", options.out);
    app.add_option("--media", options.media);
    app.add_option("--size", size);
    app.add_option("--seconds", seconds);
    app.add_option("--step", step);
    app.add_option("--measure-from", measureFrom);
    app.add_option("--every", every);
    app.add_option("--video", options.video);
    app.add_option("--audio", options.audio);
    app.add_option("--music", options.music);
    app.add_option("--write-show", options.writeShow);
    bool noSea = false;
    app.add_flag("--no-sea", noSea);
    app.add_flag("--software", options.show.software);
    app.add_flag("--bare", options.bare);
    app.add_flag("--measure", options.measure);
    app.add_option("--camera", camera);
    app.add_flag("--flash-check", options.flashCheck);
    options.error = CheckArguments(app, argc, argv);
    if (options.error.empty()) {
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            options.error = std::string("the options cannot be read: ") + error.what();
        }
    }
    if (!options.error.empty()) {
        options.exitCode = 2;
        return options;
    }
    options.show.sea = !noSea;
    if (options.help || options.version) {
        return options;
    }
    options.exitCode = 1;
    if (app.count("--size") > 0) {
        int w = 0;
        int h = 0;
        char rest = 0;
        if (std::sscanf(size.c_str(), "%dx%d%c", &w, &h, &rest) != 2 || w < 16 || h < 16 || w > 8192 || h > 8192) {
            options.error = "--size wants WxH between 16 and 8192";
            return options;
        }
        options.show.width = w;
        options.show.height = h;
    }
    // A length of 0 used to mean the default: a length asked for is a real one.
    if ((app.count("--seconds") > 0 &&
         !ReadNumber("--seconds", seconds, kMinStep, kMaxShowSeconds, options.seconds, options.error)) ||
        (app.count("--step") > 0 && !ReadNumber("--step", step, kMinStep, kMaxStep, options.step, options.error)) ||
        (app.count("--measure-from") > 0 &&
         !ReadNumber("--measure-from", measureFrom, 0.0, kMaxShowSeconds, options.measureFrom, options.error))) {
        return options;
    }
    if (app.count("--flicker") > 0 && !ReadNumber("--flicker", flicker, 0.0, 0.1, options.show.flicker, options.error)) {
        return options;
    }
    if (app.count("--every") > 0) {
        double value = 0.0;
        if (!ReadNumber("--every", every, 0.0, kMaxFrames, value, options.error)) {
            return options;
        }
        if (value != std::floor(value)) {
            options.error = "--every wants a whole number of frames";
            return options;
        }
        options.every = static_cast<int>(value);
    }
    if (app.count("--camera") > 0) {
        if (camera == "orbit" || camera == "wide") {
            options.show.camera = camera == "wide" ? RenderCamera::Wide : RenderCamera::Orbit;
        } else {
            options.error = "--camera wants orbit or wide, not " + QuotedWord(camera);
            return options;
        }
    }
    if (app.count("--quality") > 0) {
        if (quality == "full" || quality == "balanced" || quality == "fast" || quality == "auto") {
            options.show.quality = quality == "balanced" ? QualityLevel::Balanced
                                   : quality == "fast"   ? QualityLevel::Fast
                                                         : QualityLevel::Full;
            options.show.autoQuality = quality == "auto";
        } else {
            options.error = "--quality wants full, balanced, fast or auto, not " + QuotedWord(quality);
            return options;
        }
    }
    if (!options.audio.empty() && !EndsWith(options.audio, ".wav")) {
        options.error = "--audio writes a WAV file: it wants a file ending in .wav";
        return options;
    }
    if (!options.writeShow.empty() && (options.music.empty() || !options.script.empty())) {
        options.error = "--write-show writes the show planned from music: give --music FILE and no --script";
        return options;
    }
    if (!options.video.empty()) {
        // A video alone is one file at 25 frames a second; frames too only when asked for.
        if (app.count("--step") == 0) {
            options.step = kDefaultVideoStep;
        }
        options.writeFrames = app.count("--out") > 0 || app.count("--every") > 0;
        const double rate = 1.0 / options.step;
        if (!EndsWith(options.video, ".mp4") && !EndsWith(options.video, ".webm")) {
            options.error = "--video wants a file ending in .mp4 or .webm";
            return options;
        }
        if (std::fabs(rate - std::round(rate)) > 1e-6 * rate) {
            options.error = "--video wants a --step that divides a second, such as 0.04 for 25 frames a second";
            return options;
        }
    }
    if (options.every == 0) {
        options.writeFrames = false;
    }
    options.exitCode = 0;
    return options;
}
