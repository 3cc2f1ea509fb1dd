// SPDX-License-Identifier: GPL-3.0-or-later
// The show's sounds, synthesised: mono samples at the mix's rate, peaks at 0.9 of full scale.
#pragma once

#include <cstdint>
#include <vector>

#include "sound/sound_names.h"

std::vector<float> SynthesiseSound(SoundId id);

// The WAV file of a sound.
std::vector<std::uint8_t> BuildSoundFile(SoundId id);
