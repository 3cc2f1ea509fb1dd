// SPDX-License-Identifier: GPL-3.0-or-later
// Building meshes from X-file content: fan triangulation, normals split or computed, adjacency, formats,
// materials and refusal of malformed data, first on plain content, then through the file reader.
#include "d3dx/d3dx_mesh.h"
#include "d3dx/mesh_builder.h"
#include "platform/xfile/dxfile.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PosNormal {
    float x, y, z;
    float nx, ny, nz;
};

// A unit square in the y = 0 plane and a pentagon beside it, sharing the square's edge 2-3.
XofMeshData SquareAndPentagon()
{
    XofMeshData data;
    data.positions = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}, {2, 0, 0}, {2.5f, 0, 0.5f}, {2, 0, 1}};
    data.faceSizes = {4, 5};
    data.faceIndices = {0, 1, 2, 3, 3, 2, 6, 5, 4};
    data.faceMaterials = {0, 0};
    data.materials = {DefaultXofMaterial()};
    return data;
}

D3DVECTOR NormalOf(const MeshGeometry& geometry, WORD vertex)
{
    PosNormal v;
    std::memcpy(&v, geometry.vertices.data() + vertex * sizeof(PosNormal), sizeof v);
    return {v.nx, v.ny, v.nz};
}

TEST(MeshBuilder, TriangulatesFacesAsFansAndFindsNeighbours)
{
    MeshGeometry geometry;
    ASSERT_EQ(BuildMeshGeometry(SquareAndPentagon(), &geometry), D3D_OK);
    EXPECT_EQ(geometry.fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL));
    EXPECT_EQ(geometry.vertexCount, 7u);
    EXPECT_EQ(geometry.indices, (std::vector<WORD>{0, 1, 2, 0, 2, 3, 3, 2, 6, 3, 6, 5, 3, 5, 4}));
    EXPECT_EQ(geometry.attributes.size(), 5u);
    // Inside each fan, and across the shared edge 2-3 from triangle 1 to triangle 2.
    const DWORD none = D3DX_NO_NEIGHBOUR;
    EXPECT_EQ(geometry.adjacency, (std::vector<DWORD>{none, none, 1, 0, 2, none, 1, none, 3, 2, none, 4, 3, none,
                                                      none}));
}

