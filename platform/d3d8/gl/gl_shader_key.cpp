// SPDX-License-Identifier: GPL-3.0-or-later
// Building and packing shader keys from the device state.
#include "platform/d3d8/gl/gl_shader_key.h"

namespace {

std::uint8_t NormalOp(DWORD op)
{
    // Operations the family does not generate are drawn as MODULATE, the stage's usual work.
    return op >= D3DTOP_DISABLE && op <= D3DTOP_ADD ? static_cast<std::uint8_t>(op)
                                                    : static_cast<std::uint8_t>(D3DTOP_MODULATE);
}

std::uint8_t NormalArg(DWORD arg)
{
    std::uint8_t value = static_cast<std::uint8_t>(arg & 0x7u);
    if (arg & D3DTA_COMPLEMENT) value |= 8;
    if (arg & D3DTA_ALPHAREPLICATE) value |= 16;
    return value;
}

} // namespace

std::uint64_t GlShaderKey::Pack() const
{
    std::uint64_t bits = 0;
    int shift = 0;
    const auto put = [&](std::uint64_t value, int width) {
        bits |= (value & ((1ull << width) - 1)) << shift;
        shift += width;
    };
    put(pretransformed, 1);
    put(hasNormal, 1);
    put(hasDiffuse, 1);
    put(hasTexCoord, 1);
    put(hasPointSize, 1);
    put(lighting, 1);
    put(diffuseFromVertex, 1);
    put(fogMode, 2);
    put(flat, 1);
    put(points, 1);
    put(pointSprite, 1);
    put(pointScale, 1);
    put(textureBound, 1);
    put(alphaFunc, 4);
    put(colorOp, 4);
    put(colorArg1, 5);
    put(colorArg2, 5);
    put(alphaOp, 4);
    put(alphaArg1, 5);
    put(alphaArg2, 5);
    put(clipPlanes, DeviceClipPlaneCount);
    return bits;
}

GlShaderKey ShaderKeyFor(const DeviceState& state, const GlVertexLayout& layout, D3DPRIMITIVETYPE primitive,
                         bool textureBound)
{
    const DWORD* rs = state.renderStates;
    const DWORD* stage = state.textureStageStates[0];
    GlShaderKey key{};
    key.pretransformed = layout.pretransformed;
    key.hasNormal = layout.normal >= 0;
    key.hasDiffuse = layout.diffuse >= 0;
    key.hasTexCoord = layout.texCoords >= 0;
    key.hasPointSize = layout.pointSize >= 0;
    // Pre-transformed vertices arrive lit and unfogged.
    key.lighting = !layout.pretransformed && rs[D3DRS_LIGHTING] != FALSE;
    key.diffuseFromVertex = key.lighting && key.hasDiffuse && rs[D3DRS_COLORVERTEX] != FALSE &&
                            rs[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
    if (!layout.pretransformed && rs[D3DRS_FOGENABLE] != FALSE) {
        // Table fog wins; vertex fog is drawn the same way, per pixel on eye depth.
        const DWORD mode = rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs[D3DRS_FOGTABLEMODE] : rs[D3DRS_FOGVERTEXMODE];
        key.fogMode = static_cast<std::uint8_t>(mode <= D3DFOG_LINEAR ? mode : D3DFOG_NONE);
    }
    key.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    key.points = primitive == D3DPT_POINTLIST;
    key.pointSprite = key.points && rs[D3DRS_POINTSPRITEENABLE] != FALSE;
    key.pointScale = key.points && !layout.pretransformed && rs[D3DRS_POINTSCALEENABLE] != FALSE;
    key.textureBound = textureBound;
    key.clipPlanes = layout.pretransformed ? 0 : static_cast<std::uint8_t>(rs[D3DRS_CLIPPLANEENABLE] & 0x3Fu);
    if (rs[D3DRS_ALPHATESTENABLE] != FALSE) {
        const DWORD func = rs[D3DRS_ALPHAFUNC];
        key.alphaFunc = static_cast<std::uint8_t>(func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? func : D3DCMP_ALWAYS);
    }
    key.colorOp = NormalOp(stage[D3DTSS_COLOROP]);
    key.colorArg1 = NormalArg(stage[D3DTSS_COLORARG1]);
    key.colorArg2 = NormalArg(stage[D3DTSS_COLORARG2]);
    key.alphaOp = NormalOp(stage[D3DTSS_ALPHAOP]);
    key.alphaArg1 = NormalArg(stage[D3DTSS_ALPHAARG1]);
    key.alphaArg2 = NormalArg(stage[D3DTSS_ALPHAARG2]);
    return key;
}
