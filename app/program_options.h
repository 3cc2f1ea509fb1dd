// SPDX-License-Identifier: GPL-3.0-or-later
// The options of the fireworks program, read from its arguments into a plain struct.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProgramOptions {
    // Set by --help or --version: print text to standard output and end with exit code 0.
    bool help = false;
    bool version = false;
    // Random launches at a show's rhythm.
    bool automatic = false;
    // A show file played once (or over and over with loop) over the interactive show.
    std::string showFile;
    bool loop = false;
    // Music to fit the automatic show to or to play with a show file, and where to write the planned show.
    std::string music;
    std::string writeShow;
    // An X window to draw the automatic show into (a screensaver's); 0 for a window of our own.
    std::uint64_t windowId = 0;
    bool fullScreen = false;
    // Sound through the audio device; off, no device is opened.
    bool sound = false;
    // Client size of the window; 0 keeps the default.
    int width = 0;
    int height = 0;
    // Seeds the automatic show and the bursts' random draws; hasSeed false draws a seed from the clock.
    bool hasSeed = false;
    std::uint32_t seed = 0;
    // The flash sprites' flicker either way, as a fraction of their intensity (0 to 0.1): --flicker, or
    // else the gentle 0.05 where the show runs unattended (automatic, show file, screensaver), 0.1 elsewhere.
    double flicker = 0.1;
    // Empty when the arguments are fine; otherwise one line naming the option, for exit code 2.
    std::string error;

    // Screensaver conventions. screensaver: started as one (--root, --window-id or the manager's
    // variable); root: draw on the root window when no window is given.
    bool screensaver = false;
    bool root = false;
    // --fps: the frame rate shown in a corner.
    bool showFrameRate = false;
    // --delay: microseconds between frames; negative keeps the default (as a screensaver, 50 frames
    // a second at most).
    long delayMicroseconds = -1;
    // --launch-rate: the automatic show's launches, times the usual rate.
    float launchRate = 1.0f;
    // --quality: full, balanced or fast, or auto for the governor that picks one from the frame times.
    // By default auto where the show runs unattended (automatic, show file, screensaver), full otherwise.
    enum class Quality { Full, Balanced, Fast, Auto };
    Quality quality = Quality::Full;
    // --max-fps: frames a second at most; 0 leaves the pacing as it is.
    int maxFps = 0;
    // Lines for standard error that do not stop the program (screensaver switches we ignore).
    std::vector<std::string> warnings;

    // The show started without options: exactly the interactive show.
    bool Plain() const { return !automatic && showFile.empty() && windowId == 0 && !sound && !root && music.empty(); }
};

// Reads argv; screensaverWindow is the value of XSCREENSAVER_WINDOW (may be null), used when
// --window-id is not given. Never prints and never exits.
ProgramOptions ParseProgramOptions(int argc, const char* const* argv, const char* screensaverWindow);

// Reads an X window id: decimal or 0x-hexadecimal, not 0; false for anything else.
bool ReadWindowId(const std::string& text, std::uint64_t& id);

// The --help text.
const char* ProgramHelpText();
