// SPDX-License-Identifier: GPL-3.0-or-later
// The ground picture: a dark, subtle, tiling texture (loaded with the ground grid, never drawn).
#pragma once

#include "tools/mediagen/image.h"

// 64 x 64, dark brown-grey with soft mottling.
Image DrawGroundImage();