TEST(MeshBuilder, ComputesSmoothNormalsWhenTheFileHasNone)
{
    MeshGeometry geometry;
    ASSERT_EQ(BuildMeshGeometry(SquareAndPentagon(), &geometry), D3D_OK);
    // Clockwise seen from above: every normal points up.
    for (WORD v = 0; v < 7; ++v) {
        const D3DVECTOR n = NormalOf(geometry, v);
        EXPECT_NEAR(n.x, 0.0f, 1e-6f);
        EXPECT_NEAR(n.y, 1.0f, 1e-6f);
        EXPECT_NEAR(n.z, 0.0f, 1e-6f);
    }

    // A roof: two faces meeting at a ridge; the ridge's normals average the two slopes.
    XofMeshData roof;
    roof.positions = {{0, 0, 0}, {1, 1, 0}, {1, 1, 1}, {0, 0, 1}, {2, 0, 0}, {2, 0, 1}};
    roof.faceSizes = {4, 4};
    roof.faceIndices = {0, 3, 2, 1, 1, 2, 5, 4};
    roof.faceMaterials = {0, 0};
    roof.materials = {DefaultXofMaterial()};
    ASSERT_EQ(BuildMeshGeometry(roof, &geometry), D3D_OK);
    const D3DVECTOR ridge = NormalOf(geometry, 1);
    EXPECT_NEAR(ridge.x, 0.0f, 1e-6f);
    EXPECT_NEAR(ridge.y, 1.0f, 1e-6f);
    const D3DVECTOR eave = NormalOf(geometry, 0);
    EXPECT_NEAR(eave.x, -std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(eave.y, std::sqrt(0.5f), 1e-6f);
}

TEST(MeshBuilder, SplitsVerticesOnlyWhereTheirNormalsDiffer)
{
    // The roof with hard normals: the ridge vertices carry one normal per slope.
    XofMeshData roof;
    roof.positions = {{0, 0, 0}, {1, 1, 0}, {1, 1, 1}, {0, 0, 1}, {2, 0, 0}, {2, 0, 1}};
    roof.faceSizes = {4, 4};
    roof.faceIndices = {0, 3, 2, 1, 1, 2, 5, 4};
    roof.hasNormals = true;
    // Normals 1 and 2 are equal: sharing a value must not split.
    roof.normals = {{-1, 1, 0}, {1, 1, 0}, {1, 1, 0}};
    roof.normalIndices = {0, 0, 0, 0, 1, 2, 1, 2};
    roof.texCoords = {0, 0, 0.5f, 0, 0.5f, 1, 0, 1, 1, 0, 1, 1};
    roof.faceMaterials = {0, 0};
    roof.materials = {DefaultXofMaterial()};
    MeshGeometry geometry;
    ASSERT_EQ(BuildMeshGeometry(roof, &geometry), D3D_OK);
    EXPECT_EQ(geometry.fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    ASSERT_EQ(geometry.vertexCount, 8u);
    // The second face's ridge corners use the new vertices 6 and 7, copies of positions 1 and 2.
    EXPECT_EQ(geometry.indices, (std::vector<WORD>{0, 3, 2, 0, 2, 1, 6, 7, 5, 6, 5, 4}));
    struct PosNormalTex {
        float x, y, z, nx, ny, nz, u, v;
    };
    PosNormalTex split;
    std::memcpy(&split, geometry.vertices.data() + 7 * sizeof split, sizeof split);
    EXPECT_EQ(split.x, 1.0f);
    EXPECT_EQ(split.z, 1.0f);
    EXPECT_EQ(split.nx, 1.0f);
    EXPECT_EQ(split.u, 0.5f);
    EXPECT_EQ(split.v, 1.0f);
    // The faces still meet across the ridge although their corners are different vertices.
    EXPECT_EQ(geometry.adjacency[1 * 3 + 1], 2u);
    EXPECT_EQ(geometry.adjacency[2 * 3 + 0], 1u);
}

TEST(MeshBuilder, RefusesContentThatDoesNotHoldTogether)
{
    MeshGeometry geometry;
    const auto refused = [&](auto change) {
        XofMeshData data = SquareAndPentagon();
        change(data);
        return BuildMeshGeometry(data, &geometry) == D3DXERR_INVALIDDATA;
    };
    EXPECT_TRUE(refused([](XofMeshData& d) { d.faceIndices[4] = 7; }));
    EXPECT_TRUE(refused([](XofMeshData& d) { d.positions.clear(); }));
    EXPECT_TRUE(refused([](XofMeshData& d) {
        d.faceSizes.clear();
        d.faceIndices.clear();
        d.faceMaterials.clear();
    }));
    EXPECT_TRUE(refused([](XofMeshData& d) {
        d.faceSizes = {2, 4, 3};
        d.faceMaterials = {0, 0, 0};
    }));
    EXPECT_TRUE(refused([](XofMeshData& d) { d.faceSizes = {4, 6}; }));
    EXPECT_TRUE(refused([](XofMeshData& d) { d.faceMaterials[1] = 1; }));
    EXPECT_TRUE(refused([](XofMeshData& d) { d.texCoords = {0, 0, 1, 1}; }));
    EXPECT_TRUE(refused([](XofMeshData& d) { d.colors = {0xFFFFFFFFu}; }));
    EXPECT_TRUE(refused([](XofMeshData& d) {
        d.hasNormals = true;
        d.normals = {{0, 1, 0}};
        d.normalIndices.assign(9, 0);
        d.normalIndices[8] = 1;
    }));
    EXPECT_TRUE(refused([](XofMeshData& d) {
        d.hasNormals = true;
        d.normals = {{0, 1, 0}};
        d.normalIndices.assign(8, 0);
    }));
    // 16-bit indices cannot reach a 65537th vertex, however it comes about.
    EXPECT_TRUE(refused([](XofMeshData& d) { d.positions.resize(65537); }));
    EXPECT_TRUE(refused([](XofMeshData& d) {
        d.positions.resize(65536);
        d.hasNormals = true;
        d.normals = {{0, 1, 0}, {1, 0, 0}};
        d.normalIndices.assign(9, 0);
        d.normalIndices[4] = 1;
    }));
}

TEST(MeshBuilder, MaterialBufferHoldsRecordsAndTheirTextureNames)
{
    XofMaterial plain = DefaultXofMaterial();
    XofMaterial textured = DefaultXofMaterial();
    textured.material.Diffuse = {0.25f, 0.5f, 0.75f, 0.5f};
    textured.textureFilename = "water.bmp";
    const std::vector<XofMaterial> materials{textured, plain, textured};
    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(CreateMaterialBuffer(materials, &buffer), D3D_OK);
    const auto* records = static_cast<const D3DXMATERIAL*>(buffer->GetBufferPointer());
    const char* begin = static_cast<const char*>(buffer->GetBufferPointer());
    EXPECT_EQ(records[0].MatD3D.Diffuse.a, 0.5f);
    EXPECT_STREQ(records[0].pTextureFilename, "water.bmp");
    EXPECT_EQ(records[1].pTextureFilename, nullptr);
    EXPECT_STREQ(records[2].pTextureFilename, "water.bmp");
    // The names live inside the buffer, so they go when it goes.
    EXPECT_GE(records[2].pTextureFilename, begin);
    EXPECT_LE(records[2].pTextureFilename + 10, begin + buffer->GetBufferSize());
    buffer->Release();
}

// Reads X-file text from memory and hands out its top-level objects.
class XofSource {
public:
    explicit XofSource(const std::string& body) : text("xof 0302txt 0032\n" + body)
    {
        EXPECT_EQ(DirectXFileCreate(&file), DXFILE_OK);
        EXPECT_EQ(file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), DXFILE_OK);
        DXFILELOADMEMORY memory{text.data(), static_cast<DWORD>(text.size())};
        EXPECT_EQ(file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &enumerator), DXFILE_OK);
    }
    ~XofSource()
    {
        if (enumerator != nullptr) {
            enumerator->Release();
        }
        file->Release();
    }
    XofSource(const XofSource&) = delete;
    XofSource& operator=(const XofSource&) = delete;

    // The next top-level object, released by the caller.
    IDirectXFileData* Next()
    {
        IDirectXFileData* data = nullptr;
        if (enumerator == nullptr || FAILED(enumerator->GetNextDataObject(&data))) {
            return nullptr;
        }
        return data;
    }

private:
    std::string text;
    IDirectXFile* file = nullptr;
    IDirectXFileEnumObject* enumerator = nullptr;
};

