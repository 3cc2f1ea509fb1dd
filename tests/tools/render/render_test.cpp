// SPDX-License-Identifier: GPL-3.0-or-later
// The headless renderer: its script language, and a real show drawn on the OpenGL device with the
// generated media, read back from the back buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "effects/billboard.h"
#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/lit_area.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_batches.h"
#include "media/d3d_file.h"
#include "platform/d3d8/gl/gl_device.h"
#include "tools/render/offline_show.h"
#include "app/show_scene.h"
#include "app/show_script.h"

namespace {

struct Pixels {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint32_t> argb;

    std::uint32_t At(UINT x, UINT y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

Pixels ReadBack(IDirect3DDevice8* device)
{
    Pixels pixels;
    IDirect3DSurface8* surface = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface))) {
        return pixels;
    }
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        pixels.width = desc.Width;
        pixels.height = desc.Height;
        for (UINT y = 0; y < desc.Height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.pBits) +
                                                                     static_cast<std::size_t>(y) * locked.Pitch);
            pixels.argb.insert(pixels.argb.end(), row, row + desc.Width);
        }
        surface->UnlockRect();
    }
    surface->Release();
    return pixels;
}

int Brightness(std::uint32_t argb)
{
    return static_cast<int>(((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF));
}

// Bright pixels in the upper half, where bursts at height 3..5 appear from the orbit's start.
int BrightPixelsAbove(const Pixels& pixels, UINT rows)
{
    int count = 0;
    for (UINT y = 0; y < rows; ++y) {
        for (UINT x = 0; x < pixels.width; ++x) {
            count += Brightness(pixels.At(x, y)) > 300 ? 1 : 0;
        }
    }
    return count;
}

// Largest difference of any channel, and how many pixels differ at all.
struct Difference {
    int largest = 0;
    int pixels = 0;
};

Difference Compare(const Pixels& a, const Pixels& b)
{
    Difference difference;
    for (std::size_t i = 0; i < a.argb.size() && i < b.argb.size(); ++i) {
        int worst = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const int x = static_cast<int>((a.argb[i] >> shift) & 0xFF);
            const int y = static_cast<int>((b.argb[i] >> shift) & 0xFF);
            worst = std::max(worst, std::abs(x - y));
        }
        difference.pixels += worst > 0 ? 1 : 0;
        difference.largest = std::max(difference.largest, worst);
    }
    return difference;
}

} // namespace

TEST(RenderScript, ReadsLaunchesAndClicksInTimeOrder)
{
    RenderScript script;
    std::string error;
    ASSERT_TRUE(ParseRenderScript("# a show\n"
                                  "at 1.5 click\n"
                                  "\n"
                                  "at 0.25 launch 3004 0 0 0  0.5 4 -0.5  # Saturn\n",
                                  script, error))
        << error;
    ASSERT_EQ(script.events.size(), 2u);
    EXPECT_EQ(script.events[0].kind, ScriptEvent::Kind::Launch);
    EXPECT_EQ(script.events[0].typeId, 3004);
    EXPECT_FLOAT_EQ(script.events[0].burst[1], 4.0f);
    EXPECT_FLOAT_EQ(script.events[0].burst[2], -0.5f);
    EXPECT_EQ(script.events[1].kind, ScriptEvent::Kind::Click);
    EXPECT_FLOAT_EQ(script.events[1].Seconds(), 1.5f);
}

TEST(RenderScript, NamesTheLineOfEveryMistake)
{
    const char* bad[] = {
        "at x click",                        // no time
        "at -1 click",                       // negative time
        "at 1 launch 3004 0 0 0 1 2",        // five of six numbers
        "at 1 launch 3004 0 0 0 1 2 3 4",    // one too many
        "at 1 jump",                         // unknown action
        "click at 1",                        // wrong order
        "at 1 launch 3004 0 0 0 nan 4 0",    // not a number
    };
    for (const char* line : bad) {
        RenderScript script;
        std::string error;
        EXPECT_FALSE(ParseRenderScript(std::string("at 0 click\n") + line + "\n", script, error)) << line;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
    }
}

