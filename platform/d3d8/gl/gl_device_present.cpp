// SPDX-License-Identifier: GPL-3.0-or-later
// The GL device's render target and presentation: the window's own buffers when its client area is
// the back buffer's size, else an offscreen frame buffer that Present copies into the window (client
// area, stretched, or letterboxed full screen); the menus go on top either way.
#include "platform/d3d8/gl/gl_device.h"

#include "platform/d3d8/gl/gl_present_target.h"
#include "platform/surface/surface_description.h"

#include <SDL.h>

#include <cstdio>

namespace {

GLenum DepthStorageOf(D3DFORMAT format)
{
    // A 16-bit depth buffer keeps its precision; every other depth format gets 24 bits and a stencil.
    return DepthBitsOf(format) == 16 && !HasStencilBits(format) ? GL_DEPTH_COMPONENT16 : GL_DEPTH24_STENCIL8;
}

} // namespace

bool GlDevice::CreateRenderTarget()
{
    DeleteRenderTarget();
    const auto width = static_cast<GLsizei>(presentation.BackBufferWidth);
    const auto height = static_cast<GLsizei>(presentation.BackBufferHeight);
    FW_GL(cache, gl::GenFramebuffers(1, &frameBuffer));
    FW_GL(cache, gl::BindFramebuffer(GL_FRAMEBUFFER, frameBuffer));
    FW_GL(cache, gl::GenRenderbuffers(1, &colorBuffer));
    FW_GL(cache, gl::BindRenderbuffer(GL_RENDERBUFFER, colorBuffer));
    FW_GL(cache, gl::RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height));
    FW_GL(cache, gl::FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer));
    if (presentation.EnableAutoDepthStencil) {
        const GLenum storage = DepthStorageOf(presentation.AutoDepthStencilFormat);
        FW_GL(cache, gl::GenRenderbuffers(1, &depthBuffer));
        FW_GL(cache, gl::BindRenderbuffer(GL_RENDERBUFFER, depthBuffer));
        FW_GL(cache, gl::RenderbufferStorage(GL_RENDERBUFFER, storage, width, height));
        FW_GL(cache, gl::FramebufferRenderbuffer(GL_FRAMEBUFFER,
                                                storage == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT
                                                                               : GL_DEPTH_ATTACHMENT,
                                                GL_RENDERBUFFER, depthBuffer));
    }
    FW_GL(cache, gl::BindRenderbuffer(GL_RENDERBUFFER, 0));
    const GLenum status = FW_GL_VALUE(cache, gl::CheckFramebufferStatus(GL_FRAMEBUFFER));
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "Direct3D device: the %dx%d back buffer cannot be made (0x%x)\n", width, height, status);
        return false;
    }
    // A new buffer starts black with the far depth, as the window's own buffers did.
    static constexpr float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    cache.Enable(GlStateCache::SwitchScissorTest, false);
    cache.ColorMask(0xF);
    cache.DepthMask(true);
    cache.ClearColor(black);
    cache.ClearDepth(1.0f);
    cache.ClearStencil(0);
    FW_GL(cache, gl::Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
    drawTarget = frameBuffer;
    ForgetDepth();
    dirty |= DirtyViewport;
    return true;
}

void GlDevice::DeleteRenderTarget()
{
    if (frameBuffer != 0) {
        FW_GL(cache, gl::BindFramebuffer(GL_FRAMEBUFFER, 0));
        FW_GL(cache, gl::DeleteFramebuffers(1, &frameBuffer));
        frameBuffer = 0;
    }
    if (colorBuffer != 0) {
        FW_GL(cache, gl::DeleteRenderbuffers(1, &colorBuffer));
        colorBuffer = 0;
    }
    if (depthBuffer != 0) {
        FW_GL(cache, gl::DeleteRenderbuffers(1, &depthBuffer));
        depthBuffer = 0;
    }
    if (textureFrameBuffer != 0) {
        FW_GL(cache, gl::DeleteFramebuffers(1, &textureFrameBuffer));
        textureFrameBuffer = 0;
    }
}

bool GlDevice::WindowCanBeBackBuffer() const
{
    if (!windowBackBufferAllowed || !presentation.EnableAutoDepthStencil) {
        // The window's depth buffer would test draws that the platform leaves untested.
        return false;
    }
    const D3DFORMAT depth = presentation.AutoDepthStencilFormat;
    if (windowDepthBits < DepthBitsOf(depth) || (HasStencilBits(depth) && windowStencilBits < 8)) {
        return false;
    }
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    return width == static_cast<int>(presentation.BackBufferWidth) &&
           height == static_cast<int>(presentation.BackBufferHeight) + BarHeight(Overlay());
}

int GlDevice::BarHeight(const WindowOverlay* overlay) const
{
    return SurfaceBarHeight(overlay, !presentation.Windowed);
}

