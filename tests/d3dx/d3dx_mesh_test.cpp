// SPDX-License-Identifier: GPL-3.0-or-later
// The mesh operations on meshes built by hand: cloning into other formats and pools, drawing by subset,
// and in-place optimisation, which may reorder faces and vertices but must keep what is drawn.
#include "d3dx/d3dx_mesh.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

struct PosNormalTex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

constexpr DWORD PosNormalTexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// A strip of `faces` triangles over faces + 2 vertices (plus `unused` vertices no face touches),
// face f using vertices f, f + 1, f + 2 and attribute attributes[f].
ID3DXMesh* MakeStrip(IDirect3DDevice8* device, const std::vector<DWORD>& attributes, DWORD unused = 0,
                     DWORD options = D3DXMESH_SYSTEMMEM)
{
    const DWORD faces = static_cast<DWORD>(attributes.size());
    const DWORD vertices = faces + 2 + unused;
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3DXCreateMeshFVF(faces, vertices, options, PosNormalTexFvf, device, &mesh), D3D_OK);
    BYTE* data = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(0, &data), D3D_OK);
    for (DWORD i = 0; i < vertices; ++i) {
        const float f = static_cast<float>(i);
        const PosNormalTex vertex{f, f * 2.0f, f * 3.0f, 0.0f, 1.0f, 0.0f, f / 10.0f, 1.0f - f / 10.0f};
        std::memcpy(data + i * sizeof(PosNormalTex), &vertex, sizeof vertex);
    }
    mesh->UnlockVertexBuffer();
    // Unused vertices go first, so compaction has to move every used one.
    EXPECT_EQ(mesh->LockIndexBuffer(0, &data), D3D_OK);
    auto* indices = reinterpret_cast<WORD*>(data);
    for (DWORD f = 0; f < faces; ++f) {
        for (DWORD c = 0; c < 3; ++c) {
            indices[f * 3 + c] = static_cast<WORD>(unused + f + c);
        }
    }
    mesh->UnlockIndexBuffer();
    DWORD* attributeData = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(0, &attributeData), D3D_OK);
    std::copy(attributes.begin(), attributes.end(), attributeData);
    mesh->UnlockAttributeBuffer();
    return mesh;
}

std::vector<PosNormalTex> ReadVertices(ID3DXMesh* mesh)
{
    std::vector<PosNormalTex> vertices(mesh->GetNumVertices());
    BYTE* data = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    std::memcpy(vertices.data(), data, vertices.size() * sizeof(PosNormalTex));
    mesh->UnlockVertexBuffer();
    return vertices;
}

std::vector<WORD> ReadIndices(ID3DXMesh* mesh)
{
    std::vector<WORD> indices(mesh->GetNumFaces() * 3);
    BYTE* data = nullptr;
    EXPECT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    std::memcpy(indices.data(), data, indices.size() * sizeof(WORD));
    mesh->UnlockIndexBuffer();
    return indices;
}

std::vector<DWORD> ReadAttributes(ID3DXMesh* mesh)
{
    DWORD* data = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    std::vector<DWORD> attributes(data, data + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return attributes;
}

// Each face as the x coordinates of its three corners, which identify the strip's vertices.
std::vector<std::array<float, 3>> FaceCorners(ID3DXMesh* mesh)
{
    const auto vertices = ReadVertices(mesh);
    const auto indices = ReadIndices(mesh);
    std::vector<std::array<float, 3>> faces;
    for (size_t i = 0; i < indices.size(); i += 3) {
        faces.push_back({vertices[indices[i]].x, vertices[indices[i + 1]].x, vertices[indices[i + 2]].x});
    }
    return faces;
}

std::vector<D3DXATTRIBUTERANGE> AttributeTable(ID3DXMesh* mesh)
{
    DWORD size = 0;
    EXPECT_EQ(mesh->GetAttributeTable(nullptr, &size), D3D_OK);
    std::vector<D3DXATTRIBUTERANGE> table(size);
    if (size > 0) {
        EXPECT_EQ(mesh->GetAttributeTable(table.data(), &size), D3D_OK);
    }
    return table;
}

D3DPOOL VertexPool(ID3DXMesh* mesh)
{
    IDirect3DVertexBuffer8* buffer = nullptr;
    EXPECT_EQ(mesh->GetVertexBuffer(&buffer), D3D_OK);
    D3DVERTEXBUFFER_DESC desc{};
    buffer->GetDesc(&desc);
    buffer->Release();
    return desc.Pool;
}

D3DPOOL IndexPool(ID3DXMesh* mesh)
{
    IDirect3DIndexBuffer8* buffer = nullptr;
    EXPECT_EQ(mesh->GetIndexBuffer(&buffer), D3D_OK);
    D3DINDEXBUFFER_DESC desc{};
    buffer->GetDesc(&desc);
    buffer->Release();
    return desc.Pool;
}

class MeshTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Every mesh, buffer and clone a test made must have let go of the device.
        EXPECT_EQ(device.RefCount(), 1u);
    }

    RecordingDevice device;
};