TEST(RenderScript, RefusesWhatItCannotDoAndQuotesTheLine)
{
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"at 1.0", "line 1: missing the action after the time (launch or click): 'at 1.0'"},
        {"at 0x10 click", "line 1: '0x10' is not a time in seconds: 'at 0x10 click'"},
        {"at 1e30 click", "line 1: time '1e30' is outside 0 to 3600 s: 'at 1e30 click'"},
        {"at 4000 click", "line 1: time '4000' is outside 0 to 3600 s: 'at 4000 click'"},
        {"at 1 launch 30.5 0 0 0 1 2 3", "line 1: '30.5' is not a firework id: 'at 1 launch 30.5 0 0 0 1 2 3'"},
        {"at 1 launch 3004 0 0 0 1 2 1e9", "line 1: coordinate '1e9' is outside -1000 to 1000: "
                                           "'at 1 launch 3004 0 0 0 1 2 1e9'"},
        {"at 1 launch 3004 0 0 0 1 2 3 # a long comment that goes on and on and on and on and on",
         nullptr},
        {"at 1 launch 3004 0 0 0 1 2 333333333333333333333333333333333333333333333333333333333333333",
         "line 1: coordinate '333333333333333333333...' is outside -1000 to 1000: "
         "'at 1 launch 3004 0 0 0 1 2 333333333333333333333333333333...'"},
    };
    for (const auto& c : cases) {
        RenderScript script;
        std::string error;
        EXPECT_EQ(ParseRenderScript(c.line, script, error), c.message == nullptr) << c.line;
        if (c.message != nullptr) {
            EXPECT_EQ(error, c.message);
        }
    }

    // A script may hold only so many events; the line past the limit is named.
    std::string many;
    for (int i = 0; i <= kMaxEvents; ++i) {
        many += "at " + std::to_string(i % 100) + " click\n";
    }
    RenderScript script;
    std::string error;
    EXPECT_FALSE(ParseRenderScript(many, script, error));
    EXPECT_EQ(error.rfind("line " + std::to_string(kMaxEvents + 1) + ": more than", 0), 0u) << error;
}

TEST(RenderScript, ChecksFireworkIdsAndLaunchesPerFrame)
{
    const auto known = [](int id) { return id == 3004; };
    RenderScript script;
    std::string error;
    ASSERT_TRUE(ParseRenderScript("at 0 click\nat 0.5 launch 3004 0 0 0 0 4 0\nat 1 launch 5050 0 0 0 0 4 0\n",
                                  script, error));
    EXPECT_FALSE(CheckRenderScript(script, 0.01, known, error));
    EXPECT_EQ(error, "line 3: no firework type 5050: 'at 1 launch 5050 0 0 0 0 4 0'");

    // A thousand launches in one frame are taken; one more is not, and neither is it with a coarser step
    // that gathers the launches of half a second apart into one frame.
    std::string busy;
    for (int i = 0; i < kMaxLaunchesPerFrame; ++i) {
        busy += "at 1 click\nat 1.5 click\n";
    }
    ASSERT_TRUE(ParseRenderScript(busy, script, error));
    EXPECT_TRUE(CheckRenderScript(script, 0.01, known, error)) << error;
    EXPECT_FALSE(CheckRenderScript(script, 1.0, known, error));
    ASSERT_TRUE(ParseRenderScript(busy + "at 1.001 click\n", script, error));
    EXPECT_FALSE(CheckRenderScript(script, 0.01, known, error));
    EXPECT_EQ(error, "line " + std::to_string(2 * kMaxLaunchesPerFrame + 1) +
                         ": more than 1000 launches in the frame at 1.001 s: 'at 1.001 click'");
}

