// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap font on the recording device: atlas sizes and contents, batching of glyph quads,
// the characters that draw nothing, the restored drawing state and the failure paths.
#include "media/bitmap_font.h"
#include "tests/support/recording_device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

D3DCAPS8 CapsWithTextureLimit(DWORD side)
{
    D3DCAPS8 caps = NullDevice::DefaultCaps();
    caps.MaxTextureWidth = side;
    caps.MaxTextureHeight = side;
    return caps;
}

// A recording device and a font built and restored on it; released in reverse at the end.
struct FontOnDevice {
    explicit FontOnDevice(DWORD points, DWORD flags = BitmapFontBold, const D3DCAPS8& caps = NullDevice::DefaultCaps())
        : device(caps), font("Arial", points, flags)
    {
        built = font.BuildAtlas(&device);
        restored = SUCCEEDED(built) ? font.RestoreBuffers() : built;
        device.Clear();
    }

    ~FontOnDevice()
    {
        font.ReleaseBuffers();
        font.ReleaseAtlas();
    }

    // The atlas texel at (x, y), read through a lock.
    WORD Texel(UINT x, UINT y)
    {
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(font.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        WORD texel = 0;
        std::memcpy(&texel, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * 2, sizeof(texel));
        font.texture->UnlockRect(0);
        return texel;
    }

    // Texels with any alpha inside the cell of a character.
    int InkedTexels(char character)
    {
        const float* coords = font.texCoords[character - 32];
        int inked = 0;
        for (UINT y = Texels(coords[1], font.texHeight); y < Texels(coords[3], font.texHeight); ++y) {
            for (UINT x = Texels(coords[0], font.texWidth); x < Texels(coords[2], font.texWidth); ++x) {
                inked += Texel(x, y) != 0 ? 1 : 0;
            }
        }
        return inked;
    }

    static UINT Texels(float coordinate, DWORD side) { return static_cast<UINT>(coordinate * side + 0.5f); }

    // All vertices DrawString drew, in order, across its draws.
    std::vector<FontVertex> DrawnVertices() const
    {
        std::vector<FontVertex> vertices;
        for (size_t draw = 0; draw < device.Draws().size(); ++draw) {
            for (size_t i = 0; i < device.Draws()[draw].vertexCount; ++i) {
                vertices.push_back(device.Vertex<FontVertex>(draw, i));
            }
        }
        return vertices;
    }

    std::vector<UINT> DrawnTriangleCounts() const
    {
        std::vector<UINT> counts;
        for (const DrawRecord& draw : device.Draws()) {
            counts.push_back(draw.primitiveCount);
        }
        return counts;
    }

    // The drawn width and height of a character's cell, in pixels.
    float GlyphWidth(char character) const
    {
        const float* coords = font.texCoords[character - 32];
        return (coords[2] - coords[0]) * static_cast<float>(font.texWidth) / font.textScale;
    }
    float GlyphHeight(char character) const
    {
        const float* coords = font.texCoords[character - 32];
        return (coords[3] - coords[1]) * static_cast<float>(font.texHeight) / font.textScale;
    }

    RecordingDevice device;
    BitmapFont font;
    HRESULT built = E_FAIL;
    HRESULT restored = E_FAIL;
};

template <typename T>
bool SameBytes(const T& a, const T& b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

} // namespace

TEST(BitmapFontAtlas, SizeFollowsThePointHeight)
{
    struct Case {
        DWORD points;
        UINT side;
    };
    for (const Case& c : {Case{9, 256}, Case{12, 256}, Case{20, 256}, Case{21, 512}, Case{30, 512}, Case{40, 512},
                          Case{41, 1024}, Case{60, 1024}}) {
        RecordingDevice device;
        BitmapFont font("Arial", c.points, BitmapFontBold);
        ASSERT_EQ(font.BuildAtlas(&device), S_OK) << c.points;
        const std::vector<DeviceCall> creations = device.CallsOf(DeviceMethod::CreateTexture);
        ASSERT_EQ(creations.size(), 1u);
        const DWORD* args = creations[0].args;
        EXPECT_EQ(args[0], c.side) << c.points;
        EXPECT_EQ(args[1], c.side) << c.points;
        EXPECT_EQ(args[2], 1u) << "one level";
        EXPECT_EQ(args[3], 0u) << "usage";
        EXPECT_EQ(args[4], static_cast<DWORD>(D3DFMT_A4R4G4B4));
        EXPECT_EQ(args[5], static_cast<DWORD>(D3DPOOL_MANAGED));
        EXPECT_EQ(font.texWidth, c.side);
        EXPECT_EQ(font.texHeight, c.side);
        EXPECT_EQ(font.textScale, 1.0f) << c.points;
        EXPECT_EQ(font.device, &device);
        font.ReleaseAtlas();
    }
}

TEST(BitmapFontAtlas, GlyphsLieInRowsOfCellsThatDoNotOverlap)
{
    for (DWORD points : {9u, 12u, 20u, 40u, 80u}) {
        FontOnDevice scene(points);
        ASSERT_EQ(scene.built, S_OK);
        const BitmapFont& font = scene.font;
        const float texel = 1.0f / static_cast<float>(font.texWidth);
        for (int i = 0; i < 95; ++i) {
            const float* cell = font.texCoords[i];
            ASSERT_LT(cell[0], cell[2]) << points << " code " << 32 + i;
            ASSERT_LT(cell[1], cell[3]);
            ASSERT_GE(cell[0], 0.0f);
            ASSERT_GE(cell[1], 0.0f);
            ASSERT_LE(cell[2], 1.0f) << "inside the atlas";
            ASSERT_LE(cell[3], 1.0f) << "inside the atlas, last row included";
            // All cells are one line tall.
            ASSERT_FLOAT_EQ(cell[3] - cell[1], font.texCoords[0][3] - font.texCoords[0][1]);
            if (i == 0) {
                continue;
            }
            const float* previous = font.texCoords[i - 1];
            if (cell[1] == previous[1]) {
                // Same row: one texel after the previous cell.
                ASSERT_NEAR(cell[0], previous[2] + texel, texel / 4) << points << " code " << 32 + i;
            } else {
                // A new row starts at the left, one texel below the previous row.
                ASSERT_EQ(cell[0], 0.0f);
                ASSERT_NEAR(cell[1], previous[3] + texel, texel / 4);
            }
        }
        EXPECT_EQ(font.textScale, 1.0f) << points << " points fit at full size";
    }
}

TEST(BitmapFontAtlas, TexelsAreWhiteWithCoverageInTheTopFourAlphaBits)
{
    FontOnDevice scene(12);
    ASSERT_EQ(scene.built, S_OK);
    int opaque = 0;
    for (UINT y = 0; y < scene.font.texHeight; ++y) {
        for (UINT x = 0; x < scene.font.texWidth; ++x) {
            const WORD texel = scene.Texel(x, y);
            ASSERT_TRUE(texel == 0 || (texel & 0x0FFF) == 0x0FFF) << x << "," << y << ": " << texel;
            opaque += texel == 0xFFFF ? 1 : 0;
        }
    }
    EXPECT_GT(opaque, 200) << "solid stems reach full coverage";
    EXPECT_EQ(scene.InkedTexels(' '), 0);
    for (char character : std::string("AHMWgjq@~0{|}")) {
        EXPECT_GT(scene.InkedTexels(character), 6) << character;
    }
    EXPECT_GT(scene.InkedTexels('W'), scene.InkedTexels('.'));
}

TEST(BitmapFontAtlas, ASmallDeviceShrinksTheAtlasAndScalesGlyphsBackUp)
{
    FontOnDevice small(30, BitmapFontBold, CapsWithTextureLimit(256));
    FontOnDevice full(30, BitmapFontBold);
    ASSERT_EQ(small.built, S_OK);
    ASSERT_EQ(small.restored, S_OK);
    EXPECT_EQ(small.font.texWidth, 256u);
    EXPECT_EQ(small.font.texHeight, 256u);
    EXPECT_EQ(small.font.textScale, 0.5f);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(small.font.texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(desc.Height, 256u);

    // Rasterised at half the size: the cell height is about half that of the full-size atlas.
    const float smallCell = (small.font.texCoords[0][3] - small.font.texCoords[0][1]) * 256.0f;
    const float fullCell = (full.font.texCoords[0][3] - full.font.texCoords[0][1]) * 512.0f;
    EXPECT_NEAR(smallCell * 2.0f, fullCell, 3.0f);

    // Drawn at twice the atlas size.
    ASSERT_EQ(small.font.DrawString(10, 20, 0xFFFFFFFFu, "H\nH"), S_OK);
    const std::vector<FontVertex> vertices = small.DrawnVertices();
    ASSERT_EQ(vertices.size(), 12u);
    const float* coords = small.font.texCoords['H' - 32];
    EXPECT_FLOAT_EQ(vertices[2].x - vertices[0].x, (coords[2] - coords[0]) * 256.0f * 2.0f);
    EXPECT_FLOAT_EQ(vertices[0].y - vertices[1].y, (coords[3] - coords[1]) * 256.0f * 2.0f);
    // A line is as tall as the glyphs are drawn, so scaled lines do not overlap.
    EXPECT_FLOAT_EQ(vertices[7].y - vertices[1].y, smallCell * 2.0f);
}

TEST(BitmapFontAtlas, FontsTooLargeForTheirAtlasAreRasterisedSmaller)
{
    FontOnDevice scene(120);
    ASSERT_EQ(scene.built, S_OK);
    EXPECT_EQ(scene.font.texWidth, 1024u);
    EXPECT_LT(scene.font.textScale, 1.0f);
    EXPECT_GT(scene.font.textScale, 0.5f);
    for (int i = 0; i < 95; ++i) {
        ASSERT_LE(scene.font.texCoords[i][3], 1.0f) << "code " << 32 + i;
    }
    // Drawn at about the size asked for: 120 points are 160 pixels of character height.
    EXPECT_GT(scene.GlyphHeight(' '), 160.0f);
    EXPECT_LT(scene.GlyphHeight(' '), 200.0f);
}

TEST(BitmapFontAtlas, ARebuildReleasesThePreviousAtlasAndBuffers)
{
    FontOnDevice scene(12);
    IDirect3DTexture8* first = scene.font.texture;
    first->AddRef();
    ASSERT_EQ(scene.font.BuildAtlas(&scene.device), S_OK);
    EXPECT_NE(scene.font.texture, first);
    EXPECT_EQ(first->Release(), 0u) << "the font no longer holds the first atlas";
    EXPECT_EQ(scene.font.vertexBuffer, nullptr);
    EXPECT_EQ(scene.device.LiveDefaultPoolResources(), 0u);
    EXPECT_EQ(scene.font.RestoreBuffers(), S_OK);
}

TEST(BitmapFontBuffers, RestoreCreatesTheDynamicBufferAndTwoEqualStateBlocks)
{
    FontOnDevice scene(12, BitmapFontBold | BitmapFontDepthTest);
    ASSERT_EQ(scene.restored, S_OK);
    scene.font.ReleaseBuffers();
    scene.device.Clear();
    ASSERT_EQ(scene.font.RestoreBuffers(), S_OK);

    const std::vector<DeviceCall> creations = scene.device.CallsOf(DeviceMethod::CreateVertexBuffer);
    ASSERT_EQ(creations.size(), 1u);
    EXPECT_EQ(creations[0].args[0], 8400u);
    EXPECT_EQ(creations[0].args[1], D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC);
    EXPECT_EQ(creations[0].args[2], 0u);
    EXPECT_EQ(creations[0].args[3], static_cast<DWORD>(D3DPOOL_DEFAULT));
    EXPECT_EQ(scene.device.CountOf(DeviceMethod::BeginStateBlock), 2u);
    EXPECT_NE(scene.font.savedState, 0u);
    EXPECT_NE(scene.font.drawState, 0u);
    EXPECT_NE(scene.font.savedState, scene.font.drawState);

    // Both blocks set the same states, to the same values.
    const std::vector<DeviceCall>& calls = scene.device.Calls();
    std::vector<std::vector<DWORD>> blocks(2);
    int block = -1;
    for (const DeviceCall& call : calls) {
        if (call.method == DeviceMethod::BeginStateBlock) {
            ++block;
        } else if (block >= 0 && call.method != DeviceMethod::EndStateBlock) {
            blocks[block].insert(blocks[block].end(), {static_cast<DWORD>(call.method), call.args[0], call.args[1],
                                                       call.args[2]});
        }
    }
    EXPECT_EQ(blocks[0], blocks[1]);

    // What drawing runs under.
    ASSERT_EQ(scene.font.DrawString(0, 0, 0xFFFFFFFFu, "A"), S_OK);
    ASSERT_EQ(scene.device.Draws().size(), 1u);
    const DeviceState& state = scene.device.Draws()[0].state;
    EXPECT_EQ(state.renderStates[D3DRS_ZENABLE], static_cast<DWORD>(TRUE));
    EXPECT_EQ(state.renderStates[D3DRS_ALPHABLENDENABLE], static_cast<DWORD>(TRUE));
    EXPECT_EQ(state.renderStates[D3DRS_SRCBLEND], static_cast<DWORD>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(state.renderStates[D3DRS_DESTBLEND], static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(state.renderStates[D3DRS_ALPHAREF], 8u);
    EXPECT_EQ(state.textureStageStates[0][D3DTSS_ALPHAOP], static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(state.textureStageStates[1][D3DTSS_COLOROP], static_cast<DWORD>(D3DTOP_DISABLE));
    EXPECT_EQ(state.textures[0], scene.font.texture);
    EXPECT_EQ(state.streamSource, scene.font.vertexBuffer);
    EXPECT_EQ(state.streamStride, 28u);
    EXPECT_EQ(state.vertexShader, FontVertexFVF);
    EXPECT_EQ(state.pixelShader, 0u);

    FontOnDevice noDepth(12);
    ASSERT_EQ(noDepth.font.DrawString(0, 0, 0xFFFFFFFFu, "A"), S_OK);
    EXPECT_EQ(noDepth.device.Draws()[0].state.renderStates[D3DRS_ZENABLE], static_cast<DWORD>(FALSE));
}

TEST(BitmapFontBuffers, ReleasedBuffersLetTheDeviceResetAndComeBack)
{
    FontOnDevice scene(12);
    ASSERT_EQ(scene.restored, S_OK);
    D3DPRESENT_PARAMETERS parameters = NullDevice::DefaultPresentParameters();
    EXPECT_NE(scene.device.Reset(&parameters), D3D_OK) << "the dynamic buffer blocks a reset";
    ASSERT_EQ(scene.font.ReleaseBuffers(), S_OK);
    EXPECT_EQ(scene.font.savedState, 0u);
    EXPECT_EQ(scene.font.drawState, 0u);
    EXPECT_EQ(scene.device.CountOf(DeviceMethod::DeleteStateBlock), 2u);
    EXPECT_EQ(scene.device.LiveDefaultPoolResources(), 0u);
    EXPECT_EQ(scene.device.Reset(&parameters), D3D_OK);

    // The atlas survives the reset; drawing needs the buffers back.
    EXPECT_EQ(scene.font.DrawString(0, 0, 0xFFFFFFFFu, "A"), E_FAIL);
    ASSERT_EQ(scene.font.RestoreBuffers(), S_OK);
    EXPECT_EQ(scene.font.DrawString(0, 0, 0xFFFFFFFFu, "A"), S_OK);
    EXPECT_EQ(scene.device.Draws().size(), 1u);

    ASSERT_EQ(scene.font.ReleaseAtlas(), S_OK);
    EXPECT_EQ(scene.font.device, nullptr);
    EXPECT_EQ(scene.font.texture, nullptr);
    EXPECT_EQ(scene.font.vertexBuffer, nullptr);
    EXPECT_EQ(scene.font.DrawString(0, 0, 0xFFFFFFFFu, "A"), E_FAIL);
}

TEST(BitmapFontFailures, CreationFailuresComeBackUnchanged)
{
    RecordingDevice device;
    BitmapFont font("Arial", 12, BitmapFontBold);
    device.FailNextCreateTexture(D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(font.BuildAtlas(&device), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(font.texture, nullptr);
    EXPECT_EQ(font.DrawString(0, 0, 0xFFFFFFFFu, "A"), E_FAIL);
    EXPECT_EQ(font.RestoreBuffers(), E_FAIL) << "no atlas to draw from";

    ASSERT_EQ(font.BuildAtlas(&device), S_OK);
    device.FailNextCreateVertexBuffer(E_OUTOFMEMORY);
    EXPECT_EQ(font.RestoreBuffers(), E_OUTOFMEMORY);
    EXPECT_EQ(font.vertexBuffer, nullptr);
    EXPECT_EQ(font.savedState, 0u);
    EXPECT_EQ(font.DrawString(0, 0, 0xFFFFFFFFu, "A"), E_FAIL) << "an atlas without buffers draws nothing";
    EXPECT_EQ(device.Draws().size(), 0u);

    // A state block that cannot be recorded (one is being recorded already) leaves nothing behind.
    ASSERT_EQ(device.BeginStateBlock(), D3D_OK);
    EXPECT_EQ(font.RestoreBuffers(), D3DERR_INVALIDCALL);
    DWORD token = 0;
    ASSERT_EQ(device.EndStateBlock(&token), D3D_OK);
    device.DeleteStateBlock(token);
    EXPECT_EQ(font.vertexBuffer, nullptr);
    EXPECT_EQ(device.LiveDefaultPoolResources(), 0u);

    ASSERT_EQ(font.RestoreBuffers(), S_OK);
    EXPECT_EQ(font.DrawString(0, 0, 0xFFFFFFFFu, nullptr), E_INVALIDARG);
    EXPECT_EQ(font.BuildAtlas(nullptr), E_INVALIDARG);
    font.ReleaseAtlas();

    BitmapFont neverBuilt("Arial", 12);
    EXPECT_EQ(neverBuilt.DrawString(0, 0, 0xFFFFFFFFu, "A"), E_FAIL);
    EXPECT_EQ(neverBuilt.ReleaseBuffers(), S_OK);
    EXPECT_EQ(neverBuilt.ReleaseAtlas(), S_OK);
}

TEST(BitmapFontDrawing, QuadsCarryPositionDepthColourAndAtlasCoordinates)
{
    FontOnDevice scene(12);
    ASSERT_EQ(scene.font.DrawString(100.0f, 50.0f, 0x80FF4020u, "AB"), S_OK);
    ASSERT_EQ(scene.DrawnTriangleCounts(), (std::vector<UINT>{4}));
    const DrawRecord& draw = scene.device.Draws()[0];
    EXPECT_EQ(draw.type, D3DPT_TRIANGLELIST);
    EXPECT_EQ(draw.startVertex, 0u);
    EXPECT_EQ(draw.stride, 28u);

    const std::vector<FontVertex> vertices = scene.DrawnVertices();
    const float* a = scene.font.texCoords['A' - 32];
    const float wA = scene.GlyphWidth('A');
    const float h = scene.GlyphHeight('A');
    const FontVertex expected[6] = {
        {99.5f, 49.5f + h, 0.9f, 1.0f, 0x80FF4020u, a[0], a[3]},
        {99.5f, 49.5f, 0.9f, 1.0f, 0x80FF4020u, a[0], a[1]},
        {99.5f + wA, 49.5f + h, 0.9f, 1.0f, 0x80FF4020u, a[2], a[3]},
        {99.5f + wA, 49.5f, 0.9f, 1.0f, 0x80FF4020u, a[2], a[1]},
        {99.5f + wA, 49.5f + h, 0.9f, 1.0f, 0x80FF4020u, a[2], a[3]},
        {99.5f, 49.5f, 0.9f, 1.0f, 0x80FF4020u, a[0], a[1]},
    };
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(vertices[i].x, expected[i].x) << i;
        EXPECT_FLOAT_EQ(vertices[i].y, expected[i].y) << i;
        EXPECT_EQ(vertices[i].z, 0.9f) << i;
        EXPECT_EQ(vertices[i].rhw, 1.0f) << i;
        EXPECT_EQ(vertices[i].color, 0x80FF4020u) << i;
        EXPECT_EQ(vertices[i].tu, expected[i].tu) << i;
        EXPECT_EQ(vertices[i].tv, expected[i].tv) << i;
    }
    // The next glyph starts where the first one's cell ends.
    const float* b = scene.font.texCoords['B' - 32];
    EXPECT_FLOAT_EQ(vertices[7].x, 99.5f + wA);
    EXPECT_EQ(vertices[7].tu, b[0]);
}

TEST(BitmapFontDrawing, SixtyCharactersTakeTwoDrawsOfAFullBufferAndTheRest)
{
    FontOnDevice scene(12);
    const std::string text(60, 'x');
    ASSERT_EQ(scene.font.DrawString(0, 0, 0xFFFFFFFFu, text.c_str()), S_OK);
    EXPECT_EQ(scene.DrawnTriangleCounts(), (std::vector<UINT>{100, 20}));
    // Each batch starts over at the front of a discarded buffer.
    const std::vector<DeviceCall> locks = scene.device.CallsOf(DeviceMethod::VertexBufferLock);
    ASSERT_EQ(locks.size(), 2u);
    for (const DeviceCall& lock : locks) {
        EXPECT_EQ(lock.args[2], D3DLOCK_DISCARD);
    }
    for (const DrawRecord& draw : scene.device.Draws()) {
        EXPECT_EQ(draw.startVertex, 0u);
    }
    // The second batch goes on where the first stopped: character 51 follows character 50.
    const float w = scene.GlyphWidth('x');
    EXPECT_NEAR(scene.device.Vertex<FontVertex>(1, 0).x, 50 * w - 0.5f, 1e-3f);

    // 49 characters (294 vertices) still fit one batch; 50 fill it and draw at once.
    FontOnDevice below(12);
    ASSERT_EQ(below.font.DrawString(0, 0, 0xFFFFFFFFu, std::string(49, 'x').c_str()), S_OK);
    EXPECT_EQ(below.DrawnTriangleCounts(), (std::vector<UINT>{98}));
    FontOnDevice exact(12);
    ASSERT_EQ(exact.font.DrawString(0, 0, 0xFFFFFFFFu, std::string(50, 'x').c_str()), S_OK);
    EXPECT_EQ(exact.DrawnTriangleCounts(), (std::vector<UINT>{100}));

    FontOnDevice empty(12);
    ASSERT_EQ(empty.font.DrawString(0, 0, 0xFFFFFFFFu, "   "), S_OK);
    EXPECT_EQ(empty.device.CountOf(DeviceMethod::DrawPrimitive), 0u);
}

TEST(BitmapFontDrawing, SpacesAdvanceAndControlCharactersAndHighBytesDoNot)
{
    FontOnDevice scene(12);
    const float wA = scene.GlyphWidth('A');
    const float wSpace = scene.GlyphWidth(' ');
    ASSERT_GT(wSpace, 0.0f);

    ASSERT_EQ(scene.font.DrawString(10, 10, 0xFFFFFFFFu, "A B"), S_OK);
    std::vector<FontVertex> vertices = scene.DrawnVertices();
    ASSERT_EQ(vertices.size(), 12u) << "the space adds no triangles";
    EXPECT_FLOAT_EQ(vertices[7].x, 9.5f + wA + wSpace);

    // Tabs, other controls, DEL and bytes from 128 on neither draw nor move the pen.
    scene.device.Clear();
    const char noisy[] = {'A', '\t', '\r', 1, 127, static_cast<char>(0x80), static_cast<char>(0xE9),
                          static_cast<char>(0xFF), 'B', 0};
    ASSERT_EQ(scene.font.DrawString(10, 10, 0xFFFFFFFFu, noisy), S_OK);
    vertices = scene.DrawnVertices();
    ASSERT_EQ(vertices.size(), 12u);
    EXPECT_FLOAT_EQ(vertices[7].x, 9.5f + wA);
    EXPECT_FLOAT_EQ(vertices[7].y, 9.5f);
}

TEST(BitmapFontDrawing, ANewlineReturnsToTheStartOneLineDown)
{
    FontOnDevice scene(12);
    ASSERT_EQ(scene.font.DrawString(30, 40, 0xFFFFFFFFu, "AB\nC\n\nD"), S_OK);
    const std::vector<FontVertex> vertices = scene.DrawnVertices();
    ASSERT_EQ(vertices.size(), 24u);
    const float line = scene.GlyphHeight(' ');
    // Vertex 1 of each quad is its top-left corner.
    EXPECT_FLOAT_EQ(vertices[12 + 1].x, 29.5f);
    EXPECT_FLOAT_EQ(vertices[12 + 1].y, 39.5f + line);
    EXPECT_FLOAT_EQ(vertices[18 + 1].x, 29.5f);
    EXPECT_FLOAT_EQ(vertices[18 + 1].y, 39.5f + 3 * line);
}

TEST(BitmapFontDrawing, TheCallersStateIsTheSameAfterDrawing)
{
    FontOnDevice scene(12);
    RecordingDevice& device = scene.device;
    // A caller's state that differs from the font's in every group the font touches.
    IDirect3DTexture8* texture = nullptr;
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(device.CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(device.CreateVertexBuffer(64 * 24, 0, 0x142, D3DPOOL_MANAGED, &buffer), D3D_OK);
    device.SetTexture(0, texture);
    device.SetStreamSource(0, buffer, 24);
    device.SetVertexShader(0x142);
    device.SetRenderState(D3DRS_ZENABLE, TRUE);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device.SetRenderState(D3DRS_FOGENABLE, TRUE);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    const DeviceState before = device.State();

    for (DWORD drawFlags : {0u, BitmapFontFiltered}) {
        device.Clear();
        ASSERT_EQ(scene.font.DrawString(5, 5, 0xFFFFFFFFu, "Hi!\nok", drawFlags), S_OK);
        const DeviceState& after = device.State();
        EXPECT_TRUE(SameBytes(after.renderStates, before.renderStates)) << drawFlags;
        EXPECT_TRUE(SameBytes(after.textureStageStates, before.textureStageStates)) << drawFlags;
        EXPECT_EQ(after.textures[0], before.textures[0]);
        EXPECT_EQ(after.streamSource, before.streamSource);
        EXPECT_EQ(after.streamStride, before.streamStride);
        EXPECT_EQ(after.vertexShader, before.vertexShader);
        EXPECT_EQ(after.pixelShader, before.pixelShader);
        // The linear flag reaches the draws only.
        const DWORD filter = drawFlags ? D3DTEXF_LINEAR : D3DTEXF_POINT;
        EXPECT_EQ(device.Draws().at(0).state.textureStageStates[0][D3DTSS_MINFILTER], filter);
        EXPECT_EQ(device.Draws().at(0).state.textureStageStates[0][D3DTSS_MAGFILTER], filter);
    }
    device.SetTexture(0, nullptr);
    device.SetStreamSource(0, nullptr, 0);
    texture->Release();
    buffer->Release();
}
