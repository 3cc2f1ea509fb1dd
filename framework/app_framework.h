// SPDX-License-Identifier: GPL-3.0-or-later
// The application base class: the window, the Direct3D object and device, the device table, the
// render thread with its lock, frame timing and statistics. The application derives from it and
// fills in the fifteen hooks; everything else is fixed behaviour shared by every program.
#pragma once

#include <cstdint>

#include "framework/device_table.h"
#include "framework/relaxed.h"
#include "platform/d3d8/d3d8.h"
#include "platform/os/critical_section.h"
#include "platform/win/window_system.h"

// Framework result codes; each has its message text.
constexpr HRESULT D3DAPPERR_NODIRECT3D = static_cast<HRESULT>(0x82000001u);
constexpr HRESULT D3DAPPERR_NOCOMPATIBLEDEVICES = static_cast<HRESULT>(0x82000003u);
constexpr HRESULT D3DAPPERR_NOWINDOWABLEDEVICES = static_cast<HRESULT>(0x82000004u);
constexpr HRESULT D3DAPPERR_NOHARDWAREDEVICE = static_cast<HRESULT>(0x82000005u);
constexpr HRESULT D3DAPPERR_HALNOTCOMPATIBLE = static_cast<HRESULT>(0x82000006u);
constexpr HRESULT D3DAPPERR_NOWINDOWEDHAL = static_cast<HRESULT>(0x82000007u);
constexpr HRESULT D3DAPPERR_NODESKTOPHAL = static_cast<HRESULT>(0x82000008u);
constexpr HRESULT D3DAPPERR_NOHALTHISMODE = static_cast<HRESULT>(0x82000009u);
constexpr HRESULT D3DAPPERR_NONZEROREFCOUNT = static_cast<HRESULT>(0x8200000Au);
constexpr HRESULT D3DAPPERR_MEDIANOTFOUND = static_cast<HRESULT>(0x8200000Bu);
constexpr HRESULT D3DAPPERR_RESIZEFAILED = static_cast<HRESULT>(0x8200000Cu);
constexpr HRESULT D3DAPPERR_NULLREFDEVICE = static_cast<HRESULT>(0x8200000Du);

enum class ErrorSeverity : int {
    Warning = 0,
    Fatal = 1,                  // adds the exit text and closes the main window
    FallingBackToReference = 2, // adds the reference-rasteriser text
};

// The window style of the windowed and of the full-screen presentation.
constexpr DWORD WindowedStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;

// A record the render thread hands to HandleQueuedEvent between passes.
struct PendingEvent {
    virtual ~PendingEvent() = default;
    PendingEvent* next = nullptr;
};

class AppFramework {
public:
    AppFramework();
    AppFramework(const AppFramework&) = delete;
    AppFramework& operator=(const AppFramework&) = delete;

    // The one application object of the process, as the window procedure and render thread reach it.
    static AppFramework* Instance();

    // Hooks, in slot order.
    virtual HRESULT ApplyWindowStyle();
    virtual void HandleQueuedEvent(PendingEvent* event);
    virtual HRESULT Startup(HINSTANCE instance);
    virtual int RunMessageLoop();
    virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    virtual HRESULT SetPaused(bool pause);
    virtual HRESULT AcceptDevice(const D3DCAPS8* caps, DWORD behaviorFlags, D3DFORMAT format);
    virtual HRESULT InitScene() { return S_OK; }
    virtual HRESULT CreateDeviceResources() { return S_OK; }
    virtual HRESULT RestoreDeviceResources() { return S_OK; }
    virtual HRESULT AdvanceFrame() { return S_OK; }
    virtual HRESULT DrawFrame() { return S_OK; }
    virtual HRESULT InvalidateDeviceResources() { return S_OK; }
    virtual HRESULT DestroyDeviceResources() { return S_OK; }
    virtual HRESULT ShutdownScene() { return S_OK; }
    // Declared after the hooks, which so keep the first fifteen slots.
    virtual ~AppFramework();

