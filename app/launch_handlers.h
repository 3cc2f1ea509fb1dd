// SPDX-License-Identifier: GPL-3.0-or-later
// The launch actions of the six firework kinds, and the registration of their 66 entries.
#pragma once

#include <cstdint>

#include "app/firework_types.h"

// Each builds its kind's burst centred on (bx, by, bz) with the colour variant id mod 1000 (99: a
// random one of 0..9) and launches it from (lx, ly, lz). An id of no variant launches nothing.
void LaunchChrysanthemum(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx,
                         float by, float bz);
void LaunchBee(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
               float bz);
void LaunchSaturn(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                  float bz);
void LaunchSpiral(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                  float bz);
void LaunchPeony(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                 float bz);
void LaunchRing(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                float bz);

// Registers 菊, 蜂, 土星, スパイラル, 牡丹 and リング, each as variants _0 to _9 and _X (ids
// kind × 1000 + 0..9 and + 99, weight 1), then finishes the registry.
void RegisterFireworkKinds(FireworkTypeRegistry& registry);
