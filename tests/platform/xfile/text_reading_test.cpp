// SPDX-License-Identifier: GPL-3.0-or-later
// Reading text X files: mesh, material and frame data as GetData lays it out, children and
// references in file order, names and ids, templates a file declares, and the lenient syntax
// real files use.
#include "tests/platform/xfile/xfile_test_helpers.h"

#include <gtest/gtest.h>

namespace {

using namespace xfile_test;

constexpr const char* kMeshFile = R"(xof 0303txt 0032
// A quad and a triangle, with a textured material.
Mesh Sea {
 4;
 0.0; 0.0; 0.0;,
 1.0; 0.0; 0.0;,
 1.0; 0.0; 1.0;,
 0.0; 0.0; 1.0;;
 2;
 4; 0, 1, 2, 3;,
 3; 0, 2, 1;;
 MeshMaterialList {
  1;
  2;
  0,
  0;;
  Material Water {
   0.1; 0.2; 0.3; 0.5;;
   8.0;
   0.0; 0.0; 0.0;;
   0.0; 0.0; 0.25;;
   TextureFilename { "Ground.bmp"; }
  }
 }
}
)";

TEST(TextReading, MeshAtTopLevelIsPackedAsItsTemplateSays)
{
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(kMeshFile, enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 1u);
    IDirectXFileData* mesh = objects[0].Get();
    EXPECT_EQ(TypeOf(mesh), TID_D3DRMMesh);
    EXPECT_EQ(NameOf(mesh), "Sea");

    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(mesh->GetData(nullptr, &size, &data), DXFILE_OK);
    // nVertices, 4 vectors, nFaces, then each face's count and indices inline.
    ASSERT_EQ(size, 4u + 4 * 12 + 4 + (4 + 4 * 4) + (4 + 3 * 4));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % 8, 0u);
    EXPECT_EQ(ReadAt<DWORD>(data, 0), 4u);
    EXPECT_EQ(ReadAt<float>(data, 4 + 2 * 12 + 2 * 4), 1.0f);
    EXPECT_EQ(ReadAt<DWORD>(data, 52), 2u);
    EXPECT_EQ(ReadAt<DWORD>(data, 56), 4u);
    EXPECT_EQ(ReadAt<DWORD>(data, 56 + 4 + 3 * 4), 3u);
    EXPECT_EQ(ReadAt<DWORD>(data, 56 + 20), 3u);
    EXPECT_EQ(ReadAt<DWORD>(data, 56 + 20 + 4 + 4), 2u);

    // Members by name point into the same data.
    void* member = nullptr;
    ASSERT_EQ(mesh->GetData("faces", &size, &member), DXFILE_OK);
    EXPECT_EQ(size, 20u + 16u);
    EXPECT_EQ(static_cast<char*>(member) - static_cast<char*>(data), 56);
    ASSERT_EQ(mesh->GetData("nFaces", &size, &member), DXFILE_OK);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(ReadAt<DWORD>(member, 0), 2u);
    EXPECT_EQ(mesh->GetData("nNormals", &size, &member), DXFILEERR_NOTFOUND);

    IDirectXFileData* none = nullptr;
    EXPECT_EQ(enumObject->GetNextDataObject(&none), DXFILEERR_NOMOREOBJECTS);
    EXPECT_EQ(none, nullptr);
}

