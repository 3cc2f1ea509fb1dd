// SPDX-License-Identifier: GPL-3.0-or-later
// Malformed X files: every case fails with a code of the interface, in bounded time and memory
// (run under AddressSanitizer in the sanitizer build), and damaged copies of good files never crash.
#include "platform/xfile/xfile_limits.h"
#include "tests/platform/xfile/xfile_test_helpers.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace xfile_test;
using namespace xfile;

struct MalformedCase {
    const char* what;
    std::string bytes;
    HRESULT expected;
};

std::string Text(const std::string& body) { return "xof 0303txt 0032\n" + body; }

std::string Nested(int depth)
{
    std::string body;
    for (int i = 0; i < depth; ++i) {
        body += "Frame { ";
    }
    for (int i = 0; i < depth; ++i) {
        body += "} ";
    }
    return Text(body);
}

// Each template holds the one before: nesting that no data object could be read through.
std::string ChainedTemplates(int count)
{
    std::string body = "template T0 { <00000000-0000-0000-0000-000000000000> DWORD a; }\n";
    for (int i = 1; i < count; ++i) {
        body += "template T" + std::to_string(i) + " { <00000000-0000-0000-0000-000000000000> T" +
                std::to_string(i - 1) + " inner; }\n";
    }
    return Text(body);
}

std::vector<MalformedCase> TextCases()
{
    return {
        {"empty", "", DXFILEERR_BADFILETYPE},
        {"short header", "xof 0303", DXFILEERR_BADFILETYPE},
        {"wrong magic", "XOF 0303txt 0032", DXFILEERR_BADFILETYPE},
        {"old version", "xof 0301txt 0032", DXFILEERR_BADFILEVERSION},
        {"unknown format", "xof 0303abc 0032", DXFILEERR_BADFILETYPE},
        // Compressed files are read; a header with nothing after it is cut short.
        {"compressed text", "xof 0303tzip0032", DXFILEERR_BADFILE},
        {"compressed binary", "xof 0303bzip0064", DXFILEERR_BADFILE},
        {"float size", "xof 0303txt 0016", DXFILEERR_BADFILEFLOATSIZE},
        {"truncated array", Text("Mesh { 3; 0; 0; 0;, 1; 1;"), DXFILEERR_BADARRAYSIZE},
        {"array shorter than its count", Text("Mesh { 3; 0; 0; 0;, 1; 1; 1;; 0;; }"), DXFILEERR_BADARRAYSIZE},
        {"array longer than its count", Text("Mesh { 1; 0; 0; 0;, 1; 1; 1;; 0;; }"), DXFILEERR_PARSEERROR},
        {"missing member", Text("Vector { 1; 2; }"), DXFILEERR_PARSEERROR},
        {"huge count", Text("Mesh { 4000000000; 1; 2; 3;; 0;; }"), DXFILEERR_BADARRAYSIZE},
        {"unterminated string", Text("TextureFilename { \"abc; }"), DXFILEERR_PARSEERROR},
        {"unterminated guid", Text("Frame { <01234567-89AB-CDEF-0123-456789ABCDEF }"), DXFILEERR_PARSEERROR},
        {"malformed guid", Text("Frame { <01234567-89AB-CDEF-0123-456789ABCDEG> }"), DXFILEERR_PARSEERROR},
        {"missing close brace", Text("Frame { Frame { }"), DXFILEERR_PARSEERROR},
        {"missing open brace", Text("Frame A }"), DXFILEERR_PARSEERROR},
        {"stray close brace", Text("Frame { } }"), DXFILEERR_PARSEERROR},
        {"unknown template", Text("Frame { Spline { 1; } }"), DXFILEERR_NOTEMPLATE},
        {"unknown member type", Text("template T { <00000000-0000-0000-0000-000000000000> Spline s; }"),
         DXFILEERR_NOTEMPLATE},
        {"dimension from a later member",
         Text("template T { <00000000-0000-0000-0000-000000000000> array DWORD a[n]; DWORD n; }"),
         DXFILEERR_PARSEERROR},
        {"dimension from a float",
         Text("template T { <00000000-0000-0000-0000-000000000000> FLOAT n; array DWORD a[n]; }"),
         DXFILEERR_PARSEERROR},
        {"array without dimension", Text("template T { <00000000-0000-0000-0000-000000000000> array DWORD a; }"),
         DXFILEERR_PARSEERROR},
        {"unterminated template", Text("template T { <00000000-0000-0000-0000-000000000000> DWORD a;"),
         DXFILEERR_PARSEERROR},
        {"word out of range", Text("Boolean { 70000; }"), DXFILEERR_PARSEERROR},
        {"integer beyond 64 bits", Text("RightHanded { 123456789012345678901234567890; }"), DXFILEERR_PARSEERROR},
        {"float for an integer", Text("RightHanded { 1.5; }"), DXFILEERR_PARSEERROR},
        {"number for a string", Text("TextureFilename { 12; }"), DXFILEERR_PARSEERROR},
        {"string for a float", Text("Coords2d { \"x\"; 1; }"), DXFILEERR_PARSEERROR},
        {"float beyond double", Text("Coords2d { 1e999; 1; }"), DXFILEERR_PARSEERROR},
        {"empty reference", Text("Frame { { } }"), DXFILEERR_BADDATAREFERENCE},
        {"unclosed reference", Text("Frame { { A B } }"), DXFILEERR_BADDATAREFERENCE},
        {"stray character", Text("Frame { @ }"), DXFILEERR_PARSEERROR},
        {"value at top level", Text("12;"), DXFILEERR_PARSEERROR},
        {"template inside an object", Text("Frame { template T { } }"), DXFILEERR_PARSEERROR},
        {"nesting deeper than the limit", Nested(kMaxNestingDepth + 1), DXFILEERR_PARSEERROR},
        {"template nesting deeper than the limit", ChainedTemplates(kMaxNestingDepth + 1),
         DXFILEERR_PARSEERROR},
        // Arrays of member-less templates take no input; the work budget ends them.
        {"work without input",
         Text("template E { <00000000-0000-0000-0000-000000000000> }\n"
              "template F { <00000000-0000-0000-0000-000000000000> array E e[40][40]; }\n"
              "template G { <00000000-0000-0000-0000-000000000000> array F f[40][40]; }\n"
              "G { }" + std::string(4000, ' ')),
         DXFILEERR_BADARRAYSIZE},
    };
}

