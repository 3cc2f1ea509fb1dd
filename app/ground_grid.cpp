// SPDX-License-Identifier: GPL-3.0-or-later
// Building and releasing the ground grid.
#include "app/ground_grid.h"

#include <cstring>

#include "media/media_lookup.h"

GroundGridResources GroundGrid;

namespace {

constexpr HRESULT MediaNotFound = static_cast<HRESULT>(0x8200000Bu);

template <typename T>
void ReleaseAndClear(T*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

} // namespace

void WriteGroundGridVertices(TexturedVertex* vertices)
{
    for (int r = 0; r <= 8; ++r) {
        for (int c = 0; c <= 8; ++c) {
            TexturedVertex& v = vertices[9 * r + c];
            v.x = (static_cast<float>(c) / 8.0f - 0.5f) * 256.0f;
            v.y = 0.0f;
            v.z = (static_cast<float>(r) / 8.0f - 0.5f) * 256.0f;
            v.color = 0xCCCCCCCC;
            v.u = 4.0f * static_cast<float>(c);
            v.v = 4.0f * static_cast<float>(r);
        }
    }
}

void WriteGroundGridIndices(std::uint16_t* indices)
{
    int n = 0;
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            const auto v = static_cast<std::uint16_t>(9 * r + c);
            const std::uint16_t cell[6] = {static_cast<std::uint16_t>(v + 1), v, static_cast<std::uint16_t>(v + 9),
                                           static_cast<std::uint16_t>(v + 1), static_cast<std::uint16_t>(v + 9),
                                           static_cast<std::uint16_t>(v + 10)};
            std::memcpy(indices + n, cell, sizeof(cell));
            n += 6;
        }
    }
}

HRESULT CreateGroundGrid(IDirect3DDevice8* device)
{
    GroundGrid.vertexCount = GroundGridVertices;
    GroundGrid.indexCount = GroundGridIndices;
    if (FAILED(LoadMediaTexture(device, "Ground.bmp", &GroundGrid.texture, D3DFMT_UNKNOWN))) {
        return MediaNotFound;
    }
    if (FAILED(device->CreateVertexBuffer(GroundGridVertices * sizeof(TexturedVertex), D3DUSAGE_WRITEONLY,
                                          TexturedVertexFVF, D3DPOOL_MANAGED, &GroundGrid.vertexBuffer))) {
        return E_FAIL;
    }
    BYTE* data = nullptr;
    HRESULT hr = GroundGrid.vertexBuffer->Lock(0, 0, &data, 0);
    if (FAILED(hr)) {
        return hr;
    }
    WriteGroundGridVertices(reinterpret_cast<TexturedVertex*>(data));
    GroundGrid.vertexBuffer->Unlock();

    if (FAILED(device->CreateIndexBuffer(GroundGridIndices * sizeof(std::uint16_t), D3DUSAGE_WRITEONLY,
                                         D3DFMT_INDEX16, D3DPOOL_MANAGED, &GroundGrid.indexBuffer))) {
        return E_FAIL;
    }
    hr = GroundGrid.indexBuffer->Lock(0, GroundGridIndices * sizeof(std::uint16_t), &data, 0);
    if (FAILED(hr)) {
        return hr;
    }
    WriteGroundGridIndices(reinterpret_cast<std::uint16_t*>(data));
    GroundGrid.indexBuffer->Unlock();
    return S_OK;
}

void ReleaseGroundGrid()
{
    ReleaseAndClear(GroundGrid.vertexBuffer);
    ReleaseAndClear(GroundGrid.indexBuffer);
    ReleaseAndClear(GroundGrid.texture);
}
