// SPDX-License-Identifier: GPL-3.0-or-later
// A null device that writes down every call made to it, the vertices each DrawPrimitive drew and the
// device state at that draw, and the locks of the vertex buffers it created: for call-sequence tests.
#pragma once

#include "platform/d3d8/device_front.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <vector>

// One call. args holds the call's number arguments in order, objects and pointers left out:
//   SetRenderState: state, value             SetTextureStageState: stage, type, value
//   SetTexture: stage (object: texture)      SetTransform: type (matrix)
//   SetLight: index (light)                  LightEnable: index, enable      SetClipPlane: index
//   SetStreamSource: stream, stride (object: buffer)   SetIndices: base vertex index (object: buffer)
//   DrawPrimitive: type, start vertex, primitive count, index into Draws() or NoDraw
//   DrawIndexedPrimitive: type, min index, vertex count, start index, primitive count
//   Create*: the size, usage, format or FVF and pool arguments in order (object: the new resource)
//   Clear: count, flags, colour, stencil (z)  state blocks: the token (EndStateBlock: the one returned)
//   VertexBufferLock: offset, size, flags (object: buffer)   AddRef / Release: the new count
// Getters record their selecting arguments; SetMaterial, SetViewport and Reset keep a copy of the record.
struct DeviceCall {
    DeviceMethod method;
    HRESULT result;
    DWORD args[6];
    const void* object;
    float z;
    D3DMATRIX matrix;
    D3DLIGHT8 light;
    D3DMATERIAL8 material;
    D3DVIEWPORT8 viewport;
    D3DPRESENT_PARAMETERS parameters;
};

// A successful DrawPrimitive of at least one primitive: what it read and under which state.
struct DrawRecord {
    D3DPRIMITIVETYPE type;
    UINT startVertex;
    UINT primitiveCount;
    const IDirect3DVertexBuffer8* buffer;
    UINT stride;
    UINT vertexCount;
    // vertexCount × stride bytes of the bound buffer from startVertex on.
    std::vector<BYTE> vertices;
    DeviceState state;

    // Vertex i of the draw read as T (the leading sizeof(T) bytes of that vertex).
    template <typename T>
    T Vertex(size_t i) const
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (i >= vertexCount || sizeof(T) > stride) {
            throw std::out_of_range("vertex outside the draw");
        }
        T vertex;
        std::memcpy(&vertex, vertices.data() + i * stride, sizeof(T));
        return vertex;
    }
};

// What the device and its vertex buffers write to; shared so buffers may outlive the device.
struct CallLog {
    std::vector<DeviceCall> calls;
    std::vector<DrawRecord> draws;
    // Set while the device must behave as a plain null device (for allocation counts).
    bool paused = false;

    // Writes a call down unless paused.
    void Add(DeviceMethod method, HRESULT result, std::initializer_list<DWORD> args, const void* object);
};

class RecordingDevice : public DeviceFrontEnd {
public:
    // args[3] of a DrawPrimitive that drew nothing.
    static constexpr DWORD NoDraw = 0xFFFFFFFFu;

    explicit RecordingDevice(const D3DCAPS8& caps = DefaultCaps(),
                             const D3DPRESENT_PARAMETERS& parameters = DefaultPresentParameters());

    const std::vector<DeviceCall>& Calls() const { return log->calls; }
    const std::vector<DrawRecord>& Draws() const { return log->draws; }
    // Forgets the calls and draws recorded so far; the device's own Clear stays callable.
    void Clear();
    using DeviceFrontEnd::Clear;
    size_t CountOf(DeviceMethod method) const;
    // Stops or resumes writing calls and draws down; the device keeps working either way.
    void PauseRecording(bool pause) { log->paused = pause; }
    std::vector<DeviceCall> CallsOf(DeviceMethod method) const;

    template <typename T>
    T Vertex(size_t drawIndex, size_t i) const
    {
        return Draws().at(drawIndex).template Vertex<T>(i);
    }

    void SetCapsMaxPrimitiveCount(DWORD count) { Caps().MaxPrimitiveCount = count; }
    // The next creation after `successesFirst` successful ones answers `result` and creates nothing.
    void FailNextCreateTexture(HRESULT result, UINT successesFirst = 0);
    void FailNextCreateVertexBuffer(HRESULT result, UINT successesFirst = 0);
    void FailNextCreateIndexBuffer(HRESULT result, UINT successesFirst = 0);
    // What TestCooperativeLevel answers from now on, to play device loss.
    void SetCooperativeLevel(HRESULT result) { cooperativeLevel = result; }

    // The device-loss and creation-failure plays; every other call is the front end's alone.
    HRESULT TestCooperativeLevel() override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** indexBuffer) override;

protected:
    // Writes down each call the front end reports, with the record it passed.
    void CallMade(DeviceMethod method, HRESULT result, std::initializer_list<DWORD> args,
                  const void* object) override;
    // Writes down what a plain draw read and the state it read it under.
    HRESULT Draw(const CheckedDraw& draw) override;
    MemoryVertexBuffer* NewVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage, DWORD fvf,
                                        D3DPOOL pool) override;

private:
    // A failure armed for one kind of creation.
    struct PlannedFailure {
        bool armed = false;
        HRESULT result = D3D_OK;
        UINT successesLeft = 0;

        // True when this creation must fail, with the result to answer.
        bool Take(HRESULT& failure);
    };

    // Answers a planned failure of a creation (and writes it down), or lets the front end create.
    template <typename Resource, typename Create>
    HRESULT CreateUnlessPlanned(PlannedFailure& planned, DeviceMethod method, std::initializer_list<DWORD> args,
                                Resource** out, Create create);

    std::shared_ptr<CallLog> log;
    PlannedFailure textureFailure;
    PlannedFailure vertexBufferFailure;
    PlannedFailure indexBufferFailure;
    HRESULT cooperativeLevel = D3D_OK;
    // The draw the hook wrote down during the current DrawPrimitive, or NoDraw.
    DWORD lastDraw = NoDraw;
};
