// SPDX-License-Identifier: GPL-3.0-or-later
// The front end of a Direct3D 8 device: keeps every state, checks every argument, tells a derived
// device which dirty groups a change touched and hands it each checked draw through one hook; on its
// own it draws nothing (NullDevice). Its resources live in ordinary memory. The GL device and the
// tests' recording device derive from it; the recording device also has every call reported.
#pragma once

#include "platform/d3d8/device_method.h"
#include "platform/d3d8/device_state.h"
#include "platform/d3d8/dirty_groups.h"
#include "platform/d3d8/fvf_layout.h"
#include "platform/d3d8/memory_buffer.h"
#include "platform/d3d8/memory_surface.h"
#include "platform/d3d8/memory_texture.h"
#include "platform/d3d8/state_block.h"

#include <initializer_list>
#include <memory>

// A draw the front end has checked: the indices it reads lie inside the bound index buffer, the
// buffers are unlocked, and (on a device that checks vertex formats) the format has a position and
// every vertex read ends inside the bound vertex buffer.
struct CheckedDraw {
    D3DPRIMITIVETYPE type;
    UINT primitiveCount;
    // Vertices of a plain draw, or indices of an indexed one, that the primitives read.
    UINT count;
    // The first vertex of a plain draw, or the first index of an indexed one.
    UINT first;
    bool indexed;
    FvfLayout layout;
    // The end of the vertex bytes the draw reads: the last vertex read ends there (0 on a device
    // that does not check vertex formats).
    UINT vertexBytesRead;
    // The end of the index bytes an indexed draw reads.
    UINT indexBytesRead;
};

class DeviceFrontEnd : public IDirect3DDevice8 {
public:
    // A plausible hardware device: large limits, eight stages and lights, one stream.
    static D3DCAPS8 DefaultCaps();
    // A 640 × 480 windowed X8R8G8B8 back buffer with a 16-bit depth buffer.
    static D3DPRESENT_PARAMETERS DefaultPresentParameters();

    // Starts with one reference, held by the creator.
    DeviceFrontEnd(const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters);
    // Public so a test may keep a device on the stack; whoever deletes it must be its last holder.
    ~DeviceFrontEnd() override;
    DeviceFrontEnd(const DeviceFrontEnd&) = delete;
    DeviceFrontEnd& operator=(const DeviceFrontEnd&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    void SetCursorPosition(int x, int y, DWORD flags) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** indexBuffer) override;
    // Render targets and depth buffers (device_front_targets.cpp): a target is the back buffer or a
    // level of a render-target texture of this device; a depth surface is the automatic one or one
    // made here, at least the target's size. Reset goes back to the back buffer and the automatic depth.
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      IDirect3DSurface8** surface) override;
    HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* newZStencil) override;
    HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface8** zStencilSurface) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetClipPlane(DWORD index, const float* plane) override;
    HRESULT GetClipPlane(DWORD index, float* plane) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;

    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(DWORD* token) override;
    HRESULT ApplyStateBlock(DWORD token) override;
    HRESULT CaptureStateBlock(DWORD token) override;
    HRESULT DeleteStateBlock(DWORD token) override;

    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                 UINT primitiveCount) override;

    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT GetVertexShader(DWORD* handle) override;
    HRESULT SetPixelShader(DWORD handle) override;
    HRESULT GetPixelShader(DWORD* handle) override;
    HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride) override;
    HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData, UINT* stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex) override;
    HRESULT GetIndices(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex) override;

    // The current state, as draws would see it (not a block being recorded).
    const DeviceState& State() const { return deviceState; }
    bool InScene() const { return inScene; }
    bool RecordingStateBlock() const { return stateBlocks.Recording() != nullptr; }
    // Default-pool resources of this device still alive, whoever holds them.
    UINT LiveDefaultPoolResources() const { return resourceOwner->liveDefaultPool.load(); }
    ULONG RefCount() const { return references.Value(); }
    // The texture level drawn into instead of the back buffer; null while the back buffer is.
    MemorySurface* BoundRenderTarget() const { return renderTarget; }
    // The depth surface made by CreateDepthStencilSurface that draws use; null for the automatic one or none.
    MemorySurface* BoundDepthSurface() const { return depthSurface; }
    // Whether draws have a depth buffer at all, and its format.
    bool DepthBufferBound() const;
    D3DFORMAT BoundDepthFormat() const;

