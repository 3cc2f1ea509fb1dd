// SPDX-License-Identifier: GPL-3.0-or-later
// Media failures in words: a missing, unreadable or corrupt texture or scene names the file and the
// reason, and only a missing one names the folders looked in. Exporters' scene files load, plain and
// compressed.
#include "d3dx/d3dx_texture.h"
#include "media/d3d_file.h"
#include "media/media_failure.h"
#include "media/media_lookup.h"
#include "platform/xfile/dxfile.h"
#include "tests/platform/os/scoped_test_folder.h"
#include "tests/platform/xfile/mszip_writer.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ExporterFile(const std::string& name)
{
    std::ifstream in(std::string(XFILE_EXPORTER_FILES) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.rfind(start, 0) == 0;
}

class MediaFailureTest : public ::testing::Test {
protected:
    HRESULT LoadTexture(const char* name)
    {
        IDirect3DTexture8* texture = nullptr;
        const HRESULT hr = D3DXCreateTextureFromFileExA(&device, name, D3DX_DEFAULT, D3DX_DEFAULT, 5, 0,
                                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                                        D3DX_FILTER_POINT, 0, nullptr, nullptr, &texture);
        if (texture != nullptr) {
            texture->Release();
        }
        return hr;
    }

    HRESULT LoadScene(const char* name)
    {
        CD3DFile scene;
        const HRESULT hr = scene.Load(&device, name);
        scene.ReleaseTree();
        return hr;
    }

    ScopedTestFolder work;
    ScopedCurrentDirectory here{work.path};
    RecordingDevice device;
};

TEST_F(MediaFailureTest, TexturesNameTheFileAndTheReason)
{
    const std::string folder = std::filesystem::current_path().string();
    EXPECT_EQ(LoadTexture("Star.bmp"), D3DXERR_INVALIDDATA);
    const std::string missing = MediaFailureText();
    EXPECT_TRUE(StartsWith(missing, "cannot load Star.bmp: not found (looked in " + folder)) << missing;

    WriteFile(work.path / "Star.bmp", "BM this is no bitmap at all, only its first two letters");
    EXPECT_EQ(LoadTexture("Star.bmp"), D3DXERR_INVALIDDATA);
    const std::string corrupt = MediaFailureText();
    EXPECT_TRUE(StartsWith(corrupt, "cannot load Star.bmp: not a valid image (")) << corrupt;
    EXPECT_EQ(corrupt.find("looked in"), std::string::npos) << corrupt;

    std::filesystem::create_directory(work.path / "Smoke.bmp");
    EXPECT_EQ(LoadTexture("Smoke.bmp"), D3DXERR_INVALIDDATA);
    EXPECT_TRUE(StartsWith(MediaFailureText(), "cannot load Smoke.bmp: cannot be read (")) << MediaFailureText();

    // Through the media lookup the located path is named.
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(LoadMediaTexture(&device, "Star.bmp", &texture, D3DFMT_UNKNOWN), D3DXERR_INVALIDDATA);
    EXPECT_TRUE(StartsWith(MediaFailureText(), "cannot load " + (work.path / "Star.bmp").string() + ": not a valid"))
        << MediaFailureText();
}

TEST_F(MediaFailureTest, ScenesNameTheFileAndTheReason)
{
    EXPECT_EQ(LoadScene("sea.x"), DXFILEERR_FILENOTFOUND);
    EXPECT_TRUE(StartsWith(MediaFailureText(), "cannot load sea.x: not found (looked in ")) << MediaFailureText();

    WriteFile(work.path / "sea.x", "xof 0303txt 0032\nFrame Sea {\n  Spline { 1; }\n}\n");
    EXPECT_EQ(LoadScene("sea.x"), DXFILEERR_NOTEMPLATE);
    EXPECT_EQ(MediaFailureText(), "cannot load " + (work.path / "sea.x").string() +
                                      ": not a valid X file (unknown template 'Spline' at line 3)");

    // A link to itself: the one reason, said once.
    std::filesystem::create_symlink("loop.x", work.path / "loop.x");
    EXPECT_EQ(LoadScene("loop.x"), DXFILEERR_BADFILE);
    EXPECT_EQ(MediaFailureText(), "cannot load loop.x: cannot be read (Too many levels of symbolic links)");
}

TEST_F(MediaFailureTest, ExportersFilesLoadPlainAndCompressed)
{
    for (const char* name : {"skinned_arm.x", "decl_data_panel.x", "declared_templates.x"}) {
        const std::string plain = ExporterFile(name);
        ASSERT_FALSE(plain.empty()) << name;
        for (const std::string& bytes : {plain, xfile_test::CompressXFile(plain), xfile_test::CompressXFile(plain, 300)}) {
            WriteFile(work.path / "scene.x", bytes);
            EXPECT_EQ(LoadScene("scene.x"), S_OK) << name << ": " << MediaFailureText();
        }
    }
}

} // namespace
