// SPDX-License-Identifier: GPL-3.0-or-later
// One font face at one pixel size: vertical metrics in whole pixels, advances and anti-aliased
// glyph coverage. Bold and italic are synthesised when the face itself is neither.
#pragma once

#include <cstdint>
#include <memory>

// Coverage of one rendered glyph, 0..255 per pixel, placed relative to the pen on the baseline.
struct GlyphBitmap {
    // From the pen to the bitmap's left column, and from the baseline up to its top row.
    int left;
    int top;
    int width;
    int rows;
    int pitch;
    const std::uint8_t* coverage;
    // Whole pixels the pen moves after the glyph.
    int advance;
};

struct FaceMetrics {
    int ascent;
    int descent;
    int averageWidth;
    int maxWidth;
};

class GlyphRasterizer {
public:
    // height follows the font-creation rule: < 0 character (em) height in pixels, > 0 cell height,
    // 0 a default. Null when the file cannot be read or holds no scalable face.
    static std::unique_ptr<GlyphRasterizer> Open(const char* path, int faceIndex, int height, bool bold,
                                                 bool italic);

    ~GlyphRasterizer();
    GlyphRasterizer(const GlyphRasterizer&) = delete;
    GlyphRasterizer& operator=(const GlyphRasterizer&) = delete;

    const FaceMetrics& Metrics() const { return metrics; }
    const char* FamilyName() const;
    // Whole pixels the pen moves after the character; 0 when it cannot be loaded.
    int Advance(char32_t codePoint);
    // The glyph's coverage, valid until the next call; false when it cannot be rendered.
    bool Render(char32_t codePoint, GlyphBitmap& bitmap);

private:
    struct Face;

    explicit GlyphRasterizer(std::unique_ptr<Face> face);
    // Loads the glyph into the face's slot with the synthetic styles applied.
    bool Load(char32_t codePoint);

    std::unique_ptr<Face> face;
    FaceMetrics metrics{};
};
