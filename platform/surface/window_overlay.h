// SPDX-License-Identifier: GPL-3.0-or-later
// What the window system draws over a window's presented picture: the height of the menu-bar strip
// above the client area and up to two RGBA images (the menu bar and an open popup) with their
// positions in window pixels. The window thread writes it, the thread that presents reads it; the
// version tells the reader whether anything changed since it last uploaded.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

// One image over the window: top-left corner in window pixels, rows top first, bytes R, G, B, A.
struct OverlayImage {
    bool visible = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

class WindowOverlay {
public:
    enum Layer { MenuBar = 0, Popup = 1, LayerCount = 2 };

    // Pixels of the strip above the client area (0 without a menu bar).
    void SetBarHeight(int height)
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (barHeight != height) {
            barHeight = height;
            ++version;
        }
    }

    int BarHeight() const
    {
        std::lock_guard<std::mutex> hold(mutex);
        return barHeight;
    }

    // Takes the pixels over (rows of width × 4 bytes).
    void Show(Layer layer, int x, int y, int width, int height, std::vector<std::uint8_t>&& pixels)
    {
        std::lock_guard<std::mutex> hold(mutex);
        OverlayImage& image = images[layer];
        image.visible = width > 0 && height > 0 &&
                        pixels.size() >= static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
        image.x = x;
        image.y = y;
        image.width = width;
        image.height = height;
        image.pixels = std::move(pixels);
        ++version;
    }

    void Hide(Layer layer)
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (images[layer].visible) {
            images[layer].visible = false;
            ++version;
        }
    }

    // Calls read(version, barHeight, images) under the lock; keep the work short (an upload).
    template <typename Reader>
    void Read(Reader&& read) const
    {
        std::lock_guard<std::mutex> hold(mutex);
        read(version, barHeight, images);
    }

private:
    mutable std::mutex mutex;
    std::uint64_t version = 1;
    int barHeight = 0;
    OverlayImage images[LayerCount];
};
