// SPDX-License-Identifier: GPL-3.0-or-later
// GL textures that follow the memory texture's levels.
#include "platform/d3d8/gl/gl_texture.h"

#include "platform/d3d8/gl/gl_formats.h"

#include <algorithm>
#include <utility>

GlTexture::GlTexture(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<GlGarbage> garbage_, UINT width,
                     UINT height, UINT levels_, DWORD usage_, D3DFORMAT format_, D3DPOOL pool)
    : MemoryTexture(std::move(owner), width, height, levels_, usage_, format_, pool), garbage(std::move(garbage_))
{
}

GlTexture::~GlTexture()
{
    if (garbage) {
        garbage->DiscardTexture(name);
    }
}

HRESULT GlTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    if (Usage() & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) {
        if (lockedRect != nullptr) {
            *lockedRect = {0, nullptr};
        }
        return D3DERR_INVALIDCALL;
    }
    return MemoryTexture::LockRect(level, lockedRect, rect, flags);
}

HRESULT GlTexture::UnlockRect(UINT level)
{
    const HRESULT result = MemoryTexture::UnlockRect(level);
    if (SUCCEEDED(result)) {
        dirtyLevels |= 1u << level;
    }
    return result;
}

bool GlTexture::Upload(GlStateCache& cache)
{
    GlTexelFormat texel{};
    if (!GlTexelFormatOf(Format(), &texel)) {
        return false;
    }
    const bool created = name == 0;
    if (created) {
        FW_GL(cache, gl::GenTextures(1, &name));
        if (name == 0) {
            return false;
        }
    }
    cache.BindTexture(name);
    const UINT chainLength = GetLevelCount();
    if (created) {
        // Exactly the levels the texture has, so that a short chain is still complete.
        FW_GL(cache, gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0));
        FW_GL(cache, gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(chainLength) - 1));
        if (texel.opaqueAlpha) {
            FW_GL(cache, gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE));
        }
    }
    if (dirtyLevels == 0) {
        return true;
    }
    for (UINT level = 0; level < chainLength; ++level) {
        if (!created && !(dirtyLevels & (1u << level))) {
            continue;
        }
        D3DSURFACE_DESC desc{};
        GetLevelDesc(level, &desc);
        const auto width = static_cast<GLsizei>(desc.Width);
        const auto height = static_cast<GLsizei>(desc.Height);
        if (created) {
            FW_GL(cache, gl::TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), texel.internalFormat, width, height,
                                       0, texel.format, texel.type, LevelData(level)));
        } else {
            FW_GL(cache, gl::TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), 0, 0, width, height,
                                          texel.format, texel.type, LevelData(level)));
        }
        cache.Stats().uploadedBytes += desc.Size;
    }
    dirtyLevels = 0;
    return true;
}

UINT GlTexture::UseFinestLevel(GlStateCache& cache, DWORD level)
{
    const UINT finest = std::min<UINT>(level, GetLevelCount() - 1);
    if (finest != finestLevel) {
        finestLevel = finest;
        FW_GL(cache, gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(finest)));
    }
    return finest;
}

bool GlTexture::AllocateDepth(GlStateCache& cache, GLenum internalFormat, GLenum pixelFormat, GLenum type)
{
    if (name != 0) {
        return true;
    }
    FW_GL(cache, gl::GenTextures(1, &name));
    if (name == 0) {
        return false;
    }
    cache.BindTexture(name);
    D3DSURFACE_DESC desc{};
    GetLevelDesc(0, &desc);
    FW_GL(cache, gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0));
    FW_GL(cache, gl::TexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), static_cast<GLsizei>(desc.Width),
                               static_cast<GLsizei>(desc.Height), 0, pixelFormat, type, nullptr));
    dirtyLevels = 0;
    return true;
}
