// Streaming writers into the shared buffers: vertices go straight into locked memory and are drawn
// in runs of up to the batch capacity, re-locking with discard after each run.
#pragma once

#include "effects/vertex_formats.h"

// Writes points or triangles into the point buffer. Callers set stream, format, texture, point size
// and world transform first; a batch is ended with the end that matches what was written.
struct PointBatch {
    static void Begin();
    static ColorVertex* NextPoint();
    static ColorVertex* NextTriangle();
    static void EndPoints();
    static void EndTriangles();
};

// Writes camera-facing squares (two triangles each) into the quad buffer.
struct QuadBatch {
    static void Begin();
    static TexturedVertex* NextQuad();
    static void End();
};
