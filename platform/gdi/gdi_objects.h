// SPDX-License-Identifier: GPL-3.0-or-later
// The objects behind the GDI handles, and the table of live ones that every call checks its
// handles against. Callers hold GdiLock() for the whole of a call.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/gdi/glyph_rasterizer.h"

#include <memory>
#include <mutex>
#include <vector>

enum class GdiKind { DeviceContext, Bitmap, Font };

struct GdiObject {
    explicit GdiObject(GdiKind kind_) : kind(kind_) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    GdiKind kind;
    // DCs this object is selected into; it cannot be deleted while any holds it.
    int selections = 0;
    // Stock objects belong to the layer and are never deleted.
    bool stock = false;
};

struct HBITMAP__ final : GdiObject {
    HBITMAP__() : GdiObject(GdiKind::Bitmap) {}

    int width = 0;
    int height = 0;
    bool topDown = true;
    // B, G, R, unused: four bytes a pixel, rows as the header ordered them.
    std::vector<BYTE> pixels;

    // The pixel at (x, y) with y = 0 the top row; the caller keeps x and y inside.
    BYTE* Pixel(int x, int y)
    {
        const int row = topDown ? y : height - 1 - y;
        return pixels.data() + (static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    }
};

struct HFONT__ final : GdiObject {
    HFONT__() : GdiObject(GdiKind::Font) {}

    // Null for the stock font, which draws and measures nothing.
    std::unique_ptr<GlyphRasterizer> glyphs;
    int weight = FW_NORMAL;
    bool italic = false;
};

struct HDC__ final : GdiObject {
    HDC__() : GdiObject(GdiKind::DeviceContext) {}

    HBITMAP__* bitmap = nullptr;
    HFONT__* font = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    UINT textAlign = TA_LEFT | TA_TOP;
    int mapMode = MM_TEXT;
};

// Serialises every GDI call: objects are shared by handle between threads.
std::unique_lock<std::mutex> GdiLock();

// Adds a new object under its handle (the derived object's address); false, and nothing added,
// when memory runs out.
bool RegisterGdiObject(const void* handle, GdiObject* object);
// Removes a registered, non-stock object from the table and deletes it.
void DestroyGdiObject(const void* handle);
// The live object behind a handle, of any kind; null for anything else.
GdiObject* FindGdiObject(const void* handle);

// The live object of the given kind behind a handle, or null.
template <typename T>
T* FindGdi(const void* handle, GdiKind kind)
{
    GdiObject* object = FindGdiObject(handle);
    return object != nullptr && object->kind == kind ? static_cast<T*>(object) : nullptr;
}

inline HDC__* FindDC(HDC hdc) { return FindGdi<HDC__>(hdc, GdiKind::DeviceContext); }

// What a new memory DC holds: a 1 x 1 bitmap and a font without a face.
HBITMAP__* StockBitmap();
HFONT__* StockFont();
