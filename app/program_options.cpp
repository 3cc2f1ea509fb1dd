// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the fireworks program's options with CLI11; errors become one line for the caller to print.
#include "app/program_options.h"

// The library's inlined string handling trips GCC's null-dereference analysis, wrongly.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wnull-dereference"
#endif
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/show_script.h"

namespace {

constexpr const char* HelpText =
    "Usage: fireworks [--help | --version]\n"
    "   or: fireworks [--auto] [--show FILE [--loop]] [--fullscreen | --size WxH] [OPTION]...\n"
    "   or: fireworks --window-id ID | --root [OPTION]...\n"
    "   or: fireworks --music FILE --write-show FILE [--seed N]\n"
    "\n"
    "Fireworks over the night sea: a real-time 3-D show in a window.\n"
    "  left click   launch a firework\n"
    "  V            next camera (free, orbit, figure eight)\n"
    "  T            status text on or off\n"
    "  F2           full-screen on or off\n"
    "  W S, arrows  fly the free camera (E Q turn, Z A pitch)\n"
    "  Esc          quit\n"
    "  F1 or ?      the keys of the mode over the picture (with --auto, --show or --sound; there\n"
    "               F2 also fills the screen at the desktop's own resolution)\n"
    "\n"
    "Options:\n"
    "  --auto          an automatic show: random fireworks at a display's rhythm (single shells,\n"
    "                  pairs, pauses, now and then a finale) from sites along the shore; clicks\n"
    "                  still launch. Keys in this mode:\n"
    "                    O  automatic launches on or off   I  on   K  off\n"
    "                    +  more launches   -  fewer launches   (0.25 to 4 times the usual rate)\n"
    "                    P or Pause  stop or restart the show's time (the camera still flies)\n"
    "  --show FILE     play a show file (lines 'at SECONDS launch ID LX LY LZ BX BY BZ' or\n"
    "                  'at SECONDS click'), then go on as the interactive show; a bad file is\n"
    "                  refused with its line and the reason (exit code 1)\n"
    "  --loop          play the show file over and over\n"
    "  --window-id ID  draw the automatic show into the existing X window ID (decimal or 0x-hex),\n"
    "                  as a screensaver: without menu bar, status text or cursor, following the\n"
    "                  window's size, 50 frames a second at most (30 on a software rasteriser).\n"
    "                  The variable XSCREENSAVER_WINDOW gives the window when this option is absent.\n"
    "  --sound         with sound: launches, bursts and crackle, each heard from the camera after\n"
    "                  its distance over the speed of sound (one world unit is 40 m, so sound\n"
    "                  crosses about 8.6 units a second), quieter farther off, panned to its side.\n"
    "                  N turns the sound off and on. Without an audio device the show goes on\n"
    "                  silent after a one-line warning.\n"
    "  --music FILE    music in any format FFmpeg decodes, played under the show's sounds (which\n"
    "                  are turned down a little) on the show's clock: P pauses it with the show.\n"
    "                  With --auto the show is planned on the music's beats (each shell bursts on\n"
    "                  a beat, quiet passages sparse, loud ones in pairs and fans, finales at the\n"
    "                  loudest and at the end) and ends with the music; the program keeps running.\n"
    "                  With --show it plays with the show file (a show file's 'music' line names\n"
    "                  its music too). The same music and --seed (1 when not given) plan the\n"
    "                  same show. Implies --sound. An unreadable file: one line, exit code 1\n"
    "  --write-show FILE  write the show planned on --music as a show file and stop\n"
    "  --fullscreen    start full-screen\n"
    "  --size WxH      client size of the window (64 to 8192 pixels each way)\n"
    "  --seed N        seed (0 to 4294967295) for the automatic show and the bursts' random draws:\n"
    "                  the same seed launches the same kinds from the same sites to the same burst\n"
    "                  points at the same show times (the frame rate may still differ)\n"
    "  --flicker A     the flashes' random flicker, 0 to 0.1 of their brightness either way: 0.05\n"
    "                  by default in the automatic show, show files and the screensaver (gentle for\n"
    "                  unattended screens), 0.1 otherwise; a seed gives the same show at any value\n"
    "  --root          as a screensaver in the window XSCREENSAVER_WINDOW gives, or on the root\n"
    "                  window when it gives none\n"
    "  --fps           show the frame rate in a corner (as a screensaver)\n"
    "  --delay US      microseconds between frames (0 to 1000000; as a screensaver 20000 by default,\n"
    "                  33333 on a software rasteriser)\n"
    "  --launch-rate R the automatic show's launches, R times the usual rate (0.25 to 4)\n"
    "  --quality Q     full: every part of the picture at the window's size; balanced or fast: the\n"
    "                  smoke and the flash glows at a half or a quarter of it, added filtered; auto:\n"
    "                  picked from the frame times (reduced while frames take too long, full when\n"
    "                  there is time to spare again), shown on the status line.\n"
    "                  Default auto in the automatic show, show files and the screensaver, else full\n"
    "  --max-fps N     at most N frames a second (1 to 1000); input is still handled at once\n"
    "  As a screensaver, switches of screensaver managers that the show does not use are ignored\n"
    "  with a warning; single-dash spellings (-root, -window-id ID, -fps, -delay US) are accepted.\n"
    "An unknown option or a bad value is named on one line, with exit code 2.\n"
    "SIGINT ends the show with exit code 130, SIGTERM and SIGHUP with 0, as closing its window does.\n"
    "\n"
    "To draw the show into image files without a window, use fireworks-render.\n";

bool ReadSize(const std::string& text, int& width, int& height)
{
    int w = 0;
    int h = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &rest) != 2 || w < 64 || h < 64 || w > 8192 || h > 8192) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