TEST(OfflineShow, ABurstLightsTheSkyAndTheSeaWithTheGeneratedMedia)
{
    // The media are written beside the programs; the show looks them up in the current folder.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(FIREWORKS_BIN_DIR);

    OfflineShowOptions options;
    options.width = 160;
    options.height = 120;
    OfflineShow show;
    std::string error;
    ASSERT_TRUE(show.Open(options, error)) << error;

    show.Frame(0.01f, 0.01f, false);
    const Pixels before = ReadBack(show.Device());
    ASSERT_EQ(before.width, 160u);
    EXPECT_EQ(BrightPixelsAbove(before, 60), 0);

    // A peony climbs for 2 s from the origin to (0, 4, 0), then flashes.
    const float launch[3] = {0.0f, 0.0f, 0.0f};
    const float burst[3] = {0.0f, 4.0f, 0.0f};
    ASSERT_TRUE(show.Launch(5003, launch, burst));
    EXPECT_FALSE(show.Launch(5050, launch, burst));
    float time = 0.01f;
    for (int frame = 0; frame < 230; ++frame) {
        time += 0.01f;
        show.Frame(time, 0.01f, false);
    }
    const Pixels burstFrame = ReadBack(show.Device());
    EXPECT_GT(BrightPixelsAbove(burstFrame, 60), 20);
    EXPECT_GT(FlashBrightness, 0.0f);

    // The sea near the launch site, lit by the flash of the previous frame, is brighter than before.
    long seaBefore = 0;
    long seaLit = 0;
    for (UINT y = 100; y < 120; ++y) {
        for (UINT x = 60; x < 100; ++x) {
            seaBefore += Brightness(before.At(x, y));
            seaLit += Brightness(burstFrame.At(x, y));
        }
    }
    EXPECT_GT(seaBefore, 0) << "the sea shows under the global ambient";
    EXPECT_GT(seaLit, seaBefore);

    show.Close();
    std::filesystem::current_path(previous);
}

// The brightest pixel on the frame's border (two pixels deep) over a finale from every shore site:
// shells bursting 5 up and a unit out past the outermost sites, followed until their stars fade.
int FinaleBorderBrightness(RenderCamera camera)
{
    OfflineShowOptions options;
    options.width = 160;
    options.height = 120;
    options.sea = false;
    options.camera = camera;
    OfflineShow show;
    std::string error;
    if (!show.Open(options, error)) {
        ADD_FAILURE() << error;
        return -1;
    }
    const int kinds[] = {1002, 2005, 3000, 4006, 5001, 6009, 5003};
    for (int site = 0; site < 7; ++site) {
        const float x = static_cast<float>(site - 3);
        const float launch[3] = {x, 0.0f, 1.0f};
        const float burst[3] = {x + (x < 0.0f ? -1.0f : x > 0.0f ? 1.0f : 0.0f), 5.0f, site % 2 == 0 ? 0.0f : 2.0f};
        show.Launch(kinds[site], launch, burst);
    }
    int brightest = 0;
    for (int frame = 1; frame <= 700; ++frame) {
        show.Frame(0.01f * static_cast<float>(frame), 0.01f, false);
        if (frame % 5 != 0) {
            continue;
        }
        const Pixels pixels = ReadBack(show.Device());
        for (UINT y = 0; y < pixels.height; ++y) {
            for (UINT x = 0; x < pixels.width; ++x) {
                if (x < 2 || y < 2 || x + 2 >= pixels.width || y + 2 >= pixels.height) {
                    brightest = std::max(brightest, Brightness(pixels.At(x, y)));
                }
            }
        }
    }
    show.Close();
    return brightest;
}

TEST(OfflineShow, TheWideCameraKeepsAFinaleInFrame)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(FIREWORKS_BIN_DIR);
    // The orbit's close view loses the outer bursts past its edges; the wide one keeps them all.
    EXPECT_GT(FinaleBorderBrightness(RenderCamera::Orbit), 150);
    EXPECT_LT(FinaleBorderBrightness(RenderCamera::Wide), 40);
    std::filesystem::current_path(previous);
}

