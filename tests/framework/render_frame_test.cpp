// SPDX-License-Identifier: GPL-3.0-or-later
// Frame pacing and pausing on a hand-moved clock, and one frame on a recording device: nothing is
// presented when no time passed, the statistics line, device loss and reset, and failed frames.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "framework/app_framework.h"
#include "framework/app_timer.h"
#include "tests/framework/fake_direct3d.h"

namespace {

std::atomic<LONGLONG> ticks{0};

BOOL HandFrequency(LARGE_INTEGER* out)
{
    out->QuadPart = 1000;
    return TRUE;
}

BOOL HandCounter(LARGE_INTEGER* out)
{
    out->QuadPart = ticks.load();
    return TRUE;
}

DWORD HandMilliseconds() { return static_cast<DWORD>(ticks.load()); }

void At(double seconds) { ticks = static_cast<LONGLONG>(seconds * 1000.0 + 0.5); }

class FrameApp : public AppFramework {
public:
    int advanced = 0;
    int drawn = 0;
    int invalidated = 0;
    int restored = 0;
    HRESULT drawResult = S_OK;
    float advancedAt = -1.0f;

    HRESULT AdvanceFrame() override
    {
        ++advanced;
        advancedAt = time;
        return S_OK;
    }
    HRESULT DrawFrame() override
    {
        ++drawn;
        return drawResult;
    }
    HRESULT InvalidateDeviceResources() override
    {
        ++invalidated;
        return S_OK;
    }
    HRESULT RestoreDeviceResources() override
    {
        ++restored;
        return S_OK;
    }
};

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("FIREWORKS_MESSAGE_BOX", "stderr", 1);
        SetAppTimerClock({HandFrequency, HandCounter, HandMilliseconds});
        AppFramework::pauseCount = 0;
        AppFramework::statsFrameCount = 0;
        AppFramework::lastStatsTime = 0.0f;

        fake.adapters = {CapableAdapter({{640, 480, 60, D3DFMT_X8R8G8B8}})};
        app.d3d = &fake;
        app.useDepthBuffer = true;
        ASSERT_EQ(app.EnumerateDevices(), S_OK);
        device = new RecordingDevice();
        app.device = device;
        app.backBufferDesc.Width = 640;
        app.backBufferDesc.Height = 480;
        app.active = true;
        app.ready = true;

        At(5.0);
        AppTimer(TimerCommand::Start);
    }
    void TearDown() override
    {
        device->Release();
        app.device = nullptr;
        SetAppTimerClock(PlatformTimerClock());
    }

    FakeDirect3D fake;
    FrameApp app;
    RecordingDevice* device = nullptr;
};

TEST(FramePacing, SleepsTheRestOfTheFrameTimeInWholeMillisecondsLessOne)
{
    EXPECT_EQ(PassSleepMilliseconds(0.01f, 0.0025f), 6);
    EXPECT_EQ(PassSleepMilliseconds(0.01f, 0.008f), 0);
    EXPECT_EQ(PassSleepMilliseconds(0.01f, 0.012f), 0);
    // A paused pass takes no application time at all.
    EXPECT_EQ(PassSleepMilliseconds(0.01f, 0.0f), 8);
}

TEST_F(FrameTest, PausesNestAndStopApplicationTimeUntilTheLastEnds)
{
    At(6.0);
    app.SetPaused(true);
    EXPECT_FALSE(app.ready);
    app.SetPaused(true);
    At(9.0);
    app.SetPaused(false);
    EXPECT_FALSE(app.ready);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 6.0);
    At(10.0);
    app.SetPaused(false);
    EXPECT_TRUE(app.ready);
    At(10.5);
    // Four paused seconds are left out, and the first elapsed time covers only the time since the end.
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::AppTime), 6.5);
    EXPECT_DOUBLE_EQ(AppTimer(TimerCommand::ElapsedTime), 0.5);
}

