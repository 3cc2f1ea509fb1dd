// SPDX-License-Identifier: GPL-3.0-or-later
// The recording device: every call is written down after the null device has answered it.
#include "tests/support/recording_device.h"

#include <algorithm>
#include <utility>

namespace {

DWORD Bits(std::int32_t value) { return static_cast<DWORD>(value); }

// A memory vertex buffer whose locks land in the creating device's call list.
class RecordingVertexBuffer final : public MemoryVertexBuffer {
public:
    RecordingVertexBuffer(std::shared_ptr<ResourceOwner> owner, std::shared_ptr<CallLog> log_, UINT length,
                          DWORD usage, DWORD fvf, D3DPOOL pool)
        : MemoryVertexBuffer(std::move(owner), length, usage, fvf, pool), log(std::move(log_))
    {
    }

    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override
    {
        const HRESULT result = MemoryVertexBuffer::Lock(offsetToLock, sizeToLock, data, flags);
        DeviceCall call{};
        call.method = DeviceMethod::VertexBufferLock;
        call.result = result;
        call.args[0] = offsetToLock;
        call.args[1] = sizeToLock;
        call.args[2] = flags;
        call.object = static_cast<IDirect3DVertexBuffer8*>(this);
        if (!log->paused) {
            log->calls.push_back(call);
        }
        return result;
    }

    HRESULT Unlock() override
    {
        const HRESULT result = MemoryVertexBuffer::Unlock();
        DeviceCall call{};
        call.method = DeviceMethod::VertexBufferUnlock;
        call.result = result;
        call.object = static_cast<IDirect3DVertexBuffer8*>(this);
        if (!log->paused) {
            log->calls.push_back(call);
        }
        return result;
    }

private:
    std::shared_ptr<CallLog> log;
};

} // namespace

const char* DeviceMethodName(DeviceMethod method)
{
    switch (method) {
    case DeviceMethod::AddRef: return "AddRef";
    case DeviceMethod::Release: return "Release";
    case DeviceMethod::TestCooperativeLevel: return "TestCooperativeLevel";
    case DeviceMethod::GetDeviceCaps: return "GetDeviceCaps";
    case DeviceMethod::GetDisplayMode: return "GetDisplayMode";
    case DeviceMethod::SetCursorPosition: return "SetCursorPosition";
    case DeviceMethod::Reset: return "Reset";
    case DeviceMethod::Present: return "Present";
    case DeviceMethod::GetBackBuffer: return "GetBackBuffer";
    case DeviceMethod::CreateTexture: return "CreateTexture";
    case DeviceMethod::CreateVertexBuffer: return "CreateVertexBuffer";
    case DeviceMethod::CreateIndexBuffer: return "CreateIndexBuffer";
    case DeviceMethod::BeginScene: return "BeginScene";
    case DeviceMethod::EndScene: return "EndScene";
    case DeviceMethod::Clear: return "Clear";
    case DeviceMethod::SetTransform: return "SetTransform";
    case DeviceMethod::GetTransform: return "GetTransform";
    case DeviceMethod::SetViewport: return "SetViewport";
    case DeviceMethod::GetViewport: return "GetViewport";
    case DeviceMethod::SetMaterial: return "SetMaterial";
    case DeviceMethod::GetMaterial: return "GetMaterial";
    case DeviceMethod::SetLight: return "SetLight";
    case DeviceMethod::GetLight: return "GetLight";
    case DeviceMethod::LightEnable: return "LightEnable";
    case DeviceMethod::GetLightEnable: return "GetLightEnable";
    case DeviceMethod::SetRenderState: return "SetRenderState";
    case DeviceMethod::GetRenderState: return "GetRenderState";
    case DeviceMethod::BeginStateBlock: return "BeginStateBlock";
    case DeviceMethod::EndStateBlock: return "EndStateBlock";
    case DeviceMethod::ApplyStateBlock: return "ApplyStateBlock";
    case DeviceMethod::CaptureStateBlock: return "CaptureStateBlock";
    case DeviceMethod::DeleteStateBlock: return "DeleteStateBlock";
    case DeviceMethod::GetTexture: return "GetTexture";
    case DeviceMethod::SetTexture: return "SetTexture";
    case DeviceMethod::GetTextureStageState: return "GetTextureStageState";
    case DeviceMethod::SetTextureStageState: return "SetTextureStageState";
    case DeviceMethod::DrawPrimitive: return "DrawPrimitive";
    case DeviceMethod::DrawIndexedPrimitive: return "DrawIndexedPrimitive";
    case DeviceMethod::SetVertexShader: return "SetVertexShader";
    case DeviceMethod::GetVertexShader: return "GetVertexShader";
    case DeviceMethod::SetPixelShader: return "SetPixelShader";
    case DeviceMethod::GetPixelShader: return "GetPixelShader";
    case DeviceMethod::SetStreamSource: return "SetStreamSource";
    case DeviceMethod::GetStreamSource: return "GetStreamSource";
    case DeviceMethod::SetIndices: return "SetIndices";
    case DeviceMethod::GetIndices: return "GetIndices";
    case DeviceMethod::VertexBufferLock: return "VertexBufferLock";
    case DeviceMethod::VertexBufferUnlock: return "VertexBufferUnlock";
    }
    return "?";
}

