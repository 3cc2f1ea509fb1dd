// SPDX-License-Identifier: GPL-3.0-or-later
// The mesh over device buffers: creation, drawing by subset, locks, cloning and in-place reordering.
// Operations that rebuild the mesh work on copies and change it only once nothing more can fail.
#include "d3dx/indexed_mesh.h"

#include "d3dx/com_hold.h"
#include "d3dx/mesh_adjacency.h"
#include "d3dx/mesh_optimize.h"

#include <cstring>
#include <new>
#include <span>

namespace {

constexpr DWORD KnownOptions = D3DXMESH_32BIT | D3DXMESH_DONOTCLIP | D3DXMESH_POINTS | D3DXMESH_RTPATCHES |
                               D3DXMESH_SYSTEMMEM | D3DXMESH_MANAGED | D3DXMESH_WRITEONLY | D3DXMESH_DYNAMIC |
                               D3DXMESH_NPATCHES | D3DXMESH_SOFTWAREPROCESSING;
constexpr DWORD KnownOptimizeFlags = D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE |
                                     D3DXMESHOPT_STRIPREORDER | D3DXMESHOPT_IGNOREVERTS;
// 16-bit indices reach this many vertices.
constexpr DWORD LargestVertexCount = 65536;
// Keeps the index buffer's byte size within 32 bits.
constexpr DWORD LargestFaceCount = 0xFFFFFFFFu / 6;

// Neither pool bit: the default pool; both: refused.
bool PoolOf(DWORD options, DWORD systemBit, DWORD managedBit, D3DPOOL* pool)
{
    const bool system = (options & systemBit) != 0;
    const bool managed = (options & managedBit) != 0;
    if (system && managed) {
        return false;
    }
    *pool = system ? D3DPOOL_SYSTEMMEM : managed ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
    return true;
}

DWORD UsageOf(DWORD options, DWORD writeOnlyBit, DWORD dynamicBit, DWORD softwareBit)
{
    DWORD usage = 0;
    if (options & writeOnlyBit) usage |= D3DUSAGE_WRITEONLY;
    if (options & dynamicBit) usage |= D3DUSAGE_DYNAMIC;
    if (options & softwareBit) usage |= D3DUSAGE_SOFTWAREPROCESSING;
    if (options & D3DXMESH_DONOTCLIP) usage |= D3DUSAGE_DONOTCLIP;
    if (options & D3DXMESH_POINTS) usage |= D3DUSAGE_POINTS;
    return usage;
}

// A whole-buffer lock of a vertex or index buffer, undone on scope exit.
template <typename Buffer>
class BufferLock {
public:
    BufferLock(Buffer* buffer_, DWORD flags) : buffer(buffer_) { result = buffer->Lock(0, 0, &data, flags); }
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;
    ~BufferLock() { Unlock(); }

    void Unlock()
    {
        if (SUCCEEDED(result)) {
            buffer->Unlock();
            result = E_FAIL;
        }
    }

    Buffer* buffer;
    BYTE* data = nullptr;
    HRESULT result;
};

} // namespace

