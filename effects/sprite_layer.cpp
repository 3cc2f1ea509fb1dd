// SPDX-License-Identifier: GPL-3.0-or-later
// Point-sprite layer drawing.
#include "effects/sprite_layer.h"

#include <bit>

#include "effects/effect_context.h"
#include "effects/vertex_batches.h"

void BuildPlacementMatrix(SpritePlacement placement, const BurstPose& pose, D3DXMATRIX& world)
{
    const D3DXVECTOR3 translation(pose.centre.x, pose.centre.y + pose.drop, pose.centre.z);
    const D3DXVECTOR3 scaling(pose.radius, pose.radius, pose.radius);
    switch (placement) {
    case SpritePlacement::World:
        D3DXMatrixIdentity(&world);
        break;
    case SpritePlacement::Translate:
        D3DXMatrixTranslation(&world, translation.x, translation.y, translation.z);
        break;
    case SpritePlacement::ScaleTranslate:
        D3DXMatrixTransformation(&world, nullptr, nullptr, &scaling, nullptr, nullptr, &translation);
        break;
    case SpritePlacement::ScaleRotateTranslate:
        D3DXMatrixTransformation(&world, nullptr, nullptr, &scaling, nullptr, &pose.orientation, &translation);
        break;
    }
}

void SpriteLayer::Draw()
{
    if (activeList == nullptr) {
        return;
    }
    IDirect3DDevice8* device = Effects.device;
    SetAdditiveStates(device);
    if (placement == SpritePlacement::World) {
        device->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(layerPointSize));
    }
    device->SetStreamSource(0, SharedEffects.pointBuffer, sizeof(ColorVertex));
    device->SetVertexShader(ColorVertexFVF);
    device->SetTexture(0, SharedEffects.textures[texture]);

    // World-space objects share one batch under the identity transform already in force.
    if (placement == SpritePlacement::World) {
        PointBatch::Begin();
        for (FireObject* object = activeList; object != nullptr; object = object->next) {
            object->Draw();
        }
        PointBatch::EndPoints();
        return;
    }
    for (FireObject* object = activeList; object != nullptr; object = object->next) {
        BurstPose pose;
        object->GetPose(pose);
        D3DXMATRIX world;
        BuildPlacementMatrix(placement, pose, world);
        device->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(pose.pointSize));
        device->SetTransform(D3DTS_WORLD, &world);
        PointBatch::Begin();
        object->Draw();
        PointBatch::EndPoints();
    }
}
