// SPDX-License-Identifier: GPL-3.0-or-later
// Files in the style of today's exporters: extended templates, spellings of their own, compressed
// variants, and the reader's words when it refuses a file.
#include "platform/xfile/read_failure.h"
#include "platform/xfile/xfile_limits.h"
#include "tests/platform/xfile/mszip_writer.h"
#include "tests/platform/xfile/xfile_test_helpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace xfile_test;

std::string ReadFile(const std::string& name)
{
    std::ifstream in(std::string(XFILE_EXPORTER_FILES) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first object of the given type in the subtree, depth first.
Ref<IDirectXFileData> Find(IDirectXFileData* data, const GUID& type)
{
    if (TypeOf(data) == type) {
        data->AddRef();
        return Ref<IDirectXFileData>(data);
    }
    for (Ref<IDirectXFileObject>& child : Children(data)) {
        if (Ref<IDirectXFileData> childData = AsData(child.Get())) {
            if (Ref<IDirectXFileData> found = Find(childData.Get(), type)) {
                return found;
            }
        }
    }
    return {};
}

Ref<IDirectXFileData> FindIn(IDirectXFileEnumObject* enumObject, const GUID& type)
{
    for (Ref<IDirectXFileData>& object : TopLevel(enumObject)) {
        if (Ref<IDirectXFileData> found = Find(object.Get(), type)) {
            return found;
        }
    }
    return {};
}

template <typename T>
T Member(IDirectXFileData* data, const char* name)
{
    DWORD size = 0;
    void* bytes = nullptr;
    EXPECT_EQ(data->GetData(name, &size, &bytes), DXFILE_OK) << name;
    EXPECT_GE(size, sizeof(T)) << name;
    return bytes != nullptr && size >= sizeof(T) ? ReadAt<T>(bytes, 0) : T{};
}

// Every object's packed data, in walk order: two files that read the same give the same list.
void Flatten(IDirectXFileData* data, std::vector<std::string>& out)
{
    DWORD size = 0;
    void* bytes = nullptr;
    data->GetData(nullptr, &size, &bytes);
    out.push_back(NameOf(data) + ":" + std::to_string(size));
    for (Ref<IDirectXFileObject>& child : Children(data)) {
        if (Ref<IDirectXFileData> childData = AsData(child.Get())) {
            Flatten(childData.Get(), out);
        }
    }
}

std::vector<std::string> Flattened(std::string_view file)
{
    Ref<IDirectXFileEnumObject> enumObject;
    EXPECT_EQ(Open(file, enumObject), DXFILE_OK) << DirectXFileFailureText();
    std::vector<std::string> out;
    if (enumObject) {
        for (Ref<IDirectXFileData>& object : TopLevel(enumObject.Get())) {
            Flatten(object.Get(), out);
        }
    }
    return out;
}

TEST(ExporterFiles, ExtendedTemplatesAndTheirDataRead)
{
    Ref<IDirectXFileEnumObject> skinned;
    ASSERT_EQ(Open(ReadFile("skinned_arm.x"), skinned), DXFILE_OK) << DirectXFileFailureText();
    const Ref<IDirectXFileData> ticks = FindIn(skinned.Get(), DXFILEOBJ_AnimTicksPerSecond);
    ASSERT_TRUE(ticks);
    EXPECT_EQ(Member<DWORD>(ticks.Get(), "AnimTicksPerSecond"), 4800u);

    ASSERT_EQ(Open(ReadFile("skinned_arm.x"), skinned), DXFILE_OK);
    const Ref<IDirectXFileData> weights = FindIn(skinned.Get(), DXFILEOBJ_SkinWeights);
    ASSERT_TRUE(weights);
    EXPECT_STREQ(Member<const char*>(weights.Get(), "transformNodeName"), "Bone_Upper");
    EXPECT_EQ(Member<DWORD>(weights.Get(), "nWeights"), 4u);
    DWORD size = 0;
    void* offset = nullptr;
    ASSERT_EQ(weights->GetData("matrixOffset", &size, &offset), DXFILE_OK);
    ASSERT_EQ(size, 16 * sizeof(float));
    EXPECT_EQ(ReadAt<float>(offset, 13 * sizeof(float)), -1.0f);

    // The texture template spelled in another case is the standard one.
    ASSERT_EQ(Open(ReadFile("skinned_arm.x"), skinned), DXFILE_OK);
    const Ref<IDirectXFileData> texture = FindIn(skinned.Get(), TID_D3DRMTextureFilename);
    ASSERT_TRUE(texture);
    EXPECT_STREQ(Member<const char*>(texture.Get(), "filename"), "arm_skin.png");

    ASSERT_EQ(Open(ReadFile("skinned_arm.x"), skinned), DXFILE_OK);
    const Ref<IDirectXFileData> key = FindIn(skinned.Get(), TID_D3DRMAnimationKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(Member<DWORD>(key.Get(), "nKeys"), 2u);

    Ref<IDirectXFileEnumObject> decl;
    ASSERT_EQ(Open(ReadFile("decl_data_panel.x"), decl), DXFILE_OK) << DirectXFileFailureText();
    const Ref<IDirectXFileData> effect = FindIn(decl.Get(), DXFILEOBJ_EffectInstance);
    ASSERT_TRUE(effect);
    EXPECT_STREQ(Member<const char*>(effect.Get(), "EffectFilename"), "panel.fx");

    // A file's own declaration wins over the built-in one: this header has a fourth member.
    Ref<IDirectXFileEnumObject> own;
    ASSERT_EQ(Open(ReadFile("declared_templates.x"), own), DXFILE_OK) << DirectXFileFailureText();
    const Ref<IDirectXFileData> header = FindIn(own.Get(), DXFILEOBJ_XSkinMeshHeader);
    ASSERT_TRUE(header);
    EXPECT_EQ(Member<DWORD>(header.Get(), "exporterFlags"), 7u);
}

TEST(ExporterFiles, CompressedFilesReadAsTheirPlainOnes)
{
    for (const char* name : {"skinned_arm.x", "decl_data_panel.x", "declared_templates.x"}) {
        const std::string plain = ReadFile(name);
        const std::vector<std::string> expected = Flattened(plain);
        ASSERT_FALSE(expected.empty()) << name;
        EXPECT_EQ(Flattened(CompressXFile(plain)), expected) << name;
        // Small blocks: every block leans on the ones before it.
        EXPECT_EQ(Flattened(CompressXFile(plain, 97)), expected) << name;
    }

    // A binary mesh beyond one block, with 64-bit floats.
    BinaryWriter writer("xof 0303bin 0064");
    writer.Name("Mesh").Open().Integers({3000});
    for (int i = 0; i < 3000; ++i) {
        writer.Doubles({i * 0.5, 1.0, -i * 0.25});
    }
    writer.Integers({1, 3, 0, 1, 2}).Close();
    const std::string binary = writer.Bytes();
    ASSERT_GT(binary.size(), 65536u);
    const std::vector<std::string> expected = Flattened(binary);
    EXPECT_EQ(Flattened(CompressXFile(binary)), expected);
    EXPECT_EQ(Flattened(CompressXFile(binary, 5000)), expected);
}

TEST(ExporterFiles, BrokenCompressedFilesAreRefused)
{
    const std::string good = CompressXFile(ReadFile("skinned_arm.x"), 512);
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(Open(good, enumObject), DXFILE_OK);

    std::string corrupt = good;
    corrupt[30] = static_cast<char>(corrupt[30] ^ 0x5a);
    corrupt[31] = static_cast<char>(corrupt[31] ^ 0xa5);
    EXPECT_EQ(Open(corrupt, enumObject), DXFILEERR_BADFILE);

    std::string noSignature = good;
    noSignature[24] = 'X';
    EXPECT_EQ(Open(noSignature, enumObject), DXFILEERR_BADFILE);

    EXPECT_EQ(Open(good.substr(0, good.size() - 10), enumObject), DXFILEERR_BADFILE);

    // The size in the header must be what the blocks hold, and within the limit.
    std::string larger = good;
    larger[16] = static_cast<char>(larger[16] + 1);
    EXPECT_EQ(Open(larger, enumObject), DXFILEERR_BADFILE);
    std::string huge = good;
    huge.replace(16, 4, "\xff\xff\xff\x7f", 4);
    EXPECT_EQ(Open(huge, enumObject), DXFILEERR_BADALLOC);
    EXPECT_NE(std::string(DirectXFileFailureText()), "");
}

TEST(ReadFailures, NameTheUnknownTemplateAndWhereItIs)
{
    Ref<IDirectXFileEnumObject> enumObject;
    const std::string text = "xof 0303txt 0032\nFrame Arm {\n  FrameTransformMatrix { 1;0;0;0;0;1;0;0;0;0;1;0;0;0;0;1;; }\n"
                             "  Spline Curve { 1; }\n}\n";
    EXPECT_EQ(Open(text, enumObject), DXFILEERR_NOTEMPLATE);
    EXPECT_STREQ(DirectXFileFailureText(), "unknown template 'Spline' at line 4");
    // In a compressed file the line is the uncompressed file's.
    EXPECT_EQ(Open(CompressXFile(text, 20), enumObject), DXFILEERR_NOTEMPLATE);
    EXPECT_STREQ(DirectXFileFailureText(), "unknown template 'Spline' at line 4");

    BinaryWriter writer;
    writer.Name("Frame").Open().Name("Spline\x01").Open().Integers({1}).Close().Close();
    EXPECT_EQ(Open(writer.Bytes(), enumObject), DXFILEERR_NOTEMPLATE);
    EXPECT_STREQ(DirectXFileFailureText(), "unknown template 'Spline?' at byte 29");

    // Other failures say what is wrong and where; a success clears the text.
    EXPECT_EQ(Open("xof 0303txt 0032\nVector {\n 1; 2; }", enumObject), DXFILEERR_PARSEERROR);
    EXPECT_STREQ(DirectXFileFailureText(), "parse error at line 3");
    EXPECT_EQ(Open("xof 0303txt 0032\nvector { 1; 2; 3; }", enumObject), DXFILE_OK);
    EXPECT_STREQ(DirectXFileFailureText(), "");

    Ref<IDirectXFile> file;
    ASSERT_EQ(DirectXFileCreate(file.Out()), DXFILE_OK);
    EXPECT_EQ(file->CreateEnumObject("no/such/file.x", DXFILELOAD_FROMFILE, enumObject.Out()),
              DXFILEERR_FILENOTFOUND);
    EXPECT_STREQ(DirectXFileFailureText(), "file not found");
}

} // namespace
