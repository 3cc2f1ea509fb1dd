// SPDX-License-Identifier: GPL-3.0-or-later
// The in-process registry table: values under full key paths, and the keys handed out as handles.
#include "platform/win/registry.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <vector>

struct HKEY__ {
    std::string path;
};

namespace {

struct RegistryValue {
    std::string keyPath;
    std::string name;
    std::string text;
};

struct RegistryTable {
    std::mutex mutex;
    std::vector<RegistryValue> values;
    std::vector<std::unique_ptr<HKEY__>> openKeys;
};

constexpr std::string_view kLocalMachinePath = "HKEY_LOCAL_MACHINE";

// The data folder beside the running program (a build, or an install moved elsewhere) when it holds
// the media; otherwise the folder chosen at build time.
std::string DataFolder()
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
    return FIREWORKS_INSTALL_DATA_DIR;
#else
    return {};
#endif
}

std::vector<RegistryValue> DefaultValues()
{
    std::vector<RegistryValue> values;
    const std::string folder = DataFolder();
    if (!folder.empty()) {
        values.push_back({std::string(kLocalMachinePath) + "\\Software\\Microsoft\\DirectX SDK",
                          "DX81SDK Samples Path", folder});
    }
    return values;
}

RegistryTable& Table()
{
    static RegistryTable table{{}, DefaultValues(), {}};
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

// The path a handle stands for; false for a handle that is neither a root nor open. Table lock held.
bool KeyPathOf(RegistryTable& table, HKEY key, std::string* path)
{
    if (key == HKEY_LOCAL_MACHINE) {
        *path = kLocalMachinePath;
        return true;
    }
    for (const auto& open : table.openKeys) {
        if (open.get() == key) {
            *path = open->path;
            return true;
        }
    }
    return false;
}

std::string JoinPath(const std::string& keyPath, LPCSTR subKey)
{
    if (subKey == nullptr || subKey[0] == '\0') {
        return keyPath;
    }
    return keyPath + "\\" + subKey;
}

// A key exists while some value lives in it or in a key below it. Table lock held.
bool KeyExists(const RegistryTable& table, std::string_view path)
{
    if (SameName(path, kLocalMachinePath)) {
        return true;
    }
    return std::any_of(table.values.begin(), table.values.end(), [&](const RegistryValue& value) {
        const std::string_view keyPath = value.keyPath;
        return SameName(keyPath, path) ||
               (keyPath.size() > path.size() && keyPath[path.size()] == '\\' &&
                SameName(keyPath.substr(0, path.size()), path));
    });
}

RegistryValue* FindValue(RegistryTable& table, std::string_view keyPath, std::string_view name)
{
    for (auto& value : table.values) {
        if (SameName(value.keyPath, keyPath) && SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
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
        std::string parentPath;
        if (!KeyPathOf(table, key, &parentPath)) {
            return ERROR_INVALID_HANDLE;
        }
        std::string path = JoinPath(parentPath, subKey);
        if (!KeyExists(table, path)) {
            return ERROR_FILE_NOT_FOUND;
        }
        table.openKeys.push_back(std::make_unique<HKEY__>(HKEY__{std::move(path)}));
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
    try {
        std::lock_guard lock(table.mutex);
        std::string keyPath;
        if (!KeyPathOf(table, key, &keyPath)) {
            return ERROR_INVALID_HANDLE;
        }
        const RegistryValue* value = FindValue(table, keyPath, valueName != nullptr ? valueName : "");
        if (value == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (type != nullptr) {
            *type = REG_SZ;
        }
        const auto needed = static_cast<DWORD>(value->text.size() + 1);
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
        std::memcpy(data, value->text.c_str(), needed);
        *dataSize = needed;
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
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

LSTATUS RegistrySetString(HKEY root, LPCSTR subKey, LPCSTR valueName, LPCSTR text)
{
    if (text == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryTable& table = Table();
    try {
        std::lock_guard lock(table.mutex);
        std::string rootPath;
        if (!KeyPathOf(table, root, &rootPath)) {
            return ERROR_INVALID_HANDLE;
        }
        const std::string keyPath = JoinPath(rootPath, subKey);
        const std::string name = valueName != nullptr ? valueName : "";
        if (RegistryValue* value = FindValue(table, keyPath, name)) {
            value->text = text;
        } else {
            table.values.push_back({keyPath, name, text});
        }
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LSTATUS RegistryRemoveValue(HKEY root, LPCSTR subKey, LPCSTR valueName)
{
    RegistryTable& table = Table();
    try {
        std::lock_guard lock(table.mutex);
        std::string rootPath;
        if (!KeyPathOf(table, root, &rootPath)) {
            return ERROR_INVALID_HANDLE;
        }
        const std::string keyPath = JoinPath(rootPath, subKey);
        const std::string_view name = valueName != nullptr ? valueName : "";
        const auto removed = std::remove_if(table.values.begin(), table.values.end(), [&](const RegistryValue& v) {
            return SameName(v.keyPath, keyPath) && SameName(v.name, name);
        });
        if (removed == table.values.end()) {
            return ERROR_FILE_NOT_FOUND;
        }
        table.values.erase(removed, table.values.end());
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

void RegistryRestoreDefaults()
{
    RegistryTable& table = Table();
    std::lock_guard lock(table.mutex);
    try {
        table.values = DefaultValues();
    } catch (const std::bad_alloc&) {
        // The table keeps what it held; tests that need the defaults will see the difference.
    }
}
