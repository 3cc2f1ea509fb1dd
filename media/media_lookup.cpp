// SPDX-License-Identifier: GPL-3.0-or-later
// The media folder from the registry, the three-step file search and the texture helper.
#include "media/media_lookup.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <cstring>

#include "d3dx/d3dx_texture.h"
#include "platform/os/registry.h"

namespace {

constexpr const char* kMediaSuffix = "/Media/";

// Copies text into a MAX_PATH buffer; false (and nothing copied) when it does not fit.
bool CopyPath(char* outPath, const char* text)
{
    const size_t length = std::strlen(text);
    if (length >= MAX_PATH) {
        return false;
    }
    std::memcpy(outPath, text, length + 1);
    return true;
}

} // namespace

const char* RegistryMediaFolder()
{
    // One buffer per thread: a caller on another thread cannot rewrite the text this one is reading.
    thread_local char folder[MAX_PATH];

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX SDK", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "";
    }
    DWORD type = 0;
    DWORD size = MAX_PATH;
    const LSTATUS status =
        RegQueryValueExA(key, "DX81SDK Samples Path", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ) {
        return "";
    }
    // A value stored without its terminator must not run past the buffer.
    folder[MAX_PATH - 1] = '\0';
    if (std::strlen(folder) + std::strlen(kMediaSuffix) >= MAX_PATH) {
        return "";
    }
    std::strcat(folder, kMediaSuffix);
    return folder;
}

HRESULT LocateMediaFile(char* outPath, const char* name)
{
    if (outPath == nullptr || name == nullptr) {
        return E_INVALIDARG;
    }

    constexpr DWORD kFullPathLength = 1024;
    char full[kFullPathLength];
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(name, kFullPathLength, full, &filePart);
    if (length != 0 && length < kFullPathLength) {
        if (FileOpensForReading(full) && CopyPath(outPath, full)) {
            return S_OK;
        }
        // A name ending in a separator has no file part to look for elsewhere.
        if (filePart != nullptr) {
            if (FileOpensForReading(filePart) && CopyPath(outPath, filePart)) {
                return S_OK;
            }
            const int written = std::snprintf(outPath, MAX_PATH, "%s%s", RegistryMediaFolder(), filePart);
            if (written > 0 && written < static_cast<int>(MAX_PATH) && FileOpensForReading(outPath)) {
                return S_OK;
            }
        }
    }

    // Never a cut-off name: it could name a different file.
    if (!CopyPath(outPath, name)) {
        outPath[0] = '\0';
    }
    return E_FAIL;
}

bool EnterMediaFolder()
{
    std::error_code error;
    if (std::filesystem::exists("Star.bmp", error)) {
        return true;
    }
    const std::filesystem::path folder = RegistryMediaFolder();
    if (folder.empty() || !std::filesystem::exists(folder / "Star.bmp", error)) {
        return true;
    }
    std::filesystem::current_path(folder, error);
    return !error;
}

HRESULT LoadMediaTexture(IDirect3DDevice8* device, const char* name, IDirect3DTexture8** texture, D3DFORMAT format)
{
    char path[MAX_PATH] = {};
    // A miss leaves the name in path, and the loader reports the missing file.
    LocateMediaFile(path, name);
    constexpr DWORD kFilter = D3DX_FILTER_POINT | D3DX_FILTER_MIRROR;
    return D3DXCreateTextureFromFileExA(device, name != nullptr ? path : nullptr, D3DX_DEFAULT, D3DX_DEFAULT,
                                        D3DX_DEFAULT, 0, format, D3DPOOL_MANAGED, kFilter, kFilter, 0, nullptr,
                                        nullptr, texture);
}
