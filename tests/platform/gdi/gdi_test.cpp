// SPDX-License-Identifier: GPL-3.0-or-later
// The GDI stand-in: face lookup, text metrics, glyphs drawn into a DIB, and the handle rules.
#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);

BITMAPINFO DibInfo(LONG width, LONG height, WORD bitCount = 32)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HFONT ArialBold(int pixels)
{
    return CreateFontA(-pixels, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
}

// A memory DC drawing into a top-down (or bottom-up) 32-bit DIB with a font selected.
class Canvas {
public:
    Canvas(int width_, int height_, HFONT font_, bool topDown = true) : width(width_), height(height_), font(font_)
    {
        dc = CreateCompatibleDC(nullptr);
        const BITMAPINFO info = DibInfo(width, topDown ? -height : height);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<BYTE*>(pixels);
        rowsTopDown = topDown;
        SelectObject(dc, bitmap);
        if (font != nullptr) {
            SelectObject(dc, font);
        }
    }

    ~Canvas()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
        DeleteObject(font);
    }

    // B, G, R of the pixel at (x, y), y = 0 the top row.
    BYTE* Pixel(int x, int y) const
    {
        const int row = rowsTopDown ? y : height - 1 - y;
        return bits + (static_cast<size_t>(row) * width + x) * 4;
    }

    // Pixels in the rectangle (right and bottom exclusive) that are not pure background black.
    int LitPixels(int left, int top, int right, int bottom) const
    {
        int lit = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
            for (int x = std::max(left, 0); x < std::min(right, width); ++x) {
                const BYTE* pixel = Pixel(x, y);
                lit += (pixel[0] | pixel[1] | pixel[2]) != 0 ? 1 : 0;
            }
        }
        return lit;
    }

    int width;
    int height;
    HFONT font;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    BYTE* bits = nullptr;
    bool rowsTopDown = true;
};

SIZE Extent(HDC dc, const char* text)
{
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size));
    return size;
}

void WhiteOnBlack(HDC dc)
{
    SetTextColor(dc, White);
    SetBkColor(dc, Black);
}

} // namespace

TEST(GdiFonts, ArialResolvesToABoldMetricCompatibleFace)
{
    Canvas canvas(16, 16, ArialBold(16));
    ASSERT_NE(canvas.font, nullptr);
    char name[64] = {};
    EXPECT_GT(GetTextFaceA(canvas.dc, sizeof(name), name), 0);
    EXPECT_STREQ(name, "Liberation Sans");
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &metrics));
    EXPECT_EQ(metrics.tmWeight, FW_BOLD);
    EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
    // The cell of a 16-pixel Arial-like face: about 15 up and 3 to 4 down.
    EXPECT_GE(metrics.tmAscent, 14);
    EXPECT_LE(metrics.tmAscent, 16);
    EXPECT_GE(metrics.tmDescent, 3);
    EXPECT_LE(metrics.tmDescent, 4);

}

TEST(GdiFonts, UnknownAndMissingFaceNamesFallBackToAnInstalledFace)
{
    HFONT unknown = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                ANTIALIASED_QUALITY, 0, "No Such Face Anywhere");
    HFONT unnamed = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                ANTIALIASED_QUALITY, 0, nullptr);
    EXPECT_NE(unknown, nullptr);
    EXPECT_NE(unnamed, nullptr);
    EXPECT_TRUE(DeleteObject(unknown));
    EXPECT_TRUE(DeleteObject(unnamed));
    // Sizes no face can be set to are refused.
    EXPECT_EQ(ArialBold(1000000), nullptr);
    EXPECT_EQ(CreateFontA(INT_MIN, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), nullptr);
}

