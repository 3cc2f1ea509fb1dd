// SPDX-License-Identifier: GPL-3.0-or-later
// The seven drawing layers, one per firework family; the id is also the registry index.
#pragma once

#include <cstdint>

enum LayerId : std::int32_t {
    LayerRisingShell = 0,
    LayerChrysanthemum = 1,
    LayerBee = 2,
    LayerSaturn = 3,
    LayerSpiral = 4,
    LayerPeony = 5,
    LayerRing = 6,
};

constexpr int LayerCount = 7;
