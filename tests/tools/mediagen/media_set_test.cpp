// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the media set: the ten files, the same bytes on every run, and clear failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tools/mediagen/media_set.h"

namespace {

namespace fs = std::filesystem;

fs::path ScratchFolder(const char* name)
{
    const fs::path path = fs::temp_directory_path() / "fireworks-mediagen-test" / name;
    fs::remove_all(path);
    return path;
}

std::vector<char> ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(MediaSet, WritesTheTenFilesWithTheSameBytesOnEveryRun)
{
    const fs::path first = ScratchFolder("first") / "not" / "there" / "yet";
    const fs::path second = ScratchFolder("second");
    std::vector<std::pair<std::string, std::size_t>> reported;
    std::string error;
    ASSERT_TRUE(WriteMediaSet(
        first.string(), [&](const std::string& path, std::size_t size) { reported.emplace_back(path, size); }, &error))
        << error;
    ASSERT_TRUE(WriteMediaSet(second.string(), nullptr, &error)) << error;

    const std::set<std::string> expected = {"Star.bmp",   "Launch.bmp", "Shine.bmp",  "Shine2.bmp", "Random.bmp",
                                            "Smoke.bmp",  "Light.bmp",  "Ground.bmp", "sea.x",      "sea_calm.x"};
    std::set<std::string> present;
    for (const fs::directory_entry& entry : fs::directory_iterator(first)) {
        present.insert(entry.path().filename().string());
    }
    EXPECT_EQ(present, expected);

    ASSERT_EQ(reported.size(), 10u);
    for (const auto& [path, size] : reported) {
        const std::vector<char> bytes = ReadAll(path);
        EXPECT_EQ(bytes.size(), size) << path;
        EXPECT_FALSE(bytes.empty()) << path;
        EXPECT_EQ(bytes, ReadAll(second / fs::path(path).filename())) << path;
    }
}

TEST(MediaSet, StopsAtWhatItCannotWriteAndNamesIt)
{
    const fs::path scratch = ScratchFolder("refused");
    fs::create_directories(scratch);
    const fs::path plainFile = scratch / "plain";
    std::ofstream(plainFile) << "x";
    // A folder where a file must go cannot be opened for writing.
    fs::create_directories(scratch / "blocked" / "Smoke.bmp");

    const struct {
        fs::path folder;
        const char* named;
        std::size_t writtenFirst;
    } cases[] = {
        {plainFile, "plain", 0},
        {plainFile / "below", "below", 0},
        {scratch / "blocked", "Smoke.bmp", 5},
    };
    for (const auto& c : cases) {
        std::vector<std::string> written;
        std::string error;
        EXPECT_FALSE(WriteMediaSet(
            c.folder.string(), [&](const std::string& path, std::size_t) { written.push_back(path); }, &error));
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
        // The files before the failure were written and reported; nothing after it was attempted.
        EXPECT_EQ(written.size(), c.writtenFirst) << error;
    }
    EXPECT_FALSE(fs::exists(scratch / "blocked" / "Light.bmp"));
}