std::vector<MalformedCase> BinaryCases()
{
    const std::string header = "xof 0303bin 0032";
    auto with = [&](const BinaryWriter& writer) { return writer.Bytes(); };
    std::string halfCode = header + "\x01";
    std::string nameTooLong = with(BinaryWriter().Code(TOKEN_NAME).Dword(1000)) + "Frame";
    std::string listTooLong = with(BinaryWriter().Name("Vector").Open().Code(TOKEN_FLOAT_LIST).Dword(0x40000000));
    std::string doublesTooLong =
        with(BinaryWriter("xof 0303bin 0064").Name("Vector").Open().Code(TOKEN_FLOAT_LIST).Dword(3).Dword(0).Dword(0));
    std::string guidCut = with(BinaryWriter().Name("Frame").Open().Code(TOKEN_GUID).Dword(1));
    std::string stringTooLong = with(BinaryWriter().Name("TextureFilename").Open().Code(TOKEN_STRING).Dword(0xffffffff));
    return {
        {"half a token code", halfCode, DXFILEERR_PARSEERROR},
        {"name past the end", nameTooLong, DXFILEERR_PARSEERROR},
        {"float list past the end", listTooLong, DXFILEERR_PARSEERROR},
        {"64-bit float list past the end", doublesTooLong, DXFILEERR_PARSEERROR},
        {"guid cut short", guidCut, DXFILEERR_PARSEERROR},
        {"string past the end", stringTooLong, DXFILEERR_PARSEERROR},
        {"name holding a NUL", with(BinaryWriter().Name("Frame").Name(std::string_view("A\0B", 3)).Open().Close()),
         DXFILEERR_PARSEERROR},
        {"unknown token code", with(BinaryWriter().Name("Frame").Open().Code(99)), DXFILEERR_PARSEERROR},
        {"void token", with(BinaryWriter().Code(TOKEN_VOID)), DXFILEERR_PARSEERROR},
        {"ints for a string", with(BinaryWriter().Name("TextureFilename").Open().Integers({1}).Close()),
         DXFILEERR_PARSEERROR},
        {"floats where a count belongs", with(BinaryWriter().Name("Mesh").Open().Floats({3.0f}).Close()),
         DXFILEERR_PARSEERROR},
        {"count beyond the input", with(BinaryWriter().Name("Mesh").Open().Integers({0x7fffffff}).Close()),
         DXFILEERR_BADARRAYSIZE},
        {"unclosed object", with(BinaryWriter().Name("Frame").Open()), DXFILEERR_PARSEERROR},
    };
}