TEST(TextReading, MaterialAndTextureFilenameKeepFloatsAndStringPointers)
{
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(kMeshFile, enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 1u);
    auto meshChildren = Children(objects[0].Get());
    ASSERT_EQ(meshChildren.size(), 1u);
    Ref<IDirectXFileData> list = AsData(meshChildren[0].Get());
    ASSERT_TRUE(list);
    EXPECT_EQ(TypeOf(list.Get()), TID_D3DRMMeshMaterialList);

    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(list->GetData(nullptr, &size, &data), DXFILE_OK);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(ReadAt<DWORD>(data, 0), 1u);
    EXPECT_EQ(ReadAt<DWORD>(data, 4), 2u);

    auto listChildren = Children(list.Get());
    ASSERT_EQ(listChildren.size(), 1u);
    Ref<IDirectXFileData> material = AsData(listChildren[0].Get());
    ASSERT_TRUE(material);
    EXPECT_EQ(TypeOf(material.Get()), TID_D3DRMMaterial);
    EXPECT_EQ(NameOf(material.Get()), "Water");
    ASSERT_EQ(material->GetData(nullptr, &size, &data), DXFILE_OK);
    // faceColor (4 floats), power, specularColor (3), emissiveColor (3).
    ASSERT_EQ(size, 44u);
    EXPECT_FLOAT_EQ(ReadAt<float>(data, 0), 0.1f);
    EXPECT_FLOAT_EQ(ReadAt<float>(data, 12), 0.5f);
    EXPECT_FLOAT_EQ(ReadAt<float>(data, 16), 8.0f);
    EXPECT_FLOAT_EQ(ReadAt<float>(data, 40), 0.25f);

    auto materialChildren = Children(material.Get());
    ASSERT_EQ(materialChildren.size(), 1u);
    Ref<IDirectXFileData> texture = AsData(materialChildren[0].Get());
    ASSERT_TRUE(texture);
    EXPECT_EQ(TypeOf(texture.Get()), TID_D3DRMTextureFilename);
    ASSERT_EQ(texture->GetData(nullptr, &size, &data), DXFILE_OK);
    ASSERT_EQ(size, sizeof(char*));
    EXPECT_STREQ(ReadAt<const char*>(data, 0), "Ground.bmp");
}

TEST(TextReading, FramesAndChildrenComeInFileOrder)
{
    const char* file = R"(xof 0302txt 0064
Frame Land {
 FrameTransformMatrix {
  1.0, 0.0, 0.0, 0.0,
  0.0, 1.0, 0.0, 0.0,
  0.0, 0.0, 1.0, 0.0,
  5.0, 6.0, 7.0, 1.0;;
 }
 Frame Hill { }
 Mesh { 0;; 0;; }
 Frame Shore { }
}
Frame Sky { }
)";
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(file, enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(NameOf(objects[0].Get()), "Land");
    EXPECT_EQ(NameOf(objects[1].Get()), "Sky");
    EXPECT_EQ(TypeOf(objects[1].Get()), TID_D3DRMFrame);

    auto children = Children(objects[0].Get());
    ASSERT_EQ(children.size(), 4u);
    std::vector<GUID> types;
    for (auto& child : children) {
        types.push_back(TypeOf(AsData(child.Get()).Get()));
    }
    EXPECT_EQ(types, (std::vector<GUID>{TID_D3DRMFrameTransformMatrix, TID_D3DRMFrame, TID_D3DRMMesh, TID_D3DRMFrame}));
    EXPECT_EQ(NameOf(children[1].Get()), "Hill");
    EXPECT_EQ(NameOf(children[2].Get()), "");
    EXPECT_EQ(NameOf(children[3].Get()), "Shore");

    // A row-major matrix, translation in the last row; 64-bit text floats arrive as FLOAT.
    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(AsData(children[0].Get())->GetData(nullptr, &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 64u);
    EXPECT_EQ(ReadAt<float>(data, 12 * 4), 5.0f);
    EXPECT_EQ(ReadAt<float>(data, 14 * 4), 7.0f);
    EXPECT_EQ(ReadAt<float>(data, 15 * 4), 1.0f);

    // A frame has no members: size 0, yet a usable pointer.
    ASSERT_EQ(objects[1]->GetData(nullptr, &size, &data), DXFILE_OK);
    EXPECT_EQ(size, 0u);
    EXPECT_NE(data, nullptr);
}

TEST(TextReading, ReferencesResolveByNameAndGuid)
{
    const char* file = R"(xof 0303txt 0032
Material Red { <01234567-89AB-CDEF-0123-456789ABCDEF>
 1.0; 0.0; 0.0; 1.0;; 0.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;;
}
Material Blue {
 0.0; 0.0; 1.0; 1.0;; 0.0; 0.0; 0.0; 0.0;; 0.0; 0.0; 0.0;;
}
Mesh {
 0;; 0;;
 MeshMaterialList {
  3; 0;;
  { Blue }
  { <01234567-89ab-cdef-0123-456789abcdef> }
  { Missing }
 }
}
)";
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(file, enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 3u);
    auto list = AsData(Children(objects[2].Get())[0].Get());
    auto references = Children(list.Get());
    ASSERT_EQ(references.size(), 3u);

    std::vector<std::string> resolvedNames;
    for (auto& child : references) {
        EXPECT_FALSE(AsData(child.Get())) << "a reference is no data object";
        void* out = nullptr;
        ASSERT_EQ(child->QueryInterface(IID_IDirectXFileDataReference, &out), S_OK);
        Ref<IDirectXFileDataReference> reference(static_cast<IDirectXFileDataReference*>(out));
        Ref<IDirectXFileData> target;
        const HRESULT hr = reference->Resolve(target.Out());
        resolvedNames.push_back(SUCCEEDED(hr) ? NameOf(target.Get()) : "<" + std::to_string(hr) + ">");
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(TypeOf(target.Get()), TID_D3DRMMaterial);
        }
    }
    EXPECT_EQ(resolvedNames, (std::vector<std::string>{"Blue", "Red", "<" + std::to_string(DXFILEERR_BADDATAREFERENCE) + ">"}));
    // A reference by GUID answers with its target's name and id.
    EXPECT_EQ(NameOf(references[1].Get()), "Red");
    GUID id{};
    ASSERT_EQ(references[1]->GetId(&id), DXFILE_OK);
    EXPECT_EQ(id.Data1, 0x01234567u);
    EXPECT_EQ(id.Data4[7], 0xefu);
}

