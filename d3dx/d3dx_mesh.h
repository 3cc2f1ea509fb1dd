// SPDX-License-Identifier: GPL-3.0-or-later
// Indexed triangle meshes of the loading library: the mesh interface, its options and records, and the
// loader that builds one from a Mesh object of an X file. Indices are 16-bit, so a mesh holds at most
// 65536 vertices.
#pragma once

#include "d3dx/d3dx_buffer.h"
#include "d3dx/d3dx_texture.h"
#include "platform/d3d8/d3d8.h"

class IDirectXFileData;

// Creation and cloning options: where the vertex (VB_) and index (IB_) buffers live and how they are used.
// Neither pool bit means the device's default pool.
constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_DONOTCLIP = 0x002;
constexpr DWORD D3DXMESH_POINTS = 0x004;
constexpr DWORD D3DXMESH_RTPATCHES = 0x008;
constexpr DWORD D3DXMESH_VB_SYSTEMMEM = 0x010;
constexpr DWORD D3DXMESH_VB_MANAGED = 0x020;
constexpr DWORD D3DXMESH_VB_WRITEONLY = 0x040;
constexpr DWORD D3DXMESH_VB_DYNAMIC = 0x080;
constexpr DWORD D3DXMESH_IB_SYSTEMMEM = 0x100;
constexpr DWORD D3DXMESH_IB_MANAGED = 0x200;
constexpr DWORD D3DXMESH_IB_WRITEONLY = 0x400;
constexpr DWORD D3DXMESH_IB_DYNAMIC = 0x800;
constexpr DWORD D3DXMESH_NPATCHES = 0x4000;
constexpr DWORD D3DXMESH_VB_SOFTWAREPROCESSING = 0x8000;
constexpr DWORD D3DXMESH_IB_SOFTWAREPROCESSING = 0x10000;
constexpr DWORD D3DXMESH_SYSTEMMEM = D3DXMESH_VB_SYSTEMMEM | D3DXMESH_IB_SYSTEMMEM;
constexpr DWORD D3DXMESH_MANAGED = D3DXMESH_VB_MANAGED | D3DXMESH_IB_MANAGED;
constexpr DWORD D3DXMESH_WRITEONLY = D3DXMESH_VB_WRITEONLY | D3DXMESH_IB_WRITEONLY;
constexpr DWORD D3DXMESH_DYNAMIC = D3DXMESH_VB_DYNAMIC | D3DXMESH_IB_DYNAMIC;
constexpr DWORD D3DXMESH_SOFTWAREPROCESSING = D3DXMESH_VB_SOFTWAREPROCESSING | D3DXMESH_IB_SOFTWAREPROCESSING;

// OptimizeInplace flags. ATTRSORT groups the faces by attribute (stably) and builds the attribute table;
// COMPACT drops vertices no face uses; VERTEXCACHE numbers the vertices in the order the faces first use
// them; IGNOREVERTS leaves the vertices alone; STRIPREORDER is accepted and does nothing more.
constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x02000000;
constexpr DWORD D3DXMESHOPT_VERTEXCACHE = 0x04000000;
constexpr DWORD D3DXMESHOPT_STRIPREORDER = 0x08000000;
constexpr DWORD D3DXMESHOPT_IGNOREVERTS = 0x10000000;

// An adjacency entry that names no neighbouring face.
constexpr DWORD D3DX_NO_NEIGHBOUR = 0xFFFFFFFFu;

// One subset of an attribute-sorted mesh: its faces and the range of vertices they use.
struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

// A material as loaded from a file; the texture name (or null) points into the same buffer.
struct D3DXMATERIAL {
    D3DMATERIAL8 MatD3D;
    char* pTextureFilename;
};

class ID3DXMesh : public IUnknown {
public:
    // Draws the faces whose attribute is attribId as an indexed triangle list, in as many calls as the
    // device's MaxPrimitiveCount needs; nothing when there are none.
    virtual HRESULT DrawSubset(DWORD attribId) = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetOptions() = 0;
    virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
    // A copy in another vertex format and pool, on the given device. Components both formats have are
    // copied; the others are zero, except a diffuse colour the source lacks, which becomes opaque white.
    virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice8* device, ID3DXMesh** cloneMesh) = 0;
    virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** vertexBuffer) = 0;
    virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** indexBuffer) = 0;
    virtual HRESULT LockVertexBuffer(DWORD flags, BYTE** data) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    virtual HRESULT LockIndexBuffer(DWORD flags, BYTE** data) = 0;
    virtual HRESULT UnlockIndexBuffer() = 0;
    // One DWORD per face. Unlocking without D3DLOCK_READONLY drops the attribute table, which may no
    // longer match; DrawSubset then finds the faces by scanning the attributes.
    virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;
    // With a null table, *tableSize receives the entry count; otherwise up to *tableSize entries are
    // copied and *tableSize becomes the number copied.
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* tableSize) = 0;
    // Reorders faces and vertices as the flags ask without changing what is drawn. adjacencyIn (3 DWORDs
    // per face) may be null; adjacencyOut and faceRemap receive 3 and 1 DWORDs per face (new face i came
    // from face faceRemap[i]); *vertexRemap receives one DWORD per vertex kept (its old index).
    virtual HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                    ID3DXBuffer** vertexRemap) = 0;
};

// An empty mesh of the given size and vertex format (D3DFVF_XYZ positions; 2-D texture coordinates).
// Attributes start at 0. D3DERR_INVALIDCALL for a bad argument or format, or D3DXMESH_32BIT.
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                          ID3DXMesh** mesh);

// Builds a mesh from a Mesh data object and its MeshNormals, MeshTextureCoords, MeshVertexColors and
// MeshMaterialList children. Faces with more than three corners become fans. Where a vertex has different
// normals in different faces it is split into one vertex per normal; a file without normals gets
// smooth normals, the area-weighted average of the faces around each vertex. The format is
// XYZ | NORMAL, plus DIFFUSE with vertex colours and TEX1 with texture coordinates. Subsets are the
// material indices; a mesh without a material list gets one white material. adjacency, materials and
// materialCount may be null. D3DXERR_INVALIDDATA for malformed data; nothing is handed out on failure.
HRESULT D3DXLoadMeshFromXof(IDirectXFileData* data, DWORD options, IDirect3DDevice8* device, ID3DXBuffer** adjacency,
                            ID3DXBuffer** materials, DWORD* materialCount, ID3DXMesh** mesh);
