// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a mesh as a text X file: a top frame with an identity FrameTransformMatrix holding one Mesh
// with its MeshNormals, MeshTextureCoords and a MeshMaterialList of one Material for every face.
#pragma once

#include <string>

#include "tools/mediagen/sea_mesh.h"

struct XMaterialColours {
    float diffuse[4];
    float power;
    float specular[3];
    float emissive[3];
};

struct XFileContent {
    const char* frameName;
    const char* meshName;
    const SeaMesh* mesh;
    XMaterialColours material;
};

// Numbers in fixed notation with at most `decimals` digits after the point, trailing zeros dropped,
// the same in every locale ("0.5", "-12.25", "1"); negative zero is written as "0".
std::string FormatXNumber(double value, int decimals);

// The whole file, beginning "xof 0303txt 0032". The mesh must have at least one vertex and one face.
std::string FormatXFile(const XFileContent& content);
