// SPDX-License-Identifier: GPL-3.0-or-later
// Where each component of a flexible-vertex-format vertex lies, and copying vertices between formats.
#pragma once

#include "platform/d3d8/fvf_layout.h"

// Byte offsets of the components; -1 where the format has none.
using VertexLayout = FvfLayout;

// True for the formats a mesh can hold: D3DFVF_XYZ positions, optional normal, point size, diffuse and
// specular colours, and up to eight 2-D texture coordinate sets.
bool DescribeMeshFvf(DWORD fvf, VertexLayout* layout);

// Copies count vertices, component by component. What the source lacks is zero in the destination, except
// the diffuse colour, which becomes opaque white so the copy does not turn black and transparent.
void ConvertVertices(const VertexLayout& from, const BYTE* source, const VertexLayout& to, BYTE* destination,
                     UINT count);
