// SPDX-License-Identifier: GPL-3.0-or-later
// Mesh creation and loading from X-file data: read, build, fill the device buffers, hand out the
// adjacency and material buffers. Every piece is held until the end so a failure leaves nothing behind.
#include "d3dx/d3dx_mesh.h"

#include "d3dx/com_hold.h"
#include "d3dx/indexed_mesh.h"
#include "d3dx/mesh_builder.h"
#include "d3dx/xof_mesh_reader.h"

#include <cstring>
#include <new>

namespace {

// Copies the built geometry into the mesh's three buffers.
HRESULT FillMesh(ID3DXMesh* mesh, const MeshGeometry& geometry)
{
    BYTE* vertices = nullptr;
    HRESULT result = mesh->LockVertexBuffer(0, &vertices);
    if (FAILED(result)) {
        return result;
    }
    std::memcpy(vertices, geometry.vertices.data(), geometry.vertices.size());
    mesh->UnlockVertexBuffer();

    BYTE* indices = nullptr;
    result = mesh->LockIndexBuffer(0, &indices);
    if (FAILED(result)) {
        return result;
    }
    std::memcpy(indices, geometry.indices.data(), geometry.indices.size() * sizeof(WORD));
    mesh->UnlockIndexBuffer();

    DWORD* attributes = nullptr;
    result = mesh->LockAttributeBuffer(0, &attributes);
    if (FAILED(result)) {
        return result;
    }
    std::memcpy(attributes, geometry.attributes.data(), geometry.attributes.size() * sizeof(DWORD));
    return mesh->UnlockAttributeBuffer();
}

} // namespace

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                          ID3DXMesh** mesh)
{
    if (mesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    IndexedMesh* created = nullptr;
    const HRESULT result = IndexedMesh::Create(numFaces, numVertices, options, fvf, device, &created);
    *mesh = created;
    return result;
}

HRESULT D3DXLoadMeshFromXof(IDirectXFileData* data, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                            ID3DXBuffer** materials, DWORD* materialCount, ID3DXMesh** mesh)
{
    if (adjacency != nullptr) {
        *adjacency = nullptr;
    }
    if (materials != nullptr) {
        *materials = nullptr;
    }
    if (materialCount != nullptr) {
        *materialCount = 0;
    }
    if (mesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *mesh = nullptr;
    if (data == nullptr || device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    try {
        XofMeshData content;
        HRESULT result = ReadXofMesh(data, &content);
        if (FAILED(result)) {
            return result;
        }
        MeshGeometry geometry;
        result = BuildMeshGeometry(content, &geometry);
        if (FAILED(result)) {
            return result;
        }
        ComHold<ID3DXMesh> built;
        result = D3DXCreateMeshFVF(static_cast<DWORD>(geometry.attributes.size()), geometry.vertexCount, options,
                                   geometry.fvf, device, built.Out());
        if (FAILED(result)) {
            return result;
        }
        result = FillMesh(built.Get(), geometry);
        if (FAILED(result)) {
            return result;
        }
        ComHold<ID3DXBuffer> adjacencyBuffer;
        if (adjacency != nullptr) {
            const DWORD bytes = static_cast<DWORD>(geometry.adjacency.size() * sizeof(DWORD));
            result = D3DXCreateBuffer(bytes, adjacencyBuffer.Out());
            if (FAILED(result)) {
                return result;
            }
            std::memcpy(adjacencyBuffer->GetBufferPointer(), geometry.adjacency.data(), bytes);
        }
        ComHold<ID3DXBuffer> materialBuffer;
        if (materials != nullptr) {
            result = CreateMaterialBuffer(content.materials, materialBuffer.Out());
            if (FAILED(result)) {
                return result;
            }
        }
        if (adjacency != nullptr) {
            *adjacency = adjacencyBuffer.Take();
        }
        if (materials != nullptr) {
            *materials = materialBuffer.Take();
        }
        if (materialCount != nullptr) {
            *materialCount = static_cast<DWORD>(content.materials.size());
        }
        *mesh = built.Take();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}
