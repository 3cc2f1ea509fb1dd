// SPDX-License-Identifier: GPL-3.0-or-later
// The GL device: creation and context ownership, the state-change hook that marks dirty groups, clears,
// draws, presentation, reset and read-back. Sending the dirty groups is in gl_device_prepare.cpp.
#include "platform/d3d8/gl/gl_device.h"

#include "platform/d3d8/gl/gl_back_buffer_surface.h"
#include "platform/d3d8/gl/gl_buffers.h"
#include "platform/d3d8/gl/gl_context.h"
#include "platform/d3d8/gl/gl_presentation.h"
#include "platform/d3d8/gl/gl_texture.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

// ---- creation, context ownership, destruction

HRESULT GlDevice::Create(const D3DCAPS8& caps, D3DPRESENT_PARAMETERS* parameters, const SurfaceDescription& surface,
                         bool software, IDirect3DDevice8** device)
{
    SDL_Window* window = surface.window;
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = nullptr;
    if (window == nullptr || parameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS completed = *parameters;
    if (FAILED(CompletePresentParameters(window, surface.overlay.get(), &completed))) {
        return D3DERR_INVALIDCALL;
    }
    if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
        std::fprintf(stderr, "Direct3D device: the window was not created for OpenGL\n");
        return D3DERR_NOTAVAILABLE;
    }
    if (software) {
        SelectSoftwareRasterizer();
    }
    SetGlContextAttributes();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        std::fprintf(stderr, "Direct3D device: no OpenGL 3.3 context: %s\n", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    GLint major = 0;
    GLint minor = 0;
    if (LoadGlFunctions()) {
        // Before the device: nothing counts these.
        GlUncounted uncounted;
        FW_GL(uncounted, gl::GetIntegerv(GL_MAJOR_VERSION, &major));
        FW_GL(uncounted, gl::GetIntegerv(GL_MINOR_VERSION, &minor));
    }
    if (major < 3 || (major == 3 && minor < 3)) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
        return D3DERR_NOTAVAILABLE;
    }
    GlDevice* created = new (std::nothrow) GlDevice(caps, completed, window, context);
    if (created == nullptr) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
        return E_OUTOFMEMORY;
    }
    created->surfaceOverlay = surface.overlay;
    created->InitGl();
    if (!created->CreateRenderTarget() || FAILED(ApplyPresentation(window, completed))) {
        created->Release();
        return D3DERR_NOTAVAILABLE;
    }
    created->UpdateDrawableSize();
    created->SelectDrawTarget();
    *parameters = completed;
    *device = created;
    return D3D_OK;
}

GlDevice::GlDevice(const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters, SDL_Window* window_,
                   void* context_)
    : DeviceFrontEnd(caps, parameters), window(window_), context(context_), presentation(parameters), cache(stats),
      garbage(std::make_shared<GlGarbage>())
{
    largestPointSize = caps.MaxPointSize > 0.0f ? caps.MaxPointSize : 64.0f;
    CheckDrawsAgainstVertexFormat();
}

GlDevice::~GlDevice()
{
    if (contextLock != nullptr) {
        EnterCriticalSection(contextLock);
    }
    if (MakeContextCurrent()) {
        DeleteGarbage();
        programs.Clear(cache);
        FW_GL(cache, gl::DeleteVertexArrays(1, &vertexArray));
        FW_GL(cache, gl::DeleteBuffers(1, &uniformBuffer));
        FW_GL(cache, gl::DeleteSamplers(1, &sampler));
        DeleteRenderTarget();
        FW_GL(cache, gl::DeleteFramebuffers(1, &overlayFrameBuffer));
        FW_GL(cache, gl::DeleteTextures(2, overlayTextures));
    }
    {
        // Names still held by live resources go with the context.
        std::lock_guard<std::mutex> hold(garbage->mutex);
        garbage->closed = true;
    }
    if (!presentation.Windowed) {
        SDL_SetWindowFullscreen(window, 0);
    }
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    if (contextLock != nullptr) {
        contextLock->onAcquire = nullptr;
        contextLock->onRelease = nullptr;
        contextLock->hookData = nullptr;
        LeaveCriticalSection(contextLock);
    }
}

