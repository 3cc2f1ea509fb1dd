// SPDX-License-Identifier: GPL-3.0-or-later
// The 16-byte header that opens every X file: "xof 0303txt 0032" and its variants.
#pragma once

#include "platform/base/win_types.h"

#include <cstddef>
#include <string_view>

namespace xfile {

constexpr std::size_t kFileHeaderBytes = 16;

struct FileHeader {
    bool binary = false;
    // MSZIP blocks follow ("tzip" or "bzip").
    bool compressed = false;
    // 4 or 8: the size of the file's floats.
    std::size_t floatBytes = 4;
};

// Checks magic, version (0302 or 0303), format (txt, bin, tzip or bzip) and float size (0032 or
// 0064), in that order, with the platform's codes.
HRESULT ReadFileHeader(std::string_view file, FileHeader& header);

} // namespace xfile