// A show without the sea after one empty frame, which leaves the view and the additive states of the
// effect passes in place, with the quad buffer as the stream: for drawing billboards or a sea by hand.
class DrawingWithoutTheSea : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(FIREWORKS_BIN_DIR);
        OfflineShowOptions options;
        options.width = 320;
        options.height = 240;
        options.sea = false;
        std::string error;
        ASSERT_TRUE(show.Open(options, error)) << error;
        show.Frame(0.01f, 0.01f, false);
        device = show.Device();
        device->SetStreamSource(0, SharedEffects.quadBuffer, sizeof(TexturedVertex));
        device->SetVertexShader(TexturedVertexFVF);
    }

    void TearDown() override
    {
        show.Close();
        std::filesystem::current_path(previous);
    }

    std::filesystem::path previous;
    OfflineShow show;
    IDirect3DDevice8* device = nullptr;
};

TEST_F(DrawingWithoutTheSea, UnlitTheCalmSeaDrawsWhatTheSeaDraws)
{
    CD3DFile sea;
    CD3DFile calm;
    ASSERT_EQ(sea.Load(device, "sea.x"), S_OK);
    ASSERT_TRUE(LoadCalmSea(device, calm));
    sea.AttachTree(device);
    calm.AttachTree(device);
    // From the orbit camera's start, the sea out to the fog's end.
    const D3DXVECTOR3 eye(0.0f, 5.0f, 6.0f);
    const D3DXVECTOR3 at(0.0f, 3.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    const auto draw = [&](float brightness, CD3DFile* calmSea) {
        FlashBrightness = brightness;
        device->BeginScene();
        DrawShowScene(device, view, &sea, calmSea);
        device->EndScene();
        return ReadBack(device);
    };
    // The waves move the fog by a tenth of a level at most: one level apart where that crosses a rounding.
    const Pixels fine = draw(0.0f, nullptr);
    const Difference unlit = Compare(fine, draw(0.0f, &calm));
    EXPECT_LE(unlit.largest, 2);
    EXPECT_LT(unlit.pixels, static_cast<int>(fine.argb.size()) / 5);
    // A flash lights the fine sea; the calm one is not drawn then.
    const Pixels lit = draw(1.0f, nullptr);
    EXPECT_EQ(Compare(lit, draw(1.0f, &calm)).pixels, 0);
    EXPECT_GT(Compare(lit, fine).largest, 10);
    FlashBrightness = 0.0f;
    calm.DetachTree();
    sea.DetachTree();
    calm.ReleaseTree();
    sea.ReleaseTree();
}

TEST_F(DrawingWithoutTheSea, TrimmedFlashAndSmokeBillboardsDrawWhatTheirSquaresDraw)
{

    // Drawn magnified, as the flashes and the bursts' puffs are: the octagon's corners cut only dark
    // texels, and its other triangulation moves interpolated values by at most one level.
    const D3DXVECTOR3 centre(0.3f, 3.4f, 0.2f);
    const auto draw = [&](EffectTexture texture, float reach, float cellU, float cellV, float cell, D3DCOLOR color) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device->SetTexture(0, SharedEffects.textures[texture]);
        QuadBatch::Begin();
        TexturedVertex* vertices = nullptr;
        int count = 6;
        if (reach > 0.0f) {
            vertices = QuadBatch::NextTrimmedQuad();
            BuildTrimmedBillboard(centre, 4.0f, reach, color, Effects.viewRotation, Effects.inverseViewRotation,
                                  vertices);
            count = TrimmedBillboardVertices;
        } else {
            vertices = QuadBatch::NextQuad();
            BuildBillboard(centre, 4.0f, color, Effects.viewRotation, Effects.inverseViewRotation, vertices);
        }
        for (int i = 0; i < count; ++i) {
            vertices[i].u = cell * vertices[i].u + cellU;
            vertices[i].v = cell * vertices[i].v + cellV;
        }
        QuadBatch::End();
        return ReadBack(device);
    };
    struct Case {
        EffectTexture texture;
        float reach;
        float cellU;
        float cellV;
        float cell;
        D3DCOLOR color = 0xFFFFFFFFu;
    };
    // A fading flash: only the middle of its image is bright enough to add anything.
    const D3DCOLOR dim = 0xFF101008u;
    const float dimReach = LitReach(SharedEffects.flashReach, dim, 0.93f);
    EXPECT_LT(dimReach, 0.8f);
    EXPECT_GT(LitReach(SharedEffects.flashReach, 0xFFFFFFFFu, 2.0f), 0.9f);
    for (const Case& c : {Case{TextureLight, 0.93f, 0.0f, 0.0f, 1.0f}, Case{TextureBurstSmoke, 1.0f, 0.5f, 0.0f, 0.5f},
                          Case{TextureBurstSmoke, 1.0f, 0.0f, 0.5f, 0.5f}, Case{TextureLight, dimReach, 0.0f, 0.0f, 1.0f, dim}}) {
        const Pixels square = draw(c.texture, 0.0f, c.cellU, c.cellV, c.cell, c.color);
        const Pixels trimmed = draw(c.texture, c.reach, c.cellU, c.cellV, c.cell, c.color);
        ASSERT_EQ(square.argb.size(), trimmed.argb.size());
        int lit = 0;
        for (const std::uint32_t pixel : square.argb) {
            lit += Brightness(pixel) > 0 ? 1 : 0;
        }
        const Difference difference = Compare(square, trimmed);
        EXPECT_GT(lit, 5000) << c.texture;
        EXPECT_LE(difference.largest, 1) << c.texture;
        EXPECT_LT(difference.pixels, lit / 100) << c.texture;
    }
}

