// SPDX-License-Identifier: GPL-3.0-or-later
// Fonts and text: creating a font from a face name, measuring text and drawing it into a DIB.
#include "platform/gdi/gdi.h"
#include "platform/gdi/font_lookup.h"
#include "platform/gdi/gdi_objects.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

// Decodes the UTF-8 character at text[at] (at < count) and moves at past it. A malformed
// sequence reads as the replacement character and consumes one byte.
char32_t NextCharacter(LPCSTR text, UINT count, UINT& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    ++at;
    if (lead < 0x80) {
        return lead;
    }
    int length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 1, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 2, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 3, value = lead & 0x07, smallest = 0x10000;
    } else {
        return ReplacementCharacter;
    }
    if (count - at < static_cast<UINT>(length)) {
        return ReplacementCharacter;
    }
    for (int i = 0; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return ReplacementCharacter;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return ReplacementCharacter;
    }
    at += static_cast<UINT>(length);
    return value;
}

// A rectangle of pixels, right and bottom exclusive, in 64 bits so that no sum overflows.
struct PixelRect {
    std::int64_t left;
    std::int64_t top;
    std::int64_t right;
    std::int64_t bottom;

    PixelRect Intersect(const PixelRect& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
};

void FillRect(HBITMAP__& bitmap, const PixelRect& area, COLORREF color)
{
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
        for (std::int64_t x = area.left; x < area.right; ++x) {
            BYTE* pixel = bitmap.Pixel(static_cast<int>(x), static_cast<int>(y));
            pixel[0] = GetBValue(color);
            pixel[1] = GetGValue(color);
            pixel[2] = GetRValue(color);
            pixel[3] = 0;
        }
    }
}

BYTE Blend(BYTE from, BYTE to, unsigned coverage)
{
    const int difference = static_cast<int>(to) - static_cast<int>(from);
    return static_cast<BYTE>(from + (difference * static_cast<int>(coverage) + (difference >= 0 ? 127 : -127)) / 255);
}

// Blends the glyph's coverage from each pixel towards the colour, inside clip only.
void BlendGlyph(HBITMAP__& bitmap, const GlyphBitmap& glyph, std::int64_t left, std::int64_t top,
                const PixelRect& clip, COLORREF color)
{
    const PixelRect area = clip.Intersect({left, top, left + glyph.width, top + glyph.rows});
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
        const std::uint8_t* row = glyph.coverage + (y - top) * glyph.pitch;
        for (std::int64_t x = area.left; x < area.right; ++x) {
            const unsigned coverage = row[x - left];
            if (coverage == 0) {
                continue;
            }
            BYTE* pixel = bitmap.Pixel(static_cast<int>(x), static_cast<int>(y));
            pixel[0] = Blend(pixel[0], GetBValue(color), coverage);
            pixel[1] = Blend(pixel[1], GetGValue(color), coverage);
            pixel[2] = Blend(pixel[2], GetRValue(color), coverage);
            pixel[3] = 0;
        }
    }
}

// Sum of the advances of the text; the DC's font must have glyphs.
std::int64_t TextWidth(GlyphRasterizer& glyphs, LPCSTR text, UINT count)
{
    std::int64_t width = 0;
    for (UINT at = 0; at < count;) {
        width += glyphs.Advance(NextCharacter(text, count, at));
    }
    return width;
}

