// SPDX-License-Identifier: GPL-3.0-or-later
// Creating the device from the current choice of the device table, with one fall-back to the
// reference device when the hardware device or its resources fail (not for missing media).
#include "framework/app_framework.h"
#include "platform/d3d8/gl/gl_device.h"

HRESULT AppFramework::ReadBackBufferDesc()
{
    IDirect3DSurface8* backBuffer = nullptr;
    HRESULT hr = device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (FAILED(hr) || backBuffer == nullptr) {
        return hr;
    }
    hr = backBuffer->GetDesc(&backBufferDesc);
    backBuffer->Release();
    return hr;
}

void AppFramework::ClipCursorForPresentation()
{
    if (!clipCursorWhenFullScreen) {
        return;
    }
    if (!windowed) {
        RECT bounds = {};
        GetWindowRect(window, &bounds);
        ClipCursor(&bounds);
    } else {
        ClipCursor(nullptr);
    }
}

HRESULT AppFramework::OpenDevice()
{
    DeviceInfo& info = CurrentDevice();
    const ModeInfo& mode = CurrentMode();

    ApplyWindowStyle();

    presentParams = {};
    presentParams.Windowed = info.windowed ? TRUE : FALSE;
    presentParams.BackBufferCount = 1;
    presentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.EnableAutoDepthStencil = useDepthBuffer ? TRUE : FALSE;
    presentParams.AutoDepthStencilFormat = mode.depthStencilFormat;
    presentParams.hDeviceWindow = window;
    SetBackBufferForPresentation();

    if ((info.caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE) != 0) {
        ReportError(D3DAPPERR_NULLREFDEVICE, ErrorSeverity::Warning);
    }

    HRESULT hr = d3d->CreateDevice(currentAdapter, info.type, focusWindow, mode.behaviorFlags, &presentParams,
                                   &device);
    if (SUCCEEDED(hr)) {
        // From here on the drawing context belongs to whoever holds RenderLock.
        if (auto* glDevice = dynamic_cast<GlDevice*>(device)) {
            glDevice->AttachContextLock(&RenderLock);
        }
        if (windowed) {
            SetWindowPos(window, HWND_NOTOPMOST, windowBounds.left, windowBounds.top,
                         windowBounds.right - windowBounds.left, windowBounds.bottom - windowBounds.top,
                         SWP_SHOWWINDOW);
        }
        ReadBackBufferDesc();
        ClipCursorForPresentation();

        hr = CreateDeviceResources();
        if (SUCCEEDED(hr)) {
            hr = RestoreDeviceResources();
            if (SUCCEEDED(hr)) {
                active = true;
                return S_OK;
            }
        }
        InvalidateDeviceResources();
        DestroyDeviceResources();
        device->Release();
        device = nullptr;
    }

    // Missing or bad media fail every device alike: no other device is tried for them.
    if (info.type == D3DDEVTYPE_HAL && hr != D3DAPPERR_MEDIANOTFOUND) {
        currentAdapter = 0;
        AdapterInfo& first = adapters[0];
        for (UINT d = 0; d < first.deviceCount; ++d) {
            if (first.devices[d].type == D3DDEVTYPE_REF) {
                first.currentDevice = d;
                windowed = first.devices[d].windowed;
                break;
            }
        }
        if (first.devices[first.currentDevice].type == D3DDEVTYPE_REF) {
            SetWindowPos(window, HWND_NOTOPMOST, windowBounds.left, windowBounds.top,
                         windowBounds.right - windowBounds.left, windowBounds.bottom - windowBounds.top,
                         SWP_SHOWWINDOW);
            ApplyWindowStyle();
            ReportError(hr, ErrorSeverity::FallingBackToReference);
            return OpenDevice();
        }
    }
    return hr;
}