void GlDevice::SelectDrawTarget()
{
    const GLuint target = WindowCanBeBackBuffer() ? 0 : frameBuffer;
    // While a texture is the target, the choice waits for the back buffer's return.
    if (target != drawTarget) {
        drawTarget = target;
        if (!drawingToTexture) {
            ForgetDepth();
            FW_GL(cache, gl::BindFramebuffer(GL_FRAMEBUFFER, drawTarget));
            dirty |= DirtyViewport;
        }
    }
}

void GlDevice::PresentToWindow()
{
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    const WindowOverlay* overlay = Overlay();
    const int bar = BarHeight(overlay);
    const auto sourceWidth = static_cast<int>(presentation.BackBufferWidth);
    const auto sourceHeight = static_cast<int>(presentation.BackBufferHeight);
    const PresentRect target = presentation.Windowed ? ClientPresentRect(width, height, bar)
                                                     : LetterboxRect(sourceWidth, sourceHeight, width, height);

    // Drawn straight into the window: only the bar strip and the menus are left to do.
    const bool direct = drawTarget == 0;
    FW_GL(cache, gl::BindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer));
    FW_GL(cache, gl::BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0));
    // Only what the copy leaves uncovered is cleared: a full-window clear costs as much as the copy
    // on a software rasteriser.
    static constexpr float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    cache.ColorMask(0xF);
    cache.ClearColor(black);
    PresentRect bars[4];
    const int barCount = UncoveredRects(target, width, height, bars);
    cache.Enable(GlStateCache::SwitchScissorTest, barCount > 0);
    for (int i = 0; i < barCount; ++i) {
        cache.Scissor(bars[i].x, height - bars[i].y - bars[i].height, bars[i].width, bars[i].height);
        FW_GL(cache, gl::Clear(GL_COLOR_BUFFER_BIT));
    }
    // The copy must not be clipped by the scene's last state.
    cache.Enable(GlStateCache::SwitchScissorTest, false);
    if (!direct && target.width > 0 && target.height > 0) {
        const bool sameSize = target.width == sourceWidth && target.height == sourceHeight;
        // GL rows count from the bottom in both buffers.
        FW_GL(cache, gl::BlitFramebuffer(0, 0, sourceWidth, sourceHeight, target.x,
                                        height - target.y - target.height, target.x + target.width,
                                        height - target.y, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR));
    }
    if (overlay != nullptr) {
        CompositeOverlay(*overlay, height);
    }
    FW_GL(cache, gl::BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0));
    dirty |= DirtyFixedSwitches;
}

void GlDevice::CompositeOverlay(const WindowOverlay& overlay, int windowHeight)
{
    overlay.Read([&](std::uint64_t version, int, const OverlayImage* images) {
        if (version == overlayVersion) {
            return;
        }
        overlayVersion = version;
        for (int layer = 0; layer < WindowOverlay::LayerCount; ++layer) {
            const OverlayImage& image = images[layer];
            overlayShown[layer] = image.visible;
            if (!image.visible) {
                continue;
            }
            if (overlayTextures[layer] == 0) {
                FW_GL(cache, gl::GenTextures(1, &overlayTextures[layer]));
            }
            cache.BindTexture(overlayTextures[layer]);
            FW_GL(cache, gl::TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA,
                                       GL_UNSIGNED_BYTE, image.pixels.data()));
            cache.Stats().uploadedBytes += image.pixels.size();
            overlayRects[layer][0] = image.x;
            overlayRects[layer][1] = image.y;
            overlayRects[layer][2] = image.width;
            overlayRects[layer][3] = image.height;
        }
    });
    if (!overlayShown[0] && !overlayShown[1]) {
        return;
    }
    if (overlayFrameBuffer == 0) {
        FW_GL(cache, gl::GenFramebuffers(1, &overlayFrameBuffer));
    }
    FW_GL(cache, gl::BindFramebuffer(GL_READ_FRAMEBUFFER, overlayFrameBuffer));
    for (int layer = 0; layer < WindowOverlay::LayerCount; ++layer) {
        if (!overlayShown[layer]) {
            continue;
        }
        const int* r = overlayRects[layer];
        FW_GL(cache, gl::FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                             overlayTextures[layer], 0));
        // Image rows are top first: the first row lands at the top of its place in the window.
        FW_GL(cache, gl::BlitFramebuffer(0, 0, r[2], r[3], r[0], windowHeight - r[1], r[0] + r[2],
                                        windowHeight - r[1] - r[3], GL_COLOR_BUFFER_BIT, GL_NEAREST));
    }
    FW_GL(cache, gl::BindFramebuffer(GL_READ_FRAMEBUFFER, frameBuffer));
}
