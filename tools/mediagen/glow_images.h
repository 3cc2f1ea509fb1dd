// SPDX-License-Identifier: GPL-3.0-or-later
// The glow pictures of the effects. They are drawn additively and tinted by the vertex colour, so they
// are white-to-black greys: black is transparent and the brightness is the glow. All are black at
// their borders and fall off smoothly.
#pragma once

#include "tools/mediagen/image.h"

// Sparks: a small hot core in a faint halo (64 x 64).
Image DrawStarImage();
// A soft glow stretched upright (64 x 64).
Image DrawLaunchImage();
// The bursts' stars: a soft round glow, wider than a spark (64 x 64).
Image DrawShineImage();
// Twinkling sparks: a hot core with four long thin rays and four shorter diagonal ones (64 x 64).
Image DrawShine2Image();
// Burst flashes: a wide soft glow (128 x 128, loaded with seven mip levels).
Image DrawLightImage();
// A field of soft speckles that tiles seamlessly (64 x 64).
Image DrawRandomImage();
