// SPDX-License-Identifier: GPL-3.0-or-later
// Vertex and index buffers of the GL device: the memory buffers of the null device, each with a GL
// buffer object that the next draw brings up to date.
#pragma once

#include "platform/d3d8/gl/gl_buffer_object.h"
#include "platform/d3d8/memory_index_buffer.h"
#include "platform/d3d8/memory_vertex_buffer.h"

class GlVertexBuffer final : public MemoryVertexBuffer {
public:
    GlVertexBuffer(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<GlGarbage> garbage, UINT length,
                   DWORD usage, DWORD fvf, D3DPOOL pool);

    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
    // With the context current: binds the buffer object and uploads what changed below readEnd.
    bool Upload(UINT readEnd, GlStateCache& cache)
    {
        return object.Upload(GL_ARRAY_BUFFER, Data(), Size(), readEnd, cache);
    }
    GLuint Name() const { return object.Name(); }

private:
    ~GlVertexBuffer() override = default;

    GlBufferObject object;
};

class GlIndexBuffer final : public MemoryIndexBuffer {
public:
    GlIndexBuffer(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<GlGarbage> garbage, UINT length,
                  DWORD usage, D3DFORMAT format, D3DPOOL pool);

    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override;
    bool Upload(UINT readEnd, GlStateCache& cache)
    {
        return object.Upload(GL_ELEMENT_ARRAY_BUFFER, Data(), Size(), readEnd, cache);
    }
    GLuint Name() const { return object.Name(); }
    // The largest index of the whole buffer, kept until the next lock: most draws are checked
    // against it alone, so that a draw stays inside its vertices without a scan per draw.
    UINT LargestIndex();
    // The largest index in [first, first + count); the caller keeps the range inside the buffer.
    UINT LargestIndexIn(UINT first, UINT count) const;

private:
    ~GlIndexBuffer() override = default;

    GlBufferObject object;
    bool largestKnown = false;
    UINT largest = 0;
};