TEST(TextReading, NamesFollowTheSizeConvention)
{
    const std::string longName(3000, 'n');
    const std::string file = "xof 0303txt 0032\nFrame " + longName + " { Frame { } }\n";
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(file, enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 1u);

    DWORD size = 0;
    ASSERT_EQ(objects[0]->GetName(nullptr, &size), DXFILE_OK);
    EXPECT_EQ(size, 3001u);
    EXPECT_EQ(NameOf(objects[0].Get()), longName);

    // A short buffer gets a terminated prefix, the size needed and a failure.
    char buffer[8] = "xxxxxxx";
    size = sizeof buffer;
    EXPECT_EQ(objects[0]->GetName(buffer, &size), DXFILEERR_BADVALUE);
    EXPECT_STREQ(buffer, "nnnnnnn");
    EXPECT_EQ(size, 3001u);

    // Unnamed: size 0, and a buffer gets an empty string.
    auto child = Children(objects[0].Get());
    ASSERT_EQ(child.size(), 1u);
    ASSERT_EQ(child[0]->GetName(nullptr, &size), DXFILE_OK);
    EXPECT_EQ(size, 0u);
    size = sizeof buffer;
    ASSERT_EQ(child[0]->GetName(buffer, &size), DXFILE_OK);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(child[0]->GetName(buffer, nullptr), DXFILEERR_BADVALUE);

    GUID id{1, 2, 3, {4}};
    ASSERT_EQ(child[0]->GetId(&id), DXFILE_OK);
    EXPECT_EQ(id, GUID{});
}