HRESULT IndexedMesh::Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                            IndexedMesh** mesh)
{
    if (mesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *mesh = nullptr;
    VertexLayout layout;
    D3DPOOL vertexPool = D3DPOOL_DEFAULT;
    D3DPOOL indexPool = D3DPOOL_DEFAULT;
    if (device == nullptr || numFaces == 0 || numFaces > LargestFaceCount || numVertices == 0 ||
        numVertices > LargestVertexCount || (options & ~KnownOptions) != 0 || (options & D3DXMESH_32BIT) != 0 ||
        !PoolOf(options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED, &vertexPool) ||
        !PoolOf(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED, &indexPool) || !DescribeMeshFvf(fvf, &layout)) {
        return D3DERR_INVALIDCALL;
    }
    try {
        ComHold<IndexedMesh> created(new IndexedMesh(device, options, fvf, layout, numFaces, numVertices));
        HRESULT result = device->CreateVertexBuffer(
            numVertices * layout.stride,
            UsageOf(options, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC, D3DXMESH_VB_SOFTWAREPROCESSING), fvf,
            vertexPool, &created->vertexBuffer);
        if (FAILED(result)) {
            return result;
        }
        result = device->CreateIndexBuffer(
            numFaces * 3 * sizeof(WORD),
            UsageOf(options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC, D3DXMESH_IB_SOFTWAREPROCESSING),
            D3DFMT_INDEX16, indexPool, &created->indexBuffer);
        if (FAILED(result)) {
            return result;
        }
        *mesh = created.Take();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

IndexedMesh::IndexedMesh(IDirect3DDevice8* device_, DWORD options_, DWORD fvf_, const VertexLayout& layout_,
                         DWORD numFaces_, DWORD numVertices_)
    : device(device_), options(options_), fvf(fvf_), layout(layout_), numFaces(numFaces_), numVertices(numVertices_),
      attributes(numFaces_, 0)
{
    device->AddRef();
}

IndexedMesh::~IndexedMesh()
{
    if (indexBuffer != nullptr) {
        indexBuffer->Release();
    }
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
    }
    device->Release();
}

ULONG IndexedMesh::AddRef() { return refs.Increment(); }

ULONG IndexedMesh::Release()
{
    const ULONG count = refs.Decrement();
    if (count == 0) {
        delete this;
    }
    return count;
}

HRESULT IndexedMesh::DrawFaces(DWORD faceStart, DWORD faceCount, DWORD vertexStart, DWORD vertexCount)
{
    HRESULT result = device->SetVertexShader(fvf);
    if (SUCCEEDED(result)) {
        result = device->SetStreamSource(0, vertexBuffer, layout.stride);
    }
    if (SUCCEEDED(result)) {
        result = device->SetIndices(indexBuffer, 0);
    }
    // A device that draws fewer primitives per call than the run holds gets the run in pieces.
    D3DCAPS8 caps{};
    const DWORD largestDraw =
        SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxPrimitiveCount > 0 ? caps.MaxPrimitiveCount : faceCount;
    while (SUCCEEDED(result) && faceCount > 0) {
        const DWORD count = faceCount < largestDraw ? faceCount : largestDraw;
        result = device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, vertexStart, vertexCount, faceStart * 3, count);
        faceStart += count;
        faceCount -= count;
    }
    return result;
}

HRESULT IndexedMesh::DrawSubset(DWORD attribId)
{
    if (attributesLocked) {
        return D3DERR_INVALIDCALL;
    }
    if (!attributeTable.empty()) {
        for (const D3DXATTRIBUTERANGE& range : attributeTable) {
            if (range.AttribId == attribId && range.FaceCount > 0) {
                const HRESULT result =
                    DrawFaces(range.FaceStart, range.FaceCount, range.VertexStart, range.VertexCount);
                if (FAILED(result)) {
                    return result;
                }
            }
        }
        return D3D_OK;
    }
    // Unsorted faces: draw each run of the subset's faces over the whole vertex range.
    for (DWORD face = 0; face < numFaces;) {
        if (attributes[face] != attribId) {
            ++face;
            continue;
        }
        DWORD end = face;
        while (end < numFaces && attributes[end] == attribId) {
            ++end;
        }
        const HRESULT result = DrawFaces(face, end - face, 0, numVertices);
        if (FAILED(result)) {
            return result;
        }
        face = end;
    }
    return D3D_OK;
}

HRESULT IndexedMesh::GetDevice(IDirect3DDevice8** deviceOut)
{
    if (deviceOut == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    device->AddRef();
    *deviceOut = device;
    return D3D_OK;
}

HRESULT IndexedMesh::CloneMeshFVF(DWORD cloneOptions, DWORD cloneFvf, IDirect3DDevice8* cloneDevice,
                                  ID3DXMesh** cloneMesh)
{
    if (cloneMesh == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *cloneMesh = nullptr;
    if (attributesLocked) {
        return D3DERR_INVALIDCALL;
    }
    try {
        IndexedMesh* created = nullptr;
        HRESULT result = Create(numFaces, numVertices, cloneOptions, cloneFvf, cloneDevice, &created);
        if (FAILED(result)) {
            return result;
        }
        ComHold<IndexedMesh> copy(created);
        {
            BufferLock<IDirect3DVertexBuffer8> from(vertexBuffer, D3DLOCK_READONLY);
            BufferLock<IDirect3DVertexBuffer8> to(copy->vertexBuffer, 0);
            if (FAILED(from.result) || FAILED(to.result)) {
                return FAILED(from.result) ? from.result : to.result;
            }
            ConvertVertices(layout, from.data, copy->layout, to.data, numVertices);
        }
        {
            BufferLock<IDirect3DIndexBuffer8> from(indexBuffer, D3DLOCK_READONLY);
            BufferLock<IDirect3DIndexBuffer8> to(copy->indexBuffer, 0);
            if (FAILED(from.result) || FAILED(to.result)) {
                return FAILED(from.result) ? from.result : to.result;
            }
            std::memcpy(to.data, from.data, size_t{numFaces} * 3 * sizeof(WORD));
        }
        copy->attributes = attributes;
        copy->attributeTable = attributeTable;
        *cloneMesh = copy.Take();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT IndexedMesh::GetVertexBuffer(IDirect3DVertexBuffer8** buffer)
{
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    vertexBuffer->AddRef();
    *buffer = vertexBuffer;
    return D3D_OK;
}

HRESULT IndexedMesh::GetIndexBuffer(IDirect3DIndexBuffer8** buffer)
{
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    indexBuffer->AddRef();
    *buffer = indexBuffer;
    return D3D_OK;
}

HRESULT IndexedMesh::LockVertexBuffer(DWORD flags, BYTE** data) { return vertexBuffer->Lock(0, 0, data, flags); }

HRESULT IndexedMesh::UnlockVertexBuffer() { return vertexBuffer->Unlock(); }

HRESULT IndexedMesh::LockIndexBuffer(DWORD flags, BYTE** data) { return indexBuffer->Lock(0, 0, data, flags); }

HRESULT IndexedMesh::UnlockIndexBuffer() { return indexBuffer->Unlock(); }

HRESULT IndexedMesh::LockAttributeBuffer(DWORD flags, DWORD** data)
{
    if (data == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *data = nullptr;
    if (attributesLocked) {
        return D3DERR_INVALIDCALL;
    }
    attributesLocked = true;
    attributesLockedReadOnly = (flags & D3DLOCK_READONLY) != 0;
    *data = attributes.data();
    return D3D_OK;
}

HRESULT IndexedMesh::UnlockAttributeBuffer()
{
    if (!attributesLocked) {
        return D3DERR_INVALIDCALL;
    }
    attributesLocked = false;
    if (!attributesLockedReadOnly) {
        attributeTable.clear();
    }
    return D3D_OK;
}

HRESULT IndexedMesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* tableSize)
{
    if (tableSize == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const DWORD count = static_cast<DWORD>(attributeTable.size());
    if (table == nullptr) {
        *tableSize = count;
        return D3D_OK;
    }
    const DWORD copied = *tableSize < count ? *tableSize : count;
    for (DWORD i = 0; i < copied; ++i) {
        table[i] = attributeTable[i];
    }
    *tableSize = copied;
    return D3D_OK;
}

HRESULT IndexedMesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                     ID3DXBuffer** vertexRemap)
{
    if (vertexRemap != nullptr) {
        *vertexRemap = nullptr;
    }
    if ((flags & ~KnownOptimizeFlags) != 0 || attributesLocked) {
        return D3DERR_INVALIDCALL;
    }
    const size_t slots = size_t{numFaces} * 3;
    if (adjacencyIn != nullptr) {
        for (size_t i = 0; i < slots; ++i) {
            if (adjacencyIn[i] != D3DX_NO_NEIGHBOUR && adjacencyIn[i] >= numFaces) {
                return D3DERR_INVALIDCALL;
            }
        }
    }
    try {
        BufferLock<IDirect3DIndexBuffer8> indexLock(indexBuffer, 0);
        if (FAILED(indexLock.result)) {
            return indexLock.result;
        }
        BufferLock<IDirect3DVertexBuffer8> vertexLock(vertexBuffer, 0);
        if (FAILED(vertexLock.result)) {
            return vertexLock.result;
        }
        const std::span<const WORD> oldIndices(reinterpret_cast<const WORD*>(indexLock.data), slots);
        MeshOrder order;
        if (!PlanMeshOrder(attributes, oldIndices, numVertices, flags, &order)) {
            return D3DXERR_INVALIDDATA;
        }
        const DWORD newVertexCount = static_cast<DWORD>(order.vertexOrder.size());

        std::vector<WORD> newIndices(slots);
        std::vector<DWORD> newAttributes(numFaces);
        for (DWORD face = 0; face < numFaces; ++face) {
            const DWORD old = order.faceOrder[face];
            newAttributes[face] = attributes[old];
            for (size_t corner = 0; corner < 3; ++corner) {
                newIndices[face * 3 + corner] = static_cast<WORD>(order.vertexToNew[oldIndices[old * 3 + corner]]);
            }
        }
        std::vector<BYTE> newVertices(size_t{newVertexCount} * layout.stride);
        for (DWORD vertex = 0; vertex < newVertexCount; ++vertex) {
            std::memcpy(newVertices.data() + size_t{vertex} * layout.stride,
                        vertexLock.data + size_t{order.vertexOrder[vertex]} * layout.stride, layout.stride);
        }

        std::vector<DWORD> newAdjacency;
        if (adjacencyOut != nullptr) {
            std::vector<DWORD> oldAdjacency(slots);
            if (adjacencyIn != nullptr) {
                std::memcpy(oldAdjacency.data(), adjacencyIn, slots * sizeof(DWORD));
            } else {
                const std::vector<DWORD> corners(oldIndices.begin(), oldIndices.end());
                BuildTriangleAdjacency(corners, oldAdjacency);
            }
            std::vector<DWORD> faceToNew(numFaces);
            for (DWORD face = 0; face < numFaces; ++face) {
                faceToNew[order.faceOrder[face]] = face;
            }
            newAdjacency.resize(slots);
            for (DWORD face = 0; face < numFaces; ++face) {
                for (size_t edge = 0; edge < 3; ++edge) {
                    const DWORD neighbour = oldAdjacency[order.faceOrder[face] * 3 + edge];
                    newAdjacency[face * 3 + edge] = neighbour == D3DX_NO_NEIGHBOUR ? neighbour : faceToNew[neighbour];
                }
            }
        }

        std::vector<D3DXATTRIBUTERANGE> newTable;
        if ((flags & D3DXMESHOPT_ATTRSORT) != 0 || !attributeTable.empty()) {
            newTable = BuildAttributeTable(newAttributes, newIndices);
        }

        ComHold<ID3DXBuffer> remap;
        if (vertexRemap != nullptr) {
            const HRESULT result = D3DXCreateBuffer(newVertexCount * sizeof(DWORD), remap.Out());
            if (FAILED(result)) {
                return result;
            }
            std::memcpy(remap->GetBufferPointer(), order.vertexOrder.data(), newVertexCount * sizeof(DWORD));
        }

        // Dropped vertices need a smaller buffer, made like the old one.
        ComHold<IDirect3DVertexBuffer8> smaller;
        if (newVertexCount != numVertices) {
            D3DVERTEXBUFFER_DESC desc{};
            HRESULT result = vertexBuffer->GetDesc(&desc);
            if (SUCCEEDED(result)) {
                result = device->CreateVertexBuffer(newVertexCount * layout.stride, desc.Usage, fvf, desc.Pool,
                                                    smaller.Out());
            }
            if (FAILED(result)) {
                return result;
            }
            BufferLock<IDirect3DVertexBuffer8> smallerLock(smaller.Get(), 0);
            if (FAILED(smallerLock.result)) {
                return smallerLock.result;
            }
            std::memcpy(smallerLock.data, newVertices.data(), newVertices.size());
        } else {
            std::memcpy(vertexLock.data, newVertices.data(), newVertices.size());
        }
        std::memcpy(indexLock.data, newIndices.data(), newIndices.size() * sizeof(WORD));
        vertexLock.Unlock();
        indexLock.Unlock();

        if (smaller.Get() != nullptr) {
            vertexBuffer->Release();
            vertexBuffer = smaller.Take();
        }
        numVertices = newVertexCount;
        attributes = std::move(newAttributes);
        attributeTable = std::move(newTable);
        if (faceRemap != nullptr) {
            std::memcpy(faceRemap, order.faceOrder.data(), numFaces * sizeof(DWORD));
        }
        if (adjacencyOut != nullptr) {
            std::memcpy(adjacencyOut, newAdjacency.data(), slots * sizeof(DWORD));
        }
        if (vertexRemap != nullptr) {
            *vertexRemap = remap.Take();
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}
