// SPDX-License-Identifier: GPL-3.0-or-later
// PNG images through libpng's simplified reader, which checks chunk lengths, CRCs and the inflated
// data; the size is checked against the limits between reading the header and the texels.
#include <png.h>

#include "d3dx/d3dx_texture.h"
#include "d3dx/image_formats.h"

HRESULT DecodePng(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&png, data, size) == 0) {
        return RefuseImage(result, std::string("PNG: ") + png.message);
    }
    HRESULT hr = CheckImageSize(png.width, png.height, limits, result);
    if (FAILED(hr)) {
        png_image_free(&png);
        return hr;
    }
    // Alpha comes from an alpha channel or a transparency chunk.
    result.hasAlpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_RGBA;
    DecodedImage& image = *result.image;
    hr = AllocateTexels(image, png.width, png.height);
    if (FAILED(hr)) {
        png_image_free(&png);
        return hr;
    }
    if (png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return RefuseImage(result, std::string("PNG: ") + png.message);
    }
    return S_OK;
}
