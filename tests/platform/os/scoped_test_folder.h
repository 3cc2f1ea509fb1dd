// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh temporary folder for one test, removed afterwards, and a guard that puts the current
// directory back: for tests of path and media lookups.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class ScopedTestFolder {
public:
    ScopedTestFolder()
    {
        std::random_device random;
        path = std::filesystem::temp_directory_path() /
               ("fireworks-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(path);
    }
    ~ScopedTestFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    ScopedTestFolder(const ScopedTestFolder&) = delete;
    ScopedTestFolder& operator=(const ScopedTestFolder&) = delete;

    // Creates relative (and the folders above it) holding a few bytes; returns its full path.
    std::string AddFile(const std::string& relative) const
    {
        const std::filesystem::path file = path / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << "media";
        return file.string();
    }

    std::filesystem::path path;
};

class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::filesystem::path& folder) : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentDirectory()
    {
        std::error_code error;
        std::filesystem::current_path(previous, error);
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::filesystem::path previous;
};
