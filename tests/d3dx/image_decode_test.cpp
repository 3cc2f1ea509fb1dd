// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding each image format through the checked readers and the libraries, the size limits, and
// hostile files that must be refused with a reason rather than read past a table.
#include "d3dx/d3dx_texture.h"
#include "d3dx/image_decode.h"

#include <gtest/gtest.h>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

// Red rising left to right, green top to bottom, blue constant; alpha from top to bottom when asked.
Bytes Gradient(UINT width, UINT height, bool alpha)
{
    Bytes rgba(std::size_t{width} * height * 4);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            BYTE* texel = &rgba[(std::size_t{y} * width + x) * 4];
            texel[0] = static_cast<BYTE>(x * 255 / (width - 1));
            texel[1] = static_cast<BYTE>(y * 255 / (height - 1));
            texel[2] = 96;
            texel[3] = alpha ? static_cast<BYTE>(255 - y * 255 / (height - 1)) : 255;
        }
    }
    return rgba;
}

Bytes EncodePng(const Bytes& rgba, UINT width, UINT height, bool alpha)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = width;
    png.height = height;
    png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    Bytes packed;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        packed.insert(packed.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i),
                      rgba.begin() + static_cast<std::ptrdiff_t>(i + (alpha ? 4 : 3)));
    }
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&png, nullptr, &size, 0, packed.data(), 0, nullptr);
    Bytes out(size);
    EXPECT_NE(png_image_write_to_memory(&png, out.data(), &size, 0, packed.data(), 0, nullptr), 0);
    out.resize(size);
    return out;
}

