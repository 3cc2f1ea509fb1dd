// SPDX-License-Identifier: GPL-3.0-or-later
// Menu pixels in software, over the glyph rasteriser.
#include "platform/win/menu_painter.h"

#include "platform/gdi/font_lookup.h"
#include "platform/gdi/glyph_rasterizer.h"
#include "platform/win/window_record.h"

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

struct Colour {
    std::uint8_t r, g, b;
};

constexpr Colour kMenuBackground{242, 242, 242};
constexpr Colour kBarBackground{248, 248, 248};
constexpr Colour kBarLine{214, 214, 214};
constexpr Colour kBorder{160, 160, 160};
constexpr Colour kText{24, 24, 24};
constexpr Colour kGrayedText{150, 150, 150};
constexpr Colour kHighlight{0, 110, 210};
constexpr Colour kHighlightText{255, 255, 255};
constexpr Colour kBarHot{204, 228, 247};
constexpr Colour kSeparator{200, 200, 200};
// Pixel size of the menu face's em.
constexpr int kFontPixels = 13;

// The menu face, opened once; menus are drawn on the window thread only, the lock keeps that honest.
struct MenuFont {
    std::mutex mutex;
    bool tried = false;
    std::unique_ptr<GlyphRasterizer> glyphs;
};

MenuFont& Font()
{
    static MenuFont font;
    return font;
}

GlyphRasterizer* Glyphs()
{
    MenuFont& font = Font();
    if (!font.tried) {
        font.tried = true;
        FaceFile file;
        if (FindFaceFile("Liberation Sans", 400, false, file)) {
            font.glyphs = GlyphRasterizer::Open(file.path.c_str(), file.index, -kFontPixels, false, false);
        }
    }
    return font.glyphs.get();
}

// Decodes one UTF-8 character; malformed bytes read as themselves.
char32_t NextCharacter(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t code = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : extra == 1 ? lead & 0x1Fu : lead;
    while (extra-- > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3Fu);
    }
    return code;
}

class Image {
public:
    Image(int width_, int height_)
        : width(width_), height(height_), pixels(static_cast<std::size_t>(width_) * height_ * 4, 255)
    {
    }

    void Fill(int left, int top, int right, int bottom, Colour colour)
    {
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, width);
        bottom = std::min(bottom, height);
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
                p[0] = colour.r;
                p[1] = colour.g;
                p[2] = colour.b;
                p[3] = 255;
            }
        }
    }

    void Blend(int x, int y, Colour colour, unsigned coverage)
    {
        if (x < 0 || y < 0 || x >= width || y >= height || coverage == 0) {
            return;
        }
        std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
        const auto mix = [coverage](std::uint8_t from, std::uint8_t to) {
            return static_cast<std::uint8_t>((from * (255 - coverage) + to * coverage + 127) / 255);
        };
        p[0] = mix(p[0], colour.r);
        p[1] = mix(p[1], colour.g);
        p[2] = mix(p[2], colour.b);
    }

    // Draws the text with its baseline at y and returns the pen's end; the mnemonic character, if
    // any, is underlined.
    int Text(int x, int baseline, std::string_view text, int mnemonic, Colour colour)
    {
        GlyphRasterizer* glyphs = Glyphs();
        int pen = x;
        std::size_t at = 0;
        int index = 0;
        while (at < text.size()) {
            const char32_t character = NextCharacter(text, at);
            const int start = pen;
            if (glyphs == nullptr) {
                // No face: a block stands for each character, so the menu still reads as one.
                if (character != ' ') {
                    Fill(pen + 1, baseline - 8, pen + 6, baseline, colour);
                }
                pen += 7;
            } else {
                GlyphBitmap glyph{};
                if (glyphs->Render(character, glyph)) {
                    for (int row = 0; row < glyph.rows; ++row) {
                        for (int column = 0; column < glyph.width; ++column) {
                            Blend(pen + glyph.left + column, baseline - glyph.top + row, colour,
                                  glyph.coverage[row * glyph.pitch + column]);
                        }
                    }
                    pen += glyph.advance;
                } else {
                    pen += glyphs->Advance(character);
                }
            }
            if (index == mnemonic) {
                Fill(start, baseline + 2, std::max(pen, start + 1), baseline + 3, colour);
            }
            ++index;
        }
        return pen;
    }

    std::vector<std::uint8_t> Take() { return std::move(pixels); }

