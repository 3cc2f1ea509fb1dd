// SPDX-License-Identifier: GPL-3.0-or-later
// Vertex and index buffers of the GL device: the front end's memory buffers, each with a GL buffer
// object that the next draw brings up to date; one class template for both kinds.
#pragma once

#include "platform/d3d8/gl/gl_buffer_object.h"
#include "platform/d3d8/memory_buffer.h"

#include <utility>

template <typename MemoryBase, GLenum Target>
class GlBuffer final : public MemoryBase {
public:
    template <typename Format>
    GlBuffer(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<GlGarbage> garbage, UINT length, DWORD usage,
             Format format, D3DPOOL pool)
        : MemoryBase(std::move(owner), length, usage, format, pool),
          object(std::move(garbage), (usage & D3DUSAGE_DYNAMIC) != 0 || pool == D3DPOOL_DEFAULT)
    {
    }

    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override
    {
        const HRESULT result = MemoryBase::Lock(offsetToLock, sizeToLock, data, flags);
        if (SUCCEEDED(result)) {
            object.NoteLock(offsetToLock, sizeToLock, flags, this->Size());
        }
        return result;
    }
    // With the context current: binds the buffer object and uploads what changed below readEnd.
    bool Upload(UINT readEnd, GlStateCache& cache)
    {
        return object.Upload(Target, this->Data(), this->Size(), readEnd, cache);
    }
    GLuint Name() const { return object.Name(); }

private:
    ~GlBuffer() override = default;

    GlBufferObject object;
};

using GlVertexBuffer = GlBuffer<MemoryVertexBuffer, GL_ARRAY_BUFFER>;
using GlIndexBuffer = GlBuffer<MemoryIndexBuffer, GL_ELEMENT_ARRAY_BUFFER>;