TEST(TextReading, FileTemplatesPackEveryPrimitiveArraysAndNestedMembers)
{
    const char* file = R"(xof 0303txt 0032
template Pair { <11111111-2222-3333-4444-555555555555> WORD a; SWORD b; }
template Sample {
 <11111111-2222-3333-4444-555555555556>
 CHAR c; UCHAR u; BYTE y; DWORD rows; DWORD columns; SDWORD s;
 array FLOAT grid[rows][columns];
 array Pair pairs[2];
 DOUBLE precise;
 array STRING labels[rows];
 Pair last;
}
Sample {
 -1; 200; 7; 2; 3; -5;
 1, 2, 3,
 4, 5, 6;
 1; -2;, 3; 4;;
 0.125;
 "first", "";
 65535; 32767;;
}
)";
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(file, enumObject, false), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(TypeOf(objects[0].Get()).Data4[7], 0x56);

    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(objects[0]->GetData(nullptr, &size, &data), DXFILE_OK);
    const std::size_t grid = 3 + 4 + 4 + 4;
    const std::size_t pairs = grid + 6 * 4;
    const std::size_t precise = pairs + 2 * 4;
    const std::size_t labels = precise + 8;
    const std::size_t last = labels + 2 * sizeof(char*);
    ASSERT_EQ(size, last + 4);
    EXPECT_EQ(ReadAt<char>(data, 0), -1);
    EXPECT_EQ(ReadAt<unsigned char>(data, 1), 200);
    EXPECT_EQ(ReadAt<unsigned char>(data, 2), 7);
    EXPECT_EQ(ReadAt<DWORD>(data, 7), 3u);
    EXPECT_EQ(ReadAt<std::int32_t>(data, 11), -5);
    EXPECT_EQ(ReadAt<float>(data, grid + 5 * 4), 6.0f);
    EXPECT_EQ(ReadAt<WORD>(data, pairs + 4), 3);
    EXPECT_EQ(ReadAt<std::int16_t>(data, pairs + 2), -2);
    EXPECT_EQ(ReadAt<double>(data, precise), 0.125);
    EXPECT_STREQ(ReadAt<const char*>(data, labels), "first");
    EXPECT_STREQ(ReadAt<const char*>(data, labels + sizeof(char*)), "");
    EXPECT_EQ(ReadAt<WORD>(data, last), 65535);

    void* member = nullptr;
    ASSERT_EQ(objects[0]->GetData("labels", &size, &member), DXFILE_OK);
    EXPECT_EQ(size, 2 * sizeof(char*));
    ASSERT_EQ(objects[0]->GetData("last", &size, &member), DXFILE_OK);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(static_cast<char*>(member) - static_cast<char*>(data), static_cast<std::ptrdiff_t>(last));
}

