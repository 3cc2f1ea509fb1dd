// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG images through libjpeg-turbo, which checks its tables and counts against hostile files. Its
// errors come back through a long jump to this file's decoder and become a refusal with the library's
// own message; warnings are not printed. Progressive files are held to a number of scans, so that a
// small file cannot keep the decoder busy for minutes.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "d3dx/d3dx_texture.h"
#include "d3dx/image_formats.h"

namespace {

// Beyond this many scans a progressive file is refused; real files use about ten.
constexpr int kMaxScans = 256;

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnError(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorJump*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void Silent(j_common_ptr) {}

void LimitScans(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        auto* error = reinterpret_cast<ErrorJump*>(info->err);
        std::snprintf(error->message, sizeof error->message, "more than %d progressive scans", kMaxScans);
        std::longjmp(error->jump, 1);
    }
}

// The part that talks to the library: only plain data lives in this frame across the long jump.
// Returns 0 on success, 1 with a message, 2 when the texels cannot be held, 3 for a refused size.
int Decode(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result, ErrorJump& error)
{
    jpeg_decompress_struct info{};
    jpeg_progress_mgr progress{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpOnError;
    error.manager.output_message = Silent;
    error.message[0] = '\0';
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return 1;
    }
    jpeg_create_decompress(&info);
    progress.progress_monitor = LimitScans;
    info.progress = &progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (FAILED(CheckImageSize(info.image_width, info.image_height, limits, result))) {
        jpeg_destroy_decompress(&info);
        return 3;
    }
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        std::snprintf(error.message, sizeof error.message, "CMYK JPEG images are not read");
        jpeg_destroy_decompress(&info);
        return 1;
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    DecodedImage& image = *result.image;
    if (info.output_width != info.image_width || info.output_height != info.image_height ||
        info.output_components != 4) {
        std::snprintf(error.message, sizeof error.message, "the decoder gave %ux%u with %d components",
                      static_cast<unsigned>(info.output_width), static_cast<unsigned>(info.output_height),
                      info.output_components);
        jpeg_destroy_decompress(&info);
        return 1;
    }
    if (FAILED(AllocateTexels(image, info.output_width, info.output_height))) {
        jpeg_destroy_decompress(&info);
        return 2;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.rgba.data() + std::size_t{info.output_scanline} * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

} // namespace

HRESULT DecodeJpeg(const BYTE* data, std::size_t size, const ImageLimits& limits, DecodeResult& result)
{
    ErrorJump error{};
    switch (Decode(data, size, limits, result, error)) {
    case 0:
        return S_OK;
    case 2:
        return E_OUTOFMEMORY;
    case 3:
        return D3DXERR_INVALIDDATA;
    default:
        return RefuseImage(result, std::string("JPEG: ") + error.message);
    }
}
