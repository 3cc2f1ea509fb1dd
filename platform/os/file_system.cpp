// SPDX-License-Identifier: GPL-3.0-or-later
// Full path names and the readable-file test over std::filesystem.
#include "platform/os/file_system.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

namespace {

// The platform drops the separator left behind by a final "." or "..", but keeps one the caller wrote.
std::string FullPathOf(const char* fileName)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(fileName, error);
    if (error) {
        return {};
    }
    std::string full = absolute.lexically_normal().string();
    const size_t nameLength = std::strlen(fileName);
    const bool callerEndedWithSeparator = fileName[nameLength - 1] == '/';
    if (!callerEndedWithSeparator && full.size() > 1 && full.back() == '/') {
        full.pop_back();
    }
    return full;
}

} // namespace

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart)
{
    if (filePart != nullptr) {
        *filePart = nullptr;
    }
    if (fileName == nullptr || fileName[0] == '\0') {
        return 0;
    }
    std::string full;
    try {
        full = FullPathOf(fileName);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (full.empty() || full.size() >= 0xFFFFFFFFu) {
        return 0;
    }
    const auto length = static_cast<DWORD>(full.size());
    if (buffer == nullptr || bufferLength <= length) {
        return length + 1;
    }
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart != nullptr) {
        char* lastSeparator = std::strrchr(buffer, '/');
        char* name = lastSeparator != nullptr ? lastSeparator + 1 : buffer;
        *filePart = *name != '\0' ? name : nullptr;
    }
    return length;
}

bool FileOpensForReading(LPCSTR path)
{
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    try {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            return false;
        }
        std::ifstream file(path, std::ios::binary);
        return file.is_open();
    } catch (const std::bad_alloc&) {
        return false;
    }
}
