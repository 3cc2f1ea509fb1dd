// Layer 5's drawing: additive sprites, per shell its point size and its scale-rotate-translate matrix.
#include "shells/peony_layer.h"

#include <bit>

#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/vertex_batches.h"

void PeonyLayer::Draw()
{
    if (activeList == nullptr) {
        return;
    }
    IDirect3DDevice8* device = Effects.device;
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetStreamSource(0, SharedEffects.pointBuffer, sizeof(ColorVertex));
    device->SetVertexShader(ColorVertexFVF);
    device->SetTexture(0, SharedEffects.textures[TextureShine]);

    for (FireObject* object = activeList; object != nullptr; object = object->next) {
        // The pose is virtual, so an object of another family submitted here still draws sanely.
        BurstPose pose;
        object->GetPose(pose);
        const D3DXVECTOR3 scaling(pose.radius, pose.radius, pose.radius);
        const D3DXVECTOR3 translation(pose.centre.x, pose.centre.y + pose.drop, pose.centre.z);
        D3DXMATRIX world;
        D3DXMatrixTransformation(&world, nullptr, nullptr, &scaling, nullptr, &pose.orientation, &translation);

        device->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(pose.pointSize));
        device->SetTransform(D3DTS_WORLD, &world);
        PointBatch::Begin();
        object->Draw();
        PointBatch::EndPoints();
    }
}
