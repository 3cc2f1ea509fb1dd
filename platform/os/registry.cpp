// SPDX-License-Identifier: GPL-3.0-or-later
// The registry's one value, the media folder, and the keys handed out to read it.
#include "platform/os/registry.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An open handle to the SDK key; only its identity matters.
struct HKEY__ {
    int unused = 0;
};

namespace {

constexpr std::string_view kSdkKey = "Software\\Microsoft\\DirectX SDK";
constexpr std::string_view kSamplesPath = "DX81SDK Samples Path";

struct RegistryTable {
    std::mutex mutex;
    std::optional<std::string> mediaFolder;
    std::vector<std::unique_ptr<HKEY__>> openKeys;
};

// The data folder beside the running program (a build, or an install moved elsewhere) when it holds
// the media; otherwise the folder chosen at build time.
std::optional<std::string> DefaultMediaFolder()
{
#ifdef FIREWORKS_DATA_DIR_FROM_BIN
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path beside = (program.parent_path() / FIREWORKS_DATA_DIR_FROM_BIN).lexically_normal();
        if (std::filesystem::is_directory(beside / "Media", ec)) {
            return beside.string();
        }
    }
#endif
#ifdef FIREWORKS_INSTALL_DATA_DIR
    if (std::string_view(FIREWORKS_INSTALL_DATA_DIR).empty()) {
        return std::nullopt;
    }
    return FIREWORKS_INSTALL_DATA_DIR;
#else
    return std::nullopt;
#endif
}

RegistryTable& Table()
{
    static RegistryTable table{{}, DefaultMediaFolder(), {}};
    return table;
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool IsOpen(const RegistryTable& table, HKEY key)
{
    return std::any_of(table.openKeys.begin(), table.openKeys.end(),
                       [key](const std::unique_ptr<HKEY__>& open) { return open.get() == key; });
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM samDesired, HKEY* result)
{
    // Options and access are only meaningful to a registry that can be written.
    (void)options;
    (void)samDesired;
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    RegistryTable& table = Table();
    try {
        std::lock_guard lock(table.mutex);
        const std::string_view name = subKey != nullptr ? subKey : "";
        bool sdkKey = false;
        if (key == HKEY_LOCAL_MACHINE) {
            sdkKey = SameName(name, kSdkKey);
        } else if (IsOpen(table, key)) {
            // Below the SDK key there is nothing: only the key itself opens again.
            sdkKey = name.empty();
        } else {
            return ERROR_INVALID_HANDLE;
        }
        // The key exists while it holds its value.
        if (!sdkKey || !table.mediaFolder.has_value()) {
            return ERROR_FILE_NOT_FOUND;
        }
        table.openKeys.push_back(std::make_unique<HKEY__>());
        *result = table.openKeys.back().get();
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize)
{
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!IsOpen(table, key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!table.mediaFolder.has_value() || !SameName(valueName != nullptr ? valueName : "", kSamplesPath)) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = REG_SZ;
    }
    const std::string& text = *table.mediaFolder;
    const auto needed = static_cast<DWORD>(text.size() + 1);
    if (data == nullptr) {
        if (dataSize != nullptr) {
            *dataSize = needed;
        }
        return ERROR_SUCCESS;
    }
    if (*dataSize < needed) {
        *dataSize = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, text.c_str(), needed);
    *dataSize = needed;
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    RegistryTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto open = std::find_if(table.openKeys.begin(), table.openKeys.end(),
                                   [key](const std::unique_ptr<HKEY__>& k) { return k.get() == key; });
    if (open == table.openKeys.end()) {
        return ERROR_INVALID_HANDLE;
    }
    table.openKeys.erase(open);
    return ERROR_SUCCESS;
}

LSTATUS RegistrySetMediaFolder(LPCSTR folder)
{
    if (folder == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryTable& table = Table();
    try {
        std::lock_guard lock(table.mutex);
        table.mediaFolder = folder;
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegistryRemoveMediaFolder()
{
    RegistryTable& table = Table();
    std::lock_guard lock(table.mutex);
    if (!table.mediaFolder.has_value()) {
        return ERROR_FILE_NOT_FOUND;
    }
    table.mediaFolder.reset();
    return ERROR_SUCCESS;
}

void RegistryRestoreDefaults()
{
    RegistryTable& table = Table();
    std::lock_guard lock(table.mutex);
    try {
        table.mediaFolder = DefaultMediaFolder();
    } catch (const std::bad_alloc&) {
        // The value stays as it was; tests that need the default will see the difference.
    }
}
