// SPDX-License-Identifier: GPL-3.0-or-later
// Where each component of a flexible-vertex-format vertex lies: the one decoder of the format bits,
// used for vertex sizes, the GL device's attributes and the meshes' vertex copies.
#pragma once

#include "platform/d3d8/d3d8_constants.h"

// Byte offsets of the components in the order the format lays them out; -1 where it has none.
struct FvfLayout {
    UINT stride = 0;
    // D3DFVF_XYZRHW: screen-space x, y, z and the reciprocal of w.
    bool pretransformed = false;
    int position = -1;
    int normal = -1;
    int pointSize = -1;
    int diffuse = -1;
    int specular = -1;
    int texCoords = -1;
    // 2-D texture coordinate sets, each 8 bytes.
    UINT texCount = 0;
};

// Positions other than D3DFVF_XYZ and D3DFVF_XYZRHW (the blended ones) take no room and leave
// position at -1; callers that draw or copy refuse such formats.
constexpr FvfLayout FvfLayoutOf(DWORD fvf)
{
    FvfLayout layout;
    int offset = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
        layout.position = 0;
        offset = 12;
        break;
    case D3DFVF_XYZRHW:
        layout.position = 0;
        layout.pretransformed = true;
        offset = 16;
        break;
    default:
        break;
    }
    if (fvf & D3DFVF_NORMAL) {
        layout.normal = offset;
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE) {
        layout.pointSize = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuse = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout.specular = offset;
        offset += 4;
    }
    layout.texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (layout.texCount > 0) {
        layout.texCoords = offset;
        offset += static_cast<int>(layout.texCount * 8);
    }
    layout.stride = static_cast<UINT>(offset);
    return layout;
}

// Size in bytes of one vertex of a flexible vertex format.
constexpr UINT D3DFVFVertexSize(DWORD fvf)
{
    return FvfLayoutOf(fvf).stride;
}
