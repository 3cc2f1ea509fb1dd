// SPDX-License-Identifier: GPL-3.0-or-later
// The registry as the show reads it: one key, the DirectX SDK's, holding one string value, the media
// folder. Key and value names compare without regard to ASCII case. The value is the data folder
// beside the program (in a build, or a moved install) when it holds the media, and otherwise the data
// folder chosen when the program was built.
#pragma once

#include <cstdint>

#include "platform/base/win_types.h"

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;
using LSTATUS = LONG;

// Predefined roots are fixed handle values, never opened or freed.
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_READ = 0x20019;

constexpr DWORD REG_SZ = 1;

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;

// Opens key\subKey (subKey may be null or empty: the key itself again). Only the SDK key opens, and
// only while it holds its value; anything else is ERROR_FILE_NOT_FOUND.
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM samDesired, HKEY* result);

// Copies a value's text with its terminator into data and its size into *dataSize (in: the buffer's
// size). With a null data only the size is reported; a buffer too small gets ERROR_MORE_DATA, the
// size needed, and nothing written.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);

LSTATUS RegCloseKey(HKEY key);

// For tests: set or remove the media-folder value, and go back to the value the program starts with.
// Keys open at the time stay open.
LSTATUS RegistrySetMediaFolder(LPCSTR folder);
LSTATUS RegistryRemoveMediaFolder();
void RegistryRestoreDefaults();
