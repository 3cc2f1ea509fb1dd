// SPDX-License-Identifier: GPL-3.0-or-later
// The media folder from the registry, the order and limits of the file search, and textures loaded
// from located files on a recording device.
#include "media/media_lookup.h"

#include "d3dx/d3dx_texture.h"
#include "platform/os/registry.h"
#include "tests/platform/os/scoped_test_folder.h"
#include "tools/support/bmp_writer.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each test gets an empty current directory and a separate folder the registry names as the
// installed data; both are removed afterwards and the registry is put back.
class MediaLookupTest : public ::testing::Test {
protected:
    MediaLookupTest() : current(work.path) { SetDataFolder(data.path.string()); }
    ~MediaLookupTest() override { RegistryRestoreDefaults(); }

    static void SetDataFolder(const std::string& folder)
    {
        ASSERT_EQ(RegistrySetMediaFolder(folder.c_str()), ERROR_SUCCESS);
    }
    static void RemoveDataFolder()
    {
        ASSERT_EQ(RegistryRemoveMediaFolder(), ERROR_SUCCESS);
    }
    static std::string InWork(const std::string& name) { return (std::filesystem::current_path() / name).string(); }

    // A heap buffer of exactly MAX_PATH bytes, so that any overrun is caught by the sanitizers.
    std::vector<char> out = std::vector<char>(MAX_PATH, '#');
    ScopedTestFolder work;
    ScopedTestFolder data;
    ScopedCurrentDirectory current;
};

TEST_F(MediaLookupTest, MediaFolderIsTheRegistryValueWithMediaAppended)
{
    EXPECT_EQ(std::string(RegistryMediaFolder()), data.path.string() + "/Media/");

    // The folder is read again on every call.
    SetDataFolder("/opt/show");
    EXPECT_STREQ(RegistryMediaFolder(), "/opt/show/Media/");

    // 252 characters and "/Media/" fill 259 with the terminator in the last byte; one more does not fit.
    const std::string longest(252, 'd');
    SetDataFolder(longest);
    EXPECT_EQ(std::string(RegistryMediaFolder()), longest + "/Media/");
    SetDataFolder(longest + "d");
    EXPECT_STREQ(RegistryMediaFolder(), "");

    RemoveDataFolder();
    EXPECT_STREQ(RegistryMediaFolder(), "");
}

TEST_F(MediaLookupTest, NullArgumentsAreInvalid)
{
    EXPECT_EQ(LocateMediaFile(nullptr, "sea.x"), E_INVALIDARG);
    EXPECT_EQ(LocateMediaFile(out.data(), nullptr), E_INVALIDARG);
}

TEST_F(MediaLookupTest, FileInTheCurrentDirectoryIsFoundByItsFullPath)
{
    work.AddFile("sea.x");
    ASSERT_EQ(LocateMediaFile(out.data(), "sea.x"), S_OK);
    EXPECT_EQ(std::string(out.data()), InWork("sea.x"));
}

TEST_F(MediaLookupTest, NameWithAMissingFolderIsFoundByItsBareNameInTheCurrentDirectory)
{
    work.AddFile("sea.x");
    ASSERT_EQ(LocateMediaFile(out.data(), "no/such/folder/sea.x"), S_OK);
    EXPECT_STREQ(out.data(), "sea.x");
}

TEST_F(MediaLookupTest, FileOnlyInTheMediaFolderIsFoundThere)
{
    const std::string installed = data.AddFile("Media/sea.x");
    ASSERT_EQ(LocateMediaFile(out.data(), "sea.x"), S_OK);
    EXPECT_EQ(std::string(out.data()), installed);

    // The folder part of the name is dropped for the media folder too.
    ASSERT_EQ(LocateMediaFile(out.data(), "elsewhere/sea.x"), S_OK);
    EXPECT_EQ(std::string(out.data()), installed);
}

TEST_F(MediaLookupTest, CurrentDirectoryComesBeforeTheMediaFolder)
{
    data.AddFile("Media/Ground.bmp");
    work.AddFile("Ground.bmp");
    ASSERT_EQ(LocateMediaFile(out.data(), "Ground.bmp"), S_OK);
    EXPECT_EQ(std::string(out.data()), InWork("Ground.bmp"));
}

TEST_F(MediaLookupTest, MissingFileFailsWithTheNameInOutPath)
{
    EXPECT_EQ(LocateMediaFile(out.data(), "sea.x"), E_FAIL);
    EXPECT_STREQ(out.data(), "sea.x");

    // Without the registry value the last step tries the bare name again, and still fails.
    data.AddFile("Media/sea.x");
    RemoveDataFolder();
    EXPECT_EQ(LocateMediaFile(out.data(), "dir/sea.x"), E_FAIL);
    EXPECT_STREQ(out.data(), "dir/sea.x");
}

TEST_F(MediaLookupTest, FoldersAndEmptyFileNamesAreNotFound)
{
    std::filesystem::create_directories(work.path / "sea.x");
    EXPECT_EQ(LocateMediaFile(out.data(), "sea.x"), E_FAIL);
    // A name ending in a separator has no file name to look up in the media folder.
    EXPECT_EQ(LocateMediaFile(out.data(), "Media/"), E_FAIL);
    EXPECT_STREQ(out.data(), "Media/");
    EXPECT_EQ(LocateMediaFile(out.data(), ""), E_FAIL);
    EXPECT_STREQ(out.data(), "");
}

