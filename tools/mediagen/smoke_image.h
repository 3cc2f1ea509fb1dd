// SPDX-License-Identifier: GPL-3.0-or-later
// The smoke picture: four different soft, cloudy puffs, one in each quarter. A puff shows one quarter,
// so each is black along its quarter's edges and no neighbour bleeds in.
#pragma once

#include "tools/mediagen/image.h"

// Side of the whole picture (loaded with seven mip levels); each puff is half of it.
constexpr int kSmokeSide = 128;

// Puff i (0..3) lies in the quarter at column i & 1 and row i >> 1, the quarter the smoke pass maps
// image i to.
Image DrawSmokeImage();