TEST(GdiFonts, ExtentsGrowWithHeightAndAddUpAlongTheText)
{
    LONG previousWidth = 0;
    LONG previousHeight = 0;
    for (int pixels : {9, 12, 16, 24, 40}) {
        Canvas canvas(8, 8, ArialBold(pixels));
        const SIZE size = Extent(canvas.dc, "W");
        EXPECT_GT(size.cx, previousWidth) << pixels;
        EXPECT_GT(size.cy, previousHeight) << pixels;
        EXPECT_GE(size.cy, pixels) << "the cell holds at least the character height";
        previousWidth = size.cx;
        previousHeight = size.cy;

        const SIZE word = Extent(canvas.dc, "Wil");
        EXPECT_EQ(word.cx, Extent(canvas.dc, "W").cx + Extent(canvas.dc, "i").cx + Extent(canvas.dc, "l").cx);
        EXPECT_EQ(word.cy, size.cy);
        EXPECT_EQ(Extent(canvas.dc, "").cx, 0);
    }

    // A cell-height request (positive) gives that cell height.
    HFONT byCell = CreateFontA(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
    Canvas canvas(8, 8, byCell);
    EXPECT_NEAR(Extent(canvas.dc, "A").cy, 20, 1);
}

TEST(GdiText, AGlyphCoversItsCellAndNothingOutside)
{
    Canvas canvas(64, 48, ArialBold(24));
    WhiteOnBlack(canvas.dc);
    // Paint everything white first: the drawn cell must come out black around the glyph.
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            std::memset(canvas.Pixel(x, y), 0xFF, 3);
        }
    }
    const SIZE cell = Extent(canvas.dc, "H");
    const int left = 10;
    const int top = 8;
    ASSERT_TRUE(ExtTextOutA(canvas.dc, left, top, ETO_OPAQUE, nullptr, "H", 1, nullptr));

    // Inside the cell: the glyph's ink, and background black at the cell's corners.
    EXPECT_GT(canvas.LitPixels(left, top, left + cell.cx, top + cell.cy), cell.cx * 2);
    EXPECT_EQ(canvas.Pixel(left, top)[0], 0);
    EXPECT_EQ(canvas.Pixel(left + cell.cx - 1, top + cell.cy - 1)[0], 0);
    // Outside the cell nothing changed.
    int changed = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= left && x < left + cell.cx && y >= top && y < top + cell.cy;
            if (!inside && canvas.Pixel(x, y)[0] != 0xFF) {
                ++changed;
            }
        }
    }
    EXPECT_EQ(changed, 0);

    // The H stands on the baseline: its lowest inked row is the one just above top + ascent.
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &metrics));
    int lowestInk = -1;
    for (int y = top; y < top + cell.cy; ++y) {
        if (canvas.LitPixels(left, y, left + cell.cx, y + 1) > 0) {
            lowestInk = y;
        }
    }
    EXPECT_EQ(lowestInk, top + metrics.tmAscent - 1);
}

TEST(GdiText, CoverageBlendsBetweenBackgroundAndTextColours)
{
    Canvas canvas(64, 40, ArialBold(28));
    SetTextColor(canvas.dc, RGB(200, 100, 0));
    SetBkColor(canvas.dc, RGB(0, 0, 40));
    ASSERT_TRUE(ExtTextOutA(canvas.dc, 2, 2, ETO_OPAQUE, nullptr, "O", 1, nullptr));
    const SIZE cell = Extent(canvas.dc, "O");
    bool sawFull = false;
    bool sawPartial = false;
    for (int y = 2; y < 2 + cell.cy; ++y) {
        for (int x = 2; x < 2 + cell.cx; ++x) {
            const BYTE* pixel = canvas.Pixel(x, y);
            // Every channel sits between the two colours, at the same fraction of the way.
            const int red = pixel[2];
            const int green = pixel[1];
            const int blue = pixel[0];
            ASSERT_LE(red, 200);
            ASSERT_LE(green, 100);
            ASSERT_LE(blue, 40);
            ASSERT_NEAR(red, 2 * green, 2);
            ASSERT_NEAR(blue, 40 - 40 * red / 200, 1);
            sawFull = sawFull || red == 200;
            sawPartial = sawPartial || (red > 0 && red < 200);
        }
    }
    EXPECT_TRUE(sawFull);
    EXPECT_TRUE(sawPartial) << "anti-aliased edges";
}

TEST(GdiText, TextOutsideTheBitmapIsClipped)
{
    Canvas canvas(32, 24, ArialBold(16));
    WhiteOnBlack(canvas.dc);
    for (const POINT at : {POINT{-10, 2}, POINT{28, 2}, POINT{4, -12}, POINT{4, 20}, POINT{INT_MAX, INT_MAX},
                           POINT{INT_MIN, INT_MIN}, POINT{INT_MAX - 3, 0}}) {
        EXPECT_TRUE(ExtTextOutA(canvas.dc, at.x, at.y, ETO_OPAQUE, nullptr, "WgW", 3, nullptr));
    }
    // Part of a glyph at the left edge still lands inside.
    EXPECT_GT(canvas.LitPixels(0, 0, 4, 24), 0);

    // ETO_CLIPPED keeps drawing inside the rectangle; an inverted one draws nothing.
    Canvas clipped(32, 24, ArialBold(16));
    WhiteOnBlack(clipped.dc);
    const RECT inverted{10, 10, 0, 0};
    EXPECT_TRUE(ExtTextOutA(clipped.dc, 0, 0, ETO_CLIPPED, &inverted, "W", 1, nullptr));
    EXPECT_EQ(clipped.LitPixels(0, 0, 32, 24), 0);
    const RECT half{0, 0, 6, 24};
    EXPECT_TRUE(ExtTextOutA(clipped.dc, 0, 0, ETO_CLIPPED, &half, "WW", 2, nullptr));
    EXPECT_GT(clipped.LitPixels(0, 0, 6, 24), 0);
    EXPECT_EQ(clipped.LitPixels(6, 0, 32, 24), 0);
}

