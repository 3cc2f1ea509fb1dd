// SPDX-License-Identifier: GPL-3.0-or-later
// Render-target textures of the GL device: a level of one is drawn through a frame buffer object of
// its own, with a depth surface's GL texture as its depth; sampling reads its rows bottom first.
#include "platform/d3d8/gl/gl_back_buffer_surface.h"
#include "platform/d3d8/gl/gl_device.h"
#include "platform/d3d8/gl/gl_texture.h"

#include <cstdio>

namespace {

struct DepthTexelFormat {
    GLenum internalFormat;
    GLenum format;
    GLenum type;
    GLenum attachment;
};

// As the back buffer's depth: 16 bits alone, or 24 bits with 8 of stencil.
DepthTexelFormat DepthTexelFormatOf(D3DFORMAT format)
{
    if (DepthBitsOf(format) == 16 && !HasStencilBits(format)) {
        return {GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, GL_DEPTH_ATTACHMENT};
    }
    return {GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, GL_DEPTH_STENCIL_ATTACHMENT};
}

} // namespace

HRESULT GlDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            IDirect3DSurface8** surface)
{
    if (!IsDepthFormat(format)) {
        if (surface != nullptr) {
            *surface = nullptr;
        }
        return D3DERR_INVALIDCALL;
    }
    return DeviceFrontEnd::CreateDepthStencilSurface(width, height, format, multiSample, surface);
}

MemorySurface* GlDevice::MemorySurfaceOf(IDirect3DSurface8* surface)
{
    // The back buffer is handed out wrapped, so that locking it reads the drawn pixels.
    if (auto* backBuffer = dynamic_cast<GlBackBufferSurface*>(surface)) {
        return DeviceFrontEnd::MemorySurfaceOf(backBuffer->Memory());
    }
    return DeviceFrontEnd::MemorySurfaceOf(surface);
}

void GlDevice::BindDrawFrameBuffer()
{
    FW_GL(cache, gl::BindFramebuffer(GL_FRAMEBUFFER, drawingToTexture ? textureFrameBuffer : drawTarget));
}

void GlDevice::UseTextureRows(bool bottomFirst)
{
    const float scale = bottomFirst ? -1.0f : 1.0f;
    if (uniforms.textureRows[0] != scale) {
        uniforms.textureRows[0] = scale;
        uniforms.textureRows[1] = bottomFirst ? 1.0f : 0.0f;
        NoteUniforms(uniforms.textureRows, sizeof uniforms.textureRows);
    }
}

HRESULT GlDevice::RenderTargetChanged()
{
    ContextScope scope(*this);
    if (!scope.Ready()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    MemorySurface* target = BoundRenderTarget();
    MemorySurface* depth = BoundDepthSurface();
    // The back buffer draws with its own depth buffer or none, a texture with a depth surface or none.
    if ((target == nullptr && depth != nullptr) || (target != nullptr && depth == nullptr && DepthBufferBound())) {
        return D3DERR_INVALIDCALL;
    }
    // The buffer left behind keeps the clear it was promised.
    if (depthClearPending) {
        DoPendingDepthClear();
    }
    if (target == nullptr) {
        drawingToTexture = false;
        BindDrawFrameBuffer();
        UpdateDrawableSize();
        ForgetDepth();
        dirty |= DirtyViewport;
        return D3D_OK;
    }
    auto* color = static_cast<GlTexture*>(target->Texture());
    // The first upload gives the texture its GL storage; nothing is sent again until a lock, which
    // a render target refuses.
    if (!color->Upload(cache)) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    DepthTexelFormat depthFormat{};
    GLuint depthName = 0;
    if (depth != nullptr) {
        auto* depthTexture = static_cast<GlTexture*>(depth->Texture());
        depthFormat = DepthTexelFormatOf(depthTexture->Format());
        if (!depthTexture->AllocateDepth(cache, depthFormat.internalFormat, depthFormat.format, depthFormat.type)) {
            return D3DERR_DRIVERINTERNALERROR;
        }
        depthName = depthTexture->Name();
    }
    if (textureFrameBuffer == 0) {
        FW_GL(cache, gl::GenFramebuffers(1, &textureFrameBuffer));
    }
    FW_GL(cache, gl::BindFramebuffer(GL_FRAMEBUFFER, textureFrameBuffer));
    FW_GL(cache, gl::FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color->Name(),
                                         static_cast<GLint>(target->Level())));
    FW_GL(cache, gl::FramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, 0, 0));
    if (depthName != 0) {
        FW_GL(cache, gl::FramebufferTexture2D(GL_FRAMEBUFFER, depthFormat.attachment, GL_TEXTURE_2D, depthName, 0));
    }
    const GLenum status = FW_GL_VALUE(cache, gl::CheckFramebufferStatus(GL_FRAMEBUFFER));
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "Direct3D device: the render-target texture cannot be drawn into (0x%x)\n", status);
        BindDrawFrameBuffer();
        return D3DERR_NOTAVAILABLE;
    }
    D3DSURFACE_DESC desc{};
    target->GetDesc(&desc);
    drawingToTexture = true;
    textureTargetWidth = static_cast<int>(desc.Width);
    textureTargetHeight = static_cast<int>(desc.Height);
    UpdateDrawableSize();
    ForgetDepth();
    dirty |= DirtyViewport;
    return D3D_OK;
}