TEST(TextReading, AcceptsTheLooseSyntaxOfRealFiles)
{
    // CRLF, both comment styles, names with dots and dashes, GUIDs padded or before the brace,
    // number spellings, missing and doubled separators, and a trailing NUL.
    std::string file = "xof 0303txt 0032\r\n"
                       "# exported\r\n"
                       "Frame Cube.001 <AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE> { // the box\r\n"
                       "  Mesh left-arm { < 01234567-89AB-CDEF-0123-456789ABCDEF >\r\n"
                       "    2; 1.; -.5; +2e1;, 0 ,0, 0 ; ;\r\n"
                       "    1; 3; 0, 1, 0\r\n"
                       "  }\r\n"
                       "}\r\n"
                       "Frame 2.5 { }\r\n";
    file.push_back('\0');
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(file, enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(NameOf(objects[0].Get()), "Cube.001");
    EXPECT_EQ(NameOf(objects[1].Get()), "2.5");
    GUID id{};
    objects[0]->GetId(&id);
    EXPECT_EQ(id.Data1, 0xAAAAAAAAu);
    auto mesh = AsData(Children(objects[0].Get())[0].Get());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(NameOf(mesh.Get()), "left-arm");
    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(mesh->GetData("vertices", &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 24u);
    EXPECT_EQ(ReadAt<float>(data, 0), 1.0f);
    EXPECT_EQ(ReadAt<float>(data, 4), -0.5f);
    EXPECT_EQ(ReadAt<float>(data, 8), 20.0f);
}

TEST(TextReading, RestrictedAndClosedTemplatesLimitTheirChildren)
{
    Ref<IDirectXFileEnumObject> enumObject;
    // MeshMaterialList takes only materials.
    EXPECT_EQ(Open("xof 0303txt 0032 Mesh { 0;; 0;; MeshMaterialList { 0; 0;; Frame { } } }", enumObject),
              DXFILEERR_PARSEERROR);
    // Vector is closed: no children, no references.
    EXPECT_EQ(Open("xof 0303txt 0032 Vector { 1; 2; 3; Frame { } }", enumObject), DXFILEERR_PARSEERROR);
    EXPECT_EQ(Open("xof 0303txt 0032 Vector { 1; 2; 3; { A } }", enumObject), DXFILEERR_PARSEERROR);
    // A restriction listing a GUID matches a file's own template with that GUID, whatever its name.
    EXPECT_EQ(Open("xof 0303txt 0032 template Stuff { <3D82AB4D-62DA-11cf-AB39-0020AF71E433> } "
                   "MeshMaterialList { 0; 0;; Stuff { } }",
                   enumObject),
              DXFILE_OK);
}

TEST(TextReading, TemplateRegistrationIsAllOrNothingAndFileTemplatesStayWithTheirFile)
{
    Ref<IDirectXFile> file;
    ASSERT_EQ(DirectXFileCreate(file.Out()), DXFILE_OK);
    const std::string broken = "xof 0303txt 0032 template Good { <00000000-0000-0000-0000-000000000001> DWORD a; }"
                               " template Bad { <00000000-0000-0000-0000-000000000002> Unknown u; }";
    EXPECT_EQ(file->RegisterTemplates(broken.data(), static_cast<DWORD>(broken.size())), DXFILEERR_NOTEMPLATE);
    const std::string withData = "xof 0303txt 0032 template Good { <00000000-0000-0000-0000-000000000001> DWORD a; }"
                                 " Good { 1; }";
    EXPECT_EQ(file->RegisterTemplates(withData.data(), static_cast<DWORD>(withData.size())), DXFILEERR_PARSEERROR);

    const std::string uses = "xof 0303txt 0032 Good { 1; }";
    DXFILELOADMEMORY memory{uses.data(), static_cast<DWORD>(uses.size())};
    Ref<IDirectXFileEnumObject> enumObject;
    EXPECT_EQ(file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumObject.Out()), DXFILEERR_NOTEMPLATE);

    // Declared inside a file, a template serves that file only.
    const std::string declares = "xof 0303txt 0032 template Good { <00000000-0000-0000-0000-000000000001> DWORD a; }"
                                 " Good { 1; }";
    memory = {declares.data(), static_cast<DWORD>(declares.size())};
    EXPECT_EQ(file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumObject.Out()), DXFILE_OK);
    memory = {uses.data(), static_cast<DWORD>(uses.size())};
    EXPECT_EQ(file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumObject.Out()), DXFILEERR_NOTEMPLATE);

    const std::string good = "xof 0303txt 0032 template Good { <00000000-0000-0000-0000-000000000001> DWORD a; }";
    ASSERT_EQ(file->RegisterTemplates(good.data(), static_cast<DWORD>(good.size())), DXFILE_OK);
    EXPECT_EQ(file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumObject.Out()), DXFILE_OK);
}

TEST(TextReading, ObjectsOutliveTheirEnumeratorAndFile)
{
    Ref<IDirectXFileData> material;
    {
        Ref<IDirectXFileEnumObject> enumObject;
        ASSERT_EQ(Open(kMeshFile, enumObject), DXFILE_OK);
        auto objects = TopLevel(enumObject.Get());
        auto list = AsData(Children(objects[0].Get())[0].Get());
        material = AsData(Children(list.Get())[0].Get());
    }
    ASSERT_TRUE(material);
    auto texture = AsData(Children(material.Get())[0].Get());
    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(texture->GetData(nullptr, &size, &data), DXFILE_OK);
    EXPECT_STREQ(ReadAt<const char*>(data, 0), "Ground.bmp");
    // Each object walks its own children: a fresh one starts again at the first.
    EXPECT_EQ(Children(material.Get()).size(), 0u);
}

struct StandardCase {
    const char* object;
    GUID type;
    DWORD size;
};