TEST(GdiText, BottomUpBitmapsAndMalformedTextDrawTheSameWay)
{
    Canvas topDown(40, 30, ArialBold(20));
    Canvas bottomUp(40, 30, ArialBold(20), false);
    WhiteOnBlack(topDown.dc);
    WhiteOnBlack(bottomUp.dc);
    ASSERT_TRUE(ExtTextOutA(topDown.dc, 3, 3, ETO_OPAQUE, nullptr, "Fj", 2, nullptr));
    ASSERT_TRUE(ExtTextOutA(bottomUp.dc, 3, 3, ETO_OPAQUE, nullptr, "Fj", 2, nullptr));
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(topDown.Pixel(x, y)[0], bottomUp.Pixel(x, y)[0]) << x << "," << y;
        }
    }

    // Cut and stray UTF-8 sequences are measured and drawn as replacement glyphs, not read past.
    const char malformed[] = {'A', static_cast<char>(0xE2), static_cast<char>(0x82), 'B', static_cast<char>(0xFF),
                              static_cast<char>(0xC3)};
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(topDown.dc, malformed, sizeof(malformed), &size));
    EXPECT_GT(size.cx, Extent(topDown.dc, "AB").cx);
    EXPECT_TRUE(ExtTextOutA(topDown.dc, 0, 0, ETO_OPAQUE, nullptr, malformed, sizeof(malformed), nullptr));
}

TEST(GdiHandles, BadHandlesAndArgumentsAreRefused)
{
    HDC stale = CreateCompatibleDC(nullptr);
    ASSERT_NE(stale, nullptr);
    EXPECT_TRUE(DeleteDC(stale));
    EXPECT_FALSE(DeleteDC(stale));
    EXPECT_FALSE(DeleteDC(nullptr));
    EXPECT_EQ(CreateCompatibleDC(stale), nullptr);
    EXPECT_EQ(SetTextColor(stale, White), CLR_INVALID);
    EXPECT_EQ(SetTextAlign(stale, TA_LEFT | TA_TOP), GDI_ERROR);
    EXPECT_FALSE(ExtTextOutA(stale, 0, 0, ETO_OPAQUE, nullptr, "A", 1, nullptr));
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "A", 1, &size));
    EXPECT_EQ(SelectObject(stale, nullptr), nullptr);
    EXPECT_FALSE(DeleteObject(nullptr));
    int notAHandle = 0;
    EXPECT_FALSE(DeleteObject(&notAHandle));

    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(SetMapMode(dc, 2), 0) << "only MM_TEXT is offered";
    EXPECT_EQ(SetTextAlign(dc, 24), GDI_ERROR) << "only TA_LEFT | TA_TOP is offered";
    EXPECT_EQ(SelectObject(dc, dc), nullptr) << "a DC is not selectable";
    // The stock font measures and draws nothing.
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "A", 1, &size));
    EXPECT_FALSE(ExtTextOutA(dc, 0, 0, 0, nullptr, "A", 1, nullptr));

    // DIB headers the layer does not offer.
    void* bits = &notAHandle;
    BITMAPINFO info = DibInfo(8, -8, 24);
    EXPECT_EQ(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    for (const BITMAPINFO& bad : {DibInfo(0, -8), DibInfo(8, 0), DibInfo(100000, -100000), DibInfo(8, INT_MIN)}) {
        EXPECT_EQ(CreateDIBSection(dc, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    }
    EXPECT_EQ(CreateDIBSection(dc, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(GdiHandles, SelectedObjectsOutliveTheirDeletionUntilDeselected)
{
    HDC dc = CreateCompatibleDC(nullptr);
    const BITMAPINFO info = DibInfo(4, -4);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bits, nullptr);
    HFONT font = ArialBold(12);

    HGDIOBJ stockBitmap = SelectObject(dc, bitmap);
    EXPECT_NE(stockBitmap, nullptr) << "a new DC holds a stock bitmap";
    HGDIOBJ stockFont = SelectObject(dc, font);
    EXPECT_NE(stockFont, nullptr);
    EXPECT_EQ(SelectObject(dc, font), font) << "selecting again answers the same object";

    // A bitmap is drawn through one DC at a time.
    HDC other = CreateCompatibleDC(dc);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(SelectObject(other, bitmap), nullptr);
    EXPECT_TRUE(DeleteDC(other));

    // Selected objects cannot be deleted; selecting the stock ones back frees them.
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(SelectObject(dc, stockBitmap), bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap)) << "already gone";
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);

    // Deleting the DC deselects the rest; stock objects are never deleted.
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_TRUE(DeleteObject(stockFont));
    HDC fresh = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(fresh, stockBitmap), stockBitmap);
    EXPECT_TRUE(DeleteDC(fresh));
}

TEST(GdiHandles, MulDivRoundsHalfAwayFromZeroAndRefusesWhatCannotBeAnswered)
{
    EXPECT_EQ(MulDiv(12, 96, 72), 16);
    EXPECT_EQ(MulDiv(9, 96, 72), 12);
    EXPECT_EQ(MulDiv(30, 48, 72), 20);
    EXPECT_EQ(MulDiv(1, 3, 2), 2);
    EXPECT_EQ(MulDiv(-1, 3, 2), -2);
    EXPECT_EQ(MulDiv(1, 3, -2), -2);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX) << "the product is kept in 64 bits";
    EXPECT_EQ(MulDiv(5, 7, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 4, 1), -1);
}
