// SPDX-License-Identifier: GPL-3.0-or-later
// The options of the fireworks program, read from its arguments into a plain struct.
#pragma once

#include <cstdint>
#include <string>

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
    // Empty when the arguments are fine; otherwise one line naming the option, for exit code 2.
    std::string error;

    // The show started without options: exactly the interactive show.
    bool Plain() const { return !automatic && showFile.empty() && windowId == 0 && !sound && music.empty(); }
};

// Reads argv; screensaverWindow is the value of XSCREENSAVER_WINDOW (may be null), used when
// --window-id is not given. Never prints and never exits.
ProgramOptions ParseProgramOptions(int argc, const char* const* argv, const char* screensaverWindow);

// Reads an X window id: decimal or 0x-hexadecimal, not 0; false for anything else.
bool ReadWindowId(const std::string& text, std::uint64_t& id);

// The --help text.
const char* ProgramHelpText();
