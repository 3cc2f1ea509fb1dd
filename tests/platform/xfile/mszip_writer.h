// SPDX-License-Identifier: GPL-3.0-or-later
// Writes compressed X files for the tests: the plain file's header turned into tzip / bzip, the
// uncompressed size, then MSZIP blocks of raw deflate data, each using the output before it as its
// dictionary, as exporters write them.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace xfile_test {

inline void PutLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

// `plain` is a whole text or binary X file; blockBytes at most 32768.
inline std::string CompressXFile(std::string_view plain, std::size_t blockBytes = 32768)
{
    std::string out(plain.substr(0, 16));
    out.replace(8, 4, plain.substr(8, 4) == "bin " ? "bzip" : "tzip");
    PutLittleEndian(out, static_cast<std::uint32_t>(plain.size()), 4);
    const std::string_view body = plain.substr(16);
    for (std::size_t at = 0; at < body.size(); at += blockBytes) {
        const std::string_view block = body.substr(at, blockBytes);
        z_stream stream{};
        deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        const std::size_t history = std::min<std::size_t>(at, 32768);
        if (history > 0) {
            deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(body.data() + at - history),
                                 static_cast<uInt>(history));
        }
        std::string deflated(deflateBound(&stream, static_cast<uLong>(block.size())) + 16, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        stream.avail_in = static_cast<uInt>(block.size());
        stream.next_out = reinterpret_cast<Bytef*>(deflated.data());
        stream.avail_out = static_cast<uInt>(deflated.size());
        deflate(&stream, Z_FINISH);
        deflated.resize(stream.total_out);
        deflateEnd(&stream);
        PutLittleEndian(out, static_cast<std::uint32_t>(block.size()), 2);
        PutLittleEndian(out, static_cast<std::uint32_t>(deflated.size() + 2), 2);
        out += "CK";
        out += deflated;
    }
    return out;
}

} // namespace xfile_test
