// SPDX-License-Identifier: GPL-3.0-or-later
// The render thread: passes of about frameTime under RenderLock, each advancing, drawing and
// presenting one frame, with device-loss handling and the frame statistics line.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/app_framework.h"
#include "framework/app_timer.h"
#include "platform/os/threads.h"

int PassSleepMilliseconds(float frameTime, float passLength)
{
    if (!(passLength < frameTime)) {
        return 0;
    }
    // In double, as the stored 32-bit values are: 0.01f then leaves 9.9999998 ms, not 10.
    const double remaining = (static_cast<double>(frameTime) - static_cast<double>(passLength)) * 1000.0;
    const int milliseconds = static_cast<int>(std::trunc(remaining)) - 1;
    return milliseconds > 0 ? milliseconds : 0;
}

void AppFramework::RenderThreadMain(void* unused)
{
    (void)unused;
    AppFramework* app = Instance();
    if (app == nullptr) {
        return;
    }
    while (app->RunRenderPass()) {
    }
}

bool AppFramework::RunRenderPass()
{
    const float passStart = static_cast<float>(AppTimer(TimerCommand::AppTime));

    while (pendingEvents != nullptr) {
        PendingEvent* event = pendingEvents;
        pendingEvents = event->next;
        HandleQueuedEvent(event);
        delete event;
    }

    EnterCriticalSection(&RenderLock);
    if (quit) {
        LeaveCriticalSection(&RenderLock);
        return false;
    }
    if (active && ready) {
        if (FAILED(RenderOneFrame())) {
            // Posting never waits, so the window thread may take the lock in its WM_CLOSE handling.
            endedByFailure = true;
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }
    const float passLength = static_cast<float>(AppTimer(TimerCommand::AppTime)) - passStart;
    passSeconds = passLength;
    const int sleepMs = PassSleepMilliseconds(frameTime, passLength);
    // A paced show sleeps without the lock, so that input and commands are handled meanwhile; the
    // plain show keeps it through the sleep, so window changes land only between passes.
    if (sleepUnlocked) {
        LeaveCriticalSection(&RenderLock);
    }
    if (sleepMs > 0) {
        Sleep(static_cast<DWORD>(sleepMs));
    }
    if (!sleepUnlocked) {
        LeaveCriticalSection(&RenderLock);
    }
    return true;
}

HRESULT AppFramework::RenderOneFrame()
{
    HRESULT hr = device->TestCooperativeLevel();
    if (FAILED(hr)) {
        if (hr == D3DERR_DEVICELOST) {
            return S_OK;
        }
        if (hr == D3DERR_DEVICENOTRESET) {
            if (windowed) {
                AdapterInfo& adapter = CurrentAdapter();
                d3d->GetAdapterDisplayMode(currentAdapter, &adapter.desktopMode);
                presentParams.BackBufferFormat = adapter.desktopMode.Format;
            }
            return ResetDevice();
        }
        return hr;
    }

    const float appTime = static_cast<float>(AppTimer(TimerCommand::AppTime));
    const float elapsedTime = static_cast<float>(AppTimer(TimerCommand::ElapsedTime));
    if (elapsedTime == 0.0f) {
        return S_OK;
    }
    time = appTime;
    elapsed = elapsedTime;
    hr = AdvanceFrame();
    if (FAILED(hr)) {
        return hr;
    }
    hr = device->BeginScene();
    if (FAILED(hr)) {
        return hr;
    }
    hr = DrawFrame();
    if (FAILED(hr)) {
        return hr;
    }
    device->EndScene();

    const double now = AppTimer(TimerCommand::AbsoluteTime);
    ++statsFrameCount;
    if (now - lastStatsTime > 1.0) {
        fps = static_cast<float>(statsFrameCount / (now - lastStatsTime));
        statsFrameCount = 0;
        lastStatsTime = static_cast<float>(now);
        D3DDISPLAYMODE mode = {};
        d3d->GetAdapterDisplayMode(currentAdapter, &mode);
        std::snprintf(FrameStatsText, sizeof(FrameStatsText), "%.02f fps (%dx%dx%d)", static_cast<double>(fps),
                      static_cast<int>(backBufferDesc.Width), static_cast<int>(backBufferDesc.Height),
                      mode.Format == D3DFMT_X8R8G8B8 ? 32 : 16);
        if (useDepthBuffer) {
            std::strncat(FrameStatsText, DepthFormatSuffix(CurrentMode().depthStencilFormat),
                         sizeof(FrameStatsText) - std::strlen(FrameStatsText) - 1);
        }
    }

    device->Present(nullptr, nullptr, nullptr, nullptr);
    return S_OK;
}
