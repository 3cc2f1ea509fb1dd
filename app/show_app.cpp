// SPDX-License-Identifier: GPL-3.0-or-later
// The show's framework hooks: scene set-up, the device resources through resets, and the frame.
#include "app/show_app.h"

#include <chrono>
#include <cstdio>

#include "app/ground_grid.h"
#include "app/launch_handlers.h"
#include "app/show_audio.h"
#include "app/show_scene.h"
#include "app/show_trace.h"
#include "effects/effect_context.h"
#include "effects/random01.h"
#include "media/bitmap_font.h"
#include "media/d3d_file.h"
#include "media/media_failure.h"
#include "shells/effects_lifecycle.h"

BitmapFont* StatusFont = nullptr;

namespace {

constexpr HRESULT MediaNotFound = static_cast<HRESULT>(0x8200000Bu);

ShowApp& Show()
{
    return *static_cast<ShowApp*>(AppFramework::Instance());
}

// Under RenderLock, after the change: the eye is the one the new mode starts from.
void TraceCamera(const ShowApp& show)
{
    ShowTrace("camera %d eye %.2f %.2f %.2f", show.camera.cameraIndex, show.camera.eye.x, show.camera.eye.y,
              show.camera.eye.z);
}

// The acting commands; each reaches the one application object of the process.
void CameraNextCommand()
{
    ShowApp& show = Show();
    EnterCriticalSection(&show.RenderLock);
    show.NextCamera();
    TraceCamera(show);
    LeaveCriticalSection(&show.RenderLock);
}

void CameraPrevCommand()
{
    ShowApp& show = Show();
    EnterCriticalSection(&show.RenderLock);
    show.PreviousCamera();
    TraceCamera(show);
    LeaveCriticalSection(&show.RenderLock);
}

void StatusToggleCommand()
{
    ShowApp& show = Show();
    EnterCriticalSection(&show.RenderLock);
    show.statusVisible = !show.statusVisible;
    const bool visible = show.statusVisible;
    LeaveCriticalSection(&show.RenderLock);
    ShowTrace("status %s", visible ? "on" : "off");
}

void FullScreenToggleCommand()
{
    ShowApp& show = Show();
    show.SwitchFullScreen();
    ShowTrace("fullscreen %s", show.windowed ? "off" : "on");
}

void QuitCommand()
{
    Show().Quit();
}

} // namespace

ShowApp::ShowApp()
{
    title = ShowTitle;
    useDepthBuffer = true;
    StatusFont = new BitmapFont("Arial", 12, BitmapFontBold);
    sea = new CD3DFile;
    calmSea = new CD3DFile;

    ShowCommandActions actions;
    actions.cameraNext = &CameraNextCommand;
    actions.cameraPrev = &CameraPrevCommand;
    actions.statusToggle = &StatusToggleCommand;
    actions.fullScreenToggle = &FullScreenToggleCommand;
    actions.quit = &QuitCommand;
    RegisterShowCommands(commands, actions);
    RegisterFireworkKinds(fireworkTypes);
    fireworkTypes.SetRenderLock(&RenderLock);
}

ShowApp::~ShowApp()
{
    delete StatusFont;
    StatusFont = nullptr;
    delete sea;
    sea = nullptr;
    delete calmSea;
    calmSea = nullptr;
}

HRESULT ShowApp::Startup(HINSTANCE instance)
{
    if (adoptedWindow != 0 && window == nullptr) {
        // The framework's own window class, with no cursor: a screensaver shows none.
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = FrameworkWindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "D3D Window";
        RegisterClassA(&windowClass);
        window = AdoptNativeWindowA(adoptedWindow, "D3D Window");
        if (window == nullptr) {
            std::fprintf(stderr, "fireworks: cannot draw into the X window 0x%llx\n",
                         static_cast<unsigned long long>(adoptedWindow));
            return E_FAIL;
        }
        statusVisible = false;
        ShowCursor(FALSE);
    }
    const HRESULT hr = AppFramework::Startup(instance);
    if (SUCCEEDED(hr) && startFullScreen && windowed) {
        SwitchFullScreen();
    }
    if (SUCCEEDED(hr)) {
        openedWindow.store(window);
    }
    return hr;
}

HRESULT ShowApp::InitScene()
{
    EffectsInitScene();
    GroundGrid.vertexCount = GroundGridVertices;
    GroundGrid.indexCount = GroundGridIndices;
    camera.InitCameras(time);
    return S_OK;
}

