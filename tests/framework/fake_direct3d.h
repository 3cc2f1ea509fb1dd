// SPDX-License-Identifier: GPL-3.0-or-later
// A Direct3D object that reports the adapters, display modes, device capabilities and formats a test
// describes, and creates recording devices (or fails as told).
#pragma once

#include <algorithm>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "tests/support/recording_device.h"

struct FakeDeviceType {
    bool present = true;
    D3DCAPS8 caps = {};
    // Display formats CheckDeviceType accepts; empty accepts none.
    std::vector<D3DFORMAT> formats;
    // Depth formats CheckDeviceFormat and CheckDepthStencilMatch accept.
    std::vector<D3DFORMAT> depthFormats;
    HRESULT createResult = D3D_OK;
};

struct FakeAdapter {
    D3DDISPLAYMODE desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes;
    FakeDeviceType hal;
    FakeDeviceType ref;
};

// Capabilities of a device that can draw into a window with hardware transform and lighting.
inline D3DCAPS8 WindowedCaps(D3DDEVTYPE type)
{
    D3DCAPS8 caps = {};
    caps.DeviceType = type;
    caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    return caps;
}

// An adapter whose HAL and REF both take every format listed and D16.
inline FakeAdapter CapableAdapter(std::vector<D3DDISPLAYMODE> modes)
{
    FakeAdapter adapter;
    adapter.modes = std::move(modes);
    std::vector<D3DFORMAT> formats = {adapter.desktop.Format};
    for (const D3DDISPLAYMODE& mode : adapter.modes) {
        if (std::find(formats.begin(), formats.end(), mode.Format) == formats.end()) {
            formats.push_back(mode.Format);
        }
    }
    adapter.hal = {true, WindowedCaps(D3DDEVTYPE_HAL), formats, {D3DFMT_D16, D3DFMT_D24S8}, D3D_OK};
    adapter.ref = {true, WindowedCaps(D3DDEVTYPE_REF), formats, {D3DFMT_D16, D3DFMT_D24S8}, D3D_OK};
    return adapter;
}

class FakeDirect3D final : public IDirect3D8 {
public:
    std::vector<FakeAdapter> adapters;
    // Devices handed out by CreateDevice, still referenced by the caller.
    std::vector<RecordingDevice*> created;
    std::vector<D3DDEVTYPE> createdTypes;

    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return refs > 0 ? --refs : 0; }
    UINT GetAdapterCount() override { return static_cast<UINT>(adapters.size()); }
    HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER8*) override { return D3DERR_INVALIDCALL; }
    UINT GetAdapterModeCount(UINT adapter) override
    {
        return adapter < adapters.size() ? static_cast<UINT>(adapters[adapter].modes.size()) : 0;
    }
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override
    {
        if (adapter >= adapters.size() || mode >= adapters[adapter].modes.size()) {
            return D3DERR_INVALIDCALL;
        }
        *displayMode = adapters[adapter].modes[mode];
        return D3D_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override
    {
        if (adapter >= adapters.size()) {
            return D3DERR_INVALIDCALL;
        }
        *displayMode = adapters[adapter].desktop;
        return D3D_OK;
    }
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT, BOOL) override
    {
        const FakeDeviceType* device = Type(adapter, type);
        return device != nullptr && Has(device->formats, displayFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                              D3DFORMAT checkFormat) override
    {
        const FakeDeviceType* device = Type(adapter, type);
        return device != nullptr && Has(device->depthFormats, checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT,
                                   D3DFORMAT depthFormat) override
    {
        return CheckDeviceFormat(adapter, type, D3DFMT_UNKNOWN, 0, D3DRTYPE_SURFACE, depthFormat);
    }
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override
    {
        const FakeDeviceType* device = Type(adapter, type);
        if (device == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
        *caps = device->caps;
        return D3D_OK;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD, D3DPRESENT_PARAMETERS* parameters,
                         IDirect3DDevice8** returnedDevice) override
    {
        const FakeDeviceType* device = Type(adapter, type);
        createdTypes.push_back(type);
        if (device == nullptr || FAILED(device->createResult)) {
            return device == nullptr ? D3DERR_NOTAVAILABLE : device->createResult;
        }
        auto* recording = new RecordingDevice(device->caps, *parameters);
        created.push_back(recording);
        *returnedDevice = recording;
        return D3D_OK;
    }

private:
    static bool Has(const std::vector<D3DFORMAT>& list, D3DFORMAT format)
    {
        return std::find(list.begin(), list.end(), format) != list.end();
    }
    const FakeDeviceType* Type(UINT adapter, D3DDEVTYPE type) const
    {
        if (adapter >= adapters.size()) {
            return nullptr;
        }
        const FakeDeviceType& device = type == D3DDEVTYPE_HAL ? adapters[adapter].hal : adapters[adapter].ref;
        return device.present ? &device : nullptr;
    }

    ULONG refs = 1;
};