TEST_F(DrawingWithoutTheSea, DimPuffsDrawOnlyThePartOfTheirQuadThatAddsLight)
{
    device->SetTexture(0, SharedEffects.textures[TextureSmoke]);
    const LitAreaTable& areas = SharedEffects.smokeAreas;
    ASSERT_EQ(areas.levelCount, 7);
    const PixelScale scale = DevicePixelScale(device);

    // From the mip levels, as the trail puffs are: magnified, minified and down to a few pixels.
    const D3DXVECTOR3 centre(0.3f, 3.4f, 0.2f);
    int trimmed = 0;
    int smallerAtOneLevel = 0;
    for (const float size : {3.0f, 0.9f, 0.35f, 0.12f, 0.03f}) {
        for (const D3DCOLOR color : {0xFF404040u, 0xFF10180Cu, 0xFF030303u, 0xFF010101u}) {
            for (const int image : {0, 3}) {
                const float lod = QuarterImageLod(scale, centre, size, 2 * areas.imageWidth[0], 2 * areas.imageHeight[0]);
                QuadPart part;
                const bool adds = LitQuadPart(areas, image, lod, color, part);
                const auto draw = [&](const QuadPart& drawn) {
                    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
                    QuadBatch::Begin();
                    TexturedVertex* vertices = QuadBatch::NextQuad();
                    BuildBillboardPart(centre, size, drawn, color, Effects.viewRotation, Effects.inverseViewRotation,
                                       vertices);
                    for (int i = 0; i < 6; ++i) {
                        vertices[i].u = 0.5f * vertices[i].u + 0.5f * static_cast<float>(image & 1);
                        vertices[i].v = 0.5f * vertices[i].v + 0.5f * static_cast<float>(image >> 1);
                    }
                    QuadBatch::End();
                    return ReadBack(device);
                };
                const Pixels square = draw(QuadPart{0.0f, 0.0f, 1.0f, 1.0f});
                int lit = 0;
                for (const std::uint32_t pixel : square.argb) {
                    lit += Brightness(pixel) > 0 ? 1 : 0;
                }
                if (!adds) {
                    EXPECT_EQ(lit, 0) << size << " " << color;
                    continue;
                }
                trimmed += (part.u1 - part.u0) * (part.v1 - part.v0) < 0.8f ? 1 : 0;
                const Difference difference = Compare(square, draw(part));
                EXPECT_LE(difference.largest, 1) << size << " " << color << " lod " << lod;
                EXPECT_LE(difference.pixels, std::max(2, lit / 100)) << size << " " << color << " lod " << lod;

                // Read from the one level its size picks, as the trail puffs are, trimmed to that level.
                const int level = NearestMipLevel(lod, 7);
                QuadPart levelPart;
                ASSERT_TRUE(LitQuadPartAtLevel(areas, image, level, color, levelPart));
                device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
                device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, static_cast<DWORD>(level));
                const Difference oneLevel = Compare(square, draw(levelPart));
                device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 0);
                device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
                EXPECT_LE(oneLevel.largest, 1) << size << " " << color << " level " << level;
                EXPECT_LE(oneLevel.pixels, std::max(2, lit / 100)) << size << " " << color << " level " << level;
                smallerAtOneLevel += (levelPart.u1 - levelPart.u0) * (levelPart.v1 - levelPart.v0) <
                                             (part.u1 - part.u0) * (part.v1 - part.v0)
                                         ? 1
                                         : 0;
            }
        }
    }
    EXPECT_GT(trimmed, 4);
    EXPECT_GT(smallerAtOneLevel, 0);
}

