// SPDX-License-Identifier: GPL-3.0-or-later
// Defaults of a new device and release of the objects a state holds.
#include "platform/d3d8/device_state.h"

#include <bit>

namespace {

constexpr DWORD FloatBits(float value) { return std::bit_cast<DWORD>(value); }

// The stencil operation value the constants header does not list.
constexpr DWORD StencilOpKeep = 1;

constexpr D3DMATRIX Identity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

void FillRenderStates(DWORD (&rs)[D3DRS_MAX], const D3DPRESENT_PARAMETERS& parameters, const D3DCAPS8& caps)
{
    for (DWORD& value : rs) {
        value = 0;
    }
    // Depth.
    rs[D3DRS_ZENABLE] = parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    // Rasterising.
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
    // Blending, the alpha test and the colour written.
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_COLORWRITEENABLE] = 0xFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    // Stencil.
    rs[D3DRS_STENCILFAIL] = StencilOpKeep;
    rs[D3DRS_STENCILZFAIL] = StencilOpKeep;
    rs[D3DRS_STENCILPASS] = StencilOpKeep;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    // Lighting.
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    // Fog.
    rs[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
    rs[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
    rs[D3DRS_FOGSTART] = FloatBits(0.0f);
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    // Points, the largest the device can draw (64 when the caps give none).
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(0.0f);
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(caps.MaxPointSize > 0.0f ? caps.MaxPointSize : 64.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_B] = FloatBits(0.0f);
    rs[D3DRS_POINTSCALE_C] = FloatBits(0.0f);
}

void FillStage(DWORD (&tss)[D3DTSS_MAX], DWORD stage)
{
    for (DWORD& value : tss) {
        value = 0;
    }
    // Stage 0 modulates the texture by the diffuse colour; later stages start disabled.
    tss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    tss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    tss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    tss[D3DTSS_COLORARG2] = stage == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
    tss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    tss[D3DTSS_ALPHAARG2] = stage == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
    tss[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    tss[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    tss[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    tss[D3DTSS_TEXCOORDINDEX] = stage;
    tss[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    tss[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    tss[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    tss[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    tss[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    tss[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    tss[D3DTSS_MAXANISOTROPY] = 1;
    tss[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
}

} // namespace

void FillDefaultDeviceState(DeviceState& state, const D3DPRESENT_PARAMETERS& parameters, const D3DCAPS8& caps)
{
    FillRenderStates(state.renderStates, parameters, caps);
    for (DWORD stage = 0; stage < D3DMAX_TEXTURE_STAGES; ++stage) {
        FillStage(state.textureStageStates[stage], stage);
        state.textures[stage] = nullptr;
    }
    for (D3DMATRIX& transform : state.transforms) {
        transform = Identity;
    }
    // A light enabled before it is set shines white along +z.
    for (int i = 0; i < DeviceLightCount; ++i) {
        state.lights[i] = {};
        state.lights[i].Type = D3DLIGHT_DIRECTIONAL;
        state.lights[i].Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
        state.lights[i].Direction = {0.0f, 0.0f, 1.0f};
        state.lightEnabled[i] = FALSE;
    }
    for (ClipPlane& plane : state.clipPlanes) {
        plane = {};
    }
    state.material = {};
    state.viewport = {0, 0, parameters.BackBufferWidth, parameters.BackBufferHeight, 0.0f, 1.0f};
    state.streamSource = nullptr;
    state.streamStride = 0;
    state.indices = nullptr;
    state.baseVertexIndex = 0;
    state.vertexShader = 0;
    state.pixelShader = 0;
}

void ReleaseBoundObjects(DeviceState& state)
{
    for (IDirect3DBaseTexture8*& texture : state.textures) {
        Rebind(texture, static_cast<IDirect3DBaseTexture8*>(nullptr));
    }
    Rebind(state.streamSource, static_cast<IDirect3DVertexBuffer8*>(nullptr));
    Rebind(state.indices, static_cast<IDirect3DIndexBuffer8*>(nullptr));
}
