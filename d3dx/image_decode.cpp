// SPDX-License-Identifier: GPL-3.0-or-later
// Image decoding: the format is told from the first bytes, then the format's decoder runs within the
// limits; what it leaves is the same for every format.
#include "d3dx/image_decode.h"

#include <climits>
#include <cstring>
#include <new>

#include "d3dx/d3dx_texture.h"
#include "d3dx/image_formats.h"

namespace {

enum class ImageKind { Unknown, Bmp, Png, Jpeg, Tga };

// The four file formats of the loading library; anything else is refused unread.
ImageKind ImageKindOf(const BYTE* data, std::size_t size)
{
    static constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        return ImageKind::Bmp;
    }
    if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) {
        return ImageKind::Png;
    }
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        return ImageKind::Jpeg;
    }
    // Targa has no signature: a colour-map flag of 0 or 1, a known image type and texel size. The flag
    // alone rules out the signatures of the other formats.
    if (size >= 18 && data[1] <= 1) {
        const BYTE type = data[2];
        const BYTE bits = data[16];
        const bool typeKnown = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
        const bool bitsKnown = bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
        if (typeKnown && bitsKnown) {
            return ImageKind::Tga;
        }
    }
    return ImageKind::Unknown;
}

} // namespace

HRESULT CheckImageSize(std::uint64_t width, std::uint64_t height, const ImageLimits& limits, DecodeResult& result)
{
    if (width == 0 || height == 0) {
        return RefuseImage(result, "image without texels");
    }
    // The reason names the limit that failed: a side, or the texel budget.
    if (width > limits.maxWidth || height > limits.maxHeight) {
        result.tooLarge = true;
        return RefuseImage(result, std::to_string(width) + " x " + std::to_string(height) +
                                       " texels, more than the largest side allowed, " +
                                       std::to_string(limits.maxWidth) + " x " + std::to_string(limits.maxHeight));
    }
    if (width * height > limits.maxPixels) {
        result.tooLarge = true;
        const bool wholeMegapixels = limits.maxPixels >= (1u << 20) && limits.maxPixels % (1u << 20) == 0;
        return RefuseImage(result, std::to_string(width) + " x " + std::to_string(height) + " texels, more than " +
                                       (wholeMegapixels ? std::to_string(limits.maxPixels >> 20) + " megapixels"
                                                        : std::to_string(limits.maxPixels) + " texels") +
                                       " in one image");
    }
    return S_OK;
}

HRESULT RefuseImage(DecodeResult& result, std::string reason)
{
    result.reason = std::move(reason);
    return D3DXERR_INVALIDDATA;
}

HRESULT AllocateTexels(DecodedImage& image, UINT width, UINT height)
{
    try {
        image.rgba.assign(std::size_t{width} * height * 4, 0);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    image.width = width;
    image.height = height;
    return S_OK;
}

HRESULT DecodeImage(const void* data, std::size_t size, DecodedImage* image, const ImageLimits& limits,
                    std::string* reason, bool* tooLarge)
{
    if (data == nullptr || image == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    DecodedImage decoded;
    DecodeResult result;
    result.image = &decoded;
    HRESULT hr = D3DXERR_INVALIDDATA;
    const auto* bytes = static_cast<const BYTE*>(data);
    if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        result.reason = size == 0 ? "empty file" : "file too large";
    } else {
        switch (ImageKindOf(bytes, size)) {
        case ImageKind::Bmp: hr = DecodeBmp(bytes, size, limits, result); break;
        case ImageKind::Png: hr = DecodePng(bytes, size, limits, result); break;
        case ImageKind::Jpeg: hr = DecodeJpeg(bytes, size, limits, result); break;
        case ImageKind::Tga: hr = DecodeTga(bytes, size, limits, result); break;
        case ImageKind::Unknown: result.reason = "not a bitmap, PNG, JPEG or Targa image"; break;
        }
    }
    if (hr == E_OUTOFMEMORY) {
        result.reason = "not enough memory for the texels";
    }
    if (reason != nullptr) {
        *reason = result.reason;
    }
    if (tooLarge != nullptr) {
        *tooLarge = result.tooLarge;
    }
    if (FAILED(hr)) {
        return hr;
    }
    decoded.format = result.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (!result.hasAlpha) {
        // Without alpha in the file every texel is opaque, whatever a padding byte held.
        for (std::size_t i = 3; i < decoded.rgba.size(); i += 4) {
            decoded.rgba[i] = 255;
        }
    }
    *image = std::move(decoded);
    return S_OK;
}