TEST_F(MediaLookupTest, LocatedPathLongerThan259CharactersCountsAsNotFound)
{
    // Four folders of 70 characters put the file well past MAX_PATH.
    std::string relative;
    for (int i = 0; i < 4; ++i) {
        relative += std::string(70, static_cast<char>('a' + i)) + "/";
    }
    relative += "Star.bmp";
    const std::string deep = work.AddFile(relative);
    ASSERT_GE(deep.size(), MAX_PATH);

    EXPECT_EQ(LocateMediaFile(out.data(), relative.c_str()), E_FAIL);
    // The name itself does not fit either: outPath holds nothing rather than a cut-off name.
    EXPECT_STREQ(out.data(), "");

    // The same name is still found by its bare name, which fits.
    work.AddFile("Star.bmp");
    ASSERT_EQ(LocateMediaFile(out.data(), relative.c_str()), S_OK);
    EXPECT_STREQ(out.data(), "Star.bmp");
}

TEST_F(MediaLookupTest, MediaFolderPathMustFitWithItsTerminator)
{
    // A media folder of 251 + 7 characters leaves room for a file name of one character, not two.
    const std::string folder = data.path.string() + "/" + std::string(250 - data.path.string().size(), 'm');
    ASSERT_EQ(folder.size() + 7, MAX_PATH - 2);
    std::filesystem::create_directories(folder + "/Media");
    std::ofstream(folder + "/Media/n") << "media";
    std::ofstream(folder + "/Media/nn") << "media";
    SetDataFolder(folder);

    ASSERT_EQ(LocateMediaFile(out.data(), "n"), S_OK);
    EXPECT_EQ(std::string(out.data()), folder + "/Media/n");
    EXPECT_EQ(LocateMediaFile(out.data(), "nn"), E_FAIL);
    EXPECT_STREQ(out.data(), "nn");
}

// A 4x4 bitmap whose texels all differ, so point and averaging filters give different levels.
std::uint32_t Checker(int x, int y)
{
    return static_cast<std::uint32_t>(0x204060 + 0x10 * x + 0x1000 * y);
}

TEST_F(MediaLookupTest, LoadMediaTextureCreatesAManagedTextureWithPointFiltering)
{
    ASSERT_TRUE(WriteBmp24((work.path / "Ground.bmp").string(), 4, 4, Checker));
    RecordingDevice device;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(LoadMediaTexture(&device, "Ground.bmp", &texture, D3DFMT_UNKNOWN), S_OK);
    ASSERT_NE(texture, nullptr);

    const std::vector<DeviceCall> creations = device.CallsOf(DeviceMethod::CreateTexture);
    ASSERT_FALSE(creations.empty());
    const DeviceCall& created = creations.back();
    EXPECT_EQ(created.result, D3D_OK);
    // Width, height, the full chain of three levels, usage 0, and the managed pool.
    EXPECT_EQ(created.args[0], 4u);
    EXPECT_EQ(created.args[1], 4u);
    EXPECT_EQ(created.args[2], 3u);
    EXPECT_EQ(created.args[3], 0u);
    EXPECT_EQ(created.args[5], static_cast<DWORD>(D3DPOOL_MANAGED));
    EXPECT_EQ(created.object, texture);

    // The point mip filter takes each 2x2 block's top-left texel; an averaging one would not.
    D3DLOCKED_RECT top{};
    ASSERT_EQ(texture->LockRect(0, &top, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* topBits = static_cast<const BYTE*>(top.pBits);
    const std::vector<BYTE> topLeft(topBits, topBits + 3);
    texture->UnlockRect(0);
    D3DLOCKED_RECT below{};
    ASSERT_EQ(texture->LockRect(1, &below, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* belowBits = static_cast<const BYTE*>(below.pBits);
    EXPECT_EQ(std::vector<BYTE>(belowBits, belowBits + 3), topLeft);
    texture->UnlockRect(1);
    texture->Release();
}

TEST_F(MediaLookupTest, LoadMediaTextureFindsTheMediaFolderAndPassesTheFormatOn)
{
    std::filesystem::create_directories(data.path / "Media");
    ASSERT_TRUE(WriteBmp24((data.path / "Media" / "Star.bmp").string(), 2, 2, Checker));
    RecordingDevice device;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(LoadMediaTexture(&device, "Star.bmp", &texture, D3DFMT_A4R4G4B4), S_OK);
    const std::vector<DeviceCall> creations = device.CallsOf(DeviceMethod::CreateTexture);
    ASSERT_EQ(creations.size(), 1u);
    EXPECT_EQ(creations[0].args[4], static_cast<DWORD>(D3DFMT_A4R4G4B4));
    texture->Release();
}

TEST_F(MediaLookupTest, LoadMediaTextureOfAMissingFileFailsWithoutCreatingATexture)
{
    RecordingDevice device;
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(&device);
    EXPECT_TRUE(FAILED(LoadMediaTexture(&device, "Ground.bmp", &texture, D3DFMT_UNKNOWN)));
    EXPECT_EQ(texture, nullptr);
    EXPECT_TRUE(FAILED(LoadMediaTexture(&device, nullptr, &texture, D3DFMT_UNKNOWN)));
    EXPECT_EQ(device.CountOf(DeviceMethod::CreateTexture), 0u);
}

} // namespace
