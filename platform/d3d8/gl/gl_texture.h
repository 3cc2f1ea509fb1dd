// SPDX-License-Identifier: GPL-3.0-or-later
// Textures of the GL device: the memory texture's levels, each sent to a GL texture when the draw
// that next samples it finds it changed since its last unlock.
#pragma once

#include "platform/d3d8/gl/gl_garbage.h"
#include "platform/d3d8/gl/gl_state_cache.h"
#include "platform/d3d8/memory_texture.h"

#include <memory>

class GlTexture final : public MemoryTexture {
public:
    // The format must be one GlTexelFormatOf accepts; the device checks that first.
    GlTexture(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<GlGarbage> garbage, UINT width, UINT height,
              UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    // Render targets and depth buffers live in GL only: they cannot be locked.
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    // With the context current and texture unit 0 active: binds the texture and uploads changed levels.
    bool Upload(GlStateCache& cache);
    // With the texture bound: the finest level sampling may read (0 the largest), clamped to the chain;
    // returns the level used.
    UINT UseFinestLevel(GlStateCache& cache, DWORD level);
    // With the context current: gives a depth surface's texture its GL storage once; false on failure.
    bool AllocateDepth(GlStateCache& cache, GLenum internalFormat, GLenum pixelFormat, GLenum type);
    GLuint Name() const { return name; }

private:
    ~GlTexture() override;

    std::shared_ptr<GlGarbage> garbage;
    GLuint name = 0;
    // Bit i: level i changed since it was last sent.
    std::uint32_t dirtyLevels = 0xFFFFFFFFu;
    // The GL base level last set.
    UINT finestLevel = 0;
};