void GlDevice::InitGl()
{
    FW_GL(cache, gl::GenVertexArrays(1, &vertexArray));
    cache.BindVertexArray(vertexArray);
    FW_GL(cache, gl::GenBuffers(1, &uniformBuffer));
    cache.BindUniformBuffer(uniformBuffer);
    FW_GL(cache, gl::BufferData(GL_UNIFORM_BUFFER, sizeof(GlFixedUniforms), nullptr, GL_DYNAMIC_DRAW));
    FW_GL(cache, gl::BindBufferBase(GL_UNIFORM_BUFFER, 0, uniformBuffer));
    FW_GL(cache, gl::GenSamplers(1, &sampler));
    cache.BindSampler(sampler);
    FW_GL(cache, gl::ActiveTexture(GL_TEXTURE0));
    // Fixed for the device's life: shader point sizes, sprites from the top-left, flat shading from
    // the first vertex, counter-clockwise GL front faces, tightly packed rows.
    FW_GL(cache, gl::Enable(GL_PROGRAM_POINT_SIZE));
    FW_GL(cache, gl::PointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_UPPER_LEFT));
    FW_GL(cache, gl::ProvokingVertex(GL_FIRST_VERTEX_CONVENTION));
    FW_GL(cache, gl::FrontFace(GL_CCW));
    FW_GL(cache, gl::PixelStorei(GL_UNPACK_ALIGNMENT, 1));
    FW_GL(cache, gl::PixelStorei(GL_PACK_ALIGNMENT, 1));
    GLfloat range[2] = {1.0f, 1.0f};
    FW_GL(cache, gl::GetFloatv(GL_POINT_SIZE_RANGE, range));
    while (gl::GetError() != GL_NO_ERROR) {
    }
    if (range[1] > 0.0f && range[1] < largestPointSize) {
        largestPointSize = range[1];
    }
    // A window without depth (or stencil) bits is never drawn into directly.
    GLint depthType = GL_NONE;
    GLint stencilType = GL_NONE;
    FW_GL(cache, gl::GetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH,
                                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depthType));
    FW_GL(cache, gl::GetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_STENCIL,
                                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &stencilType));
    if (depthType != GL_NONE) {
        FW_GL(cache, gl::GetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH,
                                                            GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &windowDepthBits));
    }
    if (stencilType != GL_NONE) {
        FW_GL(cache, gl::GetFramebufferAttachmentParameteriv(
                         GL_DRAW_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &windowStencilBits));
    }
    doomed.reserve(64);
    readRow.reserve(4096);
}

void GlDevice::AttachContextLock(CRITICAL_SECTION* lock)
{
    if (lock == contextLock) {
        return;
    }
    if (contextLock != nullptr) {
        EnterCriticalSection(contextLock);
        contextLock->onAcquire = nullptr;
        contextLock->onRelease = nullptr;
        contextLock->hookData = nullptr;
        CRITICAL_SECTION* old = contextLock;
        contextLock = nullptr;
        LeaveCriticalSection(old);
        MakeContextCurrent();
    }
    if (lock == nullptr) {
        return;
    }
    // Hooks are set under the lock; the context stays here until this thread's outermost hold ends.
    EnterCriticalSection(lock);
    lock->onAcquire = &GlDevice::AcquireContext;
    lock->onRelease = &GlDevice::ReleaseContext;
    lock->hookData = this;
    contextLock = lock;
    MakeContextCurrent();
    LeaveCriticalSection(lock);
}

void GlDevice::AcquireContext(void* device) { static_cast<GlDevice*>(device)->MakeContextCurrent(); }

void GlDevice::ReleaseContext(void* device)
{
    auto* self = static_cast<GlDevice*>(device);
    if (SDL_GL_GetCurrentContext() == self->context) {
        SDL_GL_MakeCurrent(self->window, nullptr);
    }
}

bool GlDevice::MakeContextCurrent()
{
    if (SDL_GL_GetCurrentContext() == context) {
        return true;
    }
    return SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context)) == 0;
}

GlDevice::ContextScope::ContextScope(GlDevice& device_) : device(device_)
{
    if (device.contextLock != nullptr) {
        EnterCriticalSection(device.contextLock);
    }
    ready = device.MakeContextCurrent();
}

GlDevice::ContextScope::~ContextScope()
{
    if (device.contextLock != nullptr) {
        LeaveCriticalSection(device.contextLock);
    }
}

void GlDevice::UpdateDrawableSize()
{
    // Draws go to the offscreen back buffer, whatever the window's size, or to a render-target texture.
    const int width = drawingToTexture ? textureTargetWidth : static_cast<int>(presentation.BackBufferWidth);
    const int height = drawingToTexture ? textureTargetHeight : static_cast<int>(presentation.BackBufferHeight);
    if (width != drawableWidth || height != drawableHeight) {
        drawableWidth = width;
        drawableHeight = height;
        ForgetDepth();
        dirty |= DirtyViewport;
    }
}

