// SPDX-License-Identifier: GPL-3.0-or-later
// Buffer objects that follow a memory copy.
#include "platform/d3d8/gl/gl_buffer_object.h"

#include "platform/d3d8/d3d8_constants.h"

#include <utility>

GlBufferObject::GlBufferObject(std::shared_ptr<GlGarbage> garbage_, bool dynamic)
    : garbage(std::move(garbage_)), usage(dynamic ? GL_STREAM_DRAW : GL_STATIC_DRAW)
{
}

GlBufferObject::~GlBufferObject()
{
    if (garbage) {
        garbage->DiscardBuffer(name);
    }
}

void GlBufferObject::NoteLock(UINT offset, UINT size, DWORD flags, UINT total)
{
    if (flags & D3DLOCK_READONLY) {
        return;
    }
    // Size 0 locks to the end, as the memory copy does.
    const UINT end = size == 0 ? total : offset + size;
    if (flags & D3DLOCK_DISCARD) {
        // The old contents are given up: only what is written from now on must reach GL. A buffer
        // refilled this way is streamed, whatever its creation asked for.
        orphan = true;
        usage = GL_STREAM_DRAW;
        dirtyBegin = offset;
        dirtyEnd = end;
        return;
    }
    if (dirtyBegin == dirtyEnd) {
        dirtyBegin = offset;
        dirtyEnd = end;
    } else {
        dirtyBegin = offset < dirtyBegin ? offset : dirtyBegin;
        dirtyEnd = end > dirtyEnd ? end : dirtyEnd;
    }
}

bool GlBufferObject::Upload(GLenum target, const BYTE* data, UINT total, UINT readEnd, GlStateCache& cache)
{
    if (name == 0) {
        FW_GL(cache, gl::GenBuffers(1, &name));
        if (name == 0) {
            return false;
        }
    }
    if (target == GL_ELEMENT_ARRAY_BUFFER) {
        cache.BindElementBuffer(name);
    } else {
        cache.BindArrayBuffer(name);
    }
    if (!allocated) {
        // The first upload sends everything, written or not, so GL never holds undefined bytes.
        FW_GL(cache, gl::BufferData(target, total, data, usage));
        cache.Stats().uploadedBytes += total;
        allocated = true;
        orphan = false;
        dirtyBegin = dirtyEnd = 0;
        return true;
    }
    if (dirtyBegin == dirtyEnd) {
        return true;
    }
    if (orphan) {
        FW_GL(cache, gl::BufferData(target, total, nullptr, usage));
        orphan = false;
    }
    // From the start of the noted range up to what the draw reads: one range stays noted, the tail.
    const UINT end = readEnd < dirtyEnd ? readEnd : dirtyEnd;
    if (end <= dirtyBegin) {
        return true;
    }
    FW_GL(cache, gl::BufferSubData(target, dirtyBegin, end - dirtyBegin, data + dirtyBegin));
    cache.Stats().uploadedBytes += end - dirtyBegin;
    dirtyBegin = end;
    if (dirtyBegin == dirtyEnd) {
        dirtyBegin = dirtyEnd = 0;
    }
    return true;
}
