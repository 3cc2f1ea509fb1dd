// Back buffer to PNG through the surface interface and stb's writer.
#include "tools/render/frame_writer.h"

#include <stb_image_write.h>

#include <cstdint>
#include <vector>

bool WriteBackBufferPng(IDirect3DDevice8* device, const std::string& path, std::string& error)
{
    IDirect3DSurface8* surface = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface)) || surface == nullptr) {
        error = "the back buffer cannot be read";
        return false;
    }
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        surface->Release();
        error = "the back buffer cannot be locked";
        return false;
    }
    // Rows come top first as X8R8G8B8 words; PNG wants R, G, B bytes.
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(desc.Width) * desc.Height * 3);
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                                 static_cast<std::size_t>(y) * locked.Pitch);
        std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * desc.Width * 3;
        for (UINT x = 0; x < desc.Width; ++x) {
            out[3 * x + 0] = static_cast<std::uint8_t>(row[x] >> 16);
            out[3 * x + 1] = static_cast<std::uint8_t>(row[x] >> 8);
            out[3 * x + 2] = static_cast<std::uint8_t>(row[x]);
        }
    }
    surface->UnlockRect();
    surface->Release();
    if (stbi_write_png(path.c_str(), static_cast<int>(desc.Width), static_cast<int>(desc.Height), 3, rgb.data(),
                       static_cast<int>(desc.Width) * 3) == 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
