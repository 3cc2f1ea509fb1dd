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

} // namespace

std::string RenderHelpText()
{
    char text[4096];
    std::snprintf(text, sizeof text,
                  "usage: fireworks-render [--script FILE] [--out DIR] [--size WxH] [--seconds S] [--step S]\n"
                  "                        [--every N] [--media DIR] [--no-sea] [--software] [--bare] [--measure]\n"
                  "                        [--video FILE.mp4|FILE.webm] [--audio FILE.wav]\n"
                  "                        [--music FILE [--write-show FILE]]\n"
                  "  --script FILE  a show file: lines 'at SECONDS launch ID LX LY LZ BX BY BZ' or\n"
                  "                 'at SECONDS click' (default: one firework of every kind, then three clicks)\n"
                  "  --out DIR      folder for frame_NNNNN.png (default: frames)\n"
                  "  --every N      write every Nth frame, 0 for none (default 10)\n"
                  "  --seconds S    length of the show (default: the last event plus 4 s)\n"
                  "  --step S       time step of a frame (default 0.01)\n"
                  "  --media DIR    folder with the media (default: the current folder, the program's, the installed one)\n"
                  "  --measure-from S  leave frames before S seconds out of the figures\n"
                  "  --measure      also print CPU milliseconds per frame (all threads of the process)\n"
                  "                 before and after the first burst, draws and bytes uploaded per frame\n"
                  "  --bare         clear and present only, to compare frame costs\n"
                  "  --video FILE   encode the show with its sound: H.264 and AAC for .mp4, VP9 and Opus\n"
                  "                 for .webm; one frame per step, so the step must divide a second\n"
                  "                 (--step 0.04 gives 25 frames a second)\n"
                  "  --audio FILE   write the sound track alone as a 16-bit stereo WAV file\n"
                  "  --music FILE   music in any format FFmpeg decodes: without --script, a show planned on its\n"
                  "                 beats (each shell bursts on a beat), as long as the music unless --seconds;\n"
                  "                 mixed into --video and --audio under the show's own sounds. A show file's\n"
                  "                 'music' line names its music too. An unreadable file: one line, exit code 1\n"
                  "  --write-show FILE  with --music: write the planned show as a show file and stop\n"
                  "sound: heard from the camera after its distance over the speed of sound; one world\n"
                  "       unit is 40 m, so sound crosses about 8.6 units a second.\n"
                  "limits: times and --seconds 0 to %g s, --step %g to %g s, at most %g frames,\n"
                  "        %d launches and clicks in one frame, %d in a script, coordinates within +-%g;\n"
                  "        a script or value beyond them is refused with exit code 1, an unknown option\n"
                  "        with exit code 2.\n"
                  "Ctrl-C or SIGTERM stops a render and keeps the frames written; on a terminal a progress\n"
                  "line shows the frames done, the frames to go and the time left.\n",
                  kMaxShowSeconds, kMinStep, kMaxStep, kMaxFrames, kMaxLaunchesPerFrame, kMaxEvents, kMaxCoordinate);
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
    app.add_flag("-h,--help", options.help);
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
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        options.error = error.what();
        options.exitCode = 2;
        return options;
    }
    options.show.sea = !noSea;
    if (options.help) {
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
    if ((app.count("--seconds") > 0 &&
         !ReadNumber("--seconds", seconds, 0.0, kMaxShowSeconds, options.seconds, options.error)) ||
        (app.count("--step") > 0 && !ReadNumber("--step", step, kMinStep, kMaxStep, options.step, options.error)) ||
        (app.count("--measure-from") > 0 &&
         !ReadNumber("--measure-from", measureFrom, 0.0, kMaxShowSeconds, options.measureFrom, options.error))) {
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
    if (!options.writeShow.empty() && (options.music.empty() || !options.script.empty())) {
        options.error = "--write-show writes the show planned from music: give --music FILE and no --script";
        return options;
    }
    if (!options.video.empty()) {
        const double rate = 1.0 / options.step;
        const auto ends = [&](const char* tail) {
            const std::string t(tail);
            return options.video.size() > t.size() &&
                   options.video.compare(options.video.size() - t.size(), t.size(), t) == 0;
        };
        if (!ends(".mp4") && !ends(".webm")) {
            options.error = "--video wants a file ending in .mp4 or .webm";
            return options;
        }
        if (std::fabs(rate - std::round(rate)) > 1e-6 * rate) {
            options.error = "--video wants a --step that divides a second, such as 0.04 for 25 frames a second";
            return options;
        }
    }
    options.exitCode = 0;
    return options;
}
