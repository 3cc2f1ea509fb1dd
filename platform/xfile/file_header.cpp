// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the X-file header.
#include "platform/xfile/file_header.h"

#include "platform/xfile/dxfile.h"

namespace xfile {

HRESULT ReadFileHeader(std::string_view file, FileHeader& header)
{
    if (file.size() < kFileHeaderBytes || file.substr(0, 4) != "xof ") {
        return DXFILEERR_BADFILETYPE;
    }
    const std::string_view version = file.substr(4, 4);
    if (version != "0302" && version != "0303") {
        return DXFILEERR_BADFILEVERSION;
    }
    const std::string_view format = file.substr(8, 4);
    if (format == "txt " || format == "tzip") {
        header.binary = false;
        header.compressed = format == "tzip";
    } else if (format == "bin " || format == "bzip") {
        header.binary = true;
        header.compressed = format == "bzip";
    } else {
        return DXFILEERR_BADFILETYPE;
    }
    const std::string_view floatSize = file.substr(12, 4);
    if (floatSize == "0032") {
        header.floatBytes = 4;
    } else if (floatSize == "0064") {
        header.floatBytes = 8;
    } else {
        return DXFILEERR_BADFILEFLOATSIZE;
    }
    return DXFILE_OK;
}

} // namespace xfile
