// SPDX-License-Identifier: GPL-3.0-or-later
// From X-file mesh content to drawable geometry: checks, fan triangulation, normal splitting or
// computation, vertex layout, adjacency across the file's positions, and the material buffer.
#include "d3dx/mesh_builder.h"

#include "d3dx/com_hold.h"
#include "d3dx/mesh_adjacency.h"
#include "d3dx/vertex_layout.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr DWORD NoVertex = 0xFFFFFFFFu;
constexpr size_t LargestVertexCount = 65536;

bool SameVector(const D3DVECTOR& a, const D3DVECTOR& b) { return std::memcmp(&a, &b, sizeof(D3DVECTOR)) == 0; }

// Counts and indices that the geometry may trust afterwards.
bool Consistent(const XofMeshData& data, size_t* triangleCount)
{
    if (data.positions.empty() || data.faceSizes.empty() || data.faceMaterials.size() != data.faceSizes.size() ||
        (!data.texCoords.empty() && data.texCoords.size() != data.positions.size() * 2) ||
        (!data.colors.empty() && data.colors.size() != data.positions.size()) ||
        (data.hasNormals && data.normalIndices.size() != data.faceIndices.size())) {
        return false;
    }
    size_t corners = 0;
    size_t triangles = 0;
    for (DWORD size : data.faceSizes) {
        if (size < 3) {
            return false;
        }
        corners += size;
        triangles += size - 2;
    }
    if (corners != data.faceIndices.size()) {
        return false;
    }
    for (DWORD index : data.faceIndices) {
        if (index >= data.positions.size()) {
            return false;
        }
    }
    if (data.hasNormals) {
        for (DWORD index : data.normalIndices) {
            if (index >= data.normals.size()) {
                return false;
            }
        }
    }
    for (DWORD material : data.faceMaterials) {
        if (material >= data.materials.size()) {
            return false;
        }
    }
    // The index buffer's size must fit in 32 bits.
    if (triangles > std::numeric_limits<DWORD>::max() / 6) {
        return false;
    }
    *triangleCount = triangles;
    return true;
}

D3DVECTOR Normalized(const D3DVECTOR& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return {0.0f, 0.0f, 0.0f};
    }
    return {v.x / length, v.y / length, v.z / length};
}