void GlDevice::DeleteGarbage()
{
    {
        std::lock_guard<std::mutex> hold(garbage->mutex);
        if (garbage->buffers.empty() && garbage->textures.empty()) {
            return;
        }
        doomed.assign(garbage->buffers.begin(), garbage->buffers.end());
        garbage->buffers.clear();
        for (GLuint name : doomed) {
            cache.ForgetBuffer(name);
            if (name == inputBuffer) {
                inputBuffer = 0;
            }
        }
        if (!doomed.empty()) {
            FW_GL(cache, gl::DeleteBuffers(static_cast<GLsizei>(doomed.size()), doomed.data()));
        }
        doomed.assign(garbage->textures.begin(), garbage->textures.end());
        garbage->textures.clear();
    }
    for (GLuint name : doomed) {
        cache.ForgetTexture(name);
    }
    if (!doomed.empty()) {
        FW_GL(cache, gl::DeleteTextures(static_cast<GLsizei>(doomed.size()), doomed.data()));
    }
}

// ---- resources

MemoryVertexBuffer* GlDevice::NewVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                              DWORD fvf, D3DPOOL pool)
{
    return new GlVertexBuffer(std::move(owner), garbage, length, usage, fvf, pool);
}

MemoryIndexBuffer* GlDevice::NewIndexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool)
{
    return new GlIndexBuffer(std::move(owner), garbage, length, usage, format, pool);
}

MemoryTexture* GlDevice::NewTexture(std::shared_ptr<ResourceOwner> owner, UINT width, UINT height, UINT levels,
                                    DWORD usage, D3DFORMAT format, D3DPOOL pool)
{
    return new GlTexture(std::move(owner), garbage, width, height, levels, usage, format, pool);
}

HRESULT GlDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture8** texture)
{
    GlTexelFormat texel{};
    if (texture != nullptr && !GlTexelFormatOf(format, &texel)) {
        *texture = nullptr;
        return D3DERR_INVALIDCALL;
    }
    // Render targets only in the formats GL can draw into; depth textures are never sampled here.
    if ((usage & D3DUSAGE_DEPTHSTENCIL) || ((usage & D3DUSAGE_RENDERTARGET) && !IsRenderTargetFormat(format))) {
        if (texture != nullptr) {
            *texture = nullptr;
        }
        return D3DERR_INVALIDCALL;
    }
    return DeviceFrontEnd::CreateTexture(width, height, levels, usage, format, pool, texture);
}

HRESULT GlDevice::GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface)
{
    IDirect3DSurface8* memory = nullptr;
    const HRESULT result = DeviceFrontEnd::GetBackBuffer(backBuffer, type, surface != nullptr ? &memory : nullptr);
    if (FAILED(result)) {
        return result;
    }
    auto* wrapped = new (std::nothrow) GlBackBufferSurface(memory);
    if (wrapped == nullptr) {
        memory->Release();
        *surface = nullptr;
        return E_OUTOFMEMORY;
    }
    *surface = wrapped;
    return D3D_OK;
}

// ---- presentation

HRESULT GlDevice::TestCooperativeLevel()
{
    if (presentation.Windowed) {
        return D3D_OK;
    }
    if (loss == Loss::NotReset) {
        return D3DERR_DEVICENOTRESET;
    }
    const Uint32 flags = SDL_GetWindowFlags(window);
    const bool focused = (flags & SDL_WINDOW_INPUT_FOCUS) != 0;
    // A window that never had focus (no window manager) is not counted as switched away from.
    const bool away = (flags & SDL_WINDOW_MINIMIZED) != 0 || (hadFocus && !focused);
    hadFocus = hadFocus || focused;
    if (away) {
        loss = Loss::Lost;
        return D3DERR_DEVICELOST;
    }
    if (loss == Loss::Lost) {
        loss = Loss::NotReset;
        return D3DERR_DEVICENOTRESET;
    }
    return D3D_OK;
}

// Only the device's own cursor moves; the desktop's pointer belongs to the user.
void GlDevice::SetCursorPosition(int x, int y, DWORD)
{
    cursorX = x;
    cursorY = y;
}

