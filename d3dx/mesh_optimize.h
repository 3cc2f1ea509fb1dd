// SPDX-License-Identifier: GPL-3.0-or-later
// The new face and vertex order that OptimizeInplace applies, and the attribute table of a face order.
#pragma once

#include "d3dx/d3dx_mesh.h"

#include <span>
#include <vector>

struct MeshOrder {
    // New face i is old face faceOrder[i].
    std::vector<DWORD> faceOrder;
    // New vertex i is old vertex vertexOrder[i]; shorter than the old count when vertices were dropped.
    std::vector<DWORD> vertexOrder;
    // Old vertex → new vertex, D3DX_NO_NEIGHBOUR for a dropped one.
    std::vector<DWORD> vertexToNew;
};

// attributes: one per face; indices: three per face, each below vertexCount (false otherwise).
// ATTRSORT sorts faces stably by attribute; ATTRSORT, COMPACT or VERTEXCACHE number the vertices in the
// order the new faces first use them, unused ones last (dropped with COMPACT); IGNOREVERTS keeps them.
bool PlanMeshOrder(std::span<const DWORD> attributes, std::span<const WORD> indices, DWORD vertexCount, DWORD flags,
                   MeshOrder* order);

// One entry per run of equal attributes in face order, with the vertex range the run's faces use.
std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(std::span<const DWORD> attributes, std::span<const WORD> indices);
