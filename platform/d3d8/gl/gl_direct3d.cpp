// SPDX-License-Identifier: GPL-3.0-or-later
// Adapters, modes, format checks and device creation of the GL Direct3D object.
#include "platform/d3d8/gl/gl_direct3d.h"

#include "platform/d3d8/gl/gl_device.h"
#include "platform/d3d8/gl/gl_formats.h"
#include "platform/d3d8/gl/gl_presentation.h"
#include "platform/d3d8/gl/gl_surface_source.h"

#include <SDL.h>

#include <cstdio>
#include <new>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Mesa's software rasteriser gives back and takes again its scene memory every frame; by default the
// C library returns the freed top of the heap to the system each time, and each frame pays the page
// faults of taking it back (a third of the heavy frame's cost). Keeping up to 8 MB of it changes no pixel.
void KeepFreedHeapTop()
{
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
}

} // namespace

IDirect3D8* Direct3DCreate8(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    return GlDirect3D::Create();
}

GlDirect3D* GlDirect3D::Create()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Direct3D: no video: %s\n", SDL_GetError());
        return nullptr;
    }
    GlProbe hal = ProbeGl();
    bool refAvailable = hal.ok;
    if (!hal.ok) {
        // No OpenGL 3.3 from the system's driver: try Mesa's software rasteriser for the reference device.
        SelectSoftwareRasterizer();
        SDL_GL_UnloadLibrary();
        refAvailable = SDL_GL_LoadLibrary(nullptr) == 0 && ProbeGl().ok;
    }
    if (hal.software || (!hal.ok && refAvailable)) {
        KeepFreedHeapTop();
    }
    auto* object = new (std::nothrow) GlDirect3D(hal, refAvailable);
    if (object == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    return object;
}

GlDirect3D::~GlDirect3D() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

ULONG GlDirect3D::Release()
{
    const ULONG count = refs.Decrement();
    if (count == 0) {
        delete this;
    }
    return count;
}

bool GlDirect3D::HasDeviceType(D3DDEVTYPE type) const
{
    if (type == D3DDEVTYPE_HAL) {
        return hal.ok;
    }
    return type == D3DDEVTYPE_REF && refAvailable;
}

bool GlDirect3D::ValidAdapter(UINT adapter)
{
    const int count = SDL_GetNumVideoDisplays();
    return count > 0 && adapter < static_cast<UINT>(count);
}

UINT GlDirect3D::GetAdapterCount()
{
    const int count = SDL_GetNumVideoDisplays();
    return count > 0 ? static_cast<UINT>(count) : 0;
}

HRESULT GlDirect3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier)
{
    if (identifier == nullptr || !ValidAdapter(adapter)) {
        return D3DERR_INVALIDCALL;
    }
    *identifier = {};
    std::snprintf(identifier->Driver, sizeof identifier->Driver, "OpenGL");
    const char* display = SDL_GetDisplayName(static_cast<int>(adapter));
    std::snprintf(identifier->Description, sizeof identifier->Description, "%s on %s",
                  hal.renderer[0] != '\0' ? hal.renderer : "OpenGL", display != nullptr ? display : "display");
    return D3D_OK;
}

bool GlDirect3D::ModeAt(UINT adapter, UINT index, D3DDISPLAYMODE* mode)
{
    // Full screen is drawn at the mode's size and scaled over the desktop, whose own mode never changes:
    // every usual size up to the desktop's is on offer, in both display depths, then the desktop's own.
    struct Size {
        UINT width;
        UINT height;
    };
    static constexpr Size kSizes[] = {{640, 400},  {640, 480},   {800, 600},   {1024, 768},  {1280, 720},
                                      {1280, 960}, {1280, 1024}, {1600, 900},  {1600, 1200}, {1920, 1080},
                                      {1920, 1200}, {2560, 1440}, {3840, 2160}};
    static constexpr D3DFORMAT kFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    D3DDISPLAYMODE desktop{};
    if (FAILED(GetAdapterDisplayMode(adapter, &desktop))) {
        return false;
    }
    UINT seen = 0;
    for (const D3DFORMAT format : kFormats) {
        for (const Size& size : kSizes) {
            const bool fits = size.width <= desktop.Width && size.height <= desktop.Height;
            const bool isDesktop = size.width == desktop.Width && size.height == desktop.Height;
            if (fits && !isDesktop && seen++ == index) {
                *mode = {size.width, size.height, desktop.RefreshRate, format};
                return true;
            }
        }
        if (seen++ == index) {
            *mode = {desktop.Width, desktop.Height, desktop.RefreshRate, format};
            return true;
        }
    }
    return false;
}