TEST(MalformedInput, EachCaseFailsWithItsCode)
{
    for (const auto& cases : {TextCases(), BinaryCases()}) {
        for (const MalformedCase& test : cases) {
            SCOPED_TRACE(test.what);
            Ref<IDirectXFileEnumObject> enumObject;
            EXPECT_EQ(Open(test.bytes, enumObject), test.expected);
            EXPECT_FALSE(enumObject);
        }
    }
}

TEST(MalformedInput, NestingUpToTheLimitIsRead)
{
    Ref<IDirectXFileEnumObject> enumObject;
    EXPECT_EQ(Open(Nested(kMaxNestingDepth), enumObject), DXFILE_OK);
    EXPECT_EQ(Open(ChainedTemplates(kMaxNestingDepth), enumObject), DXFILE_OK);
}

TEST(MalformedInput, BadArgumentsAreRefused)
{
    EXPECT_EQ(DirectXFileCreate(nullptr), DXFILEERR_BADVALUE);
    Ref<IDirectXFile> file;
    ASSERT_EQ(DirectXFileCreate(file.Out()), DXFILE_OK);
    Ref<IDirectXFileEnumObject> enumObject;
    EXPECT_EQ(file->CreateEnumObject(nullptr, DXFILELOAD_FROMMEMORY, enumObject.Out()), DXFILEERR_BADVALUE);
    DXFILELOADMEMORY nowhere{nullptr, 100};
    EXPECT_EQ(file->CreateEnumObject(&nowhere, DXFILELOAD_FROMMEMORY, enumObject.Out()), DXFILEERR_BADVALUE);
    EXPECT_EQ(file->CreateEnumObject("sea.x", DXFILELOAD_FROMURL, enumObject.Out()), DXFILEERR_BADVALUE);
    EXPECT_EQ(file->CreateEnumObject("sea.x", DXFILELOAD_FROMFILE, nullptr), DXFILEERR_BADVALUE);
    EXPECT_EQ(file->RegisterTemplates(nullptr, 10), DXFILEERR_BADVALUE);
}

// A good file of each format, cut at every length and with bytes overwritten: every result is a
// success or a code of the interface, and walking what succeeded stays inside the data.
void DamageAndRead(const std::string& good)
{
    auto readAll = [](const std::string& bytes) {
        Ref<IDirectXFileEnumObject> enumObject;
        const HRESULT hr = Open(bytes, enumObject);
        if (FAILED(hr)) {
            EXPECT_EQ(static_cast<std::uint32_t>(hr) >> 16, 0x8876u) << "code " << hr;
            return;
        }
        for (auto& object : TopLevel(enumObject.Get())) {
            DWORD size = 0;
            void* data = nullptr;
            ASSERT_EQ(object->GetData(nullptr, &size, &data), DXFILE_OK);
            // Touch every byte so that the sanitizer sees any overrun.
            unsigned sum = 0;
            for (DWORD i = 0; i < size; ++i) {
                sum += static_cast<const unsigned char*>(data)[i];
            }
            (void)sum;
            Children(object.Get());
        }
    };
    for (std::size_t length = 0; length < good.size(); ++length) {
        readAll(good.substr(0, length));
    }
    const unsigned char replacements[] = {0x00, 0x01, 0x07, 0x7f, 0xff, '{', '}', ';', '"', '<'};
    for (std::size_t at = 16; at < good.size(); ++at) {
        for (unsigned char replacement : replacements) {
            std::string damaged = good;
            damaged[at] = static_cast<char>(replacement);
            readAll(damaged);
        }
    }
}

TEST(MalformedInput, DamagedFilesNeverCrash)
{
    const auto start = std::chrono::steady_clock::now();
    DamageAndRead(Text("Frame A { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
                       " Mesh M { 2; 0;0;0;, 1;1;1;; 1; 3; 0,1,1;;\n"
                       "  MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"t\"; } } }\n"
                       " } { A } }"));
    BinaryWriter binary;
    binary.Name("Frame").Name("A").Open().Name("Mesh").Open().Integers({1}).Floats({1, 2, 3}).Integers({1, 3, 0, 0, 0});
    binary.Name("MeshMaterialList").Open().Integers({1, 1, 0}).Name("Material").Open();
    binary.Floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}).Name("TextureFilename").Open().String("t").Close();
    binary.Close().Close().Close().Open().Name("A").Close().Close();
    DamageAndRead(binary.Bytes());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

} // namespace
