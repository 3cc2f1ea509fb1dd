// SPDX-License-Identifier: GPL-3.0-or-later
// Full path names (normalised, file part, buffer sizes) and the readable-file test, including the
// things that must count as not opening: folders, missing files and pipes.
#include "platform/os/file_system.h"
#include "tests/platform/os/scoped_test_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef __unix__
#include <sys/stat.h>
#endif

namespace {

TEST(GetFullPathNameA, NormalisesAgainstTheCurrentDirectoryAndPointsAtTheFilePart)
{
    ScopedTestFolder folder;
    ScopedCurrentDirectory current(folder.path);
    const std::string cwd = std::filesystem::current_path().string();
    std::vector<char> buffer(1024);
    char* filePart = nullptr;

    const DWORD length = GetFullPathNameA("./a/../b/sea.x", 1024, buffer.data(), &filePart);
    EXPECT_EQ(std::string(buffer.data()), cwd + "/b/sea.x");
    EXPECT_EQ(length, cwd.size() + 8);
    EXPECT_EQ(filePart, buffer.data() + length - 5);

    // A trailing separator leaves no file part; a final ".." names the folder above.
    GetFullPathNameA("/media/folder/", 1024, buffer.data(), &filePart);
    EXPECT_STREQ(buffer.data(), "/media/folder/");
    EXPECT_EQ(filePart, nullptr);
    GetFullPathNameA("/media//folder/..", 1024, buffer.data(), &filePart);
    EXPECT_STREQ(buffer.data(), "/media");
    EXPECT_STREQ(filePart, "media");

    EXPECT_EQ(GetFullPathNameA(nullptr, 1024, buffer.data(), &filePart), 0u);
    EXPECT_EQ(GetFullPathNameA("", 1024, buffer.data(), &filePart), 0u);
}

TEST(GetFullPathNameA, ShortBufferGetsTheSizeNeededAndIsLeftAlone)
{
    const char* name = "/media/sea.x";
    std::vector<char> buffer(12, '#');
    char* filePart = buffer.data();
    // 12 characters need 13 bytes with the terminator.
    EXPECT_EQ(GetFullPathNameA(name, 12, buffer.data(), &filePart), 13u);
    EXPECT_EQ(buffer, std::vector<char>(12, '#'));
    EXPECT_EQ(filePart, nullptr);

    buffer.resize(13);
    EXPECT_EQ(GetFullPathNameA(name, 13, buffer.data(), nullptr), 12u);
    EXPECT_STREQ(buffer.data(), name);
}

TEST(FileOpensForReading, OnlyExistingRegularFilesOpen)
{
    ScopedTestFolder folder;
    const std::string file = folder.AddFile("Star.bmp");
    std::filesystem::create_directories(folder.path / "Media");

    EXPECT_TRUE(FileOpensForReading(file.c_str()));
    EXPECT_FALSE(FileOpensForReading((folder.path / "Missing.bmp").string().c_str()));
    EXPECT_FALSE(FileOpensForReading((folder.path / "Media").string().c_str()));
    EXPECT_FALSE(FileOpensForReading(nullptr));
    EXPECT_FALSE(FileOpensForReading(""));

    ScopedCurrentDirectory current(folder.path);
    EXPECT_TRUE(FileOpensForReading("Star.bmp"));
}

#ifdef __unix__
// Opening a pipe for reading waits for a writer: the test must refuse it instead of hanging.
TEST(FileOpensForReading, PipeDoesNotOpenAndDoesNotWait)
{
    ScopedTestFolder folder;
    const std::string pipe = (folder.path / "sea.x").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(FileOpensForReading(pipe.c_str()));
}
#endif

} // namespace