protected:
    // Called after a setter gave the live state (not a block being recorded) a different value, with
    // the groups it touched; with DirtyAll after a state block was applied or a reset restored the
    // defaults. stage: the texture stage of a DirtyTextureStage change, else 0.
    virtual void StateChanged(DirtyGroups groups, DWORD stage);
    // Carries out a draw of at least one primitive that the front end has checked; the answer is the
    // draw's. The front end alone draws nothing.
    virtual HRESULT Draw(const CheckedDraw& draw);
    // Told of each call made to the device once it has been answered, after ReportCalls(): for a device
    // that writes its calls down. args: the call's number arguments in order; object: the resource the
    // call names or made, or the record it passed by pointer (matrix, light, material, viewport, present
    // parameters, Clear's z). The front end alone keeps nothing.
    virtual void CallMade(DeviceMethod method, HRESULT result, std::initializer_list<DWORD> args, const void* object);
    // From now on every call is reported to CallMade.
    void ReportCalls() { callsReported = true; }

    // Called once SetRenderTarget has stored a new target or depth buffer (and after Reset went back to
    // the back buffer); a failure undoes the change and is SetRenderTarget's answer.
    virtual HRESULT RenderTargetChanged();
    // The memory surface behind a surface this device handed out, or null for any other.
    virtual MemorySurface* MemorySurfaceOf(IDirect3DSurface8* surface);

    // Makes the vertex buffers this device hands out; a test device may return a subclass.
    // Throws std::bad_alloc when the memory cannot be had.
    virtual MemoryVertexBuffer* NewVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                                DWORD fvf, D3DPOOL pool);
    // The same for index buffers and textures, called once the arguments have been checked.
    virtual MemoryIndexBuffer* NewIndexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                              D3DFORMAT format, D3DPOOL pool);
    virtual MemoryTexture* NewTexture(std::shared_ptr<ResourceOwner> owner, UINT width, UINT height, UINT levels,
                                      DWORD usage, D3DFORMAT format, D3DPOOL pool);
    D3DCAPS8& Caps() { return deviceCaps; }
    // From now on draws are checked against the vertex format too, as a device that feeds the
    // vertices to hardware needs: the format must have a position, every vertex read (every index's,
    // for an indexed draw) must end inside the buffer and the base vertex must fit a signed offset.
    // A device that only keeps state accepts any format.
    void CheckDrawsAgainstVertexFormat() { vertexFormatChecked = true; }

    // Vertices a draw of this many primitives reads; 0 for an unknown type.
    static std::uint64_t VerticesOf(D3DPRIMITIVETYPE type, UINT primitiveCount);

private:
    // Setters write here: the block being recorded, or the device.
    DeviceState& Target();
    // The flags of the block being recorded, or null.
    StateBlockMask* Recording();
    // Writes one state value where setters write, telling StateChanged when the live value changed, and
    // marks it in the block being recorded. field picks the value out of a DeviceState and its flag out
    // of a StateBlockMask, whose members share their names.
    template <typename Field, typename Value>
    void Store(const Field& field, const Value& value, DirtyGroups groups, DWORD stage = 0);
    // Whether the vertices up to lastVertex lie inside the bound vertex buffer for its format; the
    // layout and the end of the bytes read are filled either way.
    bool VerticesInside(std::uint64_t lastVertex, CheckedDraw& draw) const;
    bool Owns(const ResourceCore& core) const { return core.CreatedBy(resourceOwner.get()); }
    // Default-pool resources alive for another reason than the device's own bindings.
    UINT DefaultPoolHeldElsewhere() const;
    UINT BackBufferWidth() const;
    UINT BackBufferHeight() const;
    D3DFORMAT BackBufferFormat() const;
    // A getter's answer: the value copied out, or a refusal of a null pointer.
    template <typename Value>
    static HRESULT CopyOut(Value* out, const Value& value)
    {
        if (out == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *out = value;
        return D3D_OK;
    }
    // Tells CallMade of an answered call when calls are reported; otherwise it costs one test.
    void Report(DeviceMethod method, HRESULT result, std::initializer_list<DWORD> args, const void* object = nullptr)
    {
        if (callsReported) {
            CallMade(method, result, args, object);
        }
    }
    // Drops the bindings of SetRenderTarget: the back buffer and the automatic depth buffer again.
    void UnbindTargets();
    // Hands out the one level of a texture just made as a surface of the given role; the surface then
    // holds the texture, or nothing does and it goes.
    static HRESULT SurfaceOfNewTexture(MemoryTexture* texture, SurfaceRole role, IDirect3DSurface8** surface);

    RefCounter references;
    D3DCAPS8 deviceCaps;
    D3DPRESENT_PARAMETERS presentParameters;
    DeviceState deviceState;
    StateBlockTable stateBlocks;
    std::shared_ptr<ResourceOwner> resourceOwner;
    bool inScene = false;
    bool vertexFormatChecked = false;
    bool callsReported = false;
    // Each holds a reference; null renderTarget is the back buffer, null depthSurface the automatic
    // depth buffer while autoDepthBound, else none.
    MemorySurface* renderTarget = nullptr;
    MemorySurface* depthSurface = nullptr;
    bool autoDepthBound = true;
};

// The front end used alone: a device that keeps state and draws nothing, for tests and benchmarks.
using NullDevice = DeviceFrontEnd;
