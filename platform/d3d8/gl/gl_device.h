// SPDX-License-Identifier: GPL-3.0-or-later
// The Direct3D 8 device over OpenGL 3.3 core. The device front end keeps the state, checks arguments and
// draws, and runs state blocks; this device collects the dirty groups the front end names and, at each
// checked draw it is handed, sends only those groups to GL through a cache that skips unchanged binds
// and switches.
// Drawing goes to an offscreen frame buffer; Present copies it into the window.
// Contexts: without a lock the context stays current on the creating thread. With AttachContextLock,
// whoever holds the lock owns the context; a call made without holding it takes the lock for its GL work.
#pragma once

#include "platform/d3d8/gl/gl_fixed_uniforms.h"
#include "platform/d3d8/gl/gl_formats.h"
#include "platform/d3d8/gl/gl_garbage.h"
#include "platform/d3d8/gl/gl_program_cache.h"
#include "platform/d3d8/gl/gl_state_cache.h"
#include "platform/d3d8/device_front.h"
#include "platform/os/critical_section.h"
#include "platform/surface/surface_description.h"

#include <memory>
#include <vector>

struct SDL_Window;

class GlDevice final : public DeviceFrontEnd {
public:
    // Makes a context on the surface's window and a device drawing into it; the parameters are
    // completed (sizes, format) and written back. Results as IDirect3D8::CreateDevice returns them.
    static HRESULT Create(const D3DCAPS8& caps, D3DPRESENT_PARAMETERS* parameters, const SurfaceDescription& surface,
                          bool software, IDirect3DDevice8** device);

    // Hands the context to whoever holds the lock; null detaches and keeps it on the calling thread.
    // Call on the thread that holds the context; the lock must outlive the device or be detached first.
    void AttachContextLock(CRITICAL_SECTION* lock);

    const GlStats& Stats() const { return stats; }
    void ResetStats() { stats = {}; }
    int ProgramCount() const { return programs.Count(); }

    // Waits until GL has carried out every command issued so far, so that frame timings are honest;
    // not counted among the GL calls, since the show never makes it.
    HRESULT Finish();
    // Copies the back buffer into memory, top row first, in the back buffer's format.
    HRESULT ReadBackBuffer(BYTE* bits, INT pitch, UINT width, UINT height, D3DFORMAT format);

    // Whether frames may be drawn straight into the window when it is the back buffer's size (the
    // default); off, every frame goes through the offscreen buffer and Present's copy.
    void AllowWindowBackBuffer(bool allowed) { windowBackBufferAllowed = allowed; }

    // Where SetCursorPosition last put the device's own cursor (this device never draws one).
    POINT CursorPosition() const { return POINT{cursorX, cursorY}; }

    HRESULT TestCooperativeLevel() override;
    void SetCursorPosition(int x, int y, DWORD flags) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      IDirect3DSurface8** surface) override;

    HRESULT BeginScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

protected:
    void StateChanged(DirtyGroups groups, DWORD stage) override;
    // Binds the frame buffer of the texture level and depth surface the front end now holds, or the
    // back buffer again (gl_render_target.cpp).
    HRESULT RenderTargetChanged() override;
    MemorySurface* MemorySurfaceOf(IDirect3DSurface8* surface) override;
    // Sends the dirty groups and issues the draw; the front end has checked it.
    HRESULT Draw(const CheckedDraw& draw) override;
    MemoryVertexBuffer* NewVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage, DWORD fvf,
                                        D3DPOOL pool) override;
    MemoryIndexBuffer* NewIndexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                      D3DFORMAT format, D3DPOOL pool) override;
    MemoryTexture* NewTexture(std::shared_ptr<ResourceOwner> owner, UINT width, UINT height, UINT levels,
                              DWORD usage, D3DFORMAT format, D3DPOOL pool) override;

