// SPDX-License-Identifier: GPL-3.0-or-later
// Device enumeration: every adapter's display modes, the device types that accept them with the
// application's approval and a depth buffer, and the choice of the starting windowed device.
#include <algorithm>

#include "framework/app_framework.h"

namespace {

bool IsSixteenBit(D3DFORMAT format)
{
    return format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 || format == D3DFMT_A1R5G5B5;
}

// Modes sorted by format (higher values first), then width, then height.
bool ModeOrder(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b)
{
    const auto formatA = static_cast<std::int32_t>(a.Format);
    const auto formatB = static_cast<std::int32_t>(b.Format);
    if (formatA != formatB) {
        return formatA > formatB;
    }
    if (a.Width != b.Width) {
        return a.Width < b.Width;
    }
    return a.Height < b.Height;
}

struct HalFindings {
    bool passed = false;
    bool modeAccepted = false;
    bool canDrawWindowed = false;
    bool canDrawWindowedOnDesktop = false;
};

} // namespace

const char* DepthFormatSuffix(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_D16:
        return " (D16)";
    case D3DFMT_D15S1:
        return " (D15S1)";
    case D3DFMT_D24X8:
        return " (D24X8)";
    case D3DFMT_D24S8:
        return " (D24S8)";
    case D3DFMT_D24X4S4:
        return " (D24X4S4)";
    case D3DFMT_D32:
        return " (D32)";
    default:
        return "";
    }
}

bool AppFramework::PickDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                          D3DFORMAT* depthFormat)
{
    struct Candidate {
        D3DFORMAT format;
        UINT depthBits;
        UINT stencilBits;
    };
    static constexpr Candidate Candidates[] = {
        {D3DFMT_D16, 16, 0},   {D3DFMT_D15S1, 15, 1},   {D3DFMT_D24X8, 24, 0},
        {D3DFMT_D24S8, 24, 8}, {D3DFMT_D24X4S4, 24, 4}, {D3DFMT_D32, 32, 0},
    };
    for (const Candidate& candidate : Candidates) {
        if (minDepthBits > candidate.depthBits || minStencilBits > candidate.stencilBits) {
            continue;
        }
        if (SUCCEEDED(d3d->CheckDeviceFormat(adapter, type, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                             D3DRTYPE_SURFACE, candidate.format)) &&
            SUCCEEDED(d3d->CheckDepthStencilMatch(adapter, type, adapterFormat, adapterFormat,
                                                  candidate.format))) {
            *depthFormat = candidate.format;
            return true;
        }
    }
    return false;
}