TEST_F(FrameTest, NoElapsedTimeMeansNothingIsAdvancedOrPresented)
{
    EXPECT_EQ(app.RenderOneFrame(), S_OK);
    EXPECT_EQ(app.advanced, 0);
    EXPECT_EQ(device->CountOf(DeviceMethod::Present), 0u);
    EXPECT_EQ(device->CountOf(DeviceMethod::BeginScene), 0u);
    EXPECT_EQ(app.FrameStatsText[0], '\0');
}

TEST_F(FrameTest, TheFirstDrawnFrameWritesTheStatisticsLine)
{
    At(5.01);
    EXPECT_EQ(app.RenderOneFrame(), S_OK);
    EXPECT_EQ(app.advanced, 1);
    EXPECT_FLOAT_EQ(app.advancedAt, 5.01f);
    EXPECT_FLOAT_EQ(app.elapsed, 0.01f);
    EXPECT_EQ(device->CountOf(DeviceMethod::Present), 1u);
    EXPECT_STREQ(app.FrameStatsText, "0.20 fps (640x480x32) (D16)");

    // Within the next second the line stays; after it, the frames since are counted.
    At(5.5);
    app.RenderOneFrame();
    EXPECT_STREQ(app.FrameStatsText, "0.20 fps (640x480x32) (D16)");
    At(6.02);
    app.RenderOneFrame();
    EXPECT_STREQ(app.FrameStatsText, "1.98 fps (640x480x32) (D16)");
}

TEST_F(FrameTest, ALostDeviceDrawsNothingAndIsResetWithTheNewDesktopFormatWhenItCanBe)
{
    At(5.1);
    device->SetCooperativeLevel(D3DERR_DEVICELOST);
    EXPECT_EQ(app.RenderOneFrame(), S_OK);
    EXPECT_EQ(device->CountOf(DeviceMethod::Present), 0u);
    EXPECT_EQ(device->CountOf(DeviceMethod::Reset), 0u);

    fake.adapters[0].desktop.Format = D3DFMT_R5G6B5;
    device->SetCooperativeLevel(D3DERR_DEVICENOTRESET);
    app.presentParams.BackBufferWidth = 640;
    app.presentParams.BackBufferHeight = 480;
    app.presentParams.BackBufferCount = 1;
    app.presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    app.presentParams.Windowed = TRUE;
    EXPECT_EQ(app.RenderOneFrame(), S_OK);
    const auto resets = device->CallsOf(DeviceMethod::Reset);
    ASSERT_EQ(resets.size(), 1u);
    EXPECT_EQ(resets[0].parameters.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(app.invalidated, 1);
    EXPECT_EQ(app.restored, 1);
    EXPECT_EQ(app.advanced, 0);

    device->SetCooperativeLevel(D3D_OK);
    At(5.2);
    EXPECT_EQ(app.RenderOneFrame(), S_OK);
    EXPECT_EQ(device->CountOf(DeviceMethod::Present), 1u);
}

TEST_F(FrameTest, AFailedFrameIsNotPresentedAndClosesTheProgramAsAFailure)
{
    At(5.1);
    app.drawResult = E_FAIL;
    EXPECT_EQ(app.RenderOneFrame(), E_FAIL);
    EXPECT_EQ(device->CountOf(DeviceMethod::EndScene), 0u);
    EXPECT_EQ(device->CountOf(DeviceMethod::Present), 0u);

    At(5.2);
    EXPECT_TRUE(app.RunRenderPass());
    EXPECT_TRUE(app.endedByFailure);

    // An unexpected cooperative level fails the frame too.
    device->SetCooperativeLevel(E_OUTOFMEMORY);
    EXPECT_EQ(app.RenderOneFrame(), E_OUTOFMEMORY);
}

TEST_F(FrameTest, ThePassEndsOnceQuitIsSetAndDrawsOnlyWhileActiveAndReady)
{
    At(5.1);
    app.ready = false;
    EXPECT_TRUE(app.RunRenderPass());
    EXPECT_EQ(app.advanced, 0);
    app.quit = true;
    app.ready = true;
    EXPECT_FALSE(app.RunRenderPass());
    EXPECT_EQ(app.advanced, 0);
}

} // namespace
