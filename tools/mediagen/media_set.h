// SPDX-License-Identifier: GPL-3.0-or-later
// The nine media files of the show and where they are written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct MediaFile {
    const char* name;
    // The complete contents of the file.
    std::vector<std::uint8_t> (*build)();
};

// The ten files, effect textures first in the order the effects load them, then "Ground.bmp", "sea.x"
// and "sea_calm.x".
const std::vector<MediaFile>& MediaFiles();

// The sounds' WAV files, in sound id order.
const std::vector<MediaFile>& SoundFiles();

// The text of "sea.x", and of "sea_calm.x": the same sea in a few faces, drawn while no flash lights it.
std::string BuildSeaXFile();
std::string BuildCalmSeaXFile();

// Writes every file into folder, creating the folder if needed, and calls written(path, size) after
// each. Stops at the first failure and returns false with a message naming the path and the cause.
bool WriteMediaSet(const std::string& folder, const std::function<void(const std::string&, std::size_t)>& written,
                   std::string* error);

// Writes the sounds' files the same way.
bool WriteSoundSet(const std::string& folder, const std::function<void(const std::string&, std::size_t)>& written,
                   std::string* error);