// Two quads side by side, the first red and textured, the second a half-transparent blue given by reference.
const char* const TwoQuads = R"(
Material Blue {
  0.0; 0.0; 1.0; 0.5;;
  8.0;
  0.1; 0.2; 0.3;;
  0.0; 0.0; 0.0;;
}
Mesh Quads {
  6;
  0.0; 0.0; 0.0;, 0.0; 0.0; 1.0;, 1.0; 0.0; 1.0;, 1.0; 0.0; 0.0;, 2.0; 0.0; 1.0;, 2.0; 0.0; 0.0;;
  2;
  4; 0, 1, 2, 3;,
  4; 3, 2, 4, 5;;
  MeshNormals {
    1;
    0.0; 1.0; 0.0;;
    2;
    4; 0, 0, 0, 0;,
    4; 0, 0, 0, 0;;
  }
  MeshTextureCoords {
    6;
    0.0; 0.0;, 0.0; 1.0;, 0.5; 1.0;, 0.5; 0.0;, 1.0; 1.0;, 1.0; 0.0;;
  }
  MeshMaterialList {
    2;
    2;
    0,
    1;;
    Material {
      1.0; 0.0; 0.0; 1.0;;
      4.0;
      1.0; 1.0; 1.0;;
      0.0; 0.1; 0.0;;
      TextureFilename { "sea.bmp"; }
    }
    { Blue }
  }
}
)";

class MeshLoadTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(device.RefCount(), 1u); }

    // Loads the last top-level object of the text with every output asked for.
    HRESULT Load(const std::string& body, DWORD options = D3DXMESH_SYSTEMMEM)
    {
        XofSource source(body);
        IDirectXFileData* data = source.Next();
        EXPECT_NE(data, nullptr);
        if (data == nullptr) {
            return E_FAIL;
        }
        while (IDirectXFileData* later = source.Next()) {
            data->Release();
            data = later;
        }
        const HRESULT result = D3DXLoadMeshFromXof(data, options, &device, &adjacency, &materials, &materialCount,
                                                   &mesh);
        data->Release();
        return result;
    }

    // The load must hand out all or nothing.
    void ExpectNothingHandedOut()
    {
        EXPECT_EQ(mesh, nullptr);
        EXPECT_EQ(adjacency, nullptr);
        EXPECT_EQ(materials, nullptr);
        EXPECT_EQ(materialCount, 0u);
    }

    void ReleaseAll()
    {
        for (IUnknown* object : {static_cast<IUnknown*>(mesh), static_cast<IUnknown*>(adjacency),
                                 static_cast<IUnknown*>(materials)}) {
            if (object != nullptr) {
                object->Release();
            }
        }
        mesh = nullptr;
        adjacency = nullptr;
        materials = nullptr;
        materialCount = 0;
    }

    RecordingDevice device;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
};

