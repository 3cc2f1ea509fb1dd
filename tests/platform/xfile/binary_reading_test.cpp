// SPDX-License-Identifier: GPL-3.0-or-later
// Reading binary X files built token by token: the same layouts as text, 32- and 64-bit floats,
// templates declared in binary, references and object ids.
#include "tests/platform/xfile/xfile_test_helpers.h"

#include <gtest/gtest.h>

namespace {

using namespace xfile_test;
using namespace xfile;

// A frame holding a textured single-triangle mesh, vertices as given float values.
std::string FrameWithMesh(BinaryWriter writer, bool doubles)
{
    writer.Name("Frame").Name("Root").Open();
    writer.Name("Mesh").Name("Tri").Open().Integers({3});
    if (doubles) {
        writer.Doubles({0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.1, 1.0});
    } else {
        writer.Floats({0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.1f, 1.0f});
    }
    writer.Integers({1, 3, 0, 1, 2});
    writer.Name("MeshMaterialList").Open().Integers({1, 1, 0});
    writer.Name("Material").Open();
    if (doubles) {
        writer.Doubles({1.0, 0.5, 0.25, 1.0, 4.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
    } else {
        writer.Floats({1.0f, 0.5f, 0.25f, 1.0f, 4.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    }
    writer.Name("TextureFilename").Open().String("Light.bmp").Close();
    writer.Close().Close().Close().Close();
    return writer.Bytes();
}

void ExpectTriangleFrame(const std::string& file)
{
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(file, enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(TypeOf(objects[0].Get()), TID_D3DRMFrame);
    EXPECT_EQ(NameOf(objects[0].Get()), "Root");
    auto mesh = AsData(Children(objects[0].Get())[0].Get());
    ASSERT_TRUE(mesh);
    EXPECT_EQ(NameOf(mesh.Get()), "Tri");

    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(mesh->GetData(nullptr, &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 4u + 36 + 4 + 16);
    EXPECT_EQ(ReadAt<DWORD>(data, 0), 3u);
    EXPECT_EQ(ReadAt<float>(data, 4 + 7 * 4), 0.1f);
    EXPECT_EQ(ReadAt<DWORD>(data, 40), 1u);
    EXPECT_EQ(ReadAt<DWORD>(data, 44), 3u);
    EXPECT_EQ(ReadAt<DWORD>(data, 56), 2u);

    auto list = AsData(Children(mesh.Get())[0].Get());
    auto material = AsData(Children(list.Get())[0].Get());
    ASSERT_TRUE(material);
    ASSERT_EQ(material->GetData(nullptr, &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 44u);
    EXPECT_EQ(ReadAt<float>(data, 4), 0.5f);
    EXPECT_EQ(ReadAt<float>(data, 16), 4.0f);
    auto texture = AsData(Children(material.Get())[0].Get());
    ASSERT_TRUE(texture);
    ASSERT_EQ(texture->GetData(nullptr, &size, &data), DXFILE_OK);
    EXPECT_STREQ(ReadAt<const char*>(data, 0), "Light.bmp");
}

TEST(BinaryReading, ThirtyTwoBitFloatsGiveTheTextLayout)
{
    ExpectTriangleFrame(FrameWithMesh(BinaryWriter("xof 0303bin 0032"), false));
    ExpectTriangleFrame(FrameWithMesh(BinaryWriter("xof 0302bin 0032"), false));
}

TEST(BinaryReading, SixtyFourBitFloatsArriveAsFloat)
{
    ExpectTriangleFrame(FrameWithMesh(BinaryWriter("xof 0303bin 0064"), true));
}

TEST(BinaryReading, DoubleMembersKeepSixtyFourBits)
{
    BinaryWriter writer("xof 0303bin 0064");
    const GUID id{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    writer.Code(TOKEN_TEMPLATE).Name("Precise").Open().Guid(id);
    writer.Code(TOKEN_DOUBLE).Name("value").Semicolon();
    writer.Code(TOKEN_FLOAT).Name("rounded").Semicolon();
    writer.Close();
    writer.Name("Precise").Open().Doubles({0.1, 0.1}).Close();
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(writer.Bytes(), enumObject, false), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(TypeOf(objects[0].Get()), id);
    DWORD size = 0;
    void* data = nullptr;
    ASSERT_EQ(objects[0]->GetData(nullptr, &size, &data), DXFILE_OK);
    ASSERT_EQ(size, 12u);
    EXPECT_EQ(ReadAt<double>(data, 0), 0.1);
    EXPECT_EQ(ReadAt<float>(data, 8), 0.1f);
}

TEST(BinaryReading, TemplatesRegisteredInBinaryServeTextAndBinaryFiles)
{
    // template Face { <guid> DWORD n; array WORD index[n]; array STRING tag[2][1]; [Face] }
    const GUID faceId{0xabcdef01, 0x2345, 0x6789, {1, 2, 3, 4, 5, 6, 7, 8}};
    BinaryWriter block("xof 0302bin 0032");
    block.Code(TOKEN_TEMPLATE).Name("Face").Open().Guid(faceId);
    block.Code(TOKEN_DWORD).Name("n").Semicolon();
    block.Code(TOKEN_ARRAY).Code(TOKEN_WORD).Name("index").Code(TOKEN_OBRACKET).Name("n").Code(TOKEN_CBRACKET).Semicolon();
    block.Code(TOKEN_ARRAY).Code(TOKEN_LPSTR).Name("tag");
    block.Code(TOKEN_OBRACKET).Integer(2).Code(TOKEN_CBRACKET).Code(TOKEN_OBRACKET).Integer(1).Code(TOKEN_CBRACKET);
    block.Semicolon();
    block.Code(TOKEN_OBRACKET).Name("Face").Guid(faceId).Code(TOKEN_CBRACKET);
    block.Close();

    Ref<IDirectXFile> file;
    ASSERT_EQ(DirectXFileCreate(file.Out()), DXFILE_OK);
    ASSERT_EQ(file->RegisterTemplates(block.Bytes().data(), static_cast<DWORD>(block.Bytes().size())), DXFILE_OK);

    BinaryWriter binary;
    binary.Name("Face").Name("Outer").Open().Integers({2, 7, 9}).String("x").String("y");
    binary.Name("Face").Open().Integers({0}).String("").String("z").Close().Close();
    const std::string text = "xof 0303txt 0032 Face Outer { 2; 7, 9; \"x\", \"y\";; Face { 0;; \"\", \"z\";; } }";

    for (const std::string& bytes : {binary.Bytes(), text}) {
        SCOPED_TRACE(bytes.substr(0, 16));
        DXFILELOADMEMORY memory{bytes.data(), static_cast<DWORD>(bytes.size())};
        Ref<IDirectXFileEnumObject> enumObject;
        ASSERT_EQ(file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumObject.Out()), DXFILE_OK);
        auto objects = TopLevel(enumObject.Get());
        ASSERT_EQ(objects.size(), 1u);
        DWORD size = 0;
        void* data = nullptr;
        ASSERT_EQ(objects[0]->GetData(nullptr, &size, &data), DXFILE_OK);
        ASSERT_EQ(size, 4u + 4 + 2 * sizeof(char*));
        EXPECT_EQ(ReadAt<WORD>(data, 6), 9);
        EXPECT_STREQ(ReadAt<const char*>(data, 8 + sizeof(char*)), "y");
        auto inner = AsData(Children(objects[0].Get())[0].Get());
        ASSERT_TRUE(inner);
        ASSERT_EQ(inner->GetData("tag", &size, &data), DXFILE_OK);
        EXPECT_STREQ(ReadAt<const char*>(data, 0), "");
        EXPECT_STREQ(ReadAt<const char*>(data, sizeof(char*)), "z");
    }
}

TEST(BinaryReading, ReferencesAndIdsUseNameAndGuidTokens)
{
    const GUID id{0x0badf00d, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa}};
    BinaryWriter writer;
    writer.Name("Frame").Name("Target").Open().Guid(id).Close();
    writer.Name("Frame").Open();
    writer.Open().Name("Target").Close();
    writer.Open().Guid(id).Close();
    writer.Name("Frame").Name("Child").Open().Close();
    writer.Close();
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(writer.Bytes(), enumObject), DXFILE_OK);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 2u);
    GUID read{};
    ASSERT_EQ(objects[0]->GetId(&read), DXFILE_OK);
    EXPECT_EQ(read, id);

    auto children = Children(objects[1].Get());
    ASSERT_EQ(children.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        void* out = nullptr;
        ASSERT_EQ(children[i]->QueryInterface(IID_IDirectXFileDataReference, &out), S_OK);
        Ref<IDirectXFileDataReference> reference(static_cast<IDirectXFileDataReference*>(out));
        Ref<IDirectXFileData> target;
        ASSERT_EQ(reference->Resolve(target.Out()), DXFILE_OK);
        EXPECT_EQ(NameOf(target.Get()), "Target");
    }
    EXPECT_EQ(NameOf(children[2].Get()), "Child");
    void* out = nullptr;
    EXPECT_EQ(children[2]->QueryInterface(IID_IDirectXFileBinary, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

} // namespace
