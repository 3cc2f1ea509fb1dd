// Image decoding: bitmap headers are read and checked here, because the stb decoder pads a short file
// with zeros and reads palette entries it never loaded; the pixels themselves are decoded by stb.
#include "d3dx/image_decode.h"

#include <stb_image.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "d3dx/d3dx_texture.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;

DWORD Read16(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8);
}

DWORD Read32(const BYTE* p)
{
    return Read16(p) | (Read16(p + 2) << 16);
}

unsigned BitCount(DWORD mask)
{
    unsigned n = 0;
    for (; mask != 0; mask &= mask - 1) {
        ++n;
    }
    return n;
}

// The decoder shifts each channel into 8 bits: it needs red, green and blue, and at most 8 bits each.
bool MasksUsable(DWORD red, DWORD green, DWORD blue, DWORD alpha)
{
    if (red == 0 || green == 0 || blue == 0 || (red == green && green == blue)) {
        return false;
    }
    return BitCount(red) <= 8 && BitCount(green) <= 8 && BitCount(blue) <= 8 && BitCount(alpha) <= 8;
}

// A palette index past the palette would read an entry the decoder never loaded.
bool PaletteIndicesValid(const BYTE* data, const BmpLayout& layout)
{
    const UINT perByte = 8 / layout.bitCount;
    const UINT mask = (1u << layout.bitCount) - 1u;
    for (UINT y = 0; y < layout.height; ++y) {
        const BYTE* row = data + layout.dataOffset + y * layout.rowStride;
        for (UINT x = 0; x < layout.width; ++x) {
            const UINT shift = 8 - layout.bitCount * (x % perByte + 1);
            if (((row[x / perByte] >> shift) & mask) >= layout.paletteSize) {
                return false;
            }
        }
    }
    return true;
}

// True when any texel has a non-zero alpha field; an all-zero field is padding, not alpha.
bool AnyAlpha(const BYTE* data, const BmpLayout& layout)
{
    const UINT bytes = layout.bitCount / 8;
    for (UINT y = 0; y < layout.height; ++y) {
        const BYTE* row = data + layout.dataOffset + y * layout.rowStride;
        for (UINT x = 0; x < layout.width; ++x) {
            const DWORD texel = bytes == 4 ? Read32(row + 4 * x) : Read16(row + 2 * x);
            if ((texel & layout.alphaMask) != 0) {
                return true;
            }
        }
    }
    return false;
}

enum class ImageKind { Unknown, Bmp, Png, Jpeg, Tga };

// The four file formats of the loading library. The decoder reads more (GIF, PSD, HDR, PNM, ...), but
// those readers are left closed: fewer paths for a hostile file, and one of them can loop on bad data.
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

HRESULT DecodeWithStb(const BYTE* data, std::size_t size, UINT width, UINT height, DecodedImage* image)
{
    int w = 0;
    int h = 0;
    int channels = 0;
    // Rows stay top row first on this thread, whatever another user of the decoder chose globally.
    stbi_set_flip_vertically_on_load_thread(0);
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &channels, 4);
    if (pixels == nullptr) {
        return D3DXERR_INVALIDDATA;
    }
    HRESULT hr = D3DXERR_INVALIDDATA;
    if (static_cast<UINT>(w) == width && static_cast<UINT>(h) == height) {
        try {
            image->rgba.assign(pixels, pixels + std::size_t{width} * height * 4);
            image->width = width;
            image->height = height;
            hr = S_OK;
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
    }
    stbi_image_free(pixels);
    return hr;
}

} // namespace

