// SPDX-License-Identifier: GPL-3.0-or-later
// The decoders behind DecodeImage, one per file format. Each reads and checks its header, checks the
// image's size against the limits before anything is allocated, and fills width, height, the RGBA
// texels and hasAlpha. D3DXERR_INVALIDDATA with a reason in words for a file it cannot read.
#pragma once

#include <cstddef>
#include <string>

#include "d3dx/image_decode.h"

struct DecodeResult {
    DecodedImage* image = nullptr;
    // True when the file carries alpha values that are not all zero.
    bool hasAlpha = false;
    // Why the file was refused.
    std::string reason;
    // The image is well formed but beyond the limits.
    bool tooLarge = false;
};

HRESULT DecodeBmp(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result);
HRESULT DecodeTga(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result);
HRESULT DecodeJpeg(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result);
HRESULT DecodePng(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result);

// Checks a size against the limits; a failure fills the result's reason.
HRESULT CheckImageSize(std::uint64_t width, std::uint64_t height, const ImageLimits& limits, DecodeResult& result);

// D3DXERR_INVALIDDATA with the reason recorded.
HRESULT RefuseImage(DecodeResult& result, std::string reason);

// Sizes the texel buffer; E_OUTOFMEMORY when it cannot be held.
HRESULT AllocateTexels(DecodedImage& image, UINT width, UINT height);
