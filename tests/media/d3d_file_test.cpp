// SPDX-License-Identifier: GPL-3.0-or-later
// The X-file scene on a recording device: where meshes and frames land in the tree, the world transform
// each mesh is drawn with, the opaque and blended passes, textures, failures part-way through a file,
// and the attach, detach and release steps. Each test works in a fresh current directory.
#include "media/d3d_file.h"

#include "platform/xfile/dxfile.h"
#include "tests/platform/os/scoped_test_folder.h"
#include "tools/support/bmp_writer.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// One draw as the scene made it: how many triangles, and the state set before it.
struct SceneDraw {
    DWORD triangles;
    D3DMATRIX world;
    D3DMATERIAL8 material;
    const void* texture;
    bool blended;
};

// Replays the recorded calls to pair each indexed draw with the world, material, texture and blending set.
std::vector<SceneDraw> SceneDraws(const RecordingDevice& device)
{
    std::vector<SceneDraw> draws;
    SceneDraw current{};
    for (const DeviceCall& call : device.Calls()) {
        if (call.method == DeviceMethod::SetTransform && call.args[0] == D3DTS_WORLD) {
            current.world = call.matrix;
        } else if (call.method == DeviceMethod::SetMaterial) {
            current.material = call.material;
        } else if (call.method == DeviceMethod::SetTexture && call.args[0] == 0) {
            current.texture = call.object;
        } else if (call.method == DeviceMethod::SetRenderState && call.args[0] == D3DRS_ALPHABLENDENABLE) {
            current.blended = call.args[1] != FALSE;
        } else if (call.method == DeviceMethod::DrawIndexedPrimitive) {
            EXPECT_EQ(call.result, D3D_OK);
            current.triangles = call.args[4];
            draws.push_back(current);
        }
    }
    return draws;
}

std::vector<DWORD> TriangleCounts(const std::vector<SceneDraw>& draws)
{
    std::vector<DWORD> counts;
    for (const SceneDraw& draw : draws) {
        counts.push_back(draw.triangles);
    }
    return counts;
}

// Where the matrix puts a point, written out so that the check does not lean on the maths library.
D3DXVECTOR3 Place(const D3DMATRIX& m, float x, float y, float z)
{
    return D3DXVECTOR3(x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
                       x * m._13 + y * m._23 + z * m._33 + m._43);
}

void ExpectPoint(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
    EXPECT_NEAR(actual.z, z, 1e-5f);
}

// A fan of triangle faces around a circle (drawn as that many triangles), and optional extra text inside
// the mesh such as a material list.
std::string MeshText(const std::string& name, int triangles, const std::string& inside = "")
{
    const int corners = triangles + 2;
    std::string text = "Mesh " + name + " {\n" + std::to_string(corners) + ";\n";
    for (int i = 0; i < corners; ++i) {
        const double angle = 6.283185307179586 * i / corners;
        text += std::to_string(std::cos(angle)) + ";0;" + std::to_string(std::sin(angle)) + ";";
        text += i + 1 < corners ? ",\n" : ";\n";
    }
    text += std::to_string(triangles) + ";\n";
    for (int i = 1; i <= triangles; ++i) {
        text += "3;0," + std::to_string(i) + "," + std::to_string(i + 1) + (i < triangles ? ";,\n" : ";;\n");
    }
    return text + inside + "}\n";
}

std::string MatrixText(const D3DXMATRIX& m)
{
    std::string text = "FrameTransformMatrix {\n";
    for (int i = 0; i < 16; ++i) {
        text += std::to_string(m.m[i / 4][i % 4]) + (i < 15 ? "," : ";;\n");
    }
    return text + "}\n";
}

std::string MaterialText(float r, float g, float b, float a, const std::string& texture = "")
{
    std::string text = "Material {\n" + std::to_string(r) + ";" + std::to_string(g) + ";" + std::to_string(b) + ";" +
                       std::to_string(a) + ";;\n 5.0;\n 0;0;0;;\n 0;0;0;;\n";
    if (!texture.empty()) {
        text += "TextureFilename { \"" + texture + "\"; }\n";
    }
    return text + "}\n";
}

