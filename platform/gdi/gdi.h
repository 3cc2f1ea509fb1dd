// SPDX-License-Identifier: GPL-3.0-or-later
// The GDI operations the bitmap font rasterises its glyphs with: memory DCs, 32-bit DIB sections,
// fonts found by face name, and anti-aliased text drawn into the DIB's pixels.
// Limits: memory DCs only, MM_TEXT mapping, TA_LEFT | TA_TOP alignment, 32-bit BI_RGB DIBs.
#pragma once

#include "platform/base/win_types.h"

// Handles are pointers to objects of the layer; a stale or foreign handle is refused, not followed.
struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HFONT__;
using HFONT = HFONT__*;
using HGDIOBJ = void*;
using HANDLE = void*;

// 0x00BBGGRR.
using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue)
{
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) | (static_cast<COLORREF>(blue) << 16);
}
constexpr BYTE GetRValue(COLORREF color) { return static_cast<BYTE>(color & 0xFF); }
constexpr BYTE GetGValue(COLORREF color) { return static_cast<BYTE>((color >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF color) { return static_cast<BYTE>((color >> 16) & 0xFF); }

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

struct SIZE {
    LONG cx;
    LONG cy;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    // Negative for a top-down bitmap (row 0 first in memory).
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// What GetTextMetricsA reports; pixel sizes of the selected font.
struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    BYTE tmItalic;
};

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;

constexpr int MM_TEXT = 1;

constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD DEFAULT_QUALITY = 0;
constexpr DWORD NONANTIALIASED_QUALITY = 3;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FIXED_PITCH = 1;
constexpr DWORD VARIABLE_PITCH = 2;

constexpr UINT TA_LEFT = 0;
constexpr UINT TA_TOP = 0;

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

// Longest face name kept, terminator included; longer names are cut.
constexpr int LF_FACESIZE = 32;

// A memory DC; only null (a DC of the screen's kind) or another memory DC is accepted.
HDC CreateCompatibleDC(HDC hdc);
// Deselects what the DC held; those objects stay alive until DeleteObject.
BOOL DeleteDC(HDC hdc);
// Returns the object it replaces, or null when either handle is refused.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
// FALSE for a stale handle or an object still selected into a DC.
BOOL DeleteObject(HGDIOBJ object);
// Returns the previous mode; 0 for a bad DC or any mode but MM_TEXT.
int SetMapMode(HDC hdc, int mode);
// 96 dots per inch in both directions; 0 for anything else asked.
int GetDeviceCaps(HDC hdc, int index);
// number × numerator / denominator rounded half away from zero; -1 on a zero denominator or overflow.
int MulDiv(int number, int numerator, int denominator);

// Only 32-bit, one-plane BI_RGB bitmaps of up to 16384 pixels a side. *bits gets the pixels
// (B, G, R, unused bytes per pixel, rows in the order biHeight's sign gives), or null on failure.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);

// height < 0: character height in pixels; > 0: cell height; 0: a default size. The face is the
// installed face closest to faceName (a default face when none is named); null when none can be had.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);

// Return the previous colour, or CLR_INVALID for a bad DC.
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF SetBkColor(HDC hdc, COLORREF color);
// Returns the previous alignment; GDI_ERROR for a bad DC or any alignment but TA_LEFT | TA_TOP.
UINT SetTextAlign(HDC hdc, UINT align);

// Sum of the advances of count UTF-8 bytes of text, and the cell height (ascent + descent).
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics);
// Copies the family name of the selected font's face; returns the characters copied.
int GetTextFaceA(HDC hdc, int count, LPSTR name);

// Fills the text cell (and rect with ETO_OPAQUE) with the background colour, then blends each
// glyph's coverage from the pixel towards the text colour, with the baseline at y + ascent.
// Per-character advances (dx) are not offered: a non-null dx is refused. Nothing is drawn outside
// the bitmap, nor outside rect with ETO_CLIPPED.
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx);
