// SPDX-License-Identifier: GPL-3.0-or-later
// The three particle passes of the effect frame: each retires expired records, then draws the rest
// additively without depth writes.
#pragma once

// Sparks: warm fading points, then twinkling sparks that show in about one frame in ten.
void DrawSparks();
// Flashes: flickering, fading glows; recomputes FlashBrightness.
void DrawFlashes();
// Smoke: grey drifting puffs, tinted by the flashes drawn this frame.
void DrawSmoke();
