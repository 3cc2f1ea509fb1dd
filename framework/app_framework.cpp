// SPDX-License-Identifier: GPL-3.0-or-later
// The application object's lifecycle: construction, start-up, the message loop, the window's
// messages, pausing, tear-down and quitting.
#include "framework/app_framework.h"

#include <algorithm>

#include "framework/app_timer.h"
#include "platform/os/threads.h"
#include "resources/program_resources.h"

namespace {

AppFramework* TheApp = nullptr;

constexpr int MinimumTrackSize = 100;

} // namespace

Relaxed<int> AppFramework::pauseCount{0};
std::uint32_t AppFramework::statsFrameCount = 0;
float AppFramework::lastStatsTime = 0.0f;

AppFramework::AppFramework()
{
    InitializeCriticalSection(&RenderLock);
    TheApp = this;
}

AppFramework::~AppFramework()
{
    DeleteCriticalSection(&RenderLock);
    if (TheApp == this) {
        TheApp = nullptr;
    }
}

AppFramework* AppFramework::Instance() { return TheApp; }

LRESULT FrameworkWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    AppFramework* app = AppFramework::Instance();
    if (app == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return app->HandleMessage(hwnd, message, wParam, lParam);
}

void AppFramework::HandleQueuedEvent(PendingEvent* event) { (void)event; }

HRESULT AppFramework::AcceptDevice(const D3DCAPS8* caps, DWORD behaviorFlags, D3DFORMAT format)
{
    (void)caps;
    (void)behaviorFlags;
    (void)format;
    return S_OK;
}

HRESULT AppFramework::Startup(HINSTANCE instance)
{
    moduleInstance = instance;
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (d3d == nullptr) {
        return ReportError(D3DAPPERR_NODIRECT3D, ErrorSeverity::Fatal);
    }

    HRESULT hr = EnumerateDevices();
    if (FAILED(hr)) {
        d3d->Release();
        d3d = nullptr;
        return ReportError(hr, ErrorSeverity::Fatal);
    }

    if (window == nullptr) {
        WNDCLASSA windowClass = {};
        windowClass.style = 0;
        windowClass.lpfnWndProc = FrameworkWindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN_ICON));
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetStockObject(WHITE_BRUSH);
        windowClass.lpszMenuName = nullptr;
        windowClass.lpszClassName = "D3D Window";
        RegisterClassA(&windowClass);

        RECT outer = {0, 0, static_cast<LONG>(creationWidth), static_cast<LONG>(creationHeight)};
        AdjustWindowRect(&outer, WindowedStyle, TRUE);
        HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MENU));
        window = CreateWindowExA(0, "D3D Window", title, WindowedStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                 outer.right - outer.left, outer.bottom - outer.top, nullptr, menu, instance,
                                 nullptr);
        if (window == nullptr) {
            d3d->Release();
            d3d = nullptr;
            return ReportError(E_FAIL, ErrorSeverity::Fatal);
        }
    }
    if (focusWindow == nullptr) {
        focusWindow = window;
    }
    windowStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    GetWindowRect(window, &windowBounds);
    GetClientRect(window, &clientBounds);

    AppTimer(TimerCommand::Start);

    hr = InitScene();
    if (FAILED(hr)) {
        d3d->Release();
        d3d = nullptr;
        return ReportError(hr, ErrorSeverity::Fatal);
    }
    hr = OpenDevice();
    if (FAILED(hr)) {
        if (d3d != nullptr) {
            d3d->Release();
            d3d = nullptr;
        }
        return ReportError(hr, ErrorSeverity::Fatal);
    }

    ready = true;
    renderThread = _beginthread(&AppFramework::RenderThreadMain, 0, nullptr);
    return S_OK;
}

