// SPDX-License-Identifier: GPL-3.0-or-later
// Face and vertex reordering for OptimizeInplace, computed on plain arrays before the mesh changes.
#include "d3dx/mesh_optimize.h"

#include <algorithm>
#include <numeric>

bool PlanMeshOrder(std::span<const DWORD> attributes, std::span<const WORD> indices, DWORD vertexCount, DWORD flags,
                   MeshOrder* order)
{
    const size_t faceCount = attributes.size();
    if (indices.size() != faceCount * 3) {
        return false;
    }
    for (WORD index : indices) {
        if (index >= vertexCount) {
            return false;
        }
    }
    order->faceOrder.resize(faceCount);
    std::iota(order->faceOrder.begin(), order->faceOrder.end(), DWORD{0});
    if (flags & D3DXMESHOPT_ATTRSORT) {
        std::stable_sort(order->faceOrder.begin(), order->faceOrder.end(),
                         [&](DWORD a, DWORD b) { return attributes[a] < attributes[b]; });
    }

    order->vertexToNew.assign(vertexCount, D3DX_NO_NEIGHBOUR);
    order->vertexOrder.clear();
    order->vertexOrder.reserve(vertexCount);
    const bool renumber = (flags & (D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_COMPACT | D3DXMESHOPT_VERTEXCACHE)) != 0 &&
                          (flags & D3DXMESHOPT_IGNOREVERTS) == 0;
    if (!renumber) {
        order->vertexOrder.resize(vertexCount);
        std::iota(order->vertexOrder.begin(), order->vertexOrder.end(), DWORD{0});
        order->vertexToNew = order->vertexOrder;
        return true;
    }
    for (DWORD face : order->faceOrder) {
        for (size_t corner = 0; corner < 3; ++corner) {
            const WORD old = indices[face * 3 + corner];
            if (order->vertexToNew[old] == D3DX_NO_NEIGHBOUR) {
                order->vertexToNew[old] = static_cast<DWORD>(order->vertexOrder.size());
                order->vertexOrder.push_back(old);
            }
        }
    }
    if ((flags & D3DXMESHOPT_COMPACT) == 0) {
        for (DWORD old = 0; old < vertexCount; ++old) {
            if (order->vertexToNew[old] == D3DX_NO_NEIGHBOUR) {
                order->vertexToNew[old] = static_cast<DWORD>(order->vertexOrder.size());
                order->vertexOrder.push_back(old);
            }
        }
    }
    return true;
}

std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(std::span<const DWORD> attributes, std::span<const WORD> indices)
{
    std::vector<D3DXATTRIBUTERANGE> table;
    for (size_t face = 0; face < attributes.size(); ++face) {
        const DWORD low = std::min({indices[face * 3], indices[face * 3 + 1], indices[face * 3 + 2]});
        const DWORD high = std::max({indices[face * 3], indices[face * 3 + 1], indices[face * 3 + 2]});
        if (table.empty() || table.back().AttribId != attributes[face]) {
            table.push_back({attributes[face], static_cast<DWORD>(face), 0, low, 1});
        }
        D3DXATTRIBUTERANGE& range = table.back();
        const DWORD end = std::max(range.VertexStart + range.VertexCount, high + 1);
        range.VertexStart = std::min(range.VertexStart, low);
        range.VertexCount = end - range.VertexStart;
        range.FaceCount += 1;
    }
    return table;
}
