// SPDX-License-Identifier: GPL-3.0-or-later
// The show's application object without a window: the status line, the ground grid, and the key and
// mouse messages (M flips its flag once per release, Space launches nothing, a click launches one).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "app/ground_grid.h"
#include "app/show_app.h"
#include "app/show_scene.h"
#include "shells/chrysanthemum_layer.h"
#include "shells/layer_registry.h"

namespace {

int QueuedLaunches()
{
    int count = 0;
    for (FireObject* object = LayerRegistry[LayerRisingShell]->incomingList; object != nullptr;
         object = object->next) {
        ++count;
    }
    return count;
}

// Shells waiting to go up and shells rising.
int ShellsInFlight()
{
    int count = QueuedLaunches();
    for (FireObject* object = LayerRegistry[LayerRisingShell]->activeList; object != nullptr;
         object = object->next) {
        ++count;
    }
    return count;
}

ShowApp& App()
{
    static ShowApp app;
    static bool initialised = false;
    if (!initialised) {
        app.InitScene();
        initialised = true;
    }
    return app;
}

void Tap(ShowApp& app, WPARAM key, int downs = 1)
{
    for (int i = 0; i < downs; ++i) {
        app.HandleMessage(nullptr, WM_KEYDOWN, key, 0);
    }
    app.HandleMessage(nullptr, WM_KEYUP, key, 0);
}

} // namespace

TEST(StatusLineTest, EyeInFiveWideColumnsAndTheCameraNumber)
{
    char line[256];
    FormatStatusLine(line, sizeof(line), {0.0f, 5.0f, 6.0f}, 1);
    EXPECT_STREQ(line, "( 0.00  5.00  6.00)  camera = 1");
    FormatStatusLine(line, sizeof(line), {-6.364f, 5.0f, -12.5f}, 0);
    EXPECT_STREQ(line, "(-6.36  5.00 -12.50)  camera = 0");
}

TEST(GroundGridTest, NineByNineVerticesAndTwoTrianglesPerCell)
{
    TexturedVertex vertices[GroundGridVertices];
    std::uint16_t indices[GroundGridIndices];
    WriteGroundGridVertices(vertices);
    WriteGroundGridIndices(indices);
    EXPECT_EQ(vertices[0].x, -128.0f);
    EXPECT_EQ(vertices[0].z, -128.0f);
    EXPECT_EQ(vertices[80].x, 128.0f);
    EXPECT_EQ(vertices[80].z, 128.0f);
    EXPECT_EQ(vertices[80].u, 32.0f);
    EXPECT_EQ(vertices[9].z, -96.0f);
    EXPECT_EQ(vertices[40].color, 0xCCCCCCCCu);
    const std::uint16_t firstCell[6] = {1, 0, 9, 1, 9, 10};
    EXPECT_EQ(std::memcmp(indices, firstCell, sizeof(firstCell)), 0);
    EXPECT_EQ(indices[GroundGridIndices - 1], 80);
    for (std::uint16_t index : indices) {
        ASSERT_LT(index, GroundGridVertices);
    }
}

TEST(ShowAppTest, RegistersEverythingAndStartsInTheOrbit)
{
    ShowApp& app = App();
    EXPECT_STREQ(app.title, ShowTitle);
    EXPECT_TRUE(app.useDepthBuffer);
    EXPECT_EQ(app.commands.commandCount, 81);
    EXPECT_EQ(app.fireworkTypes.count, 66);
    EXPECT_EQ(app.camera.cameraIndex, 1);
    EXPECT_TRUE(app.statusVisible);
}

TEST(ShowAppTest, KeysActOnReleaseOnce)
{
    ShowApp& app = App();
    const bool flag = TextureStageResetFlag;
    Tap(app, 'M', 6);
    EXPECT_EQ(TextureStageResetFlag, !flag);
    Tap(app, 'M');
    EXPECT_EQ(TextureStageResetFlag, flag);

    const int camera = app.camera.cameraIndex;
    Tap(app, 'V', 5);
    EXPECT_EQ(app.camera.cameraIndex, (camera + 1) % 3);
    Tap(app, 'T');
    EXPECT_FALSE(app.statusVisible);
    Tap(app, 'T');
    EXPECT_TRUE(app.statusVisible);

    // Held keys show in the free camera's table while down, and codes beyond it are ignored.
    app.HandleMessage(nullptr, WM_KEYDOWN, 'W', 0);
    EXPECT_EQ(app.camera.keyDown['W'].load(), 1);
    app.HandleMessage(nullptr, WM_KEYUP, 'W', 0);
    EXPECT_EQ(app.camera.keyDown['W'].load(), 0);
    app.HandleMessage(nullptr, WM_KEYDOWN, 0x1234, 0);
    app.HandleMessage(nullptr, WM_KEYUP, 0x1234, 0);
}

TEST(ShowAppTest, SpaceLaunchesNothingAndEachClickLaunchesOne)
{
    ShowApp& app = App();
    const int before = QueuedLaunches();
    Tap(app, VK_SPACE);
    EXPECT_EQ(QueuedLaunches(), before);
    for (int i = 0; i < 3; ++i) {
        app.HandleMessage(nullptr, WM_LBUTTONDOWN, 0, 0);
    }
    EXPECT_EQ(QueuedLaunches(), before + 3);
    for (SceneLayer* layer : LayerRegistry) {
        layer->Clear();
    }
}

// Runs last: it switches the one application object to the automatic show.
TEST(ShowAppTest, AutoShowKeysExistOnlyInTheAutomaticShow)
{
    ShowApp& app = App();
    EXPECT_EQ(app.commands.oneShotCount, 5);
    for (WPARAM key : {WPARAM('O'), WPARAM('K'), WPARAM('P'), WPARAM(VK_PAUSE), WPARAM(VK_ADD)}) {
        Tap(app, key);
    }
    EXPECT_TRUE(app.autoShow.enabled);
    EXPECT_FALSE(app.paused);
    EXPECT_EQ(app.autoShow.rate, 1.0f);
    const int before = ShellsInFlight();
    app.time = 0.5f;
    app.elapsed = 0.01f;
    app.AdvanceFrame();
    EXPECT_EQ(ShellsInFlight(), before);

    app.EnableAutoShow();
    Tap(app, 'K');
    EXPECT_FALSE(app.autoShow.enabled);
    Tap(app, 'O');
    EXPECT_TRUE(app.autoShow.enabled);
    Tap(app, VK_ADD);
    EXPECT_EQ(app.autoShow.rate, 2.0f);
    Tap(app, VK_OEM_MINUS);
    EXPECT_EQ(app.autoShow.rate, 1.0f);

    // Paused, the show's time stands still and nothing goes up; running, the first volley does.
    app.SetSeed(3);
    app.time = 1.0f;
    app.AdvanceFrame();
    Tap(app, 'P');
    EXPECT_TRUE(app.paused);
    for (int i = 0; i < 300; ++i) {
        app.time += 0.01f;
        app.AdvanceFrame();
    }
    EXPECT_EQ(ShellsInFlight(), before);
    Tap(app, VK_PAUSE);
    EXPECT_FALSE(app.paused);
    for (int i = 0; i < 150; ++i) {
        app.time += 0.01f;
        app.AdvanceFrame();
    }
    EXPECT_GT(ShellsInFlight(), before);
    for (SceneLayer* layer : LayerRegistry) {
        layer->Clear();
    }
}
