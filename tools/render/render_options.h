// SPDX-License-Identifier: GPL-3.0-or-later
// The options of fireworks-render, read from its arguments into a plain struct.
#pragma once

#include <string>

#include "tools/render/offline_show.h"

// A video's time step when --step is not given: 25 frames a second.
constexpr double kDefaultVideoStep = 0.04;

struct RenderOptions {
    std::string script;
    std::string out = "frames";
    // PNG frames are written without a video, or with one when --out or --every asks for them.
    bool writeFrames = true;
    std::string media;
    // The show as a video (.mp4 or .webm) with its sound, and the sound track alone as WAV.
    std::string video;
    std::string audio;
    // Music to fit the show to (or to play with --script), and where to write the planned show.
    std::string music;
    std::string writeShow;
    OfflineShowOptions show;
    double seconds = -1.0;
    double step = 0.01;
    // Frames before this time are drawn but left out of the figures.
    double measureFrom = 0.0;
    int every = 10;
    bool bare = false;
    // Also print the process's CPU time per frame before and after the first burst, draws and uploads.
    bool measure = false;
    // Counts the photosensitive flashes of the frames drawn and reports the worst second.
    bool flashCheck = false;
    bool help = false;
    bool version = false;
    // Empty when the arguments are fine; otherwise one line naming the option, and the exit code:
    // 1 for a value out of its range, 2 for an unknown option or a malformed one.
    std::string error;
    int exitCode = 0;
};

// Reads argv; never prints and never exits.
RenderOptions ParseRenderOptions(int argc, const char* const* argv);

// The --help text.
std::string RenderHelpText();
