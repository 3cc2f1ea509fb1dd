// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a whole music file (anything FFmpeg's libraries decode) into interleaved stereo floats at
// the mixer's rate, for playing under the show and for listening to.
#pragma once

#include <string>
#include <vector>

struct MusicAudio {
    // Interleaved stereo at SoundSampleRate.
    std::vector<float> stereo;
    int sampleRate = 0;

    double Seconds() const { return sampleRate > 0 ? static_cast<double>(stereo.size() / 2) / sampleRate : 0.0; }
    // Both channels averaged.
    std::vector<float> Mono() const;
};

// Longest music accepted, in seconds: an hour, the longest show.
constexpr double kMaxMusicSeconds = 3600.0;

// Decodes the first audio stream of path; false with "PATH: why" in error for a file that cannot be
// read, holds no audio, or decodes to nothing.
bool DecodeMusic(const std::string& path, MusicAudio& music, std::string& error);
