// SPDX-License-Identifier: GPL-3.0-or-later
// The point and quad writers.
#include "effects/vertex_batches.h"

#include "effects/billboard.h"
#include "effects/effect_context.h"
#include "effects/effect_resources.h"

namespace {

// One open batch of each kind. When a lock fails the writers hand out a scratch slot and draw nothing,
// so a lost buffer costs a frame's effects, never a crash.
struct BatchState {
    BYTE* memory = nullptr;
    int count = 0;
};

BatchState Points;
BatchState Quads;
ColorVertex PointScratch[3];
TexturedVertex QuadScratch[TrimmedBillboardVertices];

void Lock(IDirect3DVertexBuffer8* buffer, BatchState& batch)
{
    batch.count = 0;
    batch.memory = nullptr;
    if (buffer == nullptr || FAILED(buffer->Lock(0, 0, &batch.memory, D3DLOCK_DISCARD))) {
        batch.memory = nullptr;
    }
}

void Unlock(IDirect3DVertexBuffer8* buffer, BatchState& batch)
{
    if (batch.memory != nullptr) {
        buffer->Unlock();
    }
}

void Flush(IDirect3DVertexBuffer8* buffer, BatchState& batch, D3DPRIMITIVETYPE type, UINT primitives)
{
    const bool locked = batch.memory != nullptr;
    Unlock(buffer, batch);
    if (locked && primitives > 0) {
        Effects.device->DrawPrimitive(type, 0, primitives);
    }
    Lock(buffer, batch);
}

template <typename Vertex>
Vertex* Take(BatchState& batch, int vertices, Vertex* scratch)
{
    if (batch.memory == nullptr) {
        return scratch;
    }
    Vertex* slot = reinterpret_cast<Vertex*>(batch.memory) + batch.count;
    batch.count += vertices;
    return slot;
}

} // namespace

void PointBatch::Begin()
{
    Lock(SharedEffects.pointBuffer, Points);
}

ColorVertex* PointBatch::NextPoint()
{
    if (Points.count >= SharedEffects.batchCapacity) {
        Flush(SharedEffects.pointBuffer, Points, D3DPT_POINTLIST, static_cast<UINT>(Points.count));
    }
    return Take(Points, 1, PointScratch);
}

ColorVertex* PointBatch::NextTriangle()
{
    if (Points.count + 3 > SharedEffects.batchCapacity) {
        Flush(SharedEffects.pointBuffer, Points, D3DPT_TRIANGLELIST, static_cast<UINT>(Points.count / 3));
    }
    return Take(Points, 3, PointScratch);
}

void PointBatch::AddPoints(const D3DXVECTOR3* positions, int count, D3DCOLOR color)
{
    if (AddsNothing(color)) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        *NextPoint() = ColorVertex{positions[i].x, positions[i].y, positions[i].z, color};
    }
}

void PointBatch::EndPoints()
{
    if (Points.count > 0) {
        Flush(SharedEffects.pointBuffer, Points, D3DPT_POINTLIST, static_cast<UINT>(Points.count));
    }
    Unlock(SharedEffects.pointBuffer, Points);
    Points.memory = nullptr;
}

void PointBatch::EndTriangles()
{
    if (Points.count > 0) {
        Flush(SharedEffects.pointBuffer, Points, D3DPT_TRIANGLELIST, static_cast<UINT>(Points.count / 3));
    }
    Unlock(SharedEffects.pointBuffer, Points);
    Points.memory = nullptr;
}

void QuadBatch::Begin()
{
    Lock(SharedEffects.quadBuffer, Quads);
}

namespace {

TexturedVertex* NextQuadVertices(int vertices)
{
    if (Quads.count + vertices > SharedEffects.batchCapacity) {
        Flush(SharedEffects.quadBuffer, Quads, D3DPT_TRIANGLELIST, static_cast<UINT>(Quads.count / 3));
    }
    return Take(Quads, vertices, QuadScratch);
}

} // namespace

TexturedVertex* QuadBatch::NextQuad()
{
    return NextQuadVertices(6);
}

TexturedVertex* QuadBatch::NextTrimmedQuad()
{
    return NextQuadVertices(TrimmedBillboardVertices);
}

void QuadBatch::End()
{
    if (Quads.count > 0) {
        Flush(SharedEffects.quadBuffer, Quads, D3DPT_TRIANGLELIST, static_cast<UINT>(Quads.count / 3));
    }
    Unlock(SharedEffects.quadBuffer, Quads);
    Quads.memory = nullptr;
}