UINT GlDirect3D::GetAdapterModeCount(UINT adapter)
{
    if (!ValidAdapter(adapter)) {
        return 0;
    }
    UINT count = 0;
    D3DDISPLAYMODE mode{};
    while (ModeAt(adapter, count, &mode)) {
        ++count;
    }
    return count;
}

HRESULT GlDirect3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode)
{
    if (displayMode == nullptr || !ValidAdapter(adapter) || !ModeAt(adapter, mode, displayMode)) {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT GlDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode)
{
    if (displayMode == nullptr || !ValidAdapter(adapter)) {
        return D3DERR_INVALIDCALL;
    }
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(static_cast<int>(adapter), &desktop) != 0) {
        return D3DERR_NOTAVAILABLE;
    }
    const D3DFORMAT format = DisplayFormatOf(desktop.format);
    *displayMode = {static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h), static_cast<UINT>(desktop.refresh_rate),
                    format != D3DFMT_UNKNOWN ? format : D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT GlDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed)
{
    if (!ValidAdapter(adapter)) {
        return D3DERR_INVALIDCALL;
    }
    if (!HasDeviceType(checkType) || !IsDisplayFormat(displayFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    const bool backBufferOk = IsBackBufferFormat(backBufferFormat) || (windowed && backBufferFormat == D3DFMT_UNKNOWN);
    return backBufferOk ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    if (!ValidAdapter(adapter)) {
        return D3DERR_INVALIDCALL;
    }
    if (!HasDeviceType(deviceType) || !IsDisplayFormat(adapterFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    if (usage & D3DUSAGE_DEPTHSTENCIL) {
        return resourceType == D3DRTYPE_SURFACE && IsDepthFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    // Render-target textures and surfaces in the formats GL draws into.
    if (usage & D3DUSAGE_RENDERTARGET) {
        const bool target = resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_SURFACE;
        return target && IsRenderTargetFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    GlTexelFormat texel{};
    const bool texture = resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_SURFACE;
    return texture && GlTexelFormatOf(checkFormat, &texel) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    if (!ValidAdapter(adapter)) {
        return D3DERR_INVALIDCALL;
    }
    if (!HasDeviceType(deviceType) || !IsDisplayFormat(adapterFormat) || !IsBackBufferFormat(renderTargetFormat) ||
        !IsDepthFormat(depthStencilFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT GlDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps)
{
    if (caps == nullptr || !ValidAdapter(adapter)) {
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS8 result = NullDevice::DefaultCaps();
    result.DeviceType = deviceType;
    result.AdapterOrdinal = adapter;
    result.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    // Any size GL takes; no power-of-two or square rule.
    result.TextureCaps = D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_ALPHA;
    if (hal.maxTextureSize > 0) {
        result.MaxTextureWidth = static_cast<DWORD>(hal.maxTextureSize);
        result.MaxTextureHeight = static_cast<DWORD>(hal.maxTextureSize);
    }
    if (hal.maxPointSize > 0.0f) {
        result.MaxPointSize = hal.maxPointSize;
    }
    result.MaxPrimitiveCount = 0xFFFFF;
    result.MaxVertexIndex = 0xFFFFFF;
    result.MaxActiveLights = 8;
    result.MaxUserClipPlanes = DeviceClipPlaneCount;
    *caps = result;
    return HasDeviceType(deviceType) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD,
                                 D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice8** returnedDevice)
{
    if (returnedDevice == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *returnedDevice = nullptr;
    if (presentationParameters == nullptr || !ValidAdapter(adapter)) {
        return D3DERR_INVALIDCALL;
    }
    if (!HasDeviceType(deviceType)) {
        return D3DERR_NOTAVAILABLE;
    }
    const HWND window = presentationParameters->hDeviceWindow != nullptr ? presentationParameters->hDeviceWindow
                                                                         : focusWindow;
    if (window == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS8 caps{};
    GetDeviceCaps(adapter, deviceType, &caps);
    const bool software = deviceType == D3DDEVTYPE_REF && !hal.software;
    return GlDevice::Create(caps, presentationParameters, DeviceSurfaceOf(window), software, returnedDevice);
}