TEST(OfflineShow, DrawingStraightIntoTheWindowLooksAsTheCopiedBufferDoes)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(FIREWORKS_BIN_DIR);
    // Five kinds bursting together over the sea, a moment after their flashes, from the same random
    // sequence each time.
    const auto play = [](bool intoWindow) {
        ResetRuntimeRand();
        OfflineShowOptions options;
        options.width = 320;
        options.height = 240;
        OfflineShow show;
        std::string error;
        Pixels pixels;
        if (!show.Open(options, error)) {
            ADD_FAILURE() << error;
            return pixels;
        }
        dynamic_cast<GlDevice&>(*show.Device()).AllowWindowBackBuffer(intoWindow);
        const float origin[3] = {0.0f, 0.0f, 0.0f};
        const float bursts[5][3] = {{-2.0f, 4.0f, -1.0f}, {-1.0f, 4.0f, 1.0f}, {0.0f, 4.0f, -1.5f},
                                    {1.0f, 4.0f, 0.5f},   {2.0f, 4.0f, -0.5f}};
        const int kinds[5] = {1001, 2004, 3007, 4002, 5008};
        for (int i = 0; i < 5; ++i) {
            EXPECT_TRUE(show.Launch(kinds[i], origin, bursts[i]));
        }
        for (int frame = 1; frame <= 220; ++frame) {
            show.Frame(0.01f * static_cast<float>(frame), 0.01f, false);
        }
        pixels = ReadBack(show.Device());
        show.Close();
        return pixels;
    };
    const Pixels direct = play(true);
    const Pixels copied = play(false);
    ASSERT_EQ(direct.argb.size(), copied.argb.size());
    int lit = 0;
    for (const std::uint32_t pixel : copied.argb) {
        lit += Brightness(pixel) > 60 ? 1 : 0;
    }
    EXPECT_GT(lit, 2000);
    // The window's buffer counts rows from the top inside the rasteriser, so an edge that falls exactly
    // on a pixel centre may land on the other side, and blends round a level differently: a few pixels.
    const Difference difference = Compare(direct, copied);
    EXPECT_LT(difference.pixels, static_cast<int>(direct.argb.size()) / 500);
    std::filesystem::current_path(previous);
}
