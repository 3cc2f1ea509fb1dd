// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime generator and its [0, 1] scaling.
#include "effects/random01.h"

namespace {
thread_local std::uint32_t RandState = 1;
}

int RuntimeRand()
{
    RandState = RandState * 214013u + 2531011u;
    return static_cast<int>((RandState >> 16) & 0x7FFFu);
}

void ResetRuntimeRand(std::uint32_t state)
{
    RandState = state;
}

double Random01()
{
    constexpr float scale = 1.0f / 32767.0f;
    return RuntimeRand() * static_cast<double>(scale);
}

float ScaledRandom(double scale, double offset)
{
    return static_cast<float>(Random01() * scale + offset);
}
