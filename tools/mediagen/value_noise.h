// SPDX-License-Identifier: GPL-3.0-or-later
// Smooth value noise on an integer lattice and its fractal sum, for cloudy smoke and the ground.
#pragma once

#include <cstdint>

// Noise in [0, 1] at (x, y): random values at the lattice points, blended with a quintic curve.
// A period greater than 0 wraps the lattice so the noise tiles every `period` units.
float ValueNoise(float x, float y, std::uint32_t seed, int period = 0);

// Octaves of value noise, each at twice the frequency and half the weight of the one before,
// normalised back to [0, 1]. A period tiles the first octave (and so all of them).
float FractalNoise(float x, float y, std::uint32_t seed, int octaves, int period = 0);