RecordingDevice::RecordingDevice(const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters)
    : DeviceFrontEnd(caps, parameters), log(std::make_shared<CallLog>())
{
}

void RecordingDevice::Clear()
{
    log->calls.clear();
    log->draws.clear();
}

size_t RecordingDevice::CountOf(DeviceMethod method) const
{
    return static_cast<size_t>(std::count_if(log->calls.begin(), log->calls.end(),
                                              [method](const DeviceCall& call) { return call.method == method; }));
}

std::vector<DeviceCall> RecordingDevice::CallsOf(DeviceMethod method) const
{
    std::vector<DeviceCall> calls;
    for (const DeviceCall& call : log->calls) {
        if (call.method == method) {
            calls.push_back(call);
        }
    }
    return calls;
}

void RecordingDevice::FailNextCreateTexture(HRESULT result, UINT successesFirst)
{
    textureFailure = {true, result, successesFirst};
}

void RecordingDevice::FailNextCreateVertexBuffer(HRESULT result, UINT successesFirst)
{
    vertexBufferFailure = {true, result, successesFirst};
}

void RecordingDevice::FailNextCreateIndexBuffer(HRESULT result, UINT successesFirst)
{
    indexBufferFailure = {true, result, successesFirst};
}

bool RecordingDevice::PlannedFailure::Take(HRESULT& failure)
{
    if (!armed) {
        return false;
    }
    if (successesLeft > 0) {
        --successesLeft;
        return false;
    }
    armed = false;
    failure = result;
    return true;
}

DeviceCall& RecordingDevice::Record(DeviceMethod method, HRESULT result, std::initializer_list<DWORD> args,
                                    const void* object)
{
    // While paused, calls go to a scratch record that nobody reads.
    if (log->paused) {
        static thread_local DeviceCall scratch;
        scratch = DeviceCall{};
        return scratch;
    }
    DeviceCall call{};
    call.method = method;
    call.result = result;
    std::copy_n(args.begin(), std::min<size_t>(args.size(), std::size(call.args)), call.args);
    call.object = object;
    log->calls.push_back(call);
    return log->calls.back();
}

ULONG RecordingDevice::AddRef()
{
    const ULONG count = DeviceFrontEnd::AddRef();
    Record(DeviceMethod::AddRef, D3D_OK, {count});
    return count;
}

ULONG RecordingDevice::Release()
{
    // Written first: the last Release deletes the device.
    Record(DeviceMethod::Release, D3D_OK, {RefCount() > 0 ? RefCount() - 1 : 0});
    return DeviceFrontEnd::Release();
}

HRESULT RecordingDevice::TestCooperativeLevel()
{
    const HRESULT result = FAILED(cooperativeLevel) ? cooperativeLevel : DeviceFrontEnd::TestCooperativeLevel();
    Record(DeviceMethod::TestCooperativeLevel, result);
    return result;
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS8* caps)
{
    const HRESULT result = DeviceFrontEnd::GetDeviceCaps(caps);
    Record(DeviceMethod::GetDeviceCaps, result);
    return result;
}

