// SPDX-License-Identifier: GPL-3.0-or-later
// The library's mesh: a vertex buffer and a 16-bit index buffer made through the device, the face
// attributes and, once sorted, the attribute table.
#pragma once

#include "d3dx/d3dx_mesh.h"
#include "d3dx/vertex_layout.h"
#include "platform/base/ref_counted.h"

#include <vector>

class IndexedMesh final : public ID3DXMesh {
public:
    // Creates both buffers; *mesh is null on failure. D3DERR_INVALIDCALL for bad arguments.
    static HRESULT Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                          IndexedMesh** mesh);

    IndexedMesh(const IndexedMesh&) = delete;
    IndexedMesh& operator=(const IndexedMesh&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT DrawSubset(DWORD attribId) override;
    DWORD GetNumFaces() override { return numFaces; }
    DWORD GetNumVertices() override { return numVertices; }
    DWORD GetFVF() override { return fvf; }
    DWORD GetOptions() override { return options; }
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT CloneMeshFVF(DWORD cloneOptions, DWORD cloneFvf, IDirect3DDevice8* cloneDevice,
                         ID3DXMesh** cloneMesh) override;
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** indexBuffer) override;
    HRESULT LockVertexBuffer(DWORD flags, BYTE** data) override;
    HRESULT UnlockVertexBuffer() override;
    HRESULT LockIndexBuffer(DWORD flags, BYTE** data) override;
    HRESULT UnlockIndexBuffer() override;
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) override;
    HRESULT UnlockAttributeBuffer() override;
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* tableSize) override;
    HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            ID3DXBuffer** vertexRemap) override;

private:
    IndexedMesh(IDirect3DDevice8* device, DWORD options, DWORD fvf, const VertexLayout& layout, DWORD numFaces,
                DWORD numVertices);
    ~IndexedMesh() override;

    // Draws one run of faces with every vertex in range.
    HRESULT DrawFaces(DWORD faceStart, DWORD faceCount, DWORD vertexStart, DWORD vertexCount);

    RefCounter refs;
    IDirect3DDevice8* device;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    DWORD options;
    DWORD fvf;
    VertexLayout layout;
    DWORD numFaces;
    DWORD numVertices;
    std::vector<DWORD> attributes;
    std::vector<D3DXATTRIBUTERANGE> attributeTable;
    bool attributesLocked = false;
    bool attributesLockedReadOnly = false;
};
