// SPDX-License-Identifier: GPL-3.0-or-later
// Layer 1's drawing: the stars' vertical and horizontal ribbons streamed as flat-coloured triangles.
#include "shells/chrysanthemum_layer.h"

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/vertex_batches.h"
#include "shells/chrysanthemum_shell.h"

bool TextureStageResetFlag = true;

namespace {

void EmitTriangle(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c, DWORD color)
{
    ColorVertex* vertices = PointBatch::NextTriangle();
    vertices[0] = ColorVertex{a.x, a.y, a.z, color};
    vertices[1] = ColorVertex{b.x, b.y, b.z, color};
    vertices[2] = ColorVertex{c.x, c.y, c.z, color};
}

void EmitStar(const ChrysanthemumStar& star, DWORD color)
{
    // Vertical ribbon: pointed at the head and at the tail tip, one size deep in between.
    EmitTriangle(star.head, star.trailPoint1, star.trailPoint1Low, color);
    EmitTriangle(star.trailPoint1, star.trailPoint2, star.trailPoint1Low, color);
    EmitTriangle(star.trailPoint1Low, star.trailPoint2, star.trailPoint2Low, color);
    EmitTriangle(star.trailPoint2, star.trailPoint3, star.trailPoint2Low, color);
    // Horizontal ribbon: the same outline laid across the trail.
    EmitTriangle(star.head, star.trailPoint1Plus, star.trailPoint1Minus, color);
    EmitTriangle(star.trailPoint1Plus, star.trailPoint2Plus, star.trailPoint1Minus, color);
    EmitTriangle(star.trailPoint1Minus, star.trailPoint2Plus, star.trailPoint2Minus, color);
    EmitTriangle(star.trailPoint2Plus, star.trailPoint3, star.trailPoint2Minus, color);
}

} // namespace

void ChrysanthemumLayer::Draw()
{
    if (activeList == nullptr) {
        return;
    }
    IDirect3DDevice8* device = Effects.device;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    SetAdditiveStates(device, D3DBLEND_SRCALPHA);
    device->SetStreamSource(0, SharedEffects.pointBuffer, sizeof(ColorVertex));
    device->SetVertexShader(ColorVertexFVF);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, nullptr);

    PointBatch::Begin();
    for (FireObject* object = activeList; object != nullptr; object = object->next) {
        // Only chrysanthemum shells carry stars; anything else submitted to this layer draws nothing.
        const auto* shell = dynamic_cast<const ChrysanthemumShell*>(object);
        if (shell == nullptr || shell->stars == nullptr) {
            continue;
        }
        // In its admission frame a shell has no positions yet.
        const float t = (Effects.time - shell->birthTime) / shell->duration;
        if (t == 0.0f) {
            continue;
        }
        const DWORD color = PackColor(shell->color.r, shell->color.g, shell->color.b, shell->color.a);
        // Blended by source alpha onto what is there: no alpha or no colour adds nothing.
        if (AddsNothing(color) || (color >> 24) == 0) {
            continue;
        }
        for (int i = 0; i < shell->starCount; ++i) {
            EmitStar(shell->stars[i], color);
        }
    }
    PointBatch::EndTriangles();

    if (TextureStageResetFlag) {
        device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
}
