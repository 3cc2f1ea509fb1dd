// SPDX-License-Identifier: GPL-3.0-or-later
// Compressed X files ("tzip", "bzip"): after the header, the whole file's uncompressed size and
// MSZIP blocks, each a "CK" signature and raw deflate data of at most 32 KiB of output, every block
// using the output before it as its dictionary.
#pragma once

#include "platform/base/win_types.h"

#include <string>
#include <string_view>

namespace xfile {

// Largest output of one block.
constexpr std::size_t kMsZipBlockBytes = 32768;

// Inflates `body` (the file after its 16-byte header) into `plain`. DXFILEERR_BADFILE for a block
// or size that does not hold together, DXFILEERR_BADALLOC for output beyond the file size limit.
HRESULT InflateMsZip(std::string_view body, std::string& plain);

} // namespace xfile
