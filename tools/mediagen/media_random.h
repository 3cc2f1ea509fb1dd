// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's own random numbers: a small fixed-seed generator and an integer hash, so the media
// come out byte for byte the same on every run and never depend on the system's generator.
#pragma once

#include <cstdint>

// Mixes the bits of a 32-bit value thoroughly (a multiply-xorshift finaliser).
constexpr std::uint32_t HashBits(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

// Hash of a lattice point and a seed, for value noise.
constexpr std::uint32_t HashLattice(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    return HashBits(static_cast<std::uint32_t>(x) ^
                    HashBits(static_cast<std::uint32_t>(y) ^ HashBits(seed + 0x9E3779B9u)));
}

// A sequence of numbers from one seed: a Weyl counter fed through the hash.
class MediaRandom {
public:
    explicit constexpr MediaRandom(std::uint32_t seed) : state(seed) {}

    constexpr std::uint32_t NextBits()
    {
        state += 0x9E3779B9u;
        return HashBits(state);
    }

    // Uniform in [0, 1).
    constexpr float Next01() { return static_cast<float>(NextBits() >> 8) * (1.0f / 16777216.0f); }

    // Uniform in [low, high).
    constexpr float Range(float low, float high) { return low + (high - low) * Next01(); }

private:
    std::uint32_t state;
};