bool ReadSeed(const std::string& text, std::uint32_t& seed)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull) {
        return false;
    }
    seed = static_cast<std::uint32_t>(value);
    return true;
}

bool ReadDelay(const std::string& text, long& microseconds)
{
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    microseconds = std::strtol(text.c_str(), nullptr, 10);
    return microseconds <= 1000000;
}

bool ReadLaunchRate(const std::string& text, float& rate)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == nullptr || *end != '\0' || !(value >= 0.25 && value <= 4.0)) {
        return false;
    }
    rate = static_cast<float>(value);
    return true;
}

// The screensaver switches the show knows, as managers spell them with one dash.
bool IsKnownSingleDashSwitch(const std::string& arg)
{
    return arg == "-root" || arg == "-window-id" || arg == "-fps" || arg == "-delay";
}

bool IsScreensaverStart(const std::vector<std::string>& args, const char* screensaverWindow)
{
    if (screensaverWindow != nullptr && *screensaverWindow != '\0') {
        return true;
    }
    for (const std::string& arg : args) {
        if (arg == "--root" || arg == "-root" || arg == "--window-id" || arg == "-window-id" ||
            arg.rfind("--window-id=", 0) == 0) {
            return true;
        }
    }
    return false;
}

// The option library's words for a mistake, in ours: which option, and what is wrong with it.
std::string ErrorInOurWords(const CLI::ParseError& error)
{
    const std::string text = error.what();
    const std::size_t colon = text.find(": ");
    const std::string named = colon == std::string::npos ? std::string() : text.substr(0, colon);
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr && colon != std::string::npos) {
        const std::string first = text.substr(colon + 2, text.find(' ', colon + 2) - (colon + 2));
        if (!first.empty() && first[0] == '-') {
            return "unknown option '" + first.substr(0, 40) + "' (fireworks --help lists the options)";
        }
        return "unexpected argument '" + first.substr(0, 40) + "': the options take no free words";
    }
    if (!named.empty() && named[0] == '-') {
        if (text.find("At Most") != std::string::npos) {
            return named + " is given more than once";
        }
        if (text.find("missing") != std::string::npos || text.find("required") != std::string::npos) {
            return named + " wants a value";
        }
        return named + " is not right here (fireworks --help lists the options)";
    }
    return "the options cannot be read (fireworks --help lists them)";
}

} // namespace

bool ReadWindowId(const std::string& text, std::uint64_t& id)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 16 ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
        return false;
    }
    errno = 0;
    const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    // X ids are 29-bit numbers; anything wider is a mistake.
    if (errno != 0 || value == 0 || value > 0xFFFFFFFFull) {
        return false;
    }
    id = value;
    return true;
}

const char* ProgramHelpText()
{
    return HelpText;
}

