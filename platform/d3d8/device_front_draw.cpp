// SPDX-License-Identifier: GPL-3.0-or-later
// The device front end's draws: each is checked once here, its vertex count, layout and the end of the
// bytes it reads worked out once, and handed to the back end through Draw().
#include "platform/d3d8/device_front.h"

namespace {

bool KnownPrimitive(D3DPRIMITIVETYPE type) { return type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN; }

} // namespace

HRESULT DeviceFrontEnd::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    const HRESULT result = [&]() -> HRESULT {
        if (!KnownPrimitive(type) || primitiveCount > deviceCaps.MaxPrimitiveCount) {
            return D3DERR_INVALIDCALL;
        }
        if (primitiveCount == 0) {
            return D3D_OK;
        }
        // SetStreamSource admits only this device's memory buffers.
        const auto* buffer = static_cast<const MemoryVertexBuffer*>(deviceState.streamSource);
        if (buffer == nullptr || buffer->Locked()) {
            return D3DERR_INVALIDCALL;
        }
        const std::uint64_t count = VerticesOf(type, primitiveCount);
        const std::uint64_t available = buffer->Size() / deviceState.streamStride;
        if (startVertex + count > available) {
            return D3DERR_INVALIDCALL;
        }
        CheckedDraw draw{type, primitiveCount, static_cast<UINT>(count), startVertex, false,
                         FvfLayoutOf(deviceState.vertexShader), 0, 0};
        if (vertexFormatChecked && !VerticesInside(startVertex + count - 1, draw)) {
            return D3DERR_INVALIDCALL;
        }
        return Draw(draw);
    }();
    Report(DeviceMethod::DrawPrimitive, result, {ArgumentBits(type), startVertex, primitiveCount});
    return result;
}

HRESULT DeviceFrontEnd::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT startIndex,
                                         UINT primitiveCount)
{
    const HRESULT result = [&]() -> HRESULT {
        if (!KnownPrimitive(type) || primitiveCount > deviceCaps.MaxPrimitiveCount) {
            return D3DERR_INVALIDCALL;
        }
        if (primitiveCount == 0) {
            return D3D_OK;
        }
        const auto* vertices = static_cast<const MemoryVertexBuffer*>(deviceState.streamSource);
        auto* indices = static_cast<MemoryIndexBuffer*>(deviceState.indices);
        if (vertices == nullptr || indices == nullptr || vertices->Locked() || indices->Locked()) {
            return D3DERR_INVALIDCALL;
        }
        const std::uint64_t count = VerticesOf(type, primitiveCount);
        const std::uint64_t indexCount = indices->Size() / indices->IndexSize();
        if (startIndex + count > indexCount) {
            return D3DERR_INVALIDCALL;
        }
        const std::uint64_t vertexCount = vertices->Size() / deviceState.streamStride;
        const std::uint64_t lastVertex = std::uint64_t{deviceState.baseVertexIndex} + minIndex + numVertices;
        if (numVertices == 0 || lastVertex > vertexCount ||
            std::uint64_t{minIndex} + numVertices - 1 > deviceCaps.MaxVertexIndex) {
            return D3DERR_INVALIDCALL;
        }
        const auto end = static_cast<UINT>((startIndex + count) * indices->IndexSize());
        CheckedDraw draw{type, primitiveCount, static_cast<UINT>(count), startIndex, true,
                         FvfLayoutOf(deviceState.vertexShader), 0, end};
        if (!vertexFormatChecked) {
            return Draw(draw);
        }
        // A base vertex past a signed 32-bit offset cannot be drawn from.
        if (deviceState.baseVertexIndex > 0x7FFFFFFFu) {
            return D3DERR_INVALIDCALL;
        }
        // Every index the draw reads must name a vertex inside the buffer, whatever numVertices claims: most
        // draws pass against the largest index of the whole buffer, the others are checked on their range.
        const std::uint64_t base = deviceState.baseVertexIndex;
        if (!VerticesInside(base + indices->LargestIndex(), draw) &&
            !VerticesInside(base + indices->LargestIndexIn(startIndex, draw.count), draw)) {
            return D3DERR_INVALIDCALL;
        }
        return Draw(draw);
    }();
    Report(DeviceMethod::DrawIndexedPrimitive, result,
           {ArgumentBits(type), minIndex, numVertices, startIndex, primitiveCount});
    return result;
}

std::uint64_t DeviceFrontEnd::VerticesOf(D3DPRIMITIVETYPE type, UINT primitiveCount)
{
    const std::uint64_t n = primitiveCount;
    switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return 2 * n;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return 3 * n;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
    }
}

HRESULT DeviceFrontEnd::Draw(const CheckedDraw&) { return D3D_OK; }

bool DeviceFrontEnd::VerticesInside(std::uint64_t lastVertex, CheckedDraw& draw) const
{
    const auto* buffer = static_cast<const MemoryVertexBuffer*>(deviceState.streamSource);
    // The last vertex read must end inside the buffer, whatever the stride.
    const std::uint64_t end = lastVertex * deviceState.streamStride + draw.layout.stride;
    if (draw.layout.position < 0 || end > buffer->Size()) {
        return false;
    }
    draw.vertexBytesRead = static_cast<UINT>(end);
    return true;
}