HRESULT ReadBmpLayout(const BYTE* data, std::size_t size, BmpLayout* layout)
{
    if (data == nullptr || layout == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') {
        return D3DXERR_INVALIDDATA;
    }
    const std::size_t dataOffset = Read32(data + 10);
    const DWORD headerSize = Read32(data + 14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 56 && headerSize != 108 && headerSize != 124) {
        return D3DXERR_INVALIDDATA;
    }
    if (size < kFileHeaderSize + headerSize) {
        return D3DXERR_INVALIDDATA;
    }
    const BYTE* info = data + kFileHeaderSize;

    std::int64_t width = 0;
    std::int64_t height = 0;
    DWORD planes = 0;
    DWORD bitCount = 0;
    DWORD compression = 0;
    if (headerSize == 12) {
        width = Read16(info + 4);
        height = Read16(info + 6);
        planes = Read16(info + 8);
        bitCount = Read16(info + 10);
    } else {
        width = static_cast<std::int32_t>(Read32(info + 4));
        height = static_cast<std::int32_t>(Read32(info + 8));
        planes = Read16(info + 12);
        bitCount = Read16(info + 14);
        compression = Read32(info + 16);
    }
    // A negative height marks a top-down bitmap; the size is its magnitude.
    if (height < 0) {
        height = -height;
    }
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide || planes != 1) {
        return D3DXERR_INVALIDDATA;
    }
    const bool bitCountKnown = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                               bitCount == 24 || bitCount == 32;
    if (!bitCountKnown || (headerSize == 12 && (bitCount == 16 || bitCount == 32))) {
        return D3DXERR_INVALIDDATA;
    }
    // Plain texels (0) or texels described by channel masks (3); run-length and embedded images are not read.
    const bool bitFields = compression == 3;
    if (compression != 0 && !(bitFields && (bitCount == 16 || bitCount == 32))) {
        return D3DXERR_INVALIDDATA;
    }
    // The 56-byte header keeps its masks inside itself, where the decoder does not look for them.
    if (bitFields && headerSize == 56) {
        return D3DXERR_INVALIDDATA;
    }

    std::size_t headersEnd = kFileHeaderSize + headerSize;
    DWORD alphaMask = 0;
    if (bitCount == 16 || bitCount == 32) {
        DWORD red = 0;
        DWORD green = 0;
        DWORD blue = 0;
        if (bitFields) {
            // The 40-byte header is followed by three masks; the longer headers hold four inside.
            const BYTE* masks = info + 40;
            if (headerSize == 40) {
                headersEnd += 12;
                if (size < headersEnd) {
                    return D3DXERR_INVALIDDATA;
                }
            } else {
                alphaMask = Read32(masks + 12);
            }
            red = Read32(masks);
            green = Read32(masks + 4);
            blue = Read32(masks + 8);
        } else if (bitCount == 32) {
            // Plain 32-bit texels keep a fourth byte that may hold alpha.
            red = 0x00FF0000;
            green = 0x0000FF00;
            blue = 0x000000FF;
            alphaMask = 0xFF000000u;
        } else {
            red = 0x7C00;
            green = 0x03E0;
            blue = 0x001F;
            // The long headers keep their alpha mask even for plain 16-bit texels.
            if (headerSize >= 108) {
                alphaMask = Read32(info + 52);
            }
        }
        if (!MasksUsable(red, green, blue, alphaMask)) {
            return D3DXERR_INVALIDDATA;
        }
    }

    UINT paletteSize = 0;
    if (bitCount <= 8) {
        // The decoder counts the palette from the pixel offset; for the 12-byte header it subtracts
        // 24 bytes instead of 12, so the last four entries of such a palette are never loaded.
        const std::size_t entrySize = headerSize == 12 ? 3 : 4;
        const std::size_t paletteStart = headerSize == 12 ? kFileHeaderSize + 24 : headersEnd;
        if (dataOffset < paletteStart + entrySize) {
            return D3DXERR_INVALIDDATA;
        }
        const std::size_t entries = (dataOffset - paletteStart) / entrySize;
        if (entries > 256) {
            return D3DXERR_INVALIDDATA;
        }
        paletteSize = static_cast<UINT>(entries);
    } else if (dataOffset != headersEnd) {
        // Without a palette the decoder expects the pixels right after the headers.
        return D3DXERR_INVALIDDATA;
    }

    const std::size_t rowStride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    const std::size_t pixelBytes = rowStride * static_cast<std::size_t>(height);
    if (dataOffset > size || size - dataOffset < pixelBytes) {
        return D3DXERR_INVALIDDATA;
    }

    BmpLayout result{};
    result.width = static_cast<UINT>(width);
    result.height = static_cast<UINT>(height);
    result.bitCount = bitCount;
    result.compression = compression;
    result.alphaMask = alphaMask;
    result.paletteSize = paletteSize;
    result.dataOffset = dataOffset;
    result.rowStride = rowStride;
    if (bitCount <= 8 && !PaletteIndicesValid(data, result)) {
        return D3DXERR_INVALIDDATA;
    }
    result.hasAlpha = alphaMask != 0 && AnyAlpha(data, result);
    *layout = result;
    return S_OK;
}

HRESULT DecodeImage(const void* data, std::size_t size, DecodedImage* image)
{
    if (data == nullptr || image == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        return D3DXERR_INVALIDDATA;
    }
    const auto* bytes = static_cast<const BYTE*>(data);
    const ImageKind kind = ImageKindOf(bytes, size);
    if (kind == ImageKind::Unknown) {
        return D3DXERR_INVALIDDATA;
    }
    UINT width = 0;
    UINT height = 0;
    bool hasAlpha = false;
    if (kind == ImageKind::Bmp) {
        BmpLayout layout{};
        const HRESULT hr = ReadBmpLayout(bytes, size, &layout);
        if (FAILED(hr)) {
            return hr;
        }
        width = layout.width;
        height = layout.height;
        hasAlpha = layout.hasAlpha;
    } else {
        int w = 0;
        int h = 0;
        int channels = 0;
        if (stbi_info_from_memory(bytes, static_cast<int>(size), &w, &h, &channels) == 0) {
            return D3DXERR_INVALIDDATA;
        }
        if (w <= 0 || h <= 0 || static_cast<UINT>(w) > kMaxImageSide || static_cast<UINT>(h) > kMaxImageSide) {
            return D3DXERR_INVALIDDATA;
        }
        width = static_cast<UINT>(w);
        height = static_cast<UINT>(h);
        // Grey with alpha (2) and RGBA (4) carry an alpha channel.
        hasAlpha = channels == 2 || channels == 4;
    }
    const HRESULT hr = DecodeWithStb(bytes, size, width, height, image);
    if (FAILED(hr)) {
        return hr;
    }
    image->format = hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (!hasAlpha) {
        // Without alpha in the file every texel is opaque, whatever the decoder made of a padding byte.
        for (std::size_t i = 3; i < image->rgba.size(); i += 4) {
            image->rgba[i] = 255;
        }
    }
    return S_OK;
}
