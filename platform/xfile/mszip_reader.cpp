// SPDX-License-Identifier: GPL-3.0-or-later
// MSZIP blocks through zlib's raw inflate. Every size is checked before it is used: a block's
// output must be exactly what its header says, and the total what the file header says.
#include "platform/xfile/mszip_reader.h"

#include "platform/xfile/dxfile.h"
#include "platform/xfile/read_failure.h"
#include "platform/xfile/xfile_limits.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>

namespace xfile {

namespace {

constexpr std::size_t kHeaderBytes = 16;

std::uint32_t Read16(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t Read32(std::string_view bytes, std::size_t at)
{
    return Read16(bytes, at) | (Read16(bytes, at + 2) << 16);
}

// Owns the inflate state for the whole file.
class Inflater {
public:
    Inflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~Inflater()
    {
        if (ready_) {
            inflateEnd(&stream_);
        }
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool Ready() const { return ready_; }

    // One block: `input` deflated with `dictionary` as history must give exactly `output.size()` bytes.
    bool Block(std::string_view input, std::string_view dictionary, char* output, std::size_t outputBytes)
    {
        if (inflateReset(&stream_) != Z_OK) {
            return false;
        }
        if (!dictionary.empty() &&
            inflateSetDictionary(&stream_, reinterpret_cast<const Bytef*>(dictionary.data()),
                                 static_cast<uInt>(dictionary.size())) != Z_OK) {
            return false;
        }
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream_.avail_in = static_cast<uInt>(input.size());
        stream_.next_out = reinterpret_cast<Bytef*>(output);
        stream_.avail_out = static_cast<uInt>(outputBytes);
        return inflate(&stream_, Z_FINISH) == Z_STREAM_END && stream_.avail_out == 0;
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

HRESULT Refuse(HRESULT result, const char* why)
{
    NoteFailureDetail(why);
    return result;
}

} // namespace

HRESULT InflateMsZip(std::string_view body, std::string& plain)
{
    plain.clear();
    if (body.size() < 4) {
        return Refuse(DXFILEERR_BADFILE, "compressed file cut short");
    }
    // The size of the whole uncompressed file, its header included; the body is that less the header.
    const std::uint64_t declared = Read32(body, 0);
    if (declared < kHeaderBytes) {
        return Refuse(DXFILEERR_BADFILE, "compressed file declares no content");
    }
    const std::uint64_t expected = declared - kHeaderBytes;
    if (expected > kMaxFileBytes) {
        return Refuse(DXFILEERR_BADALLOC, "compressed file declares more than the size limit");
    }
    Inflater inflater;
    if (!inflater.Ready()) {
        return DXFILEERR_BADALLOC;
    }
    std::size_t at = 4;
    while (at < body.size()) {
        if (body.size() - at < 6) {
            return Refuse(DXFILEERR_BADFILE, "compressed block header cut short");
        }
        const std::size_t outputBytes = Read16(body, at);
        const std::size_t inputBytes = Read16(body, at + 2);
        at += 4;
        if (outputBytes == 0 || outputBytes > kMsZipBlockBytes || inputBytes < 2 || inputBytes > body.size() - at ||
            body.substr(at, 2) != "CK") {
            return Refuse(DXFILEERR_BADFILE, "malformed compressed block");
        }
        // Output never grows past what the header promised, so a small file cannot ask for much.
        if (plain.size() + outputBytes > expected) {
            return Refuse(DXFILEERR_BADFILE, "compressed blocks hold more than the file header says");
        }
        const std::size_t start = plain.size();
        plain.resize(start + outputBytes);
        const std::size_t history = std::min(start, kMsZipBlockBytes);
        const std::string_view dictionary(plain.data() + start - history, history);
        if (!inflater.Block(body.substr(at + 2, inputBytes - 2), dictionary, plain.data() + start, outputBytes)) {
            return Refuse(DXFILEERR_BADFILE, "corrupt compressed block");
        }
        at += inputBytes;
    }
    if (plain.size() != expected) {
        return Refuse(DXFILEERR_BADFILE, "compressed blocks hold less than the file header says");
    }
    return DXFILE_OK;
}

} // namespace xfile
