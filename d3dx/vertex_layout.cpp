// SPDX-License-Identifier: GPL-3.0-or-later
// Vertex layouts of the mesh formats and the component-wise copy between two of them.
#include "d3dx/vertex_layout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD MeshFvfBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                              D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK;
constexpr UINT LargestTexCount = 8;
constexpr D3DCOLOR OpaqueWhite = 0xFFFFFFFFu;

// Copies size bytes of one component, or fills the destination when the source has none.
void CopyComponent(const BYTE* source, int fromOffset, BYTE* destination, int toOffset, UINT size)
{
    if (toOffset < 0) {
        return;
    }
    if (fromOffset >= 0) {
        std::memcpy(destination + toOffset, source + fromOffset, size);
    } else {
        std::memset(destination + toOffset, 0, size);
    }
}

} // namespace

bool DescribeMeshFvf(DWORD fvf, VertexLayout* layout)
{
    if ((fvf & ~MeshFvfBits) != 0 || (fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ) {
        return false;
    }
    const VertexLayout result = FvfLayoutOf(fvf);
    if (result.texCount > LargestTexCount) {
        return false;
    }
    *layout = result;
    return true;
}

void ConvertVertices(const VertexLayout& from, const BYTE* source, const VertexLayout& to, BYTE* destination,
                     UINT count)
{
    const UINT sharedTexCount = std::min(from.texCount, to.texCount);
    for (UINT i = 0; i < count; ++i) {
        const BYTE* in = source + static_cast<size_t>(i) * from.stride;
        BYTE* out = destination + static_cast<size_t>(i) * to.stride;
        CopyComponent(in, from.position, out, to.position, 12);
        CopyComponent(in, from.normal, out, to.normal, 12);
        CopyComponent(in, from.pointSize, out, to.pointSize, 4);
        CopyComponent(in, from.specular, out, to.specular, 4);
        if (to.diffuse >= 0) {
            if (from.diffuse >= 0) {
                std::memcpy(out + to.diffuse, in + from.diffuse, 4);
            } else {
                std::memcpy(out + to.diffuse, &OpaqueWhite, 4);
            }
        }
        if (to.texCount > 0) {
            if (sharedTexCount > 0) {
                std::memcpy(out + to.texCoords, in + from.texCoords, sharedTexCount * 8);
            }
            std::memset(out + to.texCoords + sharedTexCount * 8, 0, (to.texCount - sharedTexCount) * 8);
        }
    }
}
