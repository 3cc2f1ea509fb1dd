// SPDX-License-Identifier: GPL-3.0-or-later
// The file services the media lookup needs: full path names and a test that a file opens for reading.
// Paths are the system's native ones (UTF-8, separated by '/').
#pragma once

#include "platform/base/win_types.h"

// The longest path, terminator included, that the show's path buffers hold.
constexpr DWORD MAX_PATH = 260;

// Writes the absolute, lexically normalised form of fileName (relative names are taken from the
// current directory; no file needs to exist) and returns its length without the terminator. When
// bufferLength is too small nothing is written and the length needed, terminator included, is
// returned. 0 on failure (null or empty name). *filePart, when asked for, points at the last name
// in buffer, or is null when the path ends with a separator.
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

// True when path names a regular file (links followed) that can be opened for reading. Folders and
// special files such as pipes count as not opening, so the test never waits.
bool FileOpensForReading(LPCSTR path);
