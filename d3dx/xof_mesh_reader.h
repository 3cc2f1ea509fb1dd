// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a Mesh data object of the DirectX file interface, with its normals, texture coordinates,
// vertex colours, material list and declared vertex data, into plain arrays. Children it does not use
// (skin weights, vertex duplication indices, effect instances) are skipped.
#pragma once

#include "d3dx/mesh_builder.h"

class IDirectXFileData;

// Fills mesh from the object's data and children. The material list is spread to one index per face
// (a list shorter than the faces repeats its last index, the file format's convention); without a list
// every face gets the one default material. Only the counts the data itself needs are checked here;
// BuildMeshGeometry checks the indices. D3DXERR_INVALIDDATA for an object that is not a Mesh, data cut
// short, a list longer than the faces or a material count its children do not match.
HRESULT ReadXofMesh(IDirectXFileData* data, XofMeshData* mesh);
