// SPDX-License-Identifier: GPL-3.0-or-later
// Mixing the show's sounds: events become voices, voices are summed and held below full scale.
#include "sound/sound_mixer.h"

#include <algorithm>
#include <cmath>

#include "sound/wav_file.h"

namespace {

// Levels pass unchanged up to Knee; above it they bend smoothly towards 1 and never reach it, so a
// crowd of bursts is loud but never clips.
constexpr float Knee = 0.8f;

float Limit(float x)
{
    const float a = std::fabs(x);
    if (a <= Knee) {
        return x;
    }
    const float bent = Knee + (1.0f - Knee) * std::tanh((a - Knee) / (1.0f - Knee));
    return std::copysign(std::min(bent, 0.9999f), x);
}

} // namespace

HeardFrom HearFrom(const Listener& listener, const float position[3])
{
    const float d[3] = {position[0] - listener.eye[0], position[1] - listener.eye[1], position[2] - listener.eye[2]};
    const float distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    HeardFrom heard;
    heard.delay = distance / SpeedOfSoundUnits;
    heard.gain = ReferenceDistance / std::max(distance, ReferenceDistance);
    if (distance > 1e-4f) {
        const float side = (d[0] * listener.right[0] + d[1] * listener.right[1] + d[2] * listener.right[2]) / distance;
        heard.pan = std::clamp(side, -1.0f, 1.0f);
    }
    return heard;
}

void SoundMixer::SetSound(SoundId id, std::vector<float> samples)
{
    sounds_[static_cast<int>(id)] = std::move(samples);
}

bool SoundMixer::LoadSounds(const std::string& folder, std::string& error)
{
    for (int i = 0; i < SoundCount; ++i) {
        WavData wav;
        const std::string path = folder.empty() ? SoundFileNames[i] : folder + "/" + SoundFileNames[i];
        if (!LoadWav16(path, wav, error)) {
            return false;
        }
        if (wav.channels != 1 || wav.sampleRate != SoundSampleRate) {
            error = path + ": not mono at " + std::to_string(SoundSampleRate) + " Hz";
            return false;
        }
        SetSound(static_cast<SoundId>(i), std::move(wav.samples));
    }
    return true;
}

void SoundMixer::Admit(const SoundEvent& event, std::int64_t now)
{
    const int id = static_cast<int>(event.sound);
    // A time, gain or pan that is not a number would poison the whole mix; such an event is dropped.
    if (id < 0 || id >= SoundCount || sounds_[id].empty() || !(event.gain > 0.0f) || !std::isfinite(event.gain) ||
        !std::isfinite(event.time) || !std::isfinite(event.pan)) {
        return;
    }
    // With every voice busy the event is dropped: the loudest moments lose nothing audible.
    Voice* slot = nullptr;
    for (Voice& voice : voices_) {
        if (!voice.active) {
            slot = &voice;
            break;
        }
    }
    if (slot == nullptr) {
        return;
    }
    const double wanted = std::floor(event.time * SoundSampleRate + 0.5);
    slot->start = std::max<std::int64_t>(now, static_cast<std::int64_t>(std::clamp(wanted, -1e15, 1e15)));
    slot->data = sounds_[id].data();
    slot->length = static_cast<std::int64_t>(sounds_[id].size());
    // Equal power across the stereo field.
    const float angle = (std::clamp(event.pan, -1.0f, 1.0f) + 1.0f) * 0.25f * 3.14159265f;
    const float gain = std::min(event.gain, 4.0f);
    slot->left = gain * std::cos(angle);
    slot->right = gain * std::sin(angle);
    slot->active = true;
}

void SoundMixer::Mix(float* stereo, int frames)
{
    const std::int64_t now = mixed_.load(std::memory_order_relaxed);
    SoundEvent event;
    while (ring_.Pop(event)) {
        Admit(event, now);
    }
    std::fill(stereo, stereo + 2 * static_cast<std::size_t>(std::max(frames, 0)), 0.0f);
    const std::int64_t end = now + frames;
    const std::int64_t seek = musicSeek_.exchange(-1, std::memory_order_relaxed);
    std::int64_t played = musicPlayed_.load(std::memory_order_relaxed);
    if (seek >= 0) {
        played = seek;
    }
    const auto musicFrames = static_cast<std::int64_t>(music_.size() / 2);
    const bool music = musicPlaying_.load(std::memory_order_relaxed) && played < musicFrames;
    const float duck = music ? MusicDuck : 1.0f;
    for (Voice& voice : voices_) {
        if (!voice.active || voice.start >= end) {
            continue;
        }
        const std::int64_t from = std::max(voice.start, now);
        const std::int64_t to = std::min(voice.start + voice.length, end);
        for (std::int64_t t = from; t < to; ++t) {
            const float s = voice.data[t - voice.start] * duck;
            float* out = stereo + 2 * (t - now);
            out[0] += s * voice.left;
            out[1] += s * voice.right;
        }
        if (voice.start + voice.length <= end) {
            voice.active = false;
        }
    }
    if (music) {
        const std::int64_t count = std::min<std::int64_t>(frames, musicFrames - played);
        const float* from = music_.data() + 2 * played;
        for (std::int64_t i = 0; i < 2 * count; ++i) {
            stereo[i] += from[i];
        }
        played += count;
    }
    musicPlayed_.store(played, std::memory_order_release);
    const bool muted = Muted();
    for (int i = 0; i < 2 * frames; ++i) {
        stereo[i] = muted ? 0.0f : Limit(stereo[i]);
    }
    mixed_.store(end, std::memory_order_release);
}