HRESULT RecordingDevice::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    const HRESULT result = DeviceFrontEnd::GetDisplayMode(mode);
    Record(DeviceMethod::GetDisplayMode, result);
    return result;
}

void RecordingDevice::SetCursorPosition(int x, int y, DWORD flags)
{
    DeviceFrontEnd::SetCursorPosition(x, y, flags);
    Record(DeviceMethod::SetCursorPosition, D3D_OK, {Bits(x), Bits(y), flags});
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* presentationParameters)
{
    const HRESULT result = DeviceFrontEnd::Reset(presentationParameters);
    DeviceCall& call = Record(DeviceMethod::Reset, result);
    if (presentationParameters != nullptr) {
        call.parameters = *presentationParameters;
    }
    return result;
}

HRESULT RecordingDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                                 const void* dirtyRegion)
{
    const HRESULT result = DeviceFrontEnd::Present(sourceRect, destRect, destWindowOverride, dirtyRegion);
    Record(DeviceMethod::Present, result);
    return result;
}

HRESULT RecordingDevice::GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface)
{
    const HRESULT result = DeviceFrontEnd::GetBackBuffer(backBuffer, type, surface);
    Record(DeviceMethod::GetBackBuffer, result, {backBuffer, Bits(type)}, surface != nullptr ? *surface : nullptr);
    return result;
}

HRESULT RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                       D3DPOOL pool, IDirect3DTexture8** texture)
{
    HRESULT result = D3D_OK;
    if (textureFailure.Take(result)) {
        if (texture != nullptr) {
            *texture = nullptr;
        }
    } else {
        result = DeviceFrontEnd::CreateTexture(width, height, levels, usage, format, pool, texture);
    }
    Record(DeviceMethod::CreateTexture, result, {width, height, levels, usage, Bits(format), Bits(pool)},
           texture != nullptr ? *texture : nullptr);
    return result;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer8** vertexBuffer)
{
    HRESULT result = D3D_OK;
    if (vertexBufferFailure.Take(result)) {
        if (vertexBuffer != nullptr) {
            *vertexBuffer = nullptr;
        }
    } else {
        result = DeviceFrontEnd::CreateVertexBuffer(length, usage, fvf, pool, vertexBuffer);
    }
    Record(DeviceMethod::CreateVertexBuffer, result, {length, usage, fvf, Bits(pool)},
           vertexBuffer != nullptr ? *vertexBuffer : nullptr);
    return result;
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DIndexBuffer8** indexBuffer)
{
    HRESULT result = D3D_OK;
    if (indexBufferFailure.Take(result)) {
        if (indexBuffer != nullptr) {
            *indexBuffer = nullptr;
        }
    } else {
        result = DeviceFrontEnd::CreateIndexBuffer(length, usage, format, pool, indexBuffer);
    }
    Record(DeviceMethod::CreateIndexBuffer, result, {length, usage, Bits(format), Bits(pool)},
           indexBuffer != nullptr ? *indexBuffer : nullptr);
    return result;
}

HRESULT RecordingDevice::BeginScene()
{
    const HRESULT result = DeviceFrontEnd::BeginScene();
    Record(DeviceMethod::BeginScene, result);
    return result;
}

HRESULT RecordingDevice::EndScene()
{
    const HRESULT result = DeviceFrontEnd::EndScene();
    Record(DeviceMethod::EndScene, result);
    return result;
}

