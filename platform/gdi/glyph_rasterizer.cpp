// SPDX-License-Identifier: GPL-3.0-or-later
// FreeType behind GlyphRasterizer: each rasteriser owns its library and face, so fonts used on
// different threads share nothing.
#include "platform/gdi/glyph_rasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <new>
#include <utility>

namespace {

// Character height used when the caller asks for height 0.
constexpr double DefaultEmPixels = 16.0;
// A face's vertical metrics and sizes are kept within this many pixels.
constexpr double LargestEmPixels = 4096.0;

int CeilPixels(double value) { return static_cast<int>(std::ceil(value - 1e-6)); }

} // namespace

struct GlyphRasterizer::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool syntheticBold = false;
    bool syntheticItalic = false;

    ~Face()
    {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

GlyphRasterizer::GlyphRasterizer(std::unique_ptr<Face> face_) : face(std::move(face_)) {}

GlyphRasterizer::~GlyphRasterizer() = default;

std::unique_ptr<GlyphRasterizer> GlyphRasterizer::Open(const char* path, int faceIndex, int height, bool bold,
                                                       bool italic)
{
    if (path == nullptr || faceIndex < 0) {
        return nullptr;
    }
    auto face = std::make_unique<Face>();
    if (FT_Init_FreeType(&face->library) != 0) {
        face->library = nullptr;
        return nullptr;
    }
    if (FT_New_Face(face->library, path, faceIndex, &face->face) != 0) {
        face->face = nullptr;
        return nullptr;
    }
    FT_Face ft = face->face;
    if (!FT_IS_SCALABLE(ft) || ft->units_per_EM == 0) {
        return nullptr;
    }
    // Faces without a Unicode map keep their default one; ASCII maps the same in most.
    FT_Select_Charmap(ft, FT_ENCODING_UNICODE);

    // The cell is the platform's: the face's usWinAscent and usWinDescent where it has them.
    double ascentUnits = ft->ascender;
    double descentUnits = -static_cast<double>(ft->descender);
    double averageUnits = 0.0;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFFu) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            ascentUnits = os2->usWinAscent;
            descentUnits = os2->usWinDescent;
        }
        averageUnits = os2->xAvgCharWidth;
    }
    if (ascentUnits + descentUnits <= 0.0) {
        ascentUnits = ft->units_per_EM;
        descentUnits = 0.0;
    }

    double em = DefaultEmPixels;
    if (height < 0) {
        em = -static_cast<double>(height);
    } else if (height > 0) {
        em = height * static_cast<double>(ft->units_per_EM) / (ascentUnits + descentUnits);
    }
    if (em > LargestEmPixels) {
        return nullptr;
    }
    if (FT_Set_Char_Size(ft, 0, static_cast<FT_F26Dot6>(std::lround(em * 64.0)), 72, 72) != 0) {
        return nullptr;
    }

    face->syntheticBold = bold && (ft->style_flags & FT_STYLE_FLAG_BOLD) == 0;
    face->syntheticItalic = italic && (ft->style_flags & FT_STYLE_FLAG_ITALIC) == 0;

    const double scale = em / ft->units_per_EM;
    std::unique_ptr<GlyphRasterizer> rasterizer(new (std::nothrow) GlyphRasterizer(std::move(face)));
    if (rasterizer == nullptr) {
        return nullptr;
    }
    FaceMetrics& metrics = rasterizer->metrics;
    metrics.ascent = CeilPixels(ascentUnits * scale);
    metrics.descent = CeilPixels(descentUnits * scale);
    metrics.maxWidth = CeilPixels(ft->max_advance_width * scale);
    metrics.averageWidth = averageUnits > 0.0 ? static_cast<int>(std::lround(averageUnits * scale))
                                              : rasterizer->Advance(U'x');
    return rasterizer;
}

const char* GlyphRasterizer::FamilyName() const
{
    return face->face->family_name != nullptr ? face->face->family_name : "";
}

bool GlyphRasterizer::Load(char32_t codePoint)
{
    FT_Face ft = face->face;
    // Outlines only, hinted for crisp stems at small sizes.
    if (FT_Load_Char(ft, codePoint, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0) {
        return false;
    }
    if (ft->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        return false;
    }
    if (face->syntheticItalic) {
        FT_GlyphSlot_Oblique(ft->glyph);
    }
    if (face->syntheticBold) {
        FT_GlyphSlot_Embolden(ft->glyph);
    }
    return true;
}

int GlyphRasterizer::Advance(char32_t codePoint)
{
    if (!Load(codePoint)) {
        return 0;
    }
    return static_cast<int>((face->face->glyph->advance.x + 32) >> 6);
}

bool GlyphRasterizer::Render(char32_t codePoint, GlyphBitmap& bitmap)
{
    if (!Load(codePoint)) {
        return false;
    }
    FT_GlyphSlot slot = face->face->glyph;
    bitmap.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return false;
    }
    bitmap.left = slot->bitmap_left;
    bitmap.top = slot->bitmap_top;
    bitmap.width = static_cast<int>(slot->bitmap.width);
    bitmap.rows = static_cast<int>(slot->bitmap.rows);
    bitmap.pitch = slot->bitmap.pitch;
    bitmap.coverage = slot->bitmap.buffer;
    // A negative pitch means the buffer starts at the bottom row.
    if (bitmap.pitch < 0 && bitmap.rows > 0) {
        bitmap.coverage = slot->bitmap.buffer - static_cast<long>(bitmap.pitch) * (bitmap.rows - 1);
    }
    return true;
}
