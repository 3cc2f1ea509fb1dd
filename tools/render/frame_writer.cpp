// SPDX-License-Identifier: GPL-3.0-or-later
// The back buffer read through the surface interface, and PNG frames through stb's writer.
#include "tools/render/frame_writer.h"

#include <stb_image_write.h>

#include <cstdint>
#include <vector>

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
    if (stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3, rgb.data(),
                       static_cast<int>(width) * 3) == 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