// Twice the triangle's area along its normal, which faces the viewer when the corners run clockwise.
D3DVECTOR FaceNormal(const D3DVECTOR& p0, const D3DVECTOR& p1, const D3DVECTOR& p2)
{
    const D3DVECTOR a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const D3DVECTOR b{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace

XofMaterial DefaultXofMaterial()
{
    XofMaterial material{};
    material.material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.material.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
    material.material.Emissive = {0.0f, 0.0f, 0.0f, 1.0f};
    return material;
}

HRESULT BuildMeshGeometry(const XofMeshData& data, MeshGeometry* geometry)
{
    size_t triangleCount = 0;
    if (!Consistent(data, &triangleCount)) {
        return D3DXERR_INVALIDDATA;
    }

    // Vertex i < positions starts as position i; a corner whose normal differs from the one its
    // position already carries gets a new vertex, chained from the position's first one.
    const size_t positionCount = data.positions.size();
    std::vector<DWORD> vertexPosition(positionCount);
    std::vector<D3DVECTOR> vertexNormal(positionCount, D3DVECTOR{0.0f, 0.0f, 0.0f});
    for (size_t i = 0; i < positionCount; ++i) {
        vertexPosition[i] = static_cast<DWORD>(i);
    }
    std::vector<DWORD> cornerVertex(data.faceIndices.size());
    if (data.hasNormals) {
        std::vector<bool> used(positionCount, false);
        std::vector<DWORD> nextSplit(positionCount, NoVertex);
        for (size_t corner = 0; corner < data.faceIndices.size(); ++corner) {
            const DWORD position = data.faceIndices[corner];
            const D3DVECTOR& normal = data.normals[data.normalIndices[corner]];
            if (!used[position]) {
                used[position] = true;
                vertexNormal[position] = normal;
                cornerVertex[corner] = position;
                continue;
            }
            DWORD vertex = position;
            while (!SameVector(vertexNormal[vertex], normal) && nextSplit[vertex] != NoVertex) {
                vertex = nextSplit[vertex];
            }
            if (!SameVector(vertexNormal[vertex], normal)) {
                if (vertexPosition.size() >= LargestVertexCount) {
                    return D3DXERR_INVALIDDATA;
                }
                const DWORD split = static_cast<DWORD>(vertexPosition.size());
                nextSplit[vertex] = split;
                vertexPosition.push_back(position);
                vertexNormal.push_back(normal);
                nextSplit.push_back(NoVertex);
                vertex = split;
            }
            cornerVertex[corner] = vertex;
        }
    } else {
        cornerVertex = data.faceIndices;
    }
    if (vertexPosition.size() > LargestVertexCount) {
        return D3DXERR_INVALIDDATA;
    }

    // Fans: corners 0, k, k + 1 of each face.
    MeshGeometry result;
    result.indices.reserve(triangleCount * 3);
    result.attributes.reserve(triangleCount);
    std::vector<DWORD> trianglePositions;
    trianglePositions.reserve(triangleCount * 3);
    size_t first = 0;
    for (size_t face = 0; face < data.faceSizes.size(); ++face) {
        const DWORD size = data.faceSizes[face];
        for (DWORD k = 1; k + 1 < size; ++k) {
            for (size_t corner : {first, first + k, first + k + 1}) {
                result.indices.push_back(static_cast<WORD>(cornerVertex[corner]));
                trianglePositions.push_back(data.faceIndices[corner]);
            }
            result.attributes.push_back(data.faceMaterials[face]);
        }
        first += size;
    }

    // Each face's normal, weighted by its area (the sum over its fan), goes to every corner of the face.
    if (!data.hasNormals) {
        size_t corner = 0;
        for (DWORD size : data.faceSizes) {
            D3DVECTOR faceNormal{0.0f, 0.0f, 0.0f};
            const D3DVECTOR& p0 = data.positions[data.faceIndices[corner]];
            for (DWORD k = 1; k + 1 < size; ++k) {
                const D3DVECTOR n = FaceNormal(p0, data.positions[data.faceIndices[corner + k]],
                                               data.positions[data.faceIndices[corner + k + 1]]);
                faceNormal = {faceNormal.x + n.x, faceNormal.y + n.y, faceNormal.z + n.z};
            }
            for (DWORD k = 0; k < size; ++k) {
                D3DVECTOR& sum = vertexNormal[cornerVertex[corner + k]];
                sum = {sum.x + faceNormal.x, sum.y + faceNormal.y, sum.z + faceNormal.z};
            }
            corner += size;
        }
        for (D3DVECTOR& normal : vertexNormal) {
            normal = Normalized(normal);
        }
    }

    result.fvf = D3DFVF_XYZ | D3DFVF_NORMAL;
    if (!data.colors.empty()) {
        result.fvf |= D3DFVF_DIFFUSE;
    }
    if (!data.texCoords.empty()) {
        result.fvf |= D3DFVF_TEX1;
    }
    VertexLayout layout;
    DescribeMeshFvf(result.fvf, &layout);
    result.vertexCount = static_cast<DWORD>(vertexPosition.size());
    result.vertices.assign(size_t{result.vertexCount} * layout.stride, 0);
    for (size_t vertex = 0; vertex < vertexPosition.size(); ++vertex) {
        BYTE* out = result.vertices.data() + vertex * layout.stride;
        const DWORD position = vertexPosition[vertex];
        std::memcpy(out + layout.position, &data.positions[position], 12);
        std::memcpy(out + layout.normal, &vertexNormal[vertex], 12);
        if (layout.diffuse >= 0) {
            std::memcpy(out + layout.diffuse, &data.colors[position], 4);
        }
        if (layout.texCoords >= 0) {
            std::memcpy(out + layout.texCoords, &data.texCoords[size_t{position} * 2], 8);
        }
    }

    result.adjacency.resize(trianglePositions.size());
    BuildTriangleAdjacency(trianglePositions, result.adjacency);
    *geometry = std::move(result);
    return D3D_OK;
}

HRESULT CreateMaterialBuffer(std::span<const XofMaterial> materials, ID3DXBuffer** buffer)
{
    size_t size = materials.size() * sizeof(D3DXMATERIAL);
    for (const XofMaterial& material : materials) {
        if (!material.textureFilename.empty()) {
            size += material.textureFilename.size() + 1;
        }
    }
    if (size > std::numeric_limits<DWORD>::max()) {
        return E_OUTOFMEMORY;
    }
    ComHold<ID3DXBuffer> created;
    const HRESULT result = D3DXCreateBuffer(static_cast<DWORD>(size), created.Out());
    if (FAILED(result)) {
        return result;
    }
    auto* records = static_cast<D3DXMATERIAL*>(created->GetBufferPointer());
    char* names = reinterpret_cast<char*>(records + materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        records[i].MatD3D = materials[i].material;
        records[i].pTextureFilename = nullptr;
        const std::string& name = materials[i].textureFilename;
        if (!name.empty()) {
            std::memcpy(names, name.c_str(), name.size() + 1);
            records[i].pTextureFilename = names;
            names += name.size() + 1;
        }
    }
    *buffer = created.Take();
    return D3D_OK;
}