class D3DFileTest : public ::testing::Test {
protected:
    D3DFileTest() : current(folder.path) {}
    ~D3DFileTest() override
    {
        scene.ReleaseTree();
        EXPECT_EQ(device.RefCount(), 1u);
    }

    // Writes the text as a text X file named "scene.x" and loads it into the scene.
    HRESULT LoadText(const std::string& body)
    {
        std::ofstream("scene.x", std::ios::binary) << "xof 0302txt 0032\n" << body;
        return scene.Load(&device, "scene.x");
    }

    // Attaches, draws with the given world and returns what was drawn.
    std::vector<SceneDraw> Draw(const D3DXMATRIX* world)
    {
        scene.AttachTree(&device);
        device.Clear();
        EXPECT_EQ(scene.Draw(&device, world), S_OK);
        return SceneDraws(device);
    }

    ScopedTestFolder folder;
    ScopedCurrentDirectory current;
    RecordingDevice device;
    CD3DFile scene;
};

TEST_F(D3DFileTest, ATopLevelMeshHangsOnTheRootAndIsDrawnWithTheGivenWorld)
{
    ASSERT_EQ(LoadText(MeshText("Lone", 3)), S_OK);
    EXPECT_STREQ(scene.name, "CD3DFile_Root");
    ASSERT_NE(scene.mesh, nullptr);
    EXPECT_STREQ(scene.mesh->name, "Lone");
    EXPECT_EQ(scene.firstChild, nullptr);

    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 1.0f, 2.0f, 3.0f);
    const auto draws = Draw(&world);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].triangles, 3u);
    ExpectPoint(Place(draws[0].world, 0, 0, 0), 1, 2, 3);
    EXPECT_FALSE(draws[0].blended);

    // Without a matrix the device's own world transform is the base, and it is put back afterwards.
    D3DXMATRIX deviceWorld;
    D3DXMatrixTranslation(&deviceWorld, 0.0f, -4.0f, 0.0f);
    device.SetTransform(D3DTS_WORLD, &deviceWorld);
    const auto again = Draw(nullptr);
    ASSERT_EQ(again.size(), 1u);
    ExpectPoint(Place(again[0].world, 0, 0, 0), 0, -4, 0);
    D3DMATRIX after;
    device.GetTransform(D3DTS_WORLD, &after);
    ExpectPoint(Place(after, 0, 0, 0), 0, -4, 0);
}

TEST_F(D3DFileTest, SiblingFramesAreDrawnInReverseFileOrder)
{
    ASSERT_EQ(LoadText("Frame A {\n" + MeshText("MeshA", 1) + "}\nFrame B {\n" + MeshText("MeshB", 2) + "}\n"), S_OK);
    ASSERT_NE(scene.firstChild, nullptr);
    EXPECT_STREQ(scene.firstChild->name, "B");
    ASSERT_NE(scene.firstChild->nextSibling, nullptr);
    EXPECT_STREQ(scene.firstChild->nextSibling->name, "A");
    EXPECT_EQ(TriangleCounts(Draw(nullptr)), (std::vector<DWORD>{2, 1}));
}

TEST_F(D3DFileTest, FrameMatricesCombineChildFirst)
{
    D3DXMATRIX parentMatrix;
    D3DXMATRIX childMatrix;
    D3DXMatrixScaling(&parentMatrix, 2.0f, 2.0f, 2.0f);
    D3DXMatrixTranslation(&childMatrix, 1.0f, 0.0f, 0.0f);
    ASSERT_EQ(LoadText("Frame Parent {\n" + MatrixText(parentMatrix) + "Frame Child {\n" + MatrixText(childMatrix) +
                       MeshText("Inner", 1) + "}\n" + MeshText("Outer", 2) + "}\n"),
              S_OK);
    D3DXMATRIX given;
    D3DXMatrixTranslation(&given, 0.0f, 10.0f, 0.0f);
    const auto draws = Draw(&given);
    ASSERT_EQ(TriangleCounts(draws), (std::vector<DWORD>{2, 1}));
    // Parent: scaled, then moved up. Child: moved along x first, then scaled with its parent.
    ExpectPoint(Place(draws[0].world, 1, 0, 0), 2, 10, 0);
    ExpectPoint(Place(draws[1].world, 0, 0, 0), 2, 10, 0);
    ExpectPoint(Place(draws[1].world, 1, 0, 0), 4, 10, 0);
}

