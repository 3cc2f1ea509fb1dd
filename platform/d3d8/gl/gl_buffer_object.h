// SPDX-License-Identifier: GPL-3.0-or-later
// The GL side of a vertex or index buffer: a buffer object that follows the memory copy. Locks note
// the range written; a draw uploads only the part of that range it reads, orphaning the old storage
// first after a D3DLOCK_DISCARD lock so the driver never waits for a draw in flight.
#pragma once

#include "platform/d3d8/gl/gl_garbage.h"
#include "platform/d3d8/gl/gl_state_cache.h"
#include "platform/base/win_types.h"

#include <memory>

class GlBufferObject {
public:
    GlBufferObject(std::shared_ptr<GlGarbage> garbage, bool dynamic);
    ~GlBufferObject();
    GlBufferObject(const GlBufferObject&) = delete;
    GlBufferObject& operator=(const GlBufferObject&) = delete;

    // After a successful Lock of the memory copy: offset and size as the caller passed them.
    void NoteLock(UINT offset, UINT size, DWORD flags, UINT total);
    // With the context current: creates the object if needed, binds it to the target through the
    // cache and uploads what changed below readEnd, the end of the bytes the draw reads; the rest
    // stays noted for later draws. False when GL could not make the object.
    bool Upload(GLenum target, const BYTE* data, UINT total, UINT readEnd, GlStateCache& cache);
    GLuint Name() const { return name; }

private:
    std::shared_ptr<GlGarbage> garbage;
    GLenum usage;
    GLuint name = 0;
    bool allocated = false;
    bool orphan = false;
    UINT dirtyBegin = 0;
    UINT dirtyEnd = 0;
};