    // Device table and choice.
    HRESULT EnumerateDevices();
    bool PickDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT* depthFormat);
    HRESULT OpenDevice();

    // Presentation changes; each takes RenderLock for its whole run.
    HRESULT ResetDevice();
    HRESULT SwitchFullScreen();
    HRESULT FallBackToWindowed();
    // After a size-move loop: resets the device when the client size changed. Negative when the
    // reset failed (the failure has been reported and the window is closing).
    HRESULT CheckResize();

    // The render thread: the entry given to _beginthread, one pass, and one frame.
    static void RenderThreadMain(void* unused);
    // Returns false once quit is seen (the thread then ends).
    bool RunRenderPass();
    HRESULT RenderOneFrame();

    HRESULT TearDown();
    void Quit();
    HRESULT ReportError(HRESULT code, ErrorSeverity severity);

    // The current adapter, device and full-screen mode of the device table.
    AdapterInfo& CurrentAdapter() { return adapters[currentAdapter]; }
    DeviceInfo& CurrentDevice() { return CurrentAdapter().devices[CurrentAdapter().currentDevice]; }
    ModeInfo& CurrentMode() { return CurrentDevice().modes[CurrentDevice().currentMode]; }

    AdapterInfo adapters[MaxAdapters] = {};
    UINT adapterCount = 0;
    UINT currentAdapter = 0;
    bool windowed = false;
    // Written by the window thread, read by the render thread.
    Relaxed<bool> active{false};
    Relaxed<bool> ready{false};
    float frameTime = 0.01f;
    // Whether the pass's sleep releases RenderLock first (paced and unattended shows).
    bool sleepUnlocked = false;
    // How long the last render pass took before its sleep, in seconds (the render thread's own).
    float passSeconds = 0.0f;
    Relaxed<bool> quit{false};
    PendingEvent* pendingEvents = nullptr;
    D3DPRESENT_PARAMETERS presentParams = {};
    HWND window = nullptr;
    HWND focusWindow = nullptr;
    HMENU savedMenu = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DSURFACE_DESC backBufferDesc = {};
    DWORD windowStyle = 0;
    RECT windowBounds = {};
    RECT clientBounds = {};
    float time = 0.0f;
    float elapsed = 0.0f;
    float fps = 0.0f;
    char FrameStatsText[90] = {};
    const char* title = "D3D8 Application";
    bool useDepthBuffer = false;
    UINT minDepthBits = 16;
    UINT minStencilBits = 0;
    UINT creationWidth = 640;
    UINT creationHeight = 480;
    bool clipCursorWhenFullScreen = true;
    // Full-screen at the desktop's own size instead of the table's usual 640 x 480; set before Startup.
    bool fullScreenAtDesktopSize = false;
    // Recursive; whoever holds it owns the drawing context.
    CRITICAL_SECTION RenderLock;

    // The module the resources are loaded from, as Startup received it.
    HINSTANCE moduleInstance = nullptr;
    // The render thread's handle from _beginthread; 0 until started.
    std::uintptr_t renderThread = 0;
    // Set when the program ends because of a failure: a Fatal report or a frame that failed.
    Relaxed<bool> endedByFailure{false};
    // What the application knows about its last failure (which file, and why); the next error box
    // shows it below its text, then it is cleared. Window thread only.
    char errorDetail[320] = {};

    // Process-wide state: the pause count, and the frame counter and last statistics time.
    static Relaxed<int> pauseCount;
    static std::uint32_t statsFrameCount;
    static float lastStatsTime;

private:
    HRESULT ReadBackBufferDesc();
    // Windowed: the client size in the desktop's format; full-screen: the current mode.
    void SetBackBufferForPresentation();
    void ClipCursorForPresentation();
};

// The window procedure of the "D3D Window" class: hands every message to the application object.
LRESULT FrameworkWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Whole milliseconds the render thread sleeps after a pass of passLength seconds (0: no sleep).
int PassSleepMilliseconds(float frameTime, float passLength);