HRESULT GlDevice::Reset(D3DPRESENT_PARAMETERS* presentationParameters)
{
    if (presentationParameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS completed = *presentationParameters;
    if (FAILED(CompletePresentParameters(window, surfaceOverlay.get(), &completed))) {
        return D3DERR_INVALIDCALL;
    }
    ContextScope scope(*this);
    const HRESULT result = DeviceFrontEnd::Reset(&completed);
    if (FAILED(result)) {
        return result;
    }
    ForgetDepth();
    const bool sameTarget = completed.BackBufferWidth == presentation.BackBufferWidth &&
                            completed.BackBufferHeight == presentation.BackBufferHeight &&
                            completed.EnableAutoDepthStencil == presentation.EnableAutoDepthStencil &&
                            completed.AutoDepthStencilFormat == presentation.AutoDepthStencilFormat;
    *presentationParameters = completed;
    presentation = completed;
    dirty = DirtyAll;
    hadFocus = false;
    if (!scope.Ready() || (!sameTarget && !CreateRenderTarget()) || FAILED(ApplyPresentation(window, completed))) {
        // Only another Reset can bring the device back.
        loss = Loss::NotReset;
        return D3DERR_NOTAVAILABLE;
    }
    loss = Loss::None;
    UpdateDrawableSize();
    SelectDrawTarget();
    return D3D_OK;
}

HRESULT GlDevice::Present(const RECT*, const RECT*, HWND, const void*)
{
    if (loss != Loss::None) {
        return D3DERR_DEVICELOST;
    }
    ContextScope scope(*this);
    if (!scope.Ready()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    PresentToWindow();
    SDL_GL_SwapWindow(window);
    // A swap leaves the window's own depth buffer undefined in GL (a pending clear still defines it).
    if (drawTarget == 0 && !depthClearPending) {
        depthAllFar = false;
    }
    BindDrawFrameBuffer();
    DeleteGarbage();
    return D3D_OK;
}

HRESULT GlDevice::Finish()
{
    ContextScope scope(*this);
    if (!scope.Ready()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    FW_GL(cache, gl::Finish());
    return D3D_OK;
}

HRESULT GlDevice::ReadBackBuffer(BYTE* bits, INT pitch, UINT width, UINT height, D3DFORMAT format)
{
    GLenum glFormat = 0;
    GLenum glType = 0;
    if (bits == nullptr || width == 0 || height == 0 || !GlReadFormatOf(format, &glFormat, &glType)) {
        return D3DERR_INVALIDCALL;
    }
    ContextScope scope(*this);
    if (!scope.Ready()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    UpdateDrawableSize();
    const UINT bytesPerPixel = D3DFormatBytesPerPixel(format);
    // The back buffer is read where the frame was drawn; GL counts rows from the bottom, and the
    // window's client area is its bottom rows.
    const GLint bottom = drawableHeight - static_cast<GLint>(height);
    FW_GL(cache, gl::BindFramebuffer(GL_READ_FRAMEBUFFER, drawTarget));
    if (drawTarget == 0) {
        FW_GL(cache, gl::ReadBuffer(GL_BACK));
    }
    FW_GL(cache, gl::PixelStorei(GL_PACK_ROW_LENGTH, pitch / static_cast<INT>(bytesPerPixel)));
    FW_GL(cache, gl::ReadPixels(0, bottom, static_cast<GLsizei>(width), static_cast<GLsizei>(height), glFormat,
                               glType, bits));
    FW_GL(cache, gl::PixelStorei(GL_PACK_ROW_LENGTH, 0));
    const size_t rowBytes = static_cast<size_t>(width) * bytesPerPixel;
    readRow.resize(rowBytes);
    for (UINT top = 0, low = height - 1; top < low; ++top, --low) {
        BYTE* a = bits + static_cast<size_t>(top) * pitch;
        BYTE* b = bits + static_cast<size_t>(low) * pitch;
        std::memcpy(readRow.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, readRow.data(), rowBytes);
    }
    return D3D_OK;
}

// ---- scene and clear

HRESULT GlDevice::BeginScene()
{
    const HRESULT result = DeviceFrontEnd::BeginScene();
    if (SUCCEEDED(result)) {
        ContextScope scope(*this);
        UpdateDrawableSize();
        if (scope.Ready()) {
            SelectDrawTarget();
        }
    }
    return result;
}

HRESULT GlDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    const HRESULT result = DeviceFrontEnd::Clear(count, rects, flags, color, z, stencil);
    if (FAILED(result) || flags == 0) {
        return result;
    }
    ContextScope scope(*this);
    if (!scope.Ready()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    UpdateDrawableSize();
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        float rgba[4];
        UnpackColor(color, rgba);
        cache.ColorMask(0xF);
        cache.ClearColor(rgba);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    // Under a format without stencil the GL buffer's stencil bits (the window's) belong to nobody:
    // cleared with the depth, the clear fills whole words instead of keeping the stencil byte of each.
    const bool stencilUnused = !HasStencilBits(presentation.AutoDepthStencilFormat);
    if (flags & D3DCLEAR_ZBUFFER) {
        const D3DVIEWPORT8& vp = State().viewport;
        depthAllFar = z >= 1.0f && count == 0 && vp.X == 0 && vp.Y == 0 &&
                      static_cast<int>(vp.Width) >= drawableWidth && static_cast<int>(vp.Height) >= drawableHeight;
        // The whole buffer to the far plane, with no stencil to clear: done by the first draw that needs it.
        depthClearPending = depthAllFar && stencilUnused && !(flags & D3DCLEAR_STENCIL);
        if (!depthClearPending) {
            cache.DepthMask(true);
            cache.ClearDepth(z);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
    }
    if ((flags & D3DCLEAR_STENCIL) || ((mask & GL_DEPTH_BUFFER_BIT) && stencilUnused)) {
        cache.ClearStencil(static_cast<GLint>(stencil & 0xFF));
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // The platform clears the viewport, or the parts of the given rectangles inside it.
    const D3DVIEWPORT8& vp = State().viewport;
    const LONG left = static_cast<LONG>(vp.X);
    const LONG top = static_cast<LONG>(vp.Y);
    const LONG right = static_cast<LONG>(vp.X + vp.Width);
    const LONG bottom = static_cast<LONG>(vp.Y + vp.Height);
    cache.Enable(GlStateCache::SwitchScissorTest, true);
    const DWORD pieces = mask == 0 ? 0 : count > 0 ? count : 1;
    for (DWORD i = 0; i < pieces; ++i) {
        LONG x1 = left;
        LONG y1 = top;
        LONG x2 = right;
        LONG y2 = bottom;
        if (count > 0) {
            x1 = rects[i].x1 > x1 ? rects[i].x1 : x1;
            y1 = rects[i].y1 > y1 ? rects[i].y1 : y1;
            x2 = rects[i].x2 < x2 ? rects[i].x2 : x2;
            y2 = rects[i].y2 < y2 ? rects[i].y2 : y2;
        }
        if (x2 <= x1 || y2 <= y1) {
            continue;
        }
        cache.Scissor(x1, drawableHeight - y2, x2 - x1, y2 - y1);
        FW_GL(cache, gl::Clear(mask));
    }
    // The masks and the scissor belong to the draws again.
    dirty |= DirtyFixedSwitches;
    return D3D_OK;
}

void GlDevice::ForgetDepth()
{
    depthAllFar = false;
    depthClearPending = false;
    dirty |= DirtyDepth;
}

void GlDevice::DoPendingDepthClear()
{
    cache.Enable(GlStateCache::SwitchScissorTest, false);
    cache.DepthMask(true);
    cache.ClearDepth(1.0f);
    cache.ClearStencil(0);
    FW_GL(cache, gl::Clear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
    depthClearPending = false;
    // The masks and the scissor belong to the draws again.
    dirty |= DirtyFixedSwitches;
}

// ---- state changes: the front end checks, stores, compares and names the groups; they wait for the next draw

void GlDevice::StateChanged(DirtyGroups groups, DWORD stage)
{
    // Only stage 0 is drawn.
    if (groups == DirtyTextureStage && stage != 0) {
        return;
    }
    dirty |= groups;
}

// ---- the draw: checked by the front end, sent here

HRESULT GlDevice::Draw(const CheckedDraw& draw)
{
    ContextScope scope(*this);
    if (!scope.Ready()) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    const HRESULT result = PrepareDraw(draw.type, draw.layout, draw.vertexBytesRead);
    if (FAILED(result)) {
        return result;
    }
    const GLenum mode = GlPrimitiveMode(draw.type);
    if (!draw.indexed) {
        FW_GL(cache, gl::DrawArrays(mode, static_cast<GLint>(draw.first), static_cast<GLsizei>(draw.count)));
    } else {
        auto* indices = static_cast<GlIndexBuffer*>(State().indices);
        if (!indices->Upload(draw.indexBytesRead, cache)) {
            return D3DERR_DRIVERINTERNALERROR;
        }
        const UINT indexSize = indices->IndexSize();
        const auto offset = static_cast<std::uintptr_t>(draw.first) * indexSize;
        FW_GL(cache, gl::DrawElementsBaseVertex(mode, static_cast<GLsizei>(draw.count),
                                               indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                                               reinterpret_cast<const void*>(offset),
                                               static_cast<GLint>(State().baseVertexIndex)));
    }
    stats.draws += 1;
    return D3D_OK;
}