// Every standard template, its id as the header gives it, and the size of a sample object.
TEST(TextReading, StandardTemplatesCarryTheirIdsAndMembers)
{
    const DWORD p = sizeof(char*);
    const StandardCase cases[] = {
        {"Header { 1; 0; 1; }", TID_D3DRMInfo, 8},
        {"Vector { 1; 2; 3; }", TID_D3DRMVector, 12},
        {"Coords2d { 1; 2; }", TID_D3DRMCoords2d, 8},
        {"Matrix4x4 { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }", TID_D3DRMMatrix4x4, 64},
        {"ColorRGBA { 1; 1; 1; 1; }", TID_D3DRMColorRGBA, 16},
        {"ColorRGB { 1; 1; 1; }", TID_D3DRMColorRGB, 12},
        {"IndexedColor { 3; 1; 1; 1; 1;; }", TID_D3DRMIndexedColor, 20},
        {"Boolean { 1; }", TID_D3DRMBoolean, 2},
        {"Boolean2d { 1; 0; }", TID_D3DRMBoolean2d, 4},
        {"MaterialWrap { 1; 0; }", TID_D3DRMMaterialWrap, 4},
        {"TextureFilename { \"a.bmp\"; }", TID_D3DRMTextureFilename, p},
        {"Material { 1;1;1;1;; 2; 0;0;0;; 0;0;0;; }", TID_D3DRMMaterial, 44},
        {"MeshFace { 3; 0, 1, 2;; }", TID_D3DRMMeshFace, 16},
        {"MeshFaceWraps { 2; 1; 0;, 0; 1;; }", TID_D3DRMMeshFaceWraps, 12},
        {"MeshTextureCoords { 2; 0; 0;, 1; 1;; }", TID_D3DRMMeshTextureCoords, 20},
        {"MeshMaterialList { 1; 2; 0, 0;; }", TID_D3DRMMeshMaterialList, 16},
        {"MeshNormals { 1; 0; 1; 0;; 1; 3; 0, 0, 0;;; }", TID_D3DRMMeshNormals, 4 + 12 + 4 + 16},
        {"MeshVertexColors { 1; 0; 1; 1; 1; 1;;; }", TID_D3DRMMeshVertexColors, 24},
        {"Mesh { 1; 0; 0; 0;; 0;; }", TID_D3DRMMesh, 20},
        {"FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }", TID_D3DRMFrameTransformMatrix, 64},
        {"Frame { }", TID_D3DRMFrame, 0},
        {"FloatKeys { 2; 1, 2; }", TID_D3DRMFloatKeys, 12},
        {"TimedFloatKeys { 5; 1; 1;; }", TID_D3DRMTimedFloatKeys, 12},
        {"AnimationKey { 0; 1; 0; 4; 1, 0, 0, 0;;; }", TID_D3DRMAnimationKey, 8 + 8 + 16},
        {"AnimationOptions { 1; 0; }", TID_D3DRMAnimationOptions, 8},
        {"Animation { }", TID_D3DRMAnimation, 0},
        {"AnimationSet { Animation { } }", TID_D3DRMAnimationSet, 0},
        {"InlineData { }", TID_D3DRMInlineData, 0},
        {"Url { 2; \"a\", \"b\"; }", TID_D3DRMUrl, 4 + 2 * p},
        {"ProgressiveMesh { Url { 0;; } }", TID_D3DRMProgressiveMesh, 0},
        {"Guid { 1; 2; 3; 1, 2, 3, 4, 5, 6, 7, 8; }", TID_D3DRMGuid, 16},
        {"StringProperty { \"k\"; \"v\"; }", TID_D3DRMStringProperty, 2 * p},
        {"PropertyBag { StringProperty { \"k\"; \"v\"; } }", TID_D3DRMPropertyBag, 0},
        {"ExternalVisual { 1; 2; 3; 1, 2, 3, 4, 5, 6, 7, 8;; }", TID_D3DRMExternalVisual, 16},
        {"RightHanded { 1; }", TID_D3DRMRightHanded, 4},
    };
    for (const StandardCase& test : cases) {
        SCOPED_TRACE(test.object);
        Ref<IDirectXFileEnumObject> enumObject;
        ASSERT_EQ(Open(std::string("xof 0303txt 0032\n") + test.object, enumObject), DXFILE_OK);
        auto objects = TopLevel(enumObject.Get());
        ASSERT_EQ(objects.size(), 1u);
        EXPECT_EQ(TypeOf(objects[0].Get()), test.type);
        DWORD size = 0;
        void* data = nullptr;
        ASSERT_EQ(objects[0]->GetData(nullptr, &size, &data), DXFILE_OK);
        EXPECT_EQ(size, test.size);
    }
}

} // namespace