// The DC's font rasteriser, or null for a bad DC or a font without a face.
GlyphRasterizer* SelectedGlyphs(HDC hdc)
{
    HDC__* dc = FindDC(hdc);
    return dc != nullptr ? dc->font->glyphs.get() : nullptr;
}

} // namespace

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, LPCSTR faceName)
{
    // The platform keeps at most LF_FACESIZE - 1 characters of the name.
    char name[LF_FACESIZE] = {};
    if (faceName != nullptr) {
        std::strncpy(name, faceName, LF_FACESIZE - 1);
    }
    if (height == INT32_MIN) {
        return nullptr;
    }
    const bool bold = weight >= 600;
    try {
        FaceFile file;
        if (!FindFaceFile(name, weight, italic != 0, file)) {
            return nullptr;
        }
        auto glyphs = GlyphRasterizer::Open(file.path.c_str(), file.index, height, bold, italic != 0);
        if (glyphs == nullptr) {
            return nullptr;
        }
        auto* font = new HFONT__;
        font->glyphs = std::move(glyphs);
        font->weight = weight <= 0 ? FW_NORMAL : weight;
        font->italic = italic != 0;
        auto lock = GdiLock();
        if (!RegisterGdiObject(font, font)) {
            delete font;
            return nullptr;
        }
        return font;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size)
{
    auto lock = GdiLock();
    GlyphRasterizer* glyphs = SelectedGlyphs(hdc);
    if (glyphs == nullptr || size == nullptr || count < 0 || (text == nullptr && count > 0)) {
        return FALSE;
    }
    const std::int64_t width = TextWidth(*glyphs, text, static_cast<UINT>(count));
    if (width > INT32_MAX) {
        return FALSE;
    }
    size->cx = static_cast<LONG>(width);
    size->cy = glyphs->Metrics().ascent + glyphs->Metrics().descent;
    return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    if (dc == nullptr || dc->font->glyphs == nullptr || metrics == nullptr) {
        return FALSE;
    }
    const FaceMetrics& face = dc->font->glyphs->Metrics();
    *metrics = {};
    metrics->tmAscent = face.ascent;
    metrics->tmDescent = face.descent;
    metrics->tmHeight = face.ascent + face.descent;
    metrics->tmAveCharWidth = face.averageWidth;
    metrics->tmMaxCharWidth = face.maxWidth;
    metrics->tmWeight = dc->font->weight;
    metrics->tmItalic = dc->font->italic ? 1 : 0;
    return TRUE;
}

int GetTextFaceA(HDC hdc, int count, LPSTR name)
{
    auto lock = GdiLock();
    GlyphRasterizer* glyphs = SelectedGlyphs(hdc);
    if (glyphs == nullptr || name == nullptr || count <= 0) {
        return 0;
    }
    const size_t copied = std::min(std::strlen(glyphs->FamilyName()), static_cast<size_t>(count - 1));
    std::memcpy(name, glyphs->FamilyName(), copied);
    name[copied] = '\0';
    return static_cast<int>(copied);
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const INT* dx)
{
    auto lock = GdiLock();
    HDC__* dc = FindDC(hdc);
    if (dc == nullptr || dc->font->glyphs == nullptr || dx != nullptr || (text == nullptr && count > 0)) {
        return FALSE;
    }
    HBITMAP__& bitmap = *dc->bitmap;
    GlyphRasterizer& glyphs = *dc->font->glyphs;
    PixelRect clip{0, 0, bitmap.width, bitmap.height};
    const PixelRect given = rect != nullptr ? PixelRect{rect->left, rect->top, rect->right, rect->bottom}
                                            : PixelRect{0, 0, 0, 0};
    if ((options & ETO_OPAQUE) != 0 && rect != nullptr) {
        FillRect(bitmap, clip.Intersect(given), dc->bkColor);
    }
    if ((options & ETO_CLIPPED) != 0 && rect != nullptr) {
        clip = clip.Intersect(given);
    }
    // The background mode is opaque: the text's own cell takes the background colour first.
    const FaceMetrics& metrics = glyphs.Metrics();
    const std::int64_t width = TextWidth(glyphs, text, count);
    FillRect(bitmap, clip.Intersect({x, y, x + width, std::int64_t{y} + metrics.ascent + metrics.descent}),
             dc->bkColor);

    const std::int64_t baseline = std::int64_t{y} + metrics.ascent;
    std::int64_t pen = x;
    for (UINT at = 0; at < count;) {
        const char32_t character = NextCharacter(text, count, at);
        GlyphBitmap glyph{};
        if (!glyphs.Render(character, glyph)) {
            pen += glyphs.Advance(character);
            continue;
        }
        BlendGlyph(bitmap, glyph, pen + glyph.left, baseline - glyph.top, clip, dc->textColor);
        pen += glyph.advance;
    }
    return TRUE;
}