TEST_F(D3DFileTest, ATopLevelMatrixBecomesTheRootsAndAppliesAfterTheGivenWorld)
{
    D3DXMATRIX rootMatrix;
    D3DXMatrixTranslation(&rootMatrix, 0.0f, 0.0f, 5.0f);
    ASSERT_EQ(LoadText(MatrixText(rootMatrix) + "Frame F {\n" + MeshText("M", 1) + "}\n"), S_OK);
    EXPECT_EQ(scene.matrix._43, 5.0f);
    D3DXMATRIX given;
    D3DXMatrixScaling(&given, 2.0f, 2.0f, 2.0f);
    const auto draws = Draw(&given);
    ASSERT_EQ(draws.size(), 1u);
    // base × root: scaled first, then moved by 5 (not 10).
    ExpectPoint(Place(draws[0].world, 0, 0, 0), 0, 0, 5);
    ExpectPoint(Place(draws[0].world, 1, 0, 0), 2, 0, 5);
}

TEST_F(D3DFileTest, EachSubsetIsDrawnInExactlyOnePassByItsAlpha)
{
    // Subsets: 0 opaque (1 triangle), 1 half transparent (2), 2 with alpha above 1 (3), over a fan of 6.
    const std::string list = "MeshMaterialList { 3; 6; 0, 1, 1, 2, 2, 2;;\n" + MaterialText(1, 0, 0, 1.0f) +
                             MaterialText(0, 1, 0, 0.5f) + MaterialText(0, 0, 1, 1.5f) + "}\n";
    ASSERT_EQ(LoadText("Frame F {\n" + MeshText("M", 6, list) + "}\n"), S_OK);
    const auto draws = Draw(nullptr);
    ASSERT_EQ(TriangleCounts(draws), (std::vector<DWORD>{1, 3, 2}));
    EXPECT_FALSE(draws[0].blended);
    EXPECT_FALSE(draws[1].blended);
    EXPECT_TRUE(draws[2].blended);
    EXPECT_EQ(draws[2].material.Diffuse.g, 1.0f);
    // Ambient follows the diffuse colour.
    EXPECT_EQ(draws[2].material.Ambient.g, 1.0f);
    EXPECT_EQ(draws[2].material.Ambient.a, 0.5f);
    DWORD value = 0;
    device.GetRenderState(D3DRS_SRCBLEND, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_SRCALPHA));
    device.GetRenderState(D3DRS_DESTBLEND, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    device.GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(FALSE));

    // Without materials every subset is drawn once, in the opaque pass, with whatever is set.
    scene.firstChild->mesh->useMaterials = false;
    const auto plain = Draw(nullptr);
    EXPECT_EQ(TriangleCounts(plain), (std::vector<DWORD>{1, 2, 3}));
    EXPECT_EQ(device.CountOf(DeviceMethod::SetMaterial), 0u);
}

TEST_F(D3DFileTest, MaterialTexturesLoadWhenFoundAndAreLeftOutOtherwise)
{
    ASSERT_TRUE(WriteBmp24("water.bmp", 4, 4, [](int, int) { return 0x2040A0u; }));
    const std::string list = "MeshMaterialList { 2; 2; 0, 1;;\n" + MaterialText(1, 1, 1, 1, "water.bmp") +
                             MaterialText(1, 1, 1, 1, "missing.bmp") + "}\n";
    ASSERT_EQ(LoadText("Frame F {\n" + MeshText("M", 2, list) + "}\n"), S_OK);
    const XMesh* mesh = scene.firstChild->mesh;
    ASSERT_EQ(mesh->materialCount, 2u);
    ASSERT_NE(mesh->textures[0], nullptr);
    EXPECT_EQ(mesh->textures[1], nullptr);
    const auto draws = Draw(nullptr);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].texture, static_cast<IDirect3DBaseTexture8*>(mesh->textures[0]));
    EXPECT_EQ(draws[1].texture, nullptr);
}

