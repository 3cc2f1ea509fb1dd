// SPDX-License-Identifier: GPL-3.0-or-later
// Presentation changes: the window style of each presentation, device reset, the resize check,
// switching between windowed and full-screen, and falling back to a windowed device.
#include "framework/app_framework.h"

namespace {

// Holds RenderLock for one scope; the lock is recursive, so nested holds are fine.
class RenderLockHold {
public:
    explicit RenderLockHold(CRITICAL_SECTION& lock_) : lock(lock_) { EnterCriticalSection(&lock); }
    ~RenderLockHold() { LeaveCriticalSection(&lock); }
    RenderLockHold(const RenderLockHold&) = delete;
    RenderLockHold& operator=(const RenderLockHold&) = delete;

private:
    CRITICAL_SECTION& lock;
};

} // namespace

HRESULT AppFramework::ApplyWindowStyle()
{
    if (windowed) {
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(windowStyle));
        if (savedMenu != nullptr) {
            SetMenu(window, savedMenu);
            savedMenu = nullptr;
        }
    } else {
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(FullScreenStyle));
        if (savedMenu == nullptr) {
            savedMenu = GetMenu(window);
        }
        SetMenu(window, nullptr);
    }
    return S_OK;
}

HRESULT AppFramework::ResetDevice()
{
    RenderLockHold hold(RenderLock);
    if (device == nullptr) {
        return E_FAIL;
    }
    HRESULT hr = InvalidateDeviceResources();
    if (FAILED(hr)) {
        return hr;
    }
    hr = device->Reset(&presentParams);
    if (FAILED(hr)) {
        return hr;
    }
    ReadBackBufferDesc();
    ClipCursorForPresentation();
    return RestoreDeviceResources();
}

HRESULT AppFramework::CheckResize()
{
    if (!active || !windowed) {
        return S_OK;
    }
    const RECT old = clientBounds;
    GetWindowRect(window, &windowBounds);
    GetClientRect(window, &clientBounds);
    const LONG width = clientBounds.right - clientBounds.left;
    const LONG height = clientBounds.bottom - clientBounds.top;
    if (width == old.right - old.left && height == old.bottom - old.top) {
        return S_OK;
    }

    ready = false;
    HRESULT hr;
    {
        // The render thread reads the parameters when it resets a lost device.
        RenderLockHold hold(RenderLock);
        presentParams.BackBufferWidth = static_cast<UINT>(width);
        presentParams.BackBufferHeight = static_cast<UINT>(height);
        hr = ResetDevice();
    }
    if (FAILED(hr)) {
        return ReportError(D3DAPPERR_RESIZEFAILED, ErrorSeverity::Fatal);
    }
    ready = true;
    return S_OK;
}

HRESULT AppFramework::SwitchFullScreen()
{
    RenderLockHold hold(RenderLock);
    if (device == nullptr) {
        return E_FAIL;
    }
    DeviceInfo& info = CurrentDevice();
    const ModeInfo& mode = CurrentMode();

    if (windowed || info.canDrawWindowed) {
        ready = false;
        windowed = !windowed;
        info.windowed = windowed;
        ApplyWindowStyle();

        presentParams.Windowed = info.windowed ? TRUE : FALSE;
        presentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
        presentParams.AutoDepthStencilFormat = mode.depthStencilFormat;
        presentParams.hDeviceWindow = window;
        SetBackBufferForPresentation();

        if (SUCCEEDED(ResetDevice())) {
            if (windowed) {
                SetWindowPos(window, HWND_NOTOPMOST, windowBounds.left, windowBounds.top,
                             windowBounds.right - windowBounds.left, windowBounds.bottom - windowBounds.top,
                             SWP_SHOWWINDOW);
            }
            ready = true;
            return S_OK;
        }
        if (!windowed) {
            // Drawing stays off until something sets ready again.
            return E_FAIL;
        }
    }
    return FallBackToWindowed();
}

HRESULT AppFramework::FallBackToWindowed()
{
    RenderLockHold hold(RenderLock);
    if (!CurrentDevice().canDrawWindowed) {
        bool found = false;
        for (UINT a = 0; a < adapterCount && !found; ++a) {
            for (UINT d = 0; d < adapters[a].deviceCount; ++d) {
                if (adapters[a].devices[d].canDrawWindowed) {
                    currentAdapter = a;
                    adapters[a].currentDevice = d;
                    found = true;
                    break;
                }
            }
        }
        if (!found) {
            return E_FAIL;
        }
    }

    CurrentDevice().windowed = true;
    windowed = true;
    ready = false;

    if (device != nullptr) {
        InvalidateDeviceResources();
        DestroyDeviceResources();
        const ULONG remaining = device->Release();
        device = nullptr;
        if (remaining > 0) {
            return ReportError(D3DAPPERR_NONZEROREFCOUNT, ErrorSeverity::Fatal);
        }
    }

    const HRESULT hr = OpenDevice();
    if (FAILED(hr)) {
        return ReportError(hr, ErrorSeverity::Fatal);
    }
    ready = true;
    return S_OK;
}

void AppFramework::SetBackBufferForPresentation()
{
    const ModeInfo& mode = CurrentMode();
    if (windowed) {
        presentParams.BackBufferWidth = static_cast<UINT>(clientBounds.right - clientBounds.left);
        presentParams.BackBufferHeight = static_cast<UINT>(clientBounds.bottom - clientBounds.top);
        presentParams.BackBufferFormat = CurrentAdapter().desktopMode.Format;
    } else {
        presentParams.BackBufferWidth = mode.width;
        presentParams.BackBufferHeight = mode.height;
        presentParams.BackBufferFormat = mode.format;
    }
}