TEST_F(MeshTest, CreationRefusesWhatAMeshCannotHold)
{
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(&device);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_32BIT, PosNormalTexFvf, &device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZRHW, &device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(0, 3, 0, PosNormalTexFvf, &device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 65537, 0, PosNormalTexFvf, &device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_VB_SYSTEMMEM | D3DXMESH_VB_MANAGED, PosNormalTexFvf, &device, &mesh),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, PosNormalTexFvf, nullptr, &mesh), D3DERR_INVALIDCALL);

    // A device that refuses the index buffer leaves no vertex buffer or mesh behind.
    device.FailNextCreateIndexBuffer(E_OUTOFMEMORY);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, PosNormalTexFvf, &device, &mesh), E_OUTOFMEMORY);
    EXPECT_EQ(mesh, nullptr);
}

TEST_F(MeshTest, CloneCopiesSharedComponentsIntoTheAskedFormatAndPool)
{
    ID3DXMesh* source = MakeStrip(&device, {0, 1});
    EXPECT_EQ(VertexPool(source), D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(IndexPool(source), D3DPOOL_SYSTEMMEM);

    // Diffuse is new, the normal is dropped, and a second texture set is new.
    struct PosDiffuseTex2 {
        float x, y, z;
        D3DCOLOR diffuse;
        float u0, v0, u1, v1;
    };
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;
    ID3DXMesh* clone = nullptr;
    ASSERT_EQ(source->CloneMeshFVF(0, fvf, &device, &clone), D3D_OK);
    EXPECT_EQ(clone->GetFVF(), fvf);
    EXPECT_EQ(clone->GetNumVertices(), source->GetNumVertices());
    EXPECT_EQ(VertexPool(clone), D3DPOOL_DEFAULT);
    EXPECT_EQ(IndexPool(clone), D3DPOOL_DEFAULT);
    const auto original = ReadVertices(source);
    BYTE* data = nullptr;
    ASSERT_EQ(clone->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    for (size_t i = 0; i < original.size(); ++i) {
        PosDiffuseTex2 v;
        std::memcpy(&v, data + i * sizeof v, sizeof v);
        EXPECT_EQ(v.x, original[i].x);
        EXPECT_EQ(v.z, original[i].z);
        // Opaque white rather than black and transparent.
        EXPECT_EQ(v.diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(v.u0, original[i].u);
        EXPECT_EQ(v.v0, original[i].v);
        EXPECT_EQ(v.u1, 0.0f);
        EXPECT_EQ(v.v1, 0.0f);
    }
    clone->UnlockVertexBuffer();
    EXPECT_EQ(ReadIndices(clone), ReadIndices(source));
    EXPECT_EQ(ReadAttributes(clone), ReadAttributes(source));

    ID3DXMesh* managed = nullptr;
    ASSERT_EQ(clone->CloneMeshFVF(D3DXMESH_MANAGED, PosNormalTexFvf, &device, &managed), D3D_OK);
    EXPECT_EQ(VertexPool(managed), D3DPOOL_MANAGED);
    // Back in the first format: the normal the middle copy lacked comes back as zero.
    const auto roundTrip = ReadVertices(managed);
    EXPECT_EQ(roundTrip[1].x, original[1].x);
    EXPECT_EQ(roundTrip[1].ny, 0.0f);
    EXPECT_EQ(roundTrip[1].u, original[1].u);

    ID3DXMesh* refused = nullptr;
    EXPECT_EQ(source->CloneMeshFVF(0, D3DFVF_XYZRHW | D3DFVF_DIFFUSE, &device, &refused), D3DERR_INVALIDCALL);
    EXPECT_EQ(source->CloneMeshFVF(0, PosNormalTexFvf, nullptr, &refused), D3DERR_INVALIDCALL);
    EXPECT_EQ(refused, nullptr);
    managed->Release();
    clone->Release();
    source->Release();
}

TEST_F(MeshTest, DrawSubsetDrawsOnlyThatAttributesFaces)
{
    ID3DXMesh* mesh = MakeStrip(&device, {0, 1, 1, 0, 1});
    device.Clear();
    // Unsorted: one draw per run of the subset's faces, over every vertex.
    ASSERT_EQ(mesh->DrawSubset(1), D3D_OK);
    auto draws = device.CallsOf(DeviceMethod::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].args[0], static_cast<DWORD>(D3DPT_TRIANGLELIST));
    EXPECT_EQ(draws[0].args[3], 3u);
    EXPECT_EQ(draws[0].args[4], 2u);
    EXPECT_EQ(draws[1].args[3], 12u);
    EXPECT_EQ(draws[1].args[4], 1u);
    EXPECT_EQ(draws[1].args[1], 0u);
    EXPECT_EQ(draws[1].args[2], 7u);
    // The mesh binds its own format, buffers and stride.
    const auto shaders = device.CallsOf(DeviceMethod::SetVertexShader);
    ASSERT_FALSE(shaders.empty());
    EXPECT_EQ(shaders.back().args[0], PosNormalTexFvf);
    const auto streams = device.CallsOf(DeviceMethod::SetStreamSource);
    ASSERT_FALSE(streams.empty());
    EXPECT_EQ(streams.back().args[1], sizeof(PosNormalTex));

    // Sorted: one draw from the attribute table, with the subset's vertex range.
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    device.Clear();
    ASSERT_EQ(mesh->DrawSubset(0), D3D_OK);
    draws = device.CallsOf(DeviceMethod::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 1u);
    const auto table = AttributeTable(mesh);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(draws[0].args[1], table[0].VertexStart);
    EXPECT_EQ(draws[0].args[2], table[0].VertexCount);
    EXPECT_EQ(draws[0].args[3], table[0].FaceStart * 3);
    EXPECT_EQ(draws[0].args[4], 2u);
    EXPECT_EQ(draws[0].result, D3D_OK);

    device.Clear();
    EXPECT_EQ(mesh->DrawSubset(7), D3D_OK);
    EXPECT_EQ(device.CountOf(DeviceMethod::DrawIndexedPrimitive), 0u);

    // A device that takes two primitives per call gets the three faces of subset 1 as 2 + 1.
    device.SetCapsMaxPrimitiveCount(2);
    device.Clear();
    ASSERT_EQ(mesh->DrawSubset(1), D3D_OK);
    draws = device.CallsOf(DeviceMethod::DrawIndexedPrimitive);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].args[3], table[1].FaceStart * 3);
    EXPECT_EQ(draws[0].args[4], 2u);
    EXPECT_EQ(draws[1].args[3], (table[1].FaceStart + 2) * 3);
    EXPECT_EQ(draws[1].args[4], 1u);
    EXPECT_EQ(draws[1].result, D3D_OK);
    mesh->Release();
}

