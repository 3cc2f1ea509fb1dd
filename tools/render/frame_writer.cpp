// SPDX-License-Identifier: GPL-3.0-or-later
// The back buffer read through the surface interface, and PNG frames through stb's writer.
#include "tools/render/frame_writer.h"

#include <stb_image_write.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The PNG's bytes as the encoder hands them over, written with every write checked.
struct PngFile {
    std::FILE* file = nullptr;
    int failure = 0;
};

extern "C" void WritePngBytes(void* context, void* data, int size)
{
    auto* png = static_cast<PngFile*>(context);
    if (png->failure == 0 && std::fwrite(data, 1, static_cast<std::size_t>(size), png->file) !=
                                 static_cast<std::size_t>(size)) {
        png->failure = errno != 0 ? errno : EIO;
    }
}

} // namespace

BackBufferLock::BackBufferLock(IDirect3DDevice8* device)
{
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface)) || surface == nullptr) {
        surface = nullptr;
        failure = "the back buffer cannot be read";
        return;
    }
    surface->GetDesc(&desc);
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        locked = {};
        failure = "the back buffer cannot be locked";
    }
}

BackBufferLock::~BackBufferLock()
{
    if (surface != nullptr) {
        if (failure == nullptr) {
            surface->UnlockRect();
        }
        surface->Release();
    }
}

bool BackBufferLock::Ok(std::string& error) const
{
    if (failure != nullptr) {
        error = failure;
        return false;
    }
    return true;
}

bool WriteBackBufferPng(IDirect3DDevice8* device, const std::string& path, std::string& error)
{
    std::vector<std::uint8_t> rgb;
    UINT width = 0;
    UINT height = 0;
    {
        const BackBufferLock frame(device);
        if (!frame.Ok(error)) {
            return false;
        }
        width = frame.Desc().Width;
        height = frame.Desc().Height;
        // PNG wants R, G, B bytes.
        rgb.resize(static_cast<std::size_t>(width) * height * 3);
        for (UINT y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(frame.Row(y));
            std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * width * 3;
            for (UINT x = 0; x < width; ++x) {
                out[3 * x + 0] = static_cast<std::uint8_t>(row[x] >> 16);
                out[3 * x + 1] = static_cast<std::uint8_t>(row[x] >> 8);
                out[3 * x + 2] = static_cast<std::uint8_t>(row[x]);
            }
        }
    }
    // stb's own file writer ignores failed writes: a full disk would leave empty frames behind.
    PngFile png;
    png.file = std::fopen(path.c_str(), "wb");
    if (png.file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    errno = 0;
    const int encoded = stbi_write_png_to_func(WritePngBytes, &png, static_cast<int>(width), static_cast<int>(height),
                                               3, rgb.data(), static_cast<int>(width) * 3);
    if (std::fflush(png.file) != 0 && png.failure == 0) {
        png.failure = errno;
    }
    if (std::fclose(png.file) != 0 && png.failure == 0) {
        png.failure = errno;
    }
    if (encoded == 0 || png.failure != 0) {
        error = "cannot write " + path + ": " + (png.failure != 0 ? std::strerror(png.failure) : "the encoder failed");
        return false;
    }
    return true;
}