TEST_F(D3DFileTest, ASecondMeshInOneFrameFailsTheLoadAndKeepsWhatWasBuilt)
{
    EXPECT_EQ(LoadText("Frame A {\n" + MeshText("A1", 1) + "}\nFrame B {\n" + MeshText("B1", 2) + MeshText("B2", 3) +
                       "}\nFrame C {\n}\n"),
              E_FAIL);
    ASSERT_NE(scene.firstChild, nullptr);
    EXPECT_STREQ(scene.firstChild->name, "B");
    ASSERT_NE(scene.firstChild->mesh, nullptr);
    EXPECT_STREQ(scene.firstChild->mesh->name, "B1");
    ASSERT_NE(scene.firstChild->nextSibling, nullptr);
    EXPECT_STREQ(scene.firstChild->nextSibling->name, "A");
    EXPECT_EQ(scene.firstChild->nextSibling->nextSibling, nullptr);
    EXPECT_EQ(TriangleCounts(Draw(nullptr)), (std::vector<DWORD>{2, 1}));
}

TEST_F(D3DFileTest, AMalformedMeshStaysEmptyAndTheRestLoads)
{
    ASSERT_EQ(LoadText("Frame Bad {\nMesh Broken { 3; 0;0;0;, 1;0;0;, 0;0;1;; 1; 3; 0, 1, 7;; }\n}\nFrame Good {\n" +
                       MeshText("Fine", 2) + "}\n"),
              S_OK);
    const XFrame* bad = scene.firstChild->nextSibling;
    ASSERT_NE(bad, nullptr);
    ASSERT_NE(bad->mesh, nullptr);
    EXPECT_EQ(bad->mesh->systemMesh, nullptr);
    EXPECT_EQ(bad->mesh->materialCount, 0u);
    EXPECT_EQ(TriangleCounts(Draw(nullptr)), (std::vector<DWORD>{2}));
}

TEST_F(D3DFileTest, FilesThatCannotBeReadReturnTheReadersCode)
{
    EXPECT_EQ(scene.Load(&device, "absent.x"), DXFILEERR_FILENOTFOUND);
    const HRESULT garbled = LoadText("Frame {");
    EXPECT_TRUE(FAILED(garbled));
    EXPECT_NE(garbled, E_FAIL);
    EXPECT_EQ(scene.firstChild, nullptr);
    EXPECT_EQ(scene.Load(&device, nullptr), E_INVALIDARG);
}

TEST_F(D3DFileTest, NamesAreKeptUpTo511Characters)
{
    const std::string longName(600, 'n');
    ASSERT_EQ(LoadText("Frame {\n}\nFrame " + longName + " {\n}\n"), S_OK);
    EXPECT_EQ(std::string(scene.firstChild->name), std::string(511, 'n'));
    EXPECT_STREQ(scene.firstChild->nextSibling->name, "");
}

TEST_F(D3DFileTest, DrawableCopiesComeAndGoWithTheDevice)
{
    ASSERT_EQ(LoadText("Frame A {\n" + MeshText("A", 1) + "Frame Inner {\n" + MeshText("I", 2) + "}\n}\n"), S_OK);
    // System-memory meshes only: nothing in the default pool until attached.
    EXPECT_EQ(device.LiveDefaultPoolResources(), 0u);
    scene.AttachTree(&device);
    EXPECT_EQ(device.LiveDefaultPoolResources(), 4u);
    // Attaching twice replaces the copies instead of leaking them.
    scene.AttachTree(&device);
    EXPECT_EQ(device.LiveDefaultPoolResources(), 4u);
    scene.DetachTree();
    EXPECT_EQ(device.LiveDefaultPoolResources(), 0u);
    device.Clear();
    EXPECT_EQ(scene.Draw(&device, nullptr), S_OK);
    EXPECT_EQ(device.CountOf(DeviceMethod::DrawIndexedPrimitive), 0u);

    scene.ReleaseTree();
    EXPECT_EQ(scene.firstChild, nullptr);
    EXPECT_EQ(scene.mesh, nullptr);
    EXPECT_EQ(device.RefCount(), 1u);
}