HRESULT ShowApp::CreateDeviceResources()
{
    Effects.device = device;
    StatusFont->BuildAtlas(device);
    HRESULT hr = CreateGroundGrid(device);
    if (SUCCEEDED(hr) && FAILED(sea->Load(device, "sea.x"))) {
        hr = MediaNotFound;
    }
    if (SUCCEEDED(hr)) {
        hr = EffectsCreateDeviceResources();
    }
    calmSeaLoaded = SUCCEEDED(hr) && LoadCalmSea(device, *calmSea);
    if (screensaverPace) {
        // Without a graphics card a screensaver leaves the machine more of its cores.
        frameTime = DrawsInSoftware(d3d, device) ? 1.0f / 30.0f : 1.0f / 50.0f;
    }
    if (qualityGoverned) {
        // A new device may be another rasteriser; the budget is the pacing's frame, at least a 60th.
        const float budget = frameTime > 1.0f / 60.0f ? frameTime : 1.0f / 60.0f;
        governor = StartQualityGovernor(budget);
        quality = governor.level;
        ShowTrace("quality %s", QualityLevelName(quality));
    }
    if (hr == MediaNotFound) {
        // The error box says which file and why.
        std::snprintf(errorDetail, sizeof(errorDetail), "%s", MediaFailureText().c_str());
    }
    return FAILED(hr) ? hr : S_OK;
}

HRESULT ShowApp::RestoreDeviceResources()
{
    Effects.device = device;
    StatusFont->RestoreBuffers();
    SetShowDeviceStates(device, backBufferDesc.Width, backBufferDesc.Height);
    sea->AttachTree(device);
    if (calmSeaLoaded) {
        calmSea->AttachTree(device);
    }
    EffectsRestoreDeviceResources();
    // Only where a reduced level may be drawn: the plain show's device holds nothing more.
    if (qualityGoverned || quality != QualityLevel::Full) {
        CreateSoftTargets(device, backBufferDesc.Width, backBufferDesc.Height, softTargets);
    }
    return S_OK;
}

HRESULT ShowApp::AdvanceFrame()
{
    if (!showStarted && (autoMode || playing || seeded)) {
        showStarted = true;
        // The bursts' draws come from this thread's generator: a seed makes them repeat too.
        std::uint32_t autoSeed = seed;
        if (seeded) {
            ResetRuntimeRand(seed);
        } else {
            autoSeed = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        }
        StartAutoShow(autoShow, autoSeed, time - pausedTotal);
        autoShow.rate = launchRate;
        player.start = time - pausedTotal;
    }
    FollowMusic(static_cast<double>(time - pausedTotal));
    if (paused) {
        // The show's time stands still; the camera, drawn on application time, still flies.
        pausedTotal += elapsed;
        return S_OK;
    }
    Effects.time = time - pausedTotal;
    Effects.elapsed = elapsed;
    if (autoMode || playing) {
        LaunchDue(static_cast<double>(Effects.time));
    }
    EffectsUpdate();
    return S_OK;
}

HRESULT ShowApp::DrawFrame()
{
    commands.PollHeldKeys();
    camera.UpdateCamera(time, elapsed);
    Effects.viewRotation = camera.viewRotation;
    Effects.inverseViewRotation = camera.inverseViewRotation;
    if (audio != nullptr) {
        audio->sounds.SetListener(ListenerFromView(camera.view));
    }
    // The last pass's drawing time (without its sleep) against the budget.
    if (qualityGoverned && GovernQuality(governor, elapsed, passSeconds)) {
        quality = governor.level;
        ShowTrace("quality %s", QualityLevelName(quality));
    }
    DrawShowScene(device, camera.view, sea, calmSeaLoaded ? calmSea : nullptr, &softTargets, quality);
    if (statusVisible) {
        DrawStatusText(device, *StatusFont, FrameStatsText, camera.eye, camera.cameraIndex,
                       qualityShown ? QualityLevelName(quality) : nullptr);
    } else if (frameRateShown) {
        // A screensaver's --fps: the frame-rate line alone, where the status text starts.
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        StatusFont->DrawString(2.0f, 0.0f, 0xFFFFFF00, FrameStatsText, 0);
    }
    if (keysVisible) {
        DrawKeysHelp(device, *StatusFont, keysText);
    }
    ++framesDrawn;
    if (ShowTraceEnabled() && !(time - lastTraceTime < 1.0f)) {
        lastTraceTime = time;
        ShowTrace("frame time %.2f fps %.1f size %ux%u frames %llu", time, static_cast<double>(fps),
                  backBufferDesc.Width, backBufferDesc.Height, static_cast<unsigned long long>(framesDrawn));
    }
    return S_OK;
}

HRESULT ShowApp::InvalidateDeviceResources()
{
    StatusFont->ReleaseBuffers();
    ReleaseSoftTargets(softTargets);
    sea->DetachTree();
    if (calmSeaLoaded) {
        calmSea->DetachTree();
    }
    EffectsInvalidateDeviceResources();
    return S_OK;
}

HRESULT ShowApp::DestroyDeviceResources()
{
    StatusFont->ReleaseAtlas();
    sea->ReleaseTree();
    calmSea->ReleaseTree();
    calmSeaLoaded = false;
    EffectsDestroyDeviceResources();
    ReleaseGroundGrid();
    Effects.device = nullptr;
    return S_OK;
}

HRESULT ShowApp::ShutdownScene()
{
    StopSound();
    return S_OK;
}
