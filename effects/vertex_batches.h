// SPDX-License-Identifier: GPL-3.0-or-later
// Streaming writers into the shared buffers: vertices go straight into locked memory and are drawn
// in runs of up to the batch capacity, re-locking with discard after each run.
#pragma once

#include "d3dx/d3dx_math.h"
#include "effects/vertex_formats.h"

// The effects blend additively: a colour without red, green or blue changes no pixel, so whatever
// would be drawn in it is left out.
inline bool AddsNothing(D3DCOLOR color)
{
    return (color & 0x00FFFFFFu) == 0;
}

// Writes points or triangles into the point buffer. Callers set stream, format, texture, point size
// and world transform first; a batch is ended with the end that matches what was written.
struct PointBatch {
    static void Begin();
    static ColorVertex* NextPoint();
    static ColorVertex* NextTriangle();
    // One point per position, all in one colour: the star figures of the bursts (none once faded out).
    static void AddPoints(const D3DXVECTOR3* positions, int count, D3DCOLOR color);
    static void EndPoints();
    static void EndTriangles();
};

// Writes camera-facing squares (two triangles each) into the quad buffer.
struct QuadBatch {
    static void Begin();
    static TexturedVertex* NextQuad();
    // Room for a trimmed billboard (TrimmedBillboardVertices); only when the batch capacity holds one.
    static TexturedVertex* NextTrimmedQuad();
    static void End();
};
