// SPDX-License-Identifier: GPL-3.0-or-later
// The show's sounds: their ids and the WAV files the generator writes for them.
#pragma once

enum class SoundId : int {
    Thump,       // a shell leaving its mortar
    Whistle,     // a rising whistle on the climb
    BoomLarge,   // the deep burst of a large sphere
    BoomMedium,  // a lighter burst
    Crack,       // the sharp burst of a ring
    Crackle,     // swarming and twinkling sparks
};

inline constexpr int SoundCount = 6;

// Sample rate of every sound and of the mix.
inline constexpr int SoundSampleRate = 48000;

// The file name of each sound, in id order.
inline constexpr const char* SoundFileNames[SoundCount] = {
    "Thump.wav", "Whistle.wav", "BoomLarge.wav", "BoomMedium.wav", "Crack.wav", "Crackle.wav",
};

// One world unit is 40 m (a large burst spreads about two units, some 80 m across, 150 m up),
// so sound crosses 343 / 40 units a second.
inline constexpr float MetresPerUnit = 40.0f;
inline constexpr float SpeedOfSoundUnits = 343.0f / MetresPerUnit;
