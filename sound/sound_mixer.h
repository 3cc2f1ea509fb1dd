// SPDX-License-Identifier: GPL-3.0-or-later
// The sound engine's mixer: sound events heard at a time on the mix's own clock, each a voice with its
// gain and pan, summed into interleaved stereo. Mix() neither allocates nor locks, so an audio
// callback may call it while the show posts.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/event_ring.h"
#include "sound/sound_names.h"

struct SoundEvent {
    SoundId sound = SoundId::Thump;
    // When it is heard, in seconds on the mixer's clock (travel time included).
    double time = 0.0;
    float gain = 1.0f;
    // -1 full left .. 1 full right.
    float pan = 0.0f;
};

// Where the sound is heard from: the eye and the direction to its right.
struct Listener {
    float eye[3] = {0.0f, 0.0f, 0.0f};
    float right[3] = {1.0f, 0.0f, 0.0f};
};

struct HeardFrom {
    float delay = 0.0f;  // distance over the speed of sound, seconds
    float gain = 1.0f;   // 1 up to ReferenceDistance, then falling as its inverse
    float pan = 0.0f;
};

// The show's own sounds are turned down this much while music plays under them.
inline constexpr float MusicDuck = 0.7f;

// Distance within which a sound is at full strength, in world units.
inline constexpr float ReferenceDistance = 4.0f;

HeardFrom HearFrom(const Listener& listener, const float position[3]);

class SoundMixer {
public:
    static constexpr int MaxVoices = 512;

    // Sets a sound's mono samples; only before mixing starts.
    void SetSound(SoundId id, std::vector<float> samples);
    // Loads every sound from folder's WAV files; false with a reason for the first that fails.
    bool LoadSounds(const std::string& folder, std::string& error);

    // Producer side: false when the queue is full and the event is dropped.
    bool Post(const SoundEvent& event) { return ring_.Push(event); }
    // Seconds mixed so far.
    double Clock() const
    {
        return static_cast<double>(mixed_.load(std::memory_order_acquire)) / SoundSampleRate;
    }
    void SetMuted(bool muted) { muted_.store(muted, std::memory_order_relaxed); }

    // Music under the show: interleaved stereo at SoundSampleRate; only before mixing starts. It plays
    // while playing is set, from where it stands; SeekMusic moves it (the mix takes the request).
    void SetMusic(std::vector<float> stereo) { music_ = std::move(stereo); }
    void SetMusicPlaying(bool playing) { musicPlaying_.store(playing, std::memory_order_relaxed); }
    void SeekMusic(double seconds)
    {
        musicSeek_.store(static_cast<std::int64_t>(std::max(0.0, seconds) * SoundSampleRate),
                         std::memory_order_relaxed);
    }
    // Seconds of music played so far.
    double MusicClock() const
    {
        return static_cast<double>(musicPlayed_.load(std::memory_order_acquire)) / SoundSampleRate;
    }
    bool Muted() const { return muted_.load(std::memory_order_relaxed); }

    // Consumer side: the next frames of interleaved stereo, levels held within -1..1.
    void Mix(float* stereo, int frames);

private:
    struct Voice {
        const float* data = nullptr;
        std::int64_t length = 0;
        std::int64_t start = 0;
        float left = 0.0f;
        float right = 0.0f;
        bool active = false;
    };

    void Admit(const SoundEvent& event, std::int64_t now);

    std::array<std::vector<float>, SoundCount> sounds_;
    EventRing<SoundEvent, 2048> ring_;
    std::array<Voice, MaxVoices> voices_{};
    std::atomic<std::int64_t> mixed_{0};
    std::atomic<bool> muted_{false};
    std::vector<float> music_;
    std::atomic<bool> musicPlaying_{false};
    std::atomic<std::int64_t> musicSeek_{-1};
    std::atomic<std::int64_t> musicPlayed_{0};
};
