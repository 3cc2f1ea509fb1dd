// SPDX-License-Identifier: GPL-3.0-or-later
// Memory DCs, DIB sections, selecting and deleting objects, and the DC's simple settings.
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

#include <cstdint>
#include <new>

namespace {

// Refused beyond these, so a wild header cannot ask for gigabytes.
constexpr LONG LargestDibSide = 16384;
constexpr std::int64_t LargestDibPixels = std::int64_t{64} * 1024 * 1024;

constexpr int ScreenDotsPerInch = 96;

// Moves one selection slot of a DC from its object to another, keeping the selection counts.
template <typename T>
T* Reselect(T*& slot, T* object)
{
    T* previous = slot;
    --previous->selections;
    ++object->selections;
    slot = object;
    return previous;
}

} // namespace

HDC CreateCompatibleDC(HDC hdc)
{
    auto lock = GdiLock();
    if (hdc != nullptr && FindDC(hdc) == nullptr) {
        return nullptr;
    }
    HBITMAP__* bitmap = StockBitmap();
    HFONT__* font = StockFont();
    auto* dc = new (std::nothrow) HDC__;
    if (dc == nullptr) {
        return nullptr;
    }
    if (!RegisterGdiObject(dc, dc)) {
        delete dc;
        return nullptr;
    }
    dc->bitmap = bitmap;
    dc->font = font;
    ++bitmap->selections;
    ++font->selections;
    return dc;
}

BOOL DeleteDC(HDC hdc)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    if (dc == nullptr) {
        return FALSE;
    }
    --dc->bitmap->selections;
    --dc->font->selections;
    DestroyGdiObject(hdc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    GdiObject* found = FindGdiObject(object);
    if (dc == nullptr || found == nullptr) {
        return nullptr;
    }
    if (found->kind == GdiKind::Bitmap) {
        auto* bitmap = static_cast<HBITMAP__*>(found);
        // A bitmap is drawn through one DC at a time, as on the platform.
        if (bitmap != dc->bitmap && bitmap->selections > 0 && !bitmap->stock) {
            return nullptr;
        }
        return Reselect(dc->bitmap, bitmap);
    }
    if (found->kind == GdiKind::Font) {
        return Reselect(dc->font, static_cast<HFONT__*>(found));
    }
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto lock = GdiLock();
    GdiObject* found = FindGdiObject(object);
    if (found == nullptr || found->kind == GdiKind::DeviceContext) {
        return FALSE;
    }
    if (found->stock) {
        return TRUE;
    }
    if (found->selections > 0) {
        return FALSE;
    }
    DestroyGdiObject(object);
    return TRUE;
}

int SetMapMode(HDC hdc, int mode)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    if (dc == nullptr || mode != MM_TEXT) {
        return 0;
    }
    const int previous = dc->mapMode;
    dc->mapMode = mode;
    return previous;
}

int GetDeviceCaps(HDC hdc, int index)
{
    auto lock = GdiLock();
    if (FindDC(hdc) == nullptr) {
        return 0;
    }
    return index == LOGPIXELSX || index == LOGPIXELSY ? ScreenDotsPerInch : 0;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0) {
        return -1;
    }
    std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const std::int64_t half = divisor / 2;
    const std::int64_t result = product >= 0 ? (product + half) / divisor : -((-product + half) / divisor);
    if (result > INT32_MAX || result < INT32_MIN) {
        return -1;
    }
    return static_cast<int>(result);
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset)
{
    if (bits != nullptr) {
        *bits = nullptr;
    }
    auto lock = GdiLock();
    if (hdc != nullptr && FindDC(hdc) == nullptr) {
        return nullptr;
    }
    // File-mapping sections are not offered: the pixels always live in the layer's memory.
    if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr || offset != 0) {
        return nullptr;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const LONG width = header.biWidth;
    const LONG height = header.biHeight;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biBitCount != 32 ||
        header.biCompression != BI_RGB || width <= 0 || height == 0 || height == INT32_MIN) {
        return nullptr;
    }
    const LONG rows = height < 0 ? -height : height;
    if (width > LargestDibSide || rows > LargestDibSide ||
        static_cast<std::int64_t>(width) * rows > LargestDibPixels) {
        return nullptr;
    }
    auto* bitmap = new (std::nothrow) HBITMAP__;
    if (bitmap == nullptr) {
        return nullptr;
    }
    try {
        bitmap->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(rows) * 4, 0);
    } catch (const std::bad_alloc&) {
        delete bitmap;
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = rows;
    bitmap->topDown = height < 0;
    if (!RegisterGdiObject(bitmap, bitmap)) {
        delete bitmap;
        return nullptr;
    }
    if (bits != nullptr) {
        *bits = bitmap->pixels.data();
    }
    return bitmap;
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = dc->textColor;
    dc->textColor = color & 0x00FFFFFFu;
    return previous;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    if (dc == nullptr) {
        return CLR_INVALID;
    }
    const COLORREF previous = dc->bkColor;
    dc->bkColor = color & 0x00FFFFFFu;
    return previous;
}

UINT SetTextAlign(HDC hdc, UINT align)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    if (dc == nullptr || align != (TA_LEFT | TA_TOP)) {
        return GDI_ERROR;
    }
    const UINT previous = dc->textAlign;
    dc->textAlign = align;
    return previous;
}
