// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and reading 16-bit PCM WAV files.
#include "sound/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Get16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

std::vector<std::uint8_t> EncodeWav16(const std::vector<float>& samples, int channels, int sampleRate)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, static_cast<std::uint16_t>(channels));
    Put32(out, static_cast<std::uint32_t>(sampleRate));
    Put32(out, static_cast<std::uint32_t>(sampleRate * channels * 2));
    Put16(out, static_cast<std::uint16_t>(channels * 2));
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (float s : samples) {
        const float c = std::clamp(s, -1.0f, 1.0f);
        Put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(c * 32767.0f))));
    }
    return out;
}

bool DecodeWav16(const std::vector<std::uint8_t>& bytes, WavData& out, std::string& error)
{
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = "not a WAV file";
        return false;
    }
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const std::uint8_t* chunk = bytes.data() + pos;
        const std::uint32_t size = Get32(chunk + 4);
        if (size > bytes.size() - pos - 8) {
            error = "a chunk runs past the end of the file";
            return false;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            if (Get16(chunk + 8) != 1 || Get16(chunk + 22) != 16) {
                error = "not 16-bit PCM";
                return false;
            }
            out.channels = Get16(chunk + 10);
            out.sampleRate = static_cast<int>(Get32(chunk + 12));
            haveFormat = out.channels == 1 || out.channels == 2;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "no usable format before the samples";
                return false;
            }
            out.samples.resize(size / 2);
            for (std::size_t i = 0; i < out.samples.size(); ++i) {
                out.samples[i] = static_cast<float>(static_cast<std::int16_t>(Get16(chunk + 8 + 2 * i))) / 32767.0f;
            }
            return true;
        }
        pos += 8 + size + (size & 1u);
    }
    error = "no samples";
    return false;
}

bool LoadWav16(const std::string& path, WavData& out, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!DecodeWav16(bytes, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}