ProgramOptions ParseProgramOptions(int argc, const char* const* argv, const char* screensaverWindow)
{
    ProgramOptions options;
    CLI::App app{"fireworks", "fireworks"};
    app.set_help_flag();
    std::string size;
    std::string seed;
    std::string windowId;
    std::string flicker;
    app.add_option("--flicker", flicker);
    std::string delay;
    std::string launchRate;
    std::string quality;
    std::string maxFps;
    app.add_option("--quality", quality);
    app.add_option("--max-fps", maxFps);
    app.add_flag("-h,--help", options.help);
    app.add_flag("--version", options.version);
    app.add_flag("--auto", options.automatic);
    app.add_flag("--sound", options.sound);
    app.add_option("--show", options.showFile);
    app.add_option("--music", options.music);
    app.add_option("--write-show", options.writeShow);
    app.add_flag("--loop", options.loop);
    app.add_option("--window-id", windowId);
    app.add_flag("--fullscreen", options.fullScreen);
    app.add_option("--size", size);
    app.add_option("--seed", seed);
    app.add_flag("--root", options.root);
    app.add_flag("--fps", options.showFrameRate);
    app.add_option("--delay", delay);
    app.add_option("--launch-rate", launchRate);
    // Screensaver managers spell their switches with one dash and pass some the show has no use for.
    std::vector<std::string> args(argv + 1, argv + argc);
    options.screensaver = IsScreensaverStart(args, screensaverWindow);
    app.allow_extras(options.screensaver);
    std::vector<std::string> kept;
    for (const std::string& arg : args) {
        if (IsKnownSingleDashSwitch(arg)) {
            kept.push_back("-" + arg);
        } else if (options.screensaver && arg.size() > 2 && arg[0] == '-' && arg[1] != '-') {
            options.warnings.push_back("ignoring the screensaver switch '" + arg.substr(0, 40) + "'");
        } else {
            kept.push_back(arg);
        }
    }
    // CLI11 takes the arguments last first.
    std::reverse(kept.begin(), kept.end());
    try {
        app.parse(kept);
    } catch (const CLI::ParseError& error) {
        options.error = ErrorInOurWords(error);
        return options;
    }
    for (const std::string& extra : app.remaining()) {
        options.warnings.push_back("ignoring the screensaver switch '" + extra.substr(0, 40) + "'");
    }
    if (options.help || options.version) {
        return options;
    }
    const bool windowFromVariable =
        app.count("--window-id") == 0 && screensaverWindow != nullptr && *screensaverWindow != '\0';
    if (app.count("--show") > 0 && options.showFile.empty()) {
        options.error = "--show wants a file name";
    } else if (app.count("--music") > 0 && options.music.empty()) {
        options.error = "--music wants a file name";
    } else if (!options.music.empty() && !options.automatic && options.showFile.empty() &&
               options.writeShow.empty()) {
        options.error = "--music goes with --auto (a show planned on it), --show FILE or --write-show FILE";
    } else if (!options.writeShow.empty() && (options.music.empty() || !options.showFile.empty())) {
        options.error = "--write-show writes the show planned from music: give --music FILE and no --show";
    } else if (options.loop && options.showFile.empty()) {
        options.error = "--loop repeats a show file: give one with --show FILE";
    } else if (app.count("--size") > 0 && !ReadSize(size, options.width, options.height)) {
        options.error = "--size wants WxH from 64x64 to 8192x8192, not '" + size.substr(0, 40) + "'";
    } else if (app.count("--seed") > 0 && !ReadSeed(seed, options.seed)) {
        options.error = "--seed wants a whole number from 0 to 4294967295, not '" + seed.substr(0, 40) + "'";
    } else if (app.count("--delay") > 0 && !ReadDelay(delay, options.delayMicroseconds)) {
        options.error = "--delay wants microseconds from 0 to 1000000, not '" + delay.substr(0, 40) + "'";
    } else if (app.count("--launch-rate") > 0 && !ReadLaunchRate(launchRate, options.launchRate)) {
        options.error = "--launch-rate wants a factor from 0.25 to 4, not '" + launchRate.substr(0, 40) + "'";
    } else if (app.count("--window-id") > 0 && !ReadWindowId(windowId, options.windowId)) {
        options.error = "--window-id wants an X window id (decimal or 0x-hexadecimal), not '" +
                        windowId.substr(0, 40) + "'";
    } else if (windowFromVariable && !ReadWindowId(screensaverWindow, options.windowId)) {
        options.error = "XSCREENSAVER_WINDOW is not an X window id: '" + std::string(screensaverWindow).substr(0, 40) +
                        "'";
    } else if (app.count("--flicker") > 0 &&
               !(ReadScriptNumber(flicker, options.flicker) && options.flicker >= 0.0 && options.flicker <= 0.1)) {
        options.error = "--flicker wants a number from 0 to 0.1, not '" + flicker.substr(0, 40) + "'";
    } else if (options.screensaver && (options.fullScreen || options.width != 0)) {
        options.error = std::string("--fullscreen and --size do not go with ") +
                        (app.count("--window-id") > 0 ? "--window-id"
                         : windowFromVariable         ? "XSCREENSAVER_WINDOW"
                                                      : "--root") +
                        ": the window is given";
    } else if (options.fullScreen && options.width != 0) {
        options.error = "--fullscreen and --size do not go together";
    }
    if (options.error.empty() && app.count("--quality") > 0) {
        if (quality == "full" || quality == "balanced" || quality == "fast" || quality == "auto") {
            options.quality = quality == "balanced" ? ProgramOptions::Quality::Balanced
                              : quality == "fast"   ? ProgramOptions::Quality::Fast
                              : quality == "auto"   ? ProgramOptions::Quality::Auto
                                                    : ProgramOptions::Quality::Full;
        } else {
            options.error = "--quality wants full, balanced, fast or auto, not '" + quality.substr(0, 40) + "'";
        }
    }
    if (options.error.empty() && app.count("--max-fps") > 0) {
        double value = 0.0;
        if (!ReadScriptNumber(maxFps, value) || value < 1.0 || value > 1000.0 || value != static_cast<int>(value)) {
            options.error = "--max-fps wants a whole number from 1 to 1000, not '" + maxFps.substr(0, 40) + "'";
        } else {
            options.maxFps = static_cast<int>(value);
        }
    }
    options.hasSeed = app.count("--seed") > 0;
    if (options.screensaver) {
        options.automatic = true;
    }
    if (app.count("--flicker") == 0 && (options.automatic || !options.showFile.empty())) {
        options.flicker = 0.05;
    }
    if (app.count("--quality") == 0 && (options.automatic || !options.showFile.empty())) {
        options.quality = ProgramOptions::Quality::Auto;
    }
    return options;
}
