// SPDX-License-Identifier: GPL-3.0-or-later
// Synthesised test music: decaying sines for clicks, kick and bass, filtered noise for snare and hats.
#include "tests/music/synth_music.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979;

struct Noise {
    std::uint32_t state;
    float Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
};

void Grow(std::vector<float>& mono, std::size_t size)
{
    if (mono.size() < size) {
        mono.resize(size, 0.0f);
    }
}

// Adds a sine from at, its level falling by e every decay seconds.
void AddPing(std::vector<float>& mono, int rate, double at, double frequency, double level, double decay,
             double length, double sweep = 0.0)
{
    const auto first = static_cast<std::size_t>(at * rate);
    const auto count = static_cast<std::size_t>(length * rate);
    Grow(mono, first + count);
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        phase += 2.0 * Pi * frequency * (1.0 + sweep * std::exp(-t / 0.03)) / rate;
        mono[first + i] += static_cast<float>(level * std::exp(-t / decay) * std::sin(phase));
    }
}

void AddNoise(std::vector<float>& mono, int rate, double at, double level, double decay, double length, bool bright,
              Noise& noise)
{
    const auto first = static_cast<std::size_t>(at * rate);
    const auto count = static_cast<std::size_t>(length * rate);
    Grow(mono, first + count);
    float previous = 0.0f;
    for (std::size_t i = 0; i < count; ++i) {
        const float white = noise.Next();
        // A first difference brightens the noise into a hi-hat's hiss.
        const float value = bright ? white - previous : white;
        previous = white;
        mono[first + i] += static_cast<float>(level * std::exp(-static_cast<double>(i) / rate / decay)) * value;
    }
}

template <typename Hit>
SynthMusic Pattern(const std::vector<TempoSection>& sections, int rate, double lead, Hit hit)
{
    SynthMusic music;
    int total = 0;
    for (const TempoSection& section : sections) {
        total += section.beats;
    }
    double time = lead;
    int index = 0;
    for (const TempoSection& section : sections) {
        const double period = 60.0 / section.bpm;
        for (int b = 0; b < section.beats; ++b, ++index) {
            music.beats.push_back(time);
            hit(music.mono, time, period, index, static_cast<double>(index) / total);
            time += period;
        }
    }
    Grow(music.mono, static_cast<std::size_t>((time + 1.0) * rate));
    return music;
}

} // namespace

SynthMusic ClickTrack(const std::vector<TempoSection>& sections, int rate, double lead)
{
    return Pattern(sections, rate, lead, [&](std::vector<float>& mono, double at, double, int index, double) {
        const bool accent = index % 4 == 0;
        AddPing(mono, rate, at, accent ? 1500.0 : 1000.0, accent ? 0.8 : 0.5, 0.01, 0.05);
    });
}

SynthMusic DrumPattern(const std::vector<TempoSection>& sections, int rate, std::uint32_t seed, double lead)
{
    Noise noise{seed * 2654435761u | 1u};
    return Pattern(sections, rate, lead, [&](std::vector<float>& mono, double at, double period, int index, double part) {
        const double swell = 0.3 + 0.7 * part;
        if (index % 2 == 0) {
            AddPing(mono, rate, at, 55.0, 0.9 * swell, 0.12, 0.4, 1.5);
        } else {
            AddNoise(mono, rate, at, 0.5 * swell, 0.06, 0.2, false, noise);
            AddPing(mono, rate, at, 190.0, 0.3 * swell, 0.05, 0.15);
        }
        AddNoise(mono, rate, at, 0.12 * swell, 0.015, 0.05, true, noise);
        AddNoise(mono, rate, at + period / 2.0, 0.08 * swell, 0.015, 0.05, true, noise);
        if (index % 4 == 0) {
            AddPing(mono, rate, at, 110.0, 0.25 * swell, 0.8, 4.0 * period);
        }
    });
}

SynthMusic HeldTone(double seconds, double frequency, int rate)
{
    SynthMusic music;
    const auto count = static_cast<std::size_t>(seconds * rate);
    music.mono.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double edge = std::min({1.0, t / 0.5, (seconds - t) / 0.5});
        music.mono[i] = static_cast<float>(0.4 * edge * std::sin(2.0 * Pi * frequency * t));
    }
    return music;
}

double PartNear(const std::vector<double>& want, const std::vector<double>& have, double tolerance)
{
    if (want.empty()) {
        return 0.0;
    }
    int near = 0;
    for (double w : want) {
        near += std::any_of(have.begin(), have.end(), [&](double h) { return std::fabs(h - w) <= tolerance; }) ? 1 : 0;
    }
    return static_cast<double>(near) / static_cast<double>(want.size());
}
