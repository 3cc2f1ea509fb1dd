// SPDX-License-Identifier: GPL-3.0-or-later
// 16-bit PCM WAV files: writing mono or stereo samples, and reading them back as floats.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Samples in -1..1 (clamped) as a complete file; interleaved when channels is 2.
std::vector<std::uint8_t> EncodeWav16(const std::vector<float>& samples, int channels, int sampleRate);

struct WavData {
    int channels = 0;
    int sampleRate = 0;
    // Interleaved, -1..1.
    std::vector<float> samples;
};

// Reads a 16-bit PCM file; false with a reason for anything else or a truncated file.
bool DecodeWav16(const std::vector<std::uint8_t>& bytes, WavData& out, std::string& error);

// Reads a whole file from disk and decodes it.
bool LoadWav16(const std::string& path, WavData& out, std::string& error);