HRESULT RecordingDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                               DWORD stencil)
{
    const HRESULT result = DeviceFrontEnd::Clear(count, rects, flags, color, z, stencil);
    Record(DeviceMethod::Clear, result, {count, flags, color, stencil}).z = z;
    return result;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    const HRESULT result = DeviceFrontEnd::SetTransform(state, matrix);
    DeviceCall& call = Record(DeviceMethod::SetTransform, result, {Bits(state)});
    if (matrix != nullptr) {
        call.matrix = *matrix;
    }
    return result;
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    const HRESULT result = DeviceFrontEnd::GetTransform(state, matrix);
    Record(DeviceMethod::GetTransform, result, {Bits(state)});
    return result;
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT8* viewport)
{
    const HRESULT result = DeviceFrontEnd::SetViewport(viewport);
    DeviceCall& call = Record(DeviceMethod::SetViewport, result);
    if (viewport != nullptr) {
        call.viewport = *viewport;
    }
    return result;
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT8* viewport)
{
    const HRESULT result = DeviceFrontEnd::GetViewport(viewport);
    Record(DeviceMethod::GetViewport, result);
    return result;
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL8* material)
{
    const HRESULT result = DeviceFrontEnd::SetMaterial(material);
    DeviceCall& call = Record(DeviceMethod::SetMaterial, result);
    if (material != nullptr) {
        call.material = *material;
    }
    return result;
}

HRESULT RecordingDevice::GetMaterial(D3DMATERIAL8* material)
{
    const HRESULT result = DeviceFrontEnd::GetMaterial(material);
    Record(DeviceMethod::GetMaterial, result);
    return result;
}

HRESULT RecordingDevice::SetLight(DWORD index, const D3DLIGHT8* light)
{
    const HRESULT result = DeviceFrontEnd::SetLight(index, light);
    DeviceCall& call = Record(DeviceMethod::SetLight, result, {index});
    if (light != nullptr) {
        call.light = *light;
    }
    return result;
}

HRESULT RecordingDevice::GetLight(DWORD index, D3DLIGHT8* light)
{
    const HRESULT result = DeviceFrontEnd::GetLight(index, light);
    Record(DeviceMethod::GetLight, result, {index});
    return result;
}

HRESULT RecordingDevice::LightEnable(DWORD index, BOOL enable)
{
    const HRESULT result = DeviceFrontEnd::LightEnable(index, enable);
    Record(DeviceMethod::LightEnable, result, {index, Bits(enable)});
    return result;
}

HRESULT RecordingDevice::GetLightEnable(DWORD index, BOOL* enable)
{
    const HRESULT result = DeviceFrontEnd::GetLightEnable(index, enable);
    Record(DeviceMethod::GetLightEnable, result, {index});
    return result;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    const HRESULT result = DeviceFrontEnd::SetRenderState(state, value);
    Record(DeviceMethod::SetRenderState, result, {Bits(state), value});
    return result;
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    const HRESULT result = DeviceFrontEnd::GetRenderState(state, value);
    Record(DeviceMethod::GetRenderState, result, {Bits(state)});
    return result;
}

HRESULT RecordingDevice::BeginStateBlock()
{
    const HRESULT result = DeviceFrontEnd::BeginStateBlock();
    Record(DeviceMethod::BeginStateBlock, result);
    return result;
}

HRESULT RecordingDevice::EndStateBlock(DWORD* token)
{
    const HRESULT result = DeviceFrontEnd::EndStateBlock(token);
    Record(DeviceMethod::EndStateBlock, result, {SUCCEEDED(result) ? *token : 0});
    return result;
}

HRESULT RecordingDevice::ApplyStateBlock(DWORD token)
{
    const HRESULT result = DeviceFrontEnd::ApplyStateBlock(token);
    Record(DeviceMethod::ApplyStateBlock, result, {token});
    return result;
}

HRESULT RecordingDevice::CaptureStateBlock(DWORD token)
{
    const HRESULT result = DeviceFrontEnd::CaptureStateBlock(token);
    Record(DeviceMethod::CaptureStateBlock, result, {token});
    return result;
}

HRESULT RecordingDevice::DeleteStateBlock(DWORD token)
{
    const HRESULT result = DeviceFrontEnd::DeleteStateBlock(token);
    Record(DeviceMethod::DeleteStateBlock, result, {token});
    return result;
}

HRESULT RecordingDevice::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    const HRESULT result = DeviceFrontEnd::GetTexture(stage, texture);
    Record(DeviceMethod::GetTexture, result, {stage});
    return result;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    const HRESULT result = DeviceFrontEnd::SetTexture(stage, texture);
    Record(DeviceMethod::SetTexture, result, {stage}, texture);
    return result;
}

