// SPDX-License-Identifier: GPL-3.0-or-later
// Opening X files by name: the whole file is read, a missing one reports its own code.
#include "tests/platform/xfile/xfile_test_helpers.h"
#include "platform/xfile/read_failure.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace xfile_test;

TEST(FileLoading, ReadsFilesLargerThanOneChunk)
{
    // Long enough to take several reads: a frame of many frames.
    std::string file = "xof 0303txt 0032\nFrame Sea {\n";
    for (int i = 0; i < 5000; ++i) {
        file += " Frame Wave" + std::to_string(i) + " { }\n";
    }
    file += "}\n";
    const char* path = "xfile_loading_test.x";
    {
        std::ofstream out(path, std::ios::binary);
        out << file;
    }
    Ref<IDirectXFile> directXFile;
    ASSERT_EQ(DirectXFileCreate(directXFile.Out()), DXFILE_OK);
    ASSERT_EQ(directXFile->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), DXFILE_OK);
    Ref<IDirectXFileEnumObject> enumObject;
    ASSERT_EQ(directXFile->CreateEnumObject(path, DXFILELOAD_FROMFILE, enumObject.Out()), DXFILE_OK);
    std::remove(path);
    auto objects = TopLevel(enumObject.Get());
    ASSERT_EQ(objects.size(), 1u);
    auto children = Children(objects[0].Get());
    ASSERT_EQ(children.size(), 5000u);
    EXPECT_EQ(NameOf(children.back().Get()), "Wave4999");
}

TEST(FileLoading, MissingFileIsNotFound)
{
    Ref<IDirectXFile> directXFile;
    ASSERT_EQ(DirectXFileCreate(directXFile.Out()), DXFILE_OK);
    Ref<IDirectXFileEnumObject> enumObject;
    EXPECT_EQ(directXFile->CreateEnumObject("no such file.x", DXFILELOAD_FROMFILE, enumObject.Out()),
              DXFILEERR_FILENOTFOUND);
    EXPECT_FALSE(enumObject);
}

TEST(FileLoading, AFileThatIsNoXFileIsRefusedOnItsHeaderAndAPathOnItsOwnReason)
{
    Ref<IDirectXFile> directXFile;
    ASSERT_EQ(DirectXFileCreate(directXFile.Out()), DXFILE_OK);
    Ref<IDirectXFileEnumObject> enumObject;
    // Larger than the size limit but sparse: read whole, it would be refused for its size instead.
    const std::string junk = "xfile_loading_junk.x";
    {
        std::ofstream(junk, std::ios::binary) << "this is no X file at all";
    }
    std::filesystem::resize_file(junk, 300u << 20);
    EXPECT_EQ(directXFile->CreateEnumObject(junk.c_str(), DXFILELOAD_FROMFILE, enumObject.Out()),
              DXFILEERR_BADFILETYPE);
    EXPECT_STREQ(DirectXFileFailureText(), "not an X file");
    std::remove(junk.c_str());

    // A link that leads to itself names the loop, once.
    const std::string loop = "xfile_loading_loop.x";
    std::filesystem::remove(loop);
    std::filesystem::create_symlink(loop, loop);
    EXPECT_EQ(directXFile->CreateEnumObject(loop.c_str(), DXFILELOAD_FROMFILE, enumObject.Out()), DXFILEERR_BADFILE);
    const std::string why = DirectXFileFailureText();
    EXPECT_NE(why.find("symbolic links"), std::string::npos) << why;
    EXPECT_EQ(why.find("not a regular file"), std::string::npos) << why;
    std::filesystem::remove(loop);
}

} // namespace
