// SPDX-License-Identifier: GPL-3.0-or-later
// The media set: what each file holds, and writing them all.
#include "tools/mediagen/media_set.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/mediagen/bitmap_writer.h"
#include "tools/mediagen/glow_images.h"
#include "tools/mediagen/ground_image.h"
#include "tools/mediagen/sea_mesh.h"
#include "tools/mediagen/smoke_image.h"
#include "tools/mediagen/sound_synth.h"
#include "tools/mediagen/x_file_writer.h"

namespace {

template <Image (*Draw)()>
std::vector<std::uint8_t> BuildBitmap()
{
    return EncodeBmp24(Draw());
}

template <std::string (*Build)()>
std::vector<std::uint8_t> BuildText()
{
    const std::string text = Build();
    return {text.begin(), text.end()};
}

std::string SeaXFile(const SeaMesh& mesh)
{
    XFileContent content{};
    content.frameName = "Sea";
    content.meshName = "SeaSurface";
    content.mesh = &mesh;
    // A dark blue-grey that the global ambient keeps barely visible and the flashes light up.
    content.material = {{0.05f, 0.08f, 0.12f, 1.0f}, 0.0f, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}};
    return FormatXFile(content);
}

template <SoundId Id>
std::vector<std::uint8_t> BuildSound()
{
    return BuildSoundFile(Id);
}

bool WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes, std::string* error)
{
    errno = 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
    }
    if (!file) {
        const int cause = errno;
        *error = "cannot write " + path.string() + (cause != 0 ? std::string(": ") + std::strerror(cause) : "");
        return false;
    }
    return true;
}

} // namespace

const std::vector<MediaFile>& MediaFiles()
{
    static const std::vector<MediaFile> files = {
        {"Star.bmp", BuildBitmap<DrawStarImage>},
        {"Launch.bmp", BuildBitmap<DrawLaunchImage>},
        {"Shine.bmp", BuildBitmap<DrawShineImage>},
        {"Shine2.bmp", BuildBitmap<DrawShine2Image>},
        {"Random.bmp", BuildBitmap<DrawRandomImage>},
        {"Smoke.bmp", BuildBitmap<DrawSmokeImage>},
        {"Light.bmp", BuildBitmap<DrawLightImage>},
        {"Ground.bmp", BuildBitmap<DrawGroundImage>},
        {"sea.x", BuildText<BuildSeaXFile>},
        {"sea_calm.x", BuildText<BuildCalmSeaXFile>},
    };
    return files;
}

std::string BuildSeaXFile()
{
    return SeaXFile(BuildSeaMesh());
}

std::string BuildCalmSeaXFile()
{
    return SeaXFile(BuildCalmSeaMesh());
}

namespace {

bool WriteFiles(const std::string& folder, const std::vector<MediaFile>& files,
                const std::function<void(const std::string&, std::size_t)>& written, std::string* error)
{
    const std::filesystem::path root(folder);
    std::error_code code;
    std::filesystem::create_directories(root, code);
    if (code || !std::filesystem::is_directory(root, code)) {
        *error = "cannot use the folder " + folder + (code ? ": " + code.message() : ": not a folder");
        return false;
    }
    for (const MediaFile& file : files) {
        const std::filesystem::path path = root / file.name;
        const std::vector<std::uint8_t> bytes = file.build();
        if (!WriteWholeFile(path, bytes, error)) {
            return false;
        }
        if (written) {
            written(path.string(), bytes.size());
        }
    }
    return true;
}

} // namespace

const std::vector<MediaFile>& SoundFiles()
{
    static const std::vector<MediaFile> files = {
        {SoundFileNames[0], BuildSound<SoundId::Thump>},      {SoundFileNames[1], BuildSound<SoundId::Whistle>},
        {SoundFileNames[2], BuildSound<SoundId::BoomLarge>},  {SoundFileNames[3], BuildSound<SoundId::BoomMedium>},
        {SoundFileNames[4], BuildSound<SoundId::Crack>},      {SoundFileNames[5], BuildSound<SoundId::Crackle>},
    };
    return files;
}

bool WriteMediaSet(const std::string& folder, const std::function<void(const std::string&, std::size_t)>& written,
                   std::string* error)
{
    return WriteFiles(folder, MediaFiles(), written, error);
}

bool WriteSoundSet(const std::string& folder, const std::function<void(const std::string&, std::size_t)>& written,
                   std::string* error)
{
    return WriteFiles(folder, SoundFiles(), written, error);
}