HRESULT RecordingDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    const HRESULT result = DeviceFrontEnd::GetTextureStageState(stage, type, value);
    Record(DeviceMethod::GetTextureStageState, result, {stage, Bits(type)});
    return result;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    const HRESULT result = DeviceFrontEnd::SetTextureStageState(stage, type, value);
    Record(DeviceMethod::SetTextureStageState, result, {stage, Bits(type), value});
    return result;
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    lastDraw = NoDraw;
    const HRESULT result = DeviceFrontEnd::DrawPrimitive(type, startVertex, primitiveCount);
    Record(DeviceMethod::DrawPrimitive, result, {Bits(type), startVertex, primitiveCount, lastDraw});
    return result;
}

HRESULT RecordingDevice::Draw(const CheckedDraw& checked)
{
    if (checked.indexed || log->paused) {
        return D3D_OK;
    }
    // The front end checked the draw, so the whole range lies inside the bound buffer.
    const DeviceState& state = State();
    const auto* buffer = static_cast<const MemoryVertexBuffer*>(state.streamSource);
    const BYTE* first = buffer->Data() + static_cast<size_t>(checked.first) * state.streamStride;
    DrawRecord draw{checked.type, checked.first, checked.primitiveCount, buffer, state.streamStride, checked.count,
                    std::vector<BYTE>(first, first + static_cast<size_t>(checked.count) * state.streamStride),
                    state};
    lastDraw = static_cast<DWORD>(log->draws.size());
    log->draws.push_back(std::move(draw));
    return D3D_OK;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                              UINT startIndex, UINT primitiveCount)
{
    const HRESULT result = DeviceFrontEnd::DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, primitiveCount);
    Record(DeviceMethod::DrawIndexedPrimitive, result, {Bits(type), minIndex, numVertices, startIndex, primitiveCount});
    return result;
}

HRESULT RecordingDevice::SetVertexShader(DWORD handle)
{
    const HRESULT result = DeviceFrontEnd::SetVertexShader(handle);
    Record(DeviceMethod::SetVertexShader, result, {handle});
    return result;
}

HRESULT RecordingDevice::GetVertexShader(DWORD* handle)
{
    const HRESULT result = DeviceFrontEnd::GetVertexShader(handle);
    Record(DeviceMethod::GetVertexShader, result);
    return result;
}

HRESULT RecordingDevice::SetPixelShader(DWORD handle)
{
    const HRESULT result = DeviceFrontEnd::SetPixelShader(handle);
    Record(DeviceMethod::SetPixelShader, result, {handle});
    return result;
}

HRESULT RecordingDevice::GetPixelShader(DWORD* handle)
{
    const HRESULT result = DeviceFrontEnd::GetPixelShader(handle);
    Record(DeviceMethod::GetPixelShader, result);
    return result;
}

HRESULT RecordingDevice::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride)
{
    const HRESULT result = DeviceFrontEnd::SetStreamSource(streamNumber, streamData, stride);
    Record(DeviceMethod::SetStreamSource, result, {streamNumber, stride}, streamData);
    return result;
}

HRESULT RecordingDevice::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData, UINT* stride)
{
    const HRESULT result = DeviceFrontEnd::GetStreamSource(streamNumber, streamData, stride);
    Record(DeviceMethod::GetStreamSource, result, {streamNumber});
    return result;
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex)
{
    const HRESULT result = DeviceFrontEnd::SetIndices(indexData, baseVertexIndex);
    Record(DeviceMethod::SetIndices, result, {baseVertexIndex}, indexData);
    return result;
}

HRESULT RecordingDevice::GetIndices(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex)
{
    const HRESULT result = DeviceFrontEnd::GetIndices(indexData, baseVertexIndex);
    Record(DeviceMethod::GetIndices, result);
    return result;
}

MemoryVertexBuffer* RecordingDevice::NewVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                                     DWORD fvf, D3DPOOL pool)
{
    return new RecordingVertexBuffer(std::move(owner), log, length, usage, fvf, pool);
}
