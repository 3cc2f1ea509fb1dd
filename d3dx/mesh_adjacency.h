// SPDX-License-Identifier: GPL-3.0-or-later
// Face adjacency of triangle lists: for each edge of each triangle, the triangle across it.
#pragma once

#include "platform/base/win_types.h"

#include <span>

// cornerIds holds 3 ids per triangle (vertex indices, or position indices so that vertices split for
// their normals still join). Edge k of a triangle runs from corner k to corner k + 1 (mod 3); two
// triangles are neighbours across an edge when both have its two ids. adjacency gets 3 entries per
// triangle, 0xFFFFFFFF where there is no neighbour. An edge shared by more than two triangles joins
// them in pairs; an edge whose ends have the same id has no neighbour.
void BuildTriangleAdjacency(std::span<const DWORD> cornerIds, std::span<DWORD> adjacency);
