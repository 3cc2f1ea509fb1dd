// SPDX-License-Identifier: GPL-3.0-or-later
// Synthesising the sounds from noise, sines and envelopes, with the generator's fixed-seed random
// numbers, so the files are the same on every run.
#include "tools/mediagen/sound_synth.h"

#include <algorithm>
#include <cmath>

#include "sound/wav_file.h"
#include "tools/mediagen/media_random.h"

namespace {

constexpr float Pi = 3.14159265f;
constexpr float Rate = static_cast<float>(SoundSampleRate);

std::size_t Samples(float seconds)
{
    return static_cast<std::size_t>(seconds * Rate);
}

// One-pole low-pass: cutoff in Hz.
class LowPass {
public:
    explicit LowPass(float cutoff) : k_(1.0f - std::exp(-2.0f * Pi * cutoff / Rate)) {}
    float operator()(float x) { return y_ += k_ * (x - y_); }

private:
    float k_;
    float y_ = 0.0f;
};

// Scales to a peak of 0.9 and fades the last few milliseconds to silence.
std::vector<float> Finish(std::vector<float> s)
{
    float peak = 0.0f;
    for (float v : s) {
        peak = std::max(peak, std::fabs(v));
    }
    const std::size_t fade = std::min(s.size(), Samples(0.01f));
    for (std::size_t i = 0; i < fade; ++i) {
        s[s.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
    }
    if (peak > 0.0f) {
        for (float& v : s) {
            v *= 0.9f / peak;
        }
    }
    return s;
}

// A burst: low-passed noise and a falling low tone under a fast attack and a slow decay.
std::vector<float> Boom(float seconds, float cutoff, float tone, float decay, std::uint32_t seed)
{
    MediaRandom random(seed);
    LowPass low(cutoff);
    LowPass low2(cutoff * 0.5f);
    std::vector<float> s(Samples(seconds));
    float phase = 0.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / Rate;
        const float envelope = std::min(1.0f, t / 0.004f) * std::exp(-t / decay);
        phase += 2.0f * Pi * tone * (1.0f - 0.4f * std::min(t, 1.0f)) / Rate;
        const float noise = low2(low(random.Range(-1.0f, 1.0f)));
        s[i] = envelope * (4.0f * noise + 0.5f * std::sin(phase) * std::exp(-t / (decay * 0.5f)));
    }
    return s;
}

std::vector<float> Thump()
{
    MediaRandom random(11);
    LowPass low(400.0f);
    std::vector<float> s(Samples(0.4f));
    float phase = 0.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / Rate;
        phase += 2.0f * Pi * (90.0f - 50.0f * std::min(t / 0.2f, 1.0f)) / Rate;
        s[i] = std::exp(-t / 0.08f) * (std::sin(phase) + 1.5f * low(random.Range(-1.0f, 1.0f)));
    }
    return s;
}

std::vector<float> Whistle()
{
    MediaRandom random(12);
    std::vector<float> s(Samples(1.6f));
    float phase = 0.0f;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const float t = static_cast<float>(i) / Rate;
        const float u = t / 1.6f;
        phase += 2.0f * Pi * (1000.0f + 1500.0f * u) / Rate;
        const float envelope = std::min(1.0f, t / 0.15f) * (1.0f - u * u);
        s[i] = envelope * (std::sin(phase) + 0.08f * random.Range(-1.0f, 1.0f));
    }
    return s;
}

// Sparse clicks whose rate thins out over the sound's length.
std::vector<float> Crackle()
{
    MediaRandom random(13);
    std::vector<float> s(Samples(2.0f));
    std::size_t i = 0;
    while (i < s.size()) {
        const float t = static_cast<float>(i) / Rate;
        const float strength = (1.0f - t / 2.0f) * random.Range(0.3f, 1.0f);
        const std::size_t click = Samples(0.004f);
        for (std::size_t k = 0; k < click && i + k < s.size(); ++k) {
            s[i + k] += strength * random.Range(-1.0f, 1.0f) * std::exp(-static_cast<float>(k) / (click * 0.3f));
        }
        i += Samples(random.Range(0.005f, 0.03f + 0.05f * t));
    }
    return s;
}

std::vector<float> Crack()
{
    std::vector<float> s = Boom(0.9f, 3000.0f, 120.0f, 0.12f, 14);
    // A sharp edge at the front: a short bright click.
    MediaRandom random(15);
    for (std::size_t i = 0; i < Samples(0.01f); ++i) {
        s[i] += 0.6f * random.Range(-1.0f, 1.0f) * (1.0f - static_cast<float>(i) / Samples(0.01f));
    }
    return s;
}

} // namespace

std::vector<float> SynthesiseSound(SoundId id)
{
    switch (id) {
    case SoundId::Thump:
        return Finish(Thump());
    case SoundId::Whistle:
        return Finish(Whistle());
    case SoundId::BoomLarge:
        return Finish(Boom(3.0f, 250.0f, 45.0f, 0.6f, 16));
    case SoundId::BoomMedium:
        return Finish(Boom(1.8f, 600.0f, 70.0f, 0.3f, 17));
    case SoundId::Crack:
        return Finish(Crack());
    case SoundId::Crackle:
        return Finish(Crackle());
    }
    return {};
}

std::vector<std::uint8_t> BuildSoundFile(SoundId id)
{
    return EncodeWav16(SynthesiseSound(id), 1, SoundSampleRate);
}
