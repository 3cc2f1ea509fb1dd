// SPDX-License-Identifier: GPL-3.0-or-later
// Mesh content as an X file states it, and its conversion into the vertices, triangles, attributes,
// adjacency and material records of a drawable mesh. Independent of the file reader.
#pragma once

#include "d3dx/d3dx_mesh.h"

#include <span>
#include <string>
#include <vector>

struct XofMaterial {
    D3DMATERIAL8 material;
    // Empty when the material names no texture.
    std::string textureFilename;
};

// What a Mesh object and its children hold, indices unchecked.
struct XofMeshData {
    std::vector<D3DVECTOR> positions;
    // Corner count of each face, and the position index of every corner, face after face.
    std::vector<DWORD> faceSizes;
    std::vector<DWORD> faceIndices;
    // From MeshNormals: the normals and, parallel to faceIndices, the normal of every corner.
    bool hasNormals = false;
    std::vector<D3DVECTOR> normals;
    std::vector<DWORD> normalIndices;
    // Two per position, or none.
    std::vector<float> texCoords;
    // One ARGB colour per position, or none.
    std::vector<D3DCOLOR> colors;
    // The material of each face, and the materials.
    std::vector<DWORD> faceMaterials;
    std::vector<XofMaterial> materials;
};

struct MeshGeometry {
    DWORD fvf = 0;
    DWORD vertexCount = 0;
    std::vector<BYTE> vertices;
    std::vector<WORD> indices;
    std::vector<DWORD> attributes;
    std::vector<DWORD> adjacency;
};

// The material of a mesh that has no material list: opaque white.
XofMaterial DefaultXofMaterial();

// Checks every count and index, triangulates the faces as fans, splits vertices that have different normals
// in different faces (or computes smooth normals when the file has none) and lays the vertices out.
// D3DXERR_INVALIDDATA for data that does not hold together or needs more than 65536 vertices.
HRESULT BuildMeshGeometry(const XofMeshData& data, MeshGeometry* geometry);

// D3DXMATERIAL records followed by their texture names, the records pointing into the same buffer.
HRESULT CreateMaterialBuffer(std::span<const XofMaterial> materials, ID3DXBuffer** buffer);
