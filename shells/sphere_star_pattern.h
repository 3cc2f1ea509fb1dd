// SPDX-License-Identifier: GPL-3.0-or-later
// SphereStarPattern: star positions on latitude circles of a sphere, shared by the burst shells.
#pragma once

#include "d3dx/d3dx_math.h"

// Densities above this give no positions: the pattern grows with the square of the density.
constexpr int SphereStarPatternMaxCount = 1024;

// Fills positions with a new[]-allocated array (the caller releases it with delete[]) and
// positionCount with its length. For count < 4 or above SphereStarPatternMaxCount there are no
// rows: positions is null and positionCount 0. Draws one Random01 per non-empty row (its phase)
// and then one per star (its height jitter).
void SphereStarPattern(int count, float radius, D3DXVECTOR3*& positions, int& positionCount);