private:
    int width;
    int height;
    std::vector<std::uint8_t> pixels;
};

int TextWidthLocked(std::string_view text)
{
    GlyphRasterizer* glyphs = Glyphs();
    int width = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const char32_t character = NextCharacter(text, at);
        width += glyphs != nullptr ? glyphs->Advance(character) : 7;
    }
    return width;
}

// Baseline that centres the face's ascent and descent in a row from top to bottom.
int BaselineIn(int top, int bottom)
{
    GlyphRasterizer* glyphs = Glyphs();
    const int ascent = glyphs != nullptr ? glyphs->Metrics().ascent : 10;
    const int descent = glyphs != nullptr ? glyphs->Metrics().descent : 3;
    return top + (bottom - top - ascent - descent) / 2 + ascent;
}

} // namespace

int MenuTextWidthOf(std::string_view text)
{
    std::lock_guard<std::mutex> hold(Font().mutex);
    return TextWidthLocked(text);
}

std::vector<std::uint8_t> PaintMenuBarImage(const HMENU__& menu, const std::vector<RECT>& items, int width,
                                            int height, int hot)
{
    std::lock_guard<std::mutex> hold(Font().mutex);
    Image image(width, height);
    image.Fill(0, 0, width, height, kBarBackground);
    image.Fill(0, height - 1, width, height, kBarLine);
    for (std::size_t i = 0; i < menu.items.size() && i < items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        const RECT& r = items[i];
        if (static_cast<int>(i) == hot) {
            image.Fill(r.left, r.top + 1, r.right, r.bottom - 2, kBarHot);
        }
        const MenuText text = ParseMenuText(item.text);
        const Colour colour = (item.flags & MF_GRAYED) ? kGrayedText : kText;
        image.Text(r.left + MenuBarItemPadding, BaselineIn(r.top, r.bottom - 1), text.label, text.mnemonic, colour);
    }
    return image.Take();
}

std::vector<std::uint8_t> PaintPopupImage(const HMENU__& menu, const PopupLayout& layout, int hot)
{
    std::lock_guard<std::mutex> hold(Font().mutex);
    Image image(layout.width, layout.height);
    image.Fill(0, 0, layout.width, layout.height, kBorder);
    image.Fill(1, 1, layout.width - 1, layout.height - 1, kMenuBackground);
    for (std::size_t i = 0; i < menu.items.size() && i < layout.items.size(); ++i) {
        const MenuItem& item = menu.items[i];
        const RECT& r = layout.items[i];
        if (item.flags & MF_SEPARATOR) {
            const int middle = (r.top + r.bottom) / 2;
            image.Fill(r.left + 4, middle, r.right - 4, middle + 1, kSeparator);
            continue;
        }
        const bool grayed = (item.flags & MF_GRAYED) != 0;
        const bool highlighted = static_cast<int>(i) == hot && !grayed;
        if (highlighted) {
            image.Fill(r.left + 1, r.top, r.right - 1, r.bottom, kHighlight);
        }
        const Colour colour = highlighted ? kHighlightText : grayed ? kGrayedText : kText;
        const MenuText text = ParseMenuText(item.text);
        const int baseline = BaselineIn(r.top, r.bottom);
        image.Text(r.left + MenuTextLeft, baseline, text.label, text.mnemonic, colour);
        if (!text.shortcut.empty()) {
            const int shortcutWidth = TextWidthLocked(text.shortcut);
            image.Text(r.right - MenuTextRight - shortcutWidth, baseline, text.shortcut, -1, colour);
        }
        if (item.popup != nullptr) {
            // A small arrow for a cascading item.
            const int middle = (r.top + r.bottom) / 2;
            for (int step = 0; step < 4; ++step) {
                image.Fill(r.right - 10 + step, middle - 3 + step, r.right - 9 + step, middle + 4 - step, colour);
            }
        }
    }
    return image.Take();
}
