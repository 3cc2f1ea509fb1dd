// SPDX-License-Identifier: GPL-3.0-or-later
// Adjacency by sorting every edge on its two ids and pairing equal neighbours in the sorted order.
#include "d3dx/mesh_adjacency.h"

#include "d3dx/d3dx_mesh.h"

#include <algorithm>
#include <vector>

namespace {

struct Edge {
    DWORD low;
    DWORD high;
    // triangle × 3 + edge number.
    DWORD slot;
};

bool EdgeBefore(const Edge& a, const Edge& b)
{
    if (a.low != b.low) {
        return a.low < b.low;
    }
    if (a.high != b.high) {
        return a.high < b.high;
    }
    return a.slot < b.slot;
}

} // namespace

void BuildTriangleAdjacency(std::span<const DWORD> cornerIds, std::span<DWORD> adjacency)
{
    const size_t slots = cornerIds.size() / 3 * 3;
    std::fill(adjacency.begin(), adjacency.end(), D3DX_NO_NEIGHBOUR);
    std::vector<Edge> edges;
    edges.reserve(slots);
    for (size_t slot = 0; slot < slots; ++slot) {
        const size_t first = slot - slot % 3;
        const DWORD a = cornerIds[slot];
        const DWORD b = cornerIds[first + (slot + 1) % 3];
        if (a != b) {
            edges.push_back({std::min(a, b), std::max(a, b), static_cast<DWORD>(slot)});
        }
    }
    std::sort(edges.begin(), edges.end(), EdgeBefore);
    for (size_t i = 0; i + 1 < edges.size();) {
        const Edge& one = edges[i];
        const Edge& other = edges[i + 1];
        const DWORD oneFace = one.slot / 3;
        const DWORD otherFace = other.slot / 3;
        if (one.low == other.low && one.high == other.high && oneFace != otherFace) {
            adjacency[one.slot] = otherFace;
            adjacency[other.slot] = oneFace;
            i += 2;
        } else {
            ++i;
        }
    }
}
