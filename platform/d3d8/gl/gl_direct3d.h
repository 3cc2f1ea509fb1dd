// SPDX-License-Identifier: GPL-3.0-or-later
// The Direct3D object over SDL and OpenGL: adapters are SDL's displays; their modes are the usual sizes
// up to the desktop's, since full screen scales the mode over the desktop. HAL is the system's GL driver
// and REF the same layer on Mesa's software rasteriser. What the driver offers is probed once, when the
// object is made.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/gl/gl_context.h"
#include "platform/base/ref_counted.h"

class GlDirect3D final : public IDirect3D8 {
public:
    // Null when SDL video cannot start. The object then holds one video initialisation.
    static GlDirect3D* Create();

    ULONG AddRef() override { return refs.Increment(); }
    ULONG Release() override;
    UINT GetAdapterCount() override;
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override;
    UINT GetAdapterModeCount(UINT adapter) override;
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice8** returnedDevice) override;

    // Whether a device type can be created here.
    bool HasDeviceType(D3DDEVTYPE type) const;

private:
    GlDirect3D(const GlProbe& hal_, bool refAvailable_) : hal(hal_), refAvailable(refAvailable_) {}
    ~GlDirect3D() override;

    bool ValidAdapter(UINT adapter);
    // The SDL modes of an adapter in formats the platform names; index past the end gives false.
    bool ModeAt(UINT adapter, UINT index, D3DDISPLAYMODE* mode);

    RefCounter refs;
    GlProbe hal;
    bool refAvailable;
};