HRESULT AppFramework::EnumerateDevices()
{
    static constexpr D3DDEVTYPE DeviceTypes[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_REF};
    HalFindings hal;

    const UINT adapterTotal = d3d->GetAdapterCount();
    for (UINT ordinal = 0; ordinal < adapterTotal && adapterCount < MaxAdapters; ++ordinal) {
        AdapterInfo& adapter = adapters[adapterCount];
        adapter.desktopMode = {};
        d3d->GetAdapterDisplayMode(ordinal, &adapter.desktopMode);
        adapter.deviceCount = 0;
        adapter.currentDevice = 0;

        D3DDISPLAYMODE modes[MaxDisplayModes];
        UINT modeTotal = 0;
        D3DFORMAT formats[MaxDisplayFormats];
        UINT formatTotal = 0;
        formats[formatTotal++] = adapter.desktopMode.Format;

        const UINT offered = d3d->GetAdapterModeCount(ordinal);
        for (UINT index = 0; index < offered; ++index) {
            D3DDISPLAYMODE mode = {};
            if (FAILED(d3d->EnumAdapterModes(ordinal, index, &mode))) {
                continue;
            }
            if (mode.Width < 640 || mode.Height < 400) {
                continue;
            }
            // Refresh rates collapse: one entry per size and format.
            const bool listed = std::any_of(modes, modes + modeTotal, [&](const D3DDISPLAYMODE& known) {
                return known.Width == mode.Width && known.Height == mode.Height && known.Format == mode.Format;
            });
            if (listed || modeTotal == MaxDisplayModes) {
                continue;
            }
            modes[modeTotal++] = mode;
            if (std::find(formats, formats + formatTotal, mode.Format) == formats + formatTotal &&
                formatTotal < MaxDisplayFormats) {
                formats[formatTotal++] = mode.Format;
            }
        }
        std::sort(modes, modes + modeTotal, ModeOrder);

        for (D3DDEVTYPE type : DeviceTypes) {
            if (adapter.deviceCount == MaxDevicesPerAdapter) {
                break;
            }
            DeviceInfo& info = adapter.devices[adapter.deviceCount];
            info.type = type;
            info.caps = {};
            d3d->GetDeviceCaps(ordinal, type, &info.caps);
            info.modeCount = 0;
            info.currentMode = 0;
            info.canDrawWindowed = false;
            info.windowed = false;

            bool accepted[MaxDisplayFormats] = {};
            DWORD behavior[MaxDisplayFormats] = {};
            D3DFORMAT depth[MaxDisplayFormats] = {};
            const bool canRenderWindowed = (info.caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED) != 0;
            for (UINT k = 0; k < formatTotal; ++k) {
                const D3DFORMAT format = formats[k];
                if (FAILED(d3d->CheckDeviceType(ordinal, type, format, format, FALSE))) {
                    continue;
                }
                if (type == D3DDEVTYPE_HAL) {
                    hal.passed = true;
                    if (canRenderWindowed) {
                        hal.canDrawWindowed = true;
                        if (k == 0) {
                            hal.canDrawWindowedOnDesktop = true;
                        }
                    }
                }

                const bool hardwareTnL = (info.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
                bool found = false;
                if (hardwareTnL) {
                    if ((info.caps.DevCaps & D3DDEVCAPS_PUREDEVICE) != 0 &&
                        SUCCEEDED(AcceptDevice(&info.caps,
                                               D3DCREATE_PUREDEVICE | D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                               format))) {
                        behavior[k] = D3DCREATE_PUREDEVICE | D3DCREATE_HARDWARE_VERTEXPROCESSING;
                        found = true;
                    } else if (SUCCEEDED(AcceptDevice(&info.caps, D3DCREATE_HARDWARE_VERTEXPROCESSING, format))) {
                        behavior[k] = D3DCREATE_HARDWARE_VERTEXPROCESSING;
                        found = true;
                    } else if (SUCCEEDED(AcceptDevice(&info.caps, D3DCREATE_MIXED_VERTEXPROCESSING, format))) {
                        behavior[k] = D3DCREATE_MIXED_VERTEXPROCESSING;
                        found = true;
                    }
                }
                if (!found && SUCCEEDED(AcceptDevice(&info.caps, D3DCREATE_SOFTWARE_VERTEXPROCESSING, format))) {
                    behavior[k] = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
                    found = true;
                }
                if (!found) {
                    continue;
                }
                if (useDepthBuffer && !PickDepthStencilFormat(ordinal, type, format, &depth[k])) {
                    continue;
                }
                accepted[k] = true;
            }

            for (UINT m = 0; m < modeTotal; ++m) {
                for (UINT k = 0; k < formatTotal; ++k) {
                    if (!accepted[k] || formats[k] != modes[m].Format || info.modeCount == MaxModesPerDevice) {
                        continue;
                    }
                    info.modes[info.modeCount++] = {modes[m].Width, modes[m].Height, modes[m].Format, behavior[k],
                                                    depth[k]};
                    if (type == D3DDEVTYPE_HAL) {
                        hal.modeAccepted = true;
                    }
                }
            }

            // The full-screen mode: 640 x 480, a 16-bit one when there is one; or, when asked, the
            // desktop's size, in the desktop's format when it has that.
            const UINT fullWidth = fullScreenAtDesktopSize ? adapter.desktopMode.Width : 640;
            const UINT fullHeight = fullScreenAtDesktopSize ? adapter.desktopMode.Height : 480;
            for (UINT m = 0; m < info.modeCount; ++m) {
                if (info.modes[m].width == fullWidth && info.modes[m].height == fullHeight) {
                    info.currentMode = m;
                    const bool preferred = fullScreenAtDesktopSize ? info.modes[m].format == adapter.desktopMode.Format
                                                                   : IsSixteenBit(info.modes[m].format);
                    if (preferred) {
                        break;
                    }
                }
            }

            if (accepted[0] && canRenderWindowed) {
                info.canDrawWindowed = true;
                info.windowed = true;
            }
            if (info.modeCount > 0) {
                ++adapter.deviceCount;
            }
        }
        if (adapter.deviceCount > 0) {
            ++adapterCount;
        }
    }

    if (adapterCount == 0) {
        return D3DAPPERR_NOCOMPATIBLEDEVICES;
    }

    bool chosen = false;
    for (UINT a = 0; a < adapterCount && !chosen; ++a) {
        for (UINT d = 0; d < adapters[a].deviceCount; ++d) {
            if (adapters[a].devices[d].windowed) {
                currentAdapter = a;
                adapters[a].currentDevice = d;
                windowed = true;
                chosen = true;
                break;
            }
        }
    }
    if (!chosen) {
        return D3DAPPERR_NOWINDOWABLEDEVICES;
    }

    if (CurrentDevice().type == D3DDEVTYPE_REF) {
        HRESULT warning = D3DAPPERR_NOHALTHISMODE;
        if (!hal.passed) {
            warning = D3DAPPERR_NOHARDWAREDEVICE;
        } else if (!hal.modeAccepted) {
            warning = D3DAPPERR_HALNOTCOMPATIBLE;
        } else if (!hal.canDrawWindowed) {
            warning = D3DAPPERR_NOWINDOWEDHAL;
        } else if (!hal.canDrawWindowedOnDesktop) {
            warning = D3DAPPERR_NODESKTOPHAL;
        }
        ReportError(warning, ErrorSeverity::FallingBackToReference);
    }
    return S_OK;
}