TEST_F(D3DFileTest, VeryManySiblingFramesDoNotExhaustTheStack)
{
    std::string body;
    constexpr int frames = 200000;
    body.reserve(frames * 8);
    for (int i = 0; i < frames; ++i) {
        body += "Frame{}\n";
    }
    ASSERT_EQ(LoadText(body), S_OK);
    EXPECT_TRUE(Draw(nullptr).empty());
    scene.DetachTree();
    scene.ReleaseTree();
    EXPECT_EQ(scene.firstChild, nullptr);
}

// Binary X files built token by token: names, braces, and lists of integers and 32-bit floats.
class BinaryXFile {
public:
    BinaryXFile& Name(const std::string& name)
    {
        Code(1).Dword(static_cast<DWORD>(name.size()));
        bytes += name;
        return *this;
    }
    BinaryXFile& Open() { return Code(10); }
    BinaryXFile& Close() { return Code(11); }
    BinaryXFile& Integers(std::initializer_list<DWORD> values)
    {
        Code(6).Dword(static_cast<DWORD>(values.size()));
        for (DWORD value : values) {
            Dword(value);
        }
        return *this;
    }
    BinaryXFile& Floats(std::initializer_list<float> values)
    {
        Code(7).Dword(static_cast<DWORD>(values.size()));
        for (float value : values) {
            bytes.append(reinterpret_cast<const char*>(&value), 4);
        }
        return *this;
    }
    bool Write(const std::string& path) const
    {
        std::ofstream file(path, std::ios::binary);
        file << bytes;
        return static_cast<bool>(file);
    }

private:
    BinaryXFile& Code(WORD code)
    {
        bytes.append(reinterpret_cast<const char*>(&code), 2);
        return *this;
    }
    BinaryXFile& Dword(DWORD value)
    {
        bytes.append(reinterpret_cast<const char*>(&value), 4);
        return *this;
    }

    std::string bytes = "xof 0302bin 0032";
};

TEST_F(D3DFileTest, ABinaryFileLoadsAndDrawsLikeText)
{
    BinaryXFile file;
    file.Name("Frame").Name("A").Open();
    file.Name("FrameTransformMatrix").Open().Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 7, 1}).Close();
    file.Name("Mesh").Name("Pair").Open().Integers({4}).Floats({0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0});
    file.Integers({2, 3, 0, 1, 2, 3, 0, 2, 3});
    file.Name("MeshMaterialList").Open().Integers({2, 2, 1, 0});
    file.Name("Material").Open().Floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}).Close();
    file.Name("Material").Open().Floats({1, 1, 1, 0.25f, 0, 0, 0, 0, 0, 0, 0}).Close();
    file.Close().Close().Close();
    file.Name("Frame").Name("B").Open();
    file.Name("Mesh").Open().Integers({3}).Floats({0, 0, 0, 0, 0, 1, 1, 0, 1}).Integers({1, 3, 0, 1, 2}).Close();
    file.Close();
    ASSERT_TRUE(file.Write("binary.x"));

    ASSERT_EQ(scene.Load(&device, "binary.x"), S_OK);
    ASSERT_NE(scene.firstChild, nullptr);
    EXPECT_STREQ(scene.firstChild->name, "B");
    const XFrame* a = scene.firstChild->nextSibling;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->matrix._43, 7.0f);
    ASSERT_NE(a->mesh, nullptr);
    EXPECT_EQ(a->mesh->materialCount, 2u);
    const auto draws = Draw(nullptr);
    ASSERT_EQ(draws.size(), 3u);
    // B, then A's opaque subset (its second face), then A's translucent one in the blended pass.
    EXPECT_FALSE(draws[1].blended);
    EXPECT_EQ(draws[1].material.Diffuse.a, 1.0f);
    ExpectPoint(Place(draws[1].world, 0, 0, 0), 0, 0, 7);
    EXPECT_TRUE(draws[2].blended);
    EXPECT_EQ(draws[2].material.Diffuse.a, 0.25f);
}

TEST(XFrame, DestroyingATreeFreesItsMeshesToo)
{
    RecordingDevice device;
    {
        XFrame root("root");
        root.firstChild = new XFrame("child");
        root.firstChild->mesh = new XMesh("m");
        ASSERT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, &device, &root.firstChild->mesh->systemMesh),
                  D3D_OK);
        root.nextSibling = new XFrame("sibling");
    }
    EXPECT_EQ(device.RefCount(), 1u);
}

} // namespace
