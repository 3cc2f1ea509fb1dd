// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target of the image decoders: the input is decoded as an image file within small limits
// (so that the fuzzer spends its time on parsing, not on huge texel buffers), and the decoder's promises
// are checked: a result of the size it reports and a reason for every refusal.
#include "d3dx/d3dx_texture.h"
#include "d3dx/image_decode.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    ImageLimits limits;
    limits.maxWidth = 2048;
    limits.maxHeight = 2048;
    limits.maxPixels = std::uint64_t{1} << 20;

    DecodedImage image;
    std::string reason;
    bool tooLarge = false;
    const HRESULT hr = DecodeImage(bytes, size, &image, limits, &reason, &tooLarge);
    if (hr == S_OK) {
        Check(image.width > 0 && image.height > 0);
        Check(std::uint64_t{image.width} * image.height <= limits.maxPixels);
        Check(image.rgba.size() == std::size_t{image.width} * image.height * 4);
        Check(image.format == D3DFMT_A8R8G8B8 || image.format == D3DFMT_X8R8G8B8);
        // Read every texel, so that a short buffer shows.
        unsigned sum = 0;
        for (const BYTE value : image.rgba) {
            sum += value;
        }
        volatile unsigned sink = sum;
        (void)sink;
    } else {
        Check(hr == D3DXERR_INVALIDDATA || hr == E_OUTOFMEMORY);
        Check(!reason.empty());
        Check(image.rgba.empty());
    }

    BmpLayout layout{};
    if (ReadBmpLayout(bytes, size, &layout) == S_OK) {
        Check(layout.dataOffset + layout.rowStride * layout.height <= size);
    }
    return 0;
}
