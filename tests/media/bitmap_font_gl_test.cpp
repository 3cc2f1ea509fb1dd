// SPDX-License-Identifier: GPL-3.0-or-later
// Status text on the OpenGL device: with the half-texel shift every screen pixel of a glyph samples
// the centre of exactly one atlas texel, so the text stays as crisp as the atlas even when filtered.
#include <gtest/gtest.h>

#include <cmath>

#include "media/bitmap_font.h"
#include "tests/platform/gl/gl_test_scene.h"

namespace {

class BitmapFontGl : public GlScene {};

// Atlas alpha (0..15) of texel (x, y), read from the managed texture's memory.
int AtlasAlpha(IDirect3DTexture8* texture, UINT x, UINT y)
{
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return -1;
    }
    const auto* row = reinterpret_cast<const WORD*>(static_cast<const BYTE*>(locked.pBits) +
                                                    static_cast<std::size_t>(y) * locked.Pitch);
    const int alpha = row[x] >> 12;
    texture->UnlockRect(0);
    return alpha;
}

} // namespace

TEST_F(BitmapFontGl, GlyphPixelsMatchTheirAtlasTexelsOneToOne)
{
    BitmapFont font("Arial", 12, 1);
    ASSERT_EQ(font.BuildAtlas(device), S_OK);
    ASSERT_EQ(font.RestoreBuffers(), S_OK);

    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    // Linear filtering blurs any glyph whose pixels fall between texel centres.
    ASSERT_EQ(font.DrawString(10.0f, 12.0f, 0xFFFFFF00, "H&g", 4), S_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    const std::vector<Rgb> frame = ReadFrame();

    float x = 10.0f;
    int inked = 0;
    for (const char c : {'H', '&', 'g'}) {
        const float* tc = font.texCoords[c - 32];
        const UINT left = static_cast<UINT>(std::lround(tc[0] * static_cast<float>(font.texWidth)));
        const UINT top = static_cast<UINT>(std::lround(tc[1] * static_cast<float>(font.texHeight)));
        const int w = static_cast<int>(std::lround((tc[2] - tc[0]) * static_cast<float>(font.texWidth)));
        const int h = static_cast<int>(std::lround((tc[3] - tc[1]) * static_cast<float>(font.texHeight)));
        ASSERT_LT(static_cast<int>(x) + w, Size);
        ASSERT_LT(12 + h, Size);
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                const int a = AtlasAlpha(font.texture, left + static_cast<UINT>(i), top + static_cast<UINT>(j));
                // Yellow over black, weighed by the texel's alpha; alpha 0 is cut by the alpha test.
                const int expected = (255 * a + 7) / 15;
                const Rgb p = frame[static_cast<std::size_t>(12 + j) * Size + static_cast<std::size_t>(x) + i];
                ASSERT_NEAR(p.r, expected, 3) << c << " at texel " << i << "," << j;
                ASSERT_NEAR(p.g, expected, 3) << c << " at texel " << i << "," << j;
                ASSERT_EQ(p.b, 0);
                inked += a > 0 ? 1 : 0;
            }
        }
        x += static_cast<float>(w);
    }
    EXPECT_GT(inked, 40);
    // Nothing is drawn above the first row of the text.
    for (int i = 0; i < Size; ++i) {
        EXPECT_EQ(frame[static_cast<std::size_t>(11) * Size + i].r, 0);
    }

    font.ReleaseBuffers();
    font.ReleaseAtlas();
}