TEST_F(MeshLoadTest, ReadsGeometryNormalsTexturesAndMaterials)
{
    ASSERT_EQ(Load(TwoQuads), D3D_OK);
    EXPECT_EQ(mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    EXPECT_EQ(mesh->GetNumVertices(), 6u);
    EXPECT_EQ(mesh->GetNumFaces(), 4u);
    ASSERT_EQ(adjacency->GetBufferSize(), 4 * 3 * sizeof(DWORD));
    // The quads meet along positions 2-3: the first quad's second triangle and the second's first.
    const auto* neighbours = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    EXPECT_EQ(neighbours[1 * 3 + 1], 2u);
    EXPECT_EQ(neighbours[2 * 3 + 0], 1u);

    ASSERT_EQ(materialCount, 2u);
    const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    EXPECT_EQ(records[0].MatD3D.Diffuse.r, 1.0f);
    EXPECT_EQ(records[0].MatD3D.Power, 4.0f);
    EXPECT_EQ(records[0].MatD3D.Emissive.g, 0.1f);
    EXPECT_STREQ(records[0].pTextureFilename, "sea.bmp");
    EXPECT_EQ(records[1].MatD3D.Diffuse.b, 1.0f);
    EXPECT_EQ(records[1].MatD3D.Diffuse.a, 0.5f);
    EXPECT_EQ(records[1].MatD3D.Specular.g, 0.2f);
    EXPECT_EQ(records[1].pTextureFilename, nullptr);

    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
    EXPECT_EQ(std::vector<DWORD>(attributes, attributes + 4), (std::vector<DWORD>{0, 0, 1, 1}));
    mesh->UnlockAttributeBuffer();

    BYTE* data = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    float vertex[8];
    std::memcpy(vertex, data + 4 * sizeof vertex, sizeof vertex);
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(vertex[0], 2.0f);
    EXPECT_EQ(vertex[4], 1.0f);
    EXPECT_EQ(vertex[6], 1.0f);
    EXPECT_EQ(vertex[7], 1.0f);
    ReleaseAll();
}

TEST_F(MeshLoadTest, OptionalOutputsAndVertexColours)
{
    const std::string body = R"(
Mesh {
  3;
  0.0; 0.0; 0.0;, 0.0; 1.0; 0.0;, 1.0; 0.0; 0.0;;
  1;
  3; 0, 1, 2;;
  MeshVertexColors {
    2;
    0; 1.0; 0.0; 0.0; 1.0;;,
    2; 0.0; 0.0; 1.0; 0.5;;;
  }
}
)";
    XofSource source(body);
    IDirectXFileData* data = source.Next();
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(D3DXLoadMeshFromXof(data, D3DXMESH_MANAGED, &device, nullptr, nullptr, nullptr, &mesh), D3D_OK);
    data->Release();
    EXPECT_EQ(mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE));
    BYTE* vertices = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices), D3D_OK);
    D3DCOLOR colors[3];
    for (int i = 0; i < 3; ++i) {
        std::memcpy(&colors[i], vertices + i * 28 + 24, 4);
    }
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(colors[0], 0xFFFF0000u);
    // A vertex the file gives no colour stays opaque white.
    EXPECT_EQ(colors[1], 0xFFFFFFFFu);
    EXPECT_EQ(colors[2], 0x800000FFu);
    ReleaseAll();
}

TEST_F(MeshLoadTest, AMeshWithoutMaterialsGetsOneWhiteSubset)
{
    ASSERT_EQ(Load("Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3; 0, 1, 2;; }"), D3D_OK);
    ASSERT_EQ(materialCount, 1u);
    const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    EXPECT_EQ(records[0].MatD3D.Diffuse.r, 1.0f);
    EXPECT_EQ(records[0].MatD3D.Diffuse.a, 1.0f);
    device.Clear();
    EXPECT_EQ(mesh->DrawSubset(0), D3D_OK);
    EXPECT_EQ(device.CountOf(DeviceMethod::DrawIndexedPrimitive), 1u);
    ReleaseAll();
}

TEST_F(MeshLoadTest, AShortMaterialListRepeatsItsLastIndex)
{
    const std::string body = R"(
Mesh {
  4;
  0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;;
  3;
  3; 0, 1, 2;,
  3; 2, 1, 3;,
  3; 0, 2, 3;;
  MeshMaterialList {
    2; 2; 1, 0;;
    Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }
    Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
  }
}
)";
    ASSERT_EQ(Load(body), D3D_OK);
    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
    EXPECT_EQ(std::vector<DWORD>(attributes, attributes + 3), (std::vector<DWORD>{1, 0, 0}));
    mesh->UnlockAttributeBuffer();
    ReleaseAll();
}