TEST_F(MeshTest, AttributeSortIsStableAndKeepsEveryFace)
{
    const std::vector<DWORD> attributes{2, 0, 1, 0, 2, 1};
    ID3DXMesh* mesh = MakeStrip(&device, attributes);
    const auto before = FaceCorners(mesh);
    std::vector<DWORD> faceRemap(attributes.size());
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, faceRemap.data(), nullptr), D3D_OK);

    EXPECT_EQ(faceRemap, (std::vector<DWORD>{1, 3, 2, 5, 0, 4}));
    EXPECT_EQ(ReadAttributes(mesh), (std::vector<DWORD>{0, 0, 1, 1, 2, 2}));
    const auto after = FaceCorners(mesh);
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i], before[faceRemap[i]]) << "face " << i;
    }
    const auto table = AttributeTable(mesh);
    ASSERT_EQ(table.size(), 3u);
    for (DWORD id = 0; id < 3; ++id) {
        EXPECT_EQ(table[id].AttribId, id);
        EXPECT_EQ(table[id].FaceStart, id * 2);
        EXPECT_EQ(table[id].FaceCount, 2u);
    }
    // The table's vertex ranges cover exactly the vertices each subset's faces use.
    const auto indices = ReadIndices(mesh);
    for (const D3DXATTRIBUTERANGE& range : table) {
        const auto first = indices.begin() + range.FaceStart * 3;
        const auto last = first + range.FaceCount * 3;
        EXPECT_EQ(range.VertexStart, *std::min_element(first, last));
        EXPECT_EQ(range.VertexStart + range.VertexCount - 1, *std::max_element(first, last));
    }

    // Rewriting the attributes drops the table, which no longer matches.
    DWORD* data = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &data), D3D_OK);
    EXPECT_EQ(mesh->DrawSubset(0), D3DERR_INVALIDCALL);
    data[0] = 2;
    mesh->UnlockAttributeBuffer();
    EXPECT_TRUE(AttributeTable(mesh).empty());
    mesh->Release();
}