int AppFramework::RunMessageLoop()
{
    HACCEL accelerators = LoadAcceleratorsA(moduleInstance, MAKEINTRESOURCEA(IDR_MAIN_ACCEL));
    MSG message = {};
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    message.message = WM_NULL;
    while (message.message != WM_QUIT) {
        bool got;
        if (active) {
            got = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE;
        } else {
            // GetMessageA answers FALSE for WM_QUIT, which still ends the loop below.
            const BOOL result = GetMessageA(&message, nullptr, 0, 0);
            got = result != -1;
            if (result == FALSE) {
                message.message = WM_QUIT;
            }
        }
        if (got && message.message != WM_QUIT) {
            if (TranslateAcceleratorA(window, accelerators, &message) == 0) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        } else if (!got && active) {
            // Nothing queued: rendering happens on the render thread, so yield the core briefly.
            Sleep(1);
        }
    }
    return static_cast<int>(message.wParam);
}

LRESULT AppFramework::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (device != nullptr && !ready && windowed) {
            // The render thread is not drawing; the lock hands the drawing context to this thread.
            EnterCriticalSection(&RenderLock);
            if (device != nullptr && !quit) {
                device->BeginScene();
                DrawFrame();
                device->EndScene();
                device->Present(nullptr, nullptr, nullptr, nullptr);
            }
            LeaveCriticalSection(&RenderLock);
        }
        break;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXHIDE) {
            if (clipCursorWhenFullScreen && !windowed) {
                ClipCursor(nullptr);
            }
            active = false;
        } else {
            active = true;
        }
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (info != nullptr) {
            // A window asked to be smaller than the usual minimum may be dragged back to its own size.
            info->ptMinTrackSize.x = std::min<LONG>(MinimumTrackSize, static_cast<LONG>(creationWidth));
            info->ptMinTrackSize.y = std::min<LONG>(MinimumTrackSize, static_cast<LONG>(creationHeight));
        }
        break;
    }
    case WM_SETCURSOR:
        if (active && ready && !windowed) {
            SetCursor(nullptr);
            return 1;
        }
        break;
    case WM_MOUSEMOVE:
        if (active && ready && device != nullptr) {
            POINT cursor = {};
            GetCursorPos(&cursor);
            if (!windowed) {
                ScreenToClient(window, &cursor);
            }
            device->SetCursorPosition(cursor.x, cursor.y, 0);
        }
        break;
    case WM_CONTEXTMENU:
        if (windowed) {
            HMENU menu = LoadMenuA(moduleInstance, MAKEINTRESOURCEA(IDR_POPUP));
            HMENU popup = GetSubMenu(menu, 0);
            TrackPopupMenuEx(popup, TPM_VERTICAL, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), hwnd, nullptr);
            // Each right click loads a fresh menu; destroying the root frees the popup with it.
            DestroyMenu(menu);
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_EXIT) {
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if (!windowed) {
            switch (wParam) {
            case SC_SIZE:
            case SC_MOVE:
            case SC_MAXIMIZE:
            case SC_KEYMENU:
            case SC_MONITORPOWER:
                return 1;
            default:
                break;
            }
        }
        break;
    case WM_NCHITTEST:
        if (!windowed) {
            return HTCLIENT;
        }
        break;
    case WM_ENTERMENULOOP:
    case WM_ENTERSIZEMOVE:
        SetPaused(true);
        break;
    case WM_EXITMENULOOP:
        SetPaused(false);
        break;
    case WM_EXITSIZEMOVE:
        SetPaused(false);
        if (FAILED(CheckResize())) {
            return 0;
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMRESUMESUSPEND) {
            return 1;
        }
        break;
    case WM_CLOSE:
        Quit();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HRESULT AppFramework::SetPaused(bool pause)
{
    const int count = pauseCount.Add(pause ? 1 : -1);
    ready = count == 0;
    if (pause && count == 1) {
        AppTimer(TimerCommand::Stop);
    }
    if (count == 0) {
        AppTimer(TimerCommand::Start);
    }
    return S_OK;
}

HRESULT AppFramework::TearDown()
{
    active = false;
    ready = false;
    EnterCriticalSection(&RenderLock);
    quit = true;
    LeaveCriticalSection(&RenderLock);

    if (device != nullptr) {
        InvalidateDeviceResources();
        DestroyDeviceResources();
        device->Release();
        device = nullptr;
        if (d3d != nullptr) {
            d3d->Release();
            d3d = nullptr;
        }
    }
    return ShutdownScene();
}

void AppFramework::Quit()
{
    TearDown();
    DestroyWindow(window);
    window = nullptr;
    PostQuitMessage(0);
}