TEST_F(MeshLoadTest, MalformedMeshesAreRefusedWithNothingLeftBehind)
{
    const std::string triangle = "3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3; 0, 1, 2;;";
    const std::vector<std::string> broken{
        // A face corner past the vertices.
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3; 0, 1, 3;; }",
        // No vertices, and no faces.
        "Mesh { 0;; 0;; }",
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 0;; }",
        // A face with two corners.
        "Mesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 2; 0, 1;; }",
        // Normals for a different number of faces, and a normal index past the normals.
        "Mesh { " + triangle + " MeshNormals { 1; 0;1;0;; 2; 3; 0,0,0;, 3; 0,0,0;; } }",
        "Mesh { " + triangle + " MeshNormals { 1; 0;1;0;; 1; 3; 0,0,1;; } }",
        // Texture coordinates for fewer vertices than there are.
        "Mesh { " + triangle + " MeshTextureCoords { 2; 0;0;, 1;1;; } }",
        // A colour for a vertex that does not exist.
        "Mesh { " + triangle + " MeshVertexColors { 1; 5; 1;1;1;1;;; } }",
        // A face using a material past the list, a list naming more materials than it holds, and a
        // material list longer than the faces.
        "Mesh { " + triangle + " MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
        "Mesh { " + triangle + " MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
        "Mesh { " + triangle + " MeshMaterialList { 1; 2; 0, 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
    };
    for (const std::string& body : broken) {
        EXPECT_EQ(Load(body), D3DXERR_INVALIDDATA) << body;
        ExpectNothingHandedOut();
        ReleaseAll();
    }
    // Not a mesh at all.
    EXPECT_EQ(Load("Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }"), D3DXERR_INVALIDDATA);
    ExpectNothingHandedOut();
}

TEST_F(MeshLoadTest, DeclaredVertexDataIsUsedAndSkinningChildrenSkipped)
{
    // Normals and texture coordinates only as declared vertex data (FLOAT3 normal, FLOAT2 texcoord,
    // FLOAT3 tangent), with skinning children the loader does not use.
    const std::string body = R"(
Mesh {
  3;
  0.0; 0.0; 0.0;, 0.0; 0.0; 1.0;, 1.0; 0.0; 0.0;;
  1;
  3; 0, 1, 2;;
  XSkinMeshHeader { 1; 3; 1; }
  SkinWeights { "Bone"; 1; 0; 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  VertexDuplicationIndices { 3; 3; 0, 1, 2; }
  DeclData {
    3;
    2;0;3;0;, 1;0;5;0;, 2;0;6;0;;
    24;
    0,1065353216,0, 0,0, 1065353216,0,0,
    0,1065353216,0, 0,1065353216, 1065353216,0,0,
    0,1065353216,0, 1065353216,0, 1065353216,0,0;
  }
}
)";
    ASSERT_EQ(Load(body), D3D_OK);
    EXPECT_EQ(mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    ASSERT_EQ(mesh->GetNumVertices(), 3u);
    BYTE* data = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    bool sawTexCoordV = false;
    for (int v = 0; v < 3; ++v) {
        float vertex[8];
        std::memcpy(vertex, data + v * sizeof vertex, sizeof vertex);
        // The file's normal, not one computed from the winding (which points down here).
        EXPECT_EQ(vertex[4], 1.0f);
        if (vertex[2] == 1.0f) {
            EXPECT_EQ(vertex[7], 1.0f);
            sawTexCoordV = true;
        }
    }
    mesh->UnlockVertexBuffer();
    EXPECT_TRUE(sawTexCoordV);
    ReleaseAll();

    // Declared data whose size does not match the vertex count is refused.
    const std::string shortData = R"(
Mesh {
  3;
  0.0; 0.0; 0.0;, 0.0; 0.0; 1.0;, 1.0; 0.0; 0.0;;
  1;
  3; 0, 1, 2;;
  DeclData { 1; 2;0;3;0;; 6; 0,1065353216,0, 0,1065353216,0; }
}
)";
    EXPECT_EQ(Load(shortData), D3DXERR_INVALIDDATA);
    ExpectNothingHandedOut();
}

TEST_F(MeshLoadTest, DeviceFailuresLeaveNothingBehind)
{
    device.FailNextCreateIndexBuffer(E_OUTOFMEMORY);
    EXPECT_EQ(Load(TwoQuads, D3DXMESH_MANAGED), E_OUTOFMEMORY);
    ExpectNothingHandedOut();
    EXPECT_EQ(Load(TwoQuads, D3DXMESH_32BIT), D3DERR_INVALIDCALL);
    ExpectNothingHandedOut();
}

} // namespace
