// SPDX-License-Identifier: GPL-3.0-or-later
// The show's single random source: the C runtime's generator, reproduced exactly, one state per thread.
#pragma once

#include <cstdint>

// The runtime's rand(): state = state * 214013 + 2531011 (mod 2^32), result bits 16..30 (0..32767).
// Each thread starts at state 1 and is never seeded, so a thread's sequence is the same in every run.
int RuntimeRand();

// Restarts the calling thread's sequence from its initial state; for tests and offline renders.
void ResetRuntimeRand(std::uint32_t state = 1);

// rand() scaled into [0, 1] by the single-precision 1/32767. The product is kept in double precision,
// as the original arithmetic did, so 32767 gives 0.99999999907 and trunc(Random01() * n) stays below n.
double Random01();

// Random01() * scale + offset, worked in double precision and then narrowed to float.
float ScaledRandom(double scale, double offset);