private:
    // The groups the fixed GL switches (blend, depth, cull, fill, masks, scissor) come from; a clear
    // borrows the masks and the scissor, so it marks them all.
    static constexpr DirtyGroups DirtyFixedSwitches = DirtyBlend | DirtyDepth | DirtyRaster;
    // A step of the draw's preparation and the groups that call for it.
    struct GroupSender {
        DirtyGroups groups;
        void (GlDevice::*send)();
    };
    static const GroupSender groupSenders[];
    // Where a full-screen device stands after its window went away.
    enum class Loss { None, Lost, NotReset };

    // Makes the context current for the duration of one call (see the file comment).
    class ContextScope {
    public:
        explicit ContextScope(GlDevice& device);
        ~ContextScope();
        ContextScope(const ContextScope&) = delete;
        ContextScope& operator=(const ContextScope&) = delete;
        bool Ready() const { return ready; }

    private:
        GlDevice& device;
        bool ready;
    };

    GlDevice(const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters, SDL_Window* window, void* context);
    ~GlDevice() override;

    static void AcquireContext(void* device);
    static void ReleaseContext(void* device);
    bool MakeContextCurrent();
    void InitGl();
    void UpdateDrawableSize();
    // Draws go straight into the window when its client area is the back buffer's size; otherwise
    // into the offscreen buffer, which Present copies (stretched or letterboxed).
    bool WindowCanBeBackBuffer() const;
    void SelectDrawTarget();
    // Binds the frame buffer draws go to: the render-target texture's, or the back buffer's.
    void BindDrawFrameBuffer();
    // Sets the uniform that turns texture coordinates upside down for a render-target texture, whose
    // rows GL holds bottom first.
    void UseTextureRows(bool bottomFirst);
    void DeleteGarbage();

    // vertexBytesRead: the end of the vertex bytes the draw reads, for the upload.
    HRESULT PrepareDraw(D3DPRIMITIVETYPE type, const GlVertexLayout& layout, UINT vertexBytesRead);
    void ApplyVertexInput(const GlVertexLayout& layout);
    void ApplyBlend();
    void ApplyDepth();
    void ApplyRaster();
    // Whether the states' depth test passes for every fragment of the buffer as it is.
    bool DepthTestPassesEverywhere() const;
    // A new or changed depth buffer: nothing is known of its contents, and no clear waits for it.
    void ForgetDepth();
    // The whole-buffer clear to the far plane that Clear left for the first draw needing depth.
    void DoPendingDepthClear();
    void ApplyViewport();
    void ApplySampler(bool singleLevel);
    void FillTransformUniforms();
    void FillPointUniforms();
    void FillFogUniforms();
    void FillConstantColorUniforms();
    void FillAlphaTestUniforms();
    void FillMaterialUniforms();
    void FillViewportUniforms();
    void UploadUniforms();
    void NoteUniforms(const void* first, size_t bytes);

    // The offscreen frame buffer drawn into (back-buffer size, with the depth/stencil asked for), and
    // its copy into the window with the window layer's menus on top (gl_device_present.cpp).
    bool CreateRenderTarget();
    void DeleteRenderTarget();
    void PresentToWindow();
    // The window system's menu images, if the window has them, and the bar's height above the client area.
    const WindowOverlay* Overlay() const { return surfaceOverlay.get(); }
    int BarHeight(const WindowOverlay* overlay) const;
    void CompositeOverlay(const WindowOverlay& overlay, int windowHeight);

    SDL_Window* window;
    // What the window system draws over the picture; null for a bare window.
    std::shared_ptr<const WindowOverlay> surfaceOverlay;
    void* context;
    CRITICAL_SECTION* contextLock = nullptr;
    D3DPRESENT_PARAMETERS presentation;
    Loss loss = Loss::None;
    bool hadFocus = false;
    int drawableWidth = 0;
    int drawableHeight = 0;
    float largestPointSize = 64.0f;

    GlStats stats;
    GlStateCache cache;
    GlProgramCache programs;
    std::shared_ptr<GlGarbage> garbage;
    std::vector<GLuint> doomed;
    DirtyGroups dirty = DirtyAll;

    GLuint vertexArray = 0;
    GLuint uniformBuffer = 0;
    GLuint sampler = 0;
    GlFixedUniforms uniforms{};
    // What the uniform buffer holds, once sent: uploads skip the bytes that did not change.
    GlFixedUniforms sentUniforms{};
    bool uniformsSent = false;
    size_t uniformsDirtyBegin = 0;
    size_t uniformsDirtyEnd = 0;
    // What the vertex array was last set up for.
    GLuint inputBuffer = 0;
    DWORD inputFvf = 0;
    UINT inputStride = 0;
    bool attribEnabled[5] = {};
    // Sampler parameters last sent: min, mag, wrap s, wrap t, border colour.
    GLint samplerState[5] = {-1, -1, -1, -1, -1};
    // Whether the sampler was last set up for a texture of one level.
    bool samplerSingleLevel = false;
    std::vector<BYTE> readRow;

    GLuint frameBuffer = 0;
    // The frame buffer this frame draws into: frameBuffer, or 0 for the window's own.
    GLuint drawTarget = 0;
    // Nothing has written depth since the whole depth buffer was cleared to the far plane: a test that
    // passes there passes everywhere, and is left off (a software rasteriser saves its reads).
    bool depthAllFar = false;
    // That clear is still to be done in GL: the first draw that reads or writes depth does it, so frames
    // whose draws never need depth never fill the buffer.
    bool depthClearPending = false;
    bool windowBackBufferAllowed = true;
    // Depth and stencil bits of the window's own buffers, read once.
    GLint windowDepthBits = 0;
    GLint windowStencilBits = 0;
    // The frame buffer a render-target texture level is drawn through, while drawingToTexture; the
    // drawable size is then the level's.
    GLuint textureFrameBuffer = 0;
    bool drawingToTexture = false;
    int textureTargetWidth = 0;
    int textureTargetHeight = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    // Menu bar and popup images from the window layer, uploaded when their version changes.
    GLuint overlayFrameBuffer = 0;
    GLuint overlayTextures[2] = {};
    std::uint64_t overlayVersion = 0;
    bool overlayShown[2] = {};
    int overlayRects[2][4] = {};
    // The device's own cursor; the show never shows it, so it moves nothing on the desktop.
    int cursorX = 0;
    int cursorY = 0;
};