Bytes EncodeJpeg(const Bytes& rgba, UINT width, UINT height, bool grey, bool progressive)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = grey ? 1 : 4;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_RGBA;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    Bytes row(std::size_t{width} * 4);
    while (info.next_scanline < height) {
        const BYTE* source = &rgba[std::size_t{info.next_scanline} * width * 4];
        for (UINT x = 0; x < width; ++x) {
            if (grey) {
                row[x] = source[x * 4 + 1];
            } else {
                std::copy(source + x * 4, source + x * 4 + 4, &row[x * 4]);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

int LargestDifference(const Bytes& a, const Bytes& b)
{
    int largest = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    return a.size() == b.size() ? largest : 1000;
}

void PutBigEndian(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<BYTE>(value >> shift));
    }
}

// A PNG chunk with its length and checksum.
void PutChunk(Bytes& out, const char* type, const Bytes& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBigEndian(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

TEST(ImageDecode, PngAndJpegThroughTheLibraries)
{
    const Bytes opaque = Gradient(33, 17, false);
    const Bytes translucent = Gradient(33, 17, true);
    DecodedImage image;

    ASSERT_EQ(DecodeImage(EncodePng(translucent, 33, 17, true).data(), EncodePng(translucent, 33, 17, true).size(),
                          &image),
              S_OK);
    EXPECT_EQ(image.format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(image.rgba, translucent);
    const Bytes rgbPng = EncodePng(opaque, 33, 17, false);
    ASSERT_EQ(DecodeImage(rgbPng.data(), rgbPng.size(), &image), S_OK);
    EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(image.rgba, opaque);

    for (const bool progressive : {false, true}) {
        const Bytes jpeg = EncodeJpeg(opaque, 33, 17, false, progressive);
        ASSERT_EQ(DecodeImage(jpeg.data(), jpeg.size(), &image), S_OK);
        EXPECT_EQ(image.width, 33u);
        EXPECT_EQ(image.height, 17u);
        EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
        EXPECT_LE(LargestDifference(image.rgba, opaque), 24);
    }
    // Grey JPEG images come out as grey RGB.
    const Bytes grey = EncodeJpeg(opaque, 33, 17, true, false);
    ASSERT_EQ(DecodeImage(grey.data(), grey.size(), &image), S_OK);
    EXPECT_EQ(image.rgba[4 * 33 * 16 + 0], image.rgba[4 * 33 * 16 + 2]);
    EXPECT_GT(image.rgba[4 * 33 * 16 + 1], 230);
}

TEST(ImageDecode, HostileFilesAreRefusedWithAReason)
{
    // Huffman tables whose counts add up to more than the 256 codes a table can hold.
    for (const int perLength : {17, 16}) {
        Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xC4};
        const int values = perLength * 16;
        const int length = 2 + 1 + 16 + values;
        jpeg.push_back(static_cast<BYTE>(length >> 8));
        jpeg.push_back(static_cast<BYTE>(length & 0xFF));
        jpeg.push_back(0x00);
        jpeg.insert(jpeg.end(), 16, static_cast<BYTE>(perLength));
        jpeg.insert(jpeg.end(), values, 0x01);
        jpeg.insert(jpeg.end(), {0xFF, 0xD9});
        DecodedImage image;
        std::string reason;
        EXPECT_EQ(DecodeImage(jpeg.data(), jpeg.size(), &image, {}, &reason), D3DXERR_INVALIDDATA) << perLength;
        EXPECT_NE(reason.find("JPEG: "), std::string::npos) << reason;
        EXPECT_TRUE(image.rgba.empty());
    }

    // A PNG with a sound header and a broken checksum, and one cut inside its data.
    const Bytes png = EncodePng(Gradient(8, 8, false), 8, 8, false);
    Bytes badCrc = png;
    ASSERT_GT(badCrc.size(), 30u);
    badCrc.at(29) = static_cast<BYTE>(badCrc.at(29) ^ 0xFF);
    Bytes cut(png.begin(), png.end() - 20);
    for (const Bytes& file : {badCrc, cut}) {
        DecodedImage image;
        std::string reason;
        EXPECT_EQ(DecodeImage(file.data(), file.size(), &image, {}, &reason), D3DXERR_INVALIDDATA);
        EXPECT_EQ(reason.rfind("PNG: ", 0), 0u) << reason;
    }

    // Run-length Targa images: a run past the last texel, an index past the colour map.
    const Bytes runPast = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0x20, 0x82, 1, 2, 3};
    Bytes indexPast = {0, 1, 9, 0, 0, 2, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20, 1, 2, 3, 4, 5, 6, 0x81, 5};
    const Bytes goodRun = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0x20, 0x81, 1, 2, 3};
    for (const Bytes& file : {runPast, indexPast}) {
        DecodedImage image;
        std::string reason;
        EXPECT_EQ(DecodeImage(file.data(), file.size(), &image, {}, &reason), D3DXERR_INVALIDDATA);
        EXPECT_NE(reason.find("targa"), std::string::npos) << reason;
    }
    DecodedImage image;
    ASSERT_EQ(DecodeImage(goodRun.data(), goodRun.size(), &image), S_OK);
    EXPECT_EQ(image.rgba, (Bytes{3, 2, 1, 255, 3, 2, 1, 255}));
    indexPast.back() = 1;
    ASSERT_EQ(DecodeImage(indexPast.data(), indexPast.size(), &image), S_OK);
    EXPECT_EQ(image.rgba, (Bytes{6, 5, 4, 255, 6, 5, 4, 255}));
}

TEST(ImageDecode, SizeLimitsHoldBeforeAnythingIsAllocated)
{
    // A 1-bit bitmap header for 16384 x 16384 texels: 32 MB of file, a gigabyte of texels.
    Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0, 0, 0x40, 0, 0, 0, 0x40, 0, 0, 1, 0, 1, 0};
    bmp.resize(62 + 4096, 0);
    // A PNG header for 20000 x 20000 texels, with no texels after it.
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBigEndian(header, 20000);
    PutBigEndian(header, 20000);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", {});
    PutChunk(png, "IEND", {});
    // A complete Targa image over a small budget.
    Bytes tga = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 64, 0, 64, 0, 8, 0x20};
    tga.resize(tga.size() + 64 * 64, 0x80);

    ImageLimits small;
    small.maxPixels = 1024;
    // The reason names the limit that failed, and only that one.
    const struct {
        const Bytes& file;
        ImageLimits limits;
        const char* named;
        const char* notNamed;
    } cases[] = {{bmp, {}, "64 megapixels", "largest side"},
                 {png, {}, "largest side allowed, 16384 x 16384", "megapixels"},
                 {tga, small, "more than 1024 texels", "16384"}};
    for (const auto& c : cases) {
        DecodedImage image;
        std::string reason;
        bool tooLarge = false;
        EXPECT_EQ(DecodeImage(c.file.data(), c.file.size(), &image, c.limits, &reason, &tooLarge), D3DXERR_INVALIDDATA);
        EXPECT_TRUE(tooLarge) << reason;
        EXPECT_NE(reason.find(c.named), std::string::npos) << reason;
        EXPECT_EQ(reason.find(c.notNamed), std::string::npos) << reason;
    }
    DecodedImage image;
    EXPECT_EQ(DecodeImage(tga.data(), tga.size(), &image), S_OK);
}

} // namespace
