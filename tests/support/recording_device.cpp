// SPDX-License-Identifier: GPL-3.0-or-later
// The recording device: the front end reports every call once answered, and this writes it down.
#include "tests/support/recording_device.h"

#include <algorithm>
#include <utility>

namespace {

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
        log->Add(DeviceMethod::VertexBufferLock, result, {offsetToLock, sizeToLock, flags}, Self());
        return result;
    }

    HRESULT Unlock() override
    {
        const HRESULT result = MemoryVertexBuffer::Unlock();
        log->Add(DeviceMethod::VertexBufferUnlock, result, {}, Self());
        return result;
    }

private:
    const void* Self() const { return static_cast<const IDirect3DVertexBuffer8*>(this); }

    std::shared_ptr<CallLog> log;
};

} // namespace

void CallLog::Add(DeviceMethod method, HRESULT result, std::initializer_list<DWORD> args, const void* object)
{
    if (paused) {
        return;
    }
    DeviceCall call{};
    call.method = method;
    call.result = result;
    std::copy_n(args.begin(), std::min<size_t>(args.size(), std::size(call.args)), call.args);
    call.object = object;
    calls.push_back(call);
}

RecordingDevice::RecordingDevice(const D3DCAPS8& caps, const D3DPRESENT_PARAMETERS& parameters)
    : DeviceFrontEnd(caps, parameters), log(std::make_shared<CallLog>())
{
    ReportCalls();
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

void RecordingDevice::CallMade(DeviceMethod method, HRESULT result, std::initializer_list<DWORD> args,
                               const void* object)
{
    if (log->paused) {
        lastDraw = NoDraw;
        return;
    }
    // The records a call passed by pointer are kept by value; the pointer itself is not kept.
    const void* record = object;
    switch (method) {
    case DeviceMethod::Reset:
    case DeviceMethod::Clear:
    case DeviceMethod::SetTransform:
    case DeviceMethod::SetViewport:
    case DeviceMethod::SetMaterial:
    case DeviceMethod::SetLight: object = nullptr; break;
    default: record = nullptr; break;
    }
    log->Add(method, result, args, object);
    DeviceCall& call = log->calls.back();
    if (method == DeviceMethod::DrawPrimitive) {
        call.args[3] = lastDraw;
        lastDraw = NoDraw;
    }
    if (record == nullptr) {
        return;
    }
    switch (method) {
    case DeviceMethod::Reset: call.parameters = *static_cast<const D3DPRESENT_PARAMETERS*>(record); break;
    case DeviceMethod::Clear: call.z = *static_cast<const float*>(record); break;
    case DeviceMethod::SetTransform: call.matrix = *static_cast<const D3DMATRIX*>(record); break;
    case DeviceMethod::SetViewport: call.viewport = *static_cast<const D3DVIEWPORT8*>(record); break;
    case DeviceMethod::SetMaterial: call.material = *static_cast<const D3DMATERIAL8*>(record); break;
    case DeviceMethod::SetLight: call.light = *static_cast<const D3DLIGHT8*>(record); break;
    default: break;
    }
}

HRESULT RecordingDevice::TestCooperativeLevel()
{
    if (SUCCEEDED(cooperativeLevel)) {
        return DeviceFrontEnd::TestCooperativeLevel();
    }
    CallMade(DeviceMethod::TestCooperativeLevel, cooperativeLevel, {}, nullptr);
    return cooperativeLevel;
}

template <typename Resource, typename Create>
HRESULT RecordingDevice::CreateUnlessPlanned(PlannedFailure& planned, DeviceMethod method,
                                             std::initializer_list<DWORD> args, Resource** out, Create create)
{
    HRESULT failure = D3D_OK;
    if (!planned.Take(failure)) {
        return create();
    }
    if (out != nullptr) {
        *out = nullptr;
    }
    CallMade(method, failure, args, nullptr);
    return failure;
}

HRESULT RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                       D3DPOOL pool, IDirect3DTexture8** texture)
{
    return CreateUnlessPlanned(
        textureFailure, DeviceMethod::CreateTexture,
        {width, height, levels, usage, ArgumentBits(format), ArgumentBits(pool)}, texture,
        [&] { return DeviceFrontEnd::CreateTexture(width, height, levels, usage, format, pool, texture); });
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer8** vertexBuffer)
{
    return CreateUnlessPlanned(vertexBufferFailure, DeviceMethod::CreateVertexBuffer,
                               {length, usage, fvf, ArgumentBits(pool)}, vertexBuffer,
                               [&] { return DeviceFrontEnd::CreateVertexBuffer(length, usage, fvf, pool, vertexBuffer); });
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DIndexBuffer8** indexBuffer)
{
    return CreateUnlessPlanned(indexBufferFailure, DeviceMethod::CreateIndexBuffer,
                               {length, usage, ArgumentBits(format), ArgumentBits(pool)}, indexBuffer,
                               [&] { return DeviceFrontEnd::CreateIndexBuffer(length, usage, format, pool, indexBuffer); });
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

MemoryVertexBuffer* RecordingDevice::NewVertexBuffer(std::shared_ptr<ResourceOwner> owner, UINT length, DWORD usage,
                                                     DWORD fvf, D3DPOOL pool)
{
    return new RecordingVertexBuffer(std::move(owner), log, length, usage, fvf, pool);
}