TEST_F(MeshTest, CompactionDropsUnusedVerticesAndReportsTheRemaps)
{
    ID3DXMesh* mesh = MakeStrip(&device, {1, 0, 1}, /*unused=*/3);
    ASSERT_EQ(mesh->GetNumVertices(), 8u);
    const auto before = FaceCorners(mesh);
    std::vector<DWORD> adjacency{D3DX_NO_NEIGHBOUR, 1, D3DX_NO_NEIGHBOUR, 0, 2, D3DX_NO_NEIGHBOUR,
                                 1, D3DX_NO_NEIGHBOUR, D3DX_NO_NEIGHBOUR};
    std::vector<DWORD> adjacencyOut(9);
    std::vector<DWORD> faceRemap(3);
    ID3DXBuffer* vertexRemap = nullptr;
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                    adjacency.data(), adjacencyOut.data(), faceRemap.data(), &vertexRemap),
              D3D_OK);
    EXPECT_EQ(mesh->GetNumVertices(), 5u);
    ASSERT_NE(vertexRemap, nullptr);
    ASSERT_EQ(vertexRemap->GetBufferSize(), 5 * sizeof(DWORD));
    const auto* remap = static_cast<const DWORD*>(vertexRemap->GetBufferPointer());
    const auto vertices = ReadVertices(mesh);
    for (DWORD i = 0; i < 5; ++i) {
        // The strip's vertex k sits at x = k.
        EXPECT_EQ(vertices[i].x, static_cast<float>(remap[i]));
        EXPECT_GE(remap[i], 3u);
    }
    vertexRemap->Release();

    const auto after = FaceCorners(mesh);
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i], before[faceRemap[i]]);
    }
    // Neighbours follow their faces to the new numbering, edge by edge.
    std::vector<DWORD> faceToNew(3);
    for (DWORD i = 0; i < 3; ++i) {
        faceToNew[faceRemap[i]] = i;
    }
    for (DWORD face = 0; face < 3; ++face) {
        for (DWORD edge = 0; edge < 3; ++edge) {
            const DWORD old = adjacency[faceRemap[face] * 3 + edge];
            EXPECT_EQ(adjacencyOut[face * 3 + edge], old == D3DX_NO_NEIGHBOUR ? old : faceToNew[old]);
        }
    }
    // Drawing after compaction stays inside the smaller vertex buffer.
    device.Clear();
    EXPECT_EQ(mesh->DrawSubset(0), D3D_OK);
    EXPECT_EQ(mesh->DrawSubset(1), D3D_OK);
    for (const DeviceCall& call : device.CallsOf(DeviceMethod::DrawIndexedPrimitive)) {
        EXPECT_EQ(call.result, D3D_OK);
    }
    mesh->Release();
}

TEST_F(MeshTest, OptimizeRefusesBadInputAndLeavesTheMeshAsItWas)
{
    ID3DXMesh* mesh = MakeStrip(&device, {1, 0}, 2);
    const auto before = FaceCorners(mesh);
    const std::vector<DWORD> badAdjacency{D3DX_NO_NEIGHBOUR, 5, D3DX_NO_NEIGHBOUR, 0, 0, 0};
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, badAdjacency.data(), nullptr,
                                    nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->OptimizeInplace(0x40000000, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);

    // The smaller vertex buffer cannot be made: nothing changes, no remap is handed out.
    device.FailNextCreateVertexBuffer(E_OUTOFMEMORY);
    ID3DXBuffer* remap = reinterpret_cast<ID3DXBuffer*>(&device);
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, &remap),
              E_OUTOFMEMORY);
    EXPECT_EQ(remap, nullptr);
    EXPECT_EQ(mesh->GetNumVertices(), 6u);
    EXPECT_EQ(FaceCorners(mesh), before);
    EXPECT_TRUE(AttributeTable(mesh).empty());

    // An index written out of range is caught instead of read past the vertices.
    BYTE* data = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0, &data), D3D_OK);
    reinterpret_cast<WORD*>(data)[4] = 600;
    mesh->UnlockIndexBuffer();
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT, nullptr, nullptr, nullptr, nullptr), D3DXERR_INVALIDDATA);
    mesh->Release();
}

TEST_F(MeshTest, AdjacencyIsGeneratedWhenNoneIsGiven)
{
    // Strip faces f and f + 1 share the edge of vertices f + 1 and f + 2.
    ID3DXMesh* mesh = MakeStrip(&device, {0, 0, 0});
    std::vector<DWORD> adjacency(9, 7);
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_IGNOREVERTS, nullptr, adjacency.data(), nullptr, nullptr), D3D_OK);
    EXPECT_EQ(adjacency, (std::vector<DWORD>{D3DX_NO_NEIGHBOUR, 1, D3DX_NO_NEIGHBOUR, 0, 2, D3DX_NO_NEIGHBOUR, 1,
                                             D3DX_NO_NEIGHBOUR, D3DX_NO_NEIGHBOUR}));
    mesh->Release();
}

} // namespace
