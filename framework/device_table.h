// SPDX-License-Identifier: GPL-3.0-or-later
// The table of adapters, their device types and the full-screen modes each device can use, as
// device enumeration fills it and device choice reads it.
#pragma once

#include "platform/d3d8/d3d8.h"

// Bounds of the table; enumeration drops what does not fit.
constexpr UINT MaxAdapters = 10;
constexpr UINT MaxDevicesPerAdapter = 5;
constexpr UINT MaxModesPerDevice = 150;
// Scratch lists of one adapter's enumeration.
constexpr UINT MaxDisplayModes = 100;
constexpr UINT MaxDisplayFormats = 20;

struct ModeInfo {
    UINT width;
    UINT height;
    D3DFORMAT format;
    DWORD behaviorFlags;           // D3DCREATE flags for CreateDevice
    D3DFORMAT depthStencilFormat;  // D3DFMT_UNKNOWN without a depth buffer
};

struct DeviceInfo {
    D3DDEVTYPE type;
    D3DCAPS8 caps;
    bool canDrawWindowed;  // accepted the desktop format and can render into a window
    UINT modeCount;
    ModeInfo modes[MaxModesPerDevice];
    UINT currentMode;      // the full-screen mode to use
    bool windowed;         // this device's presentation choice
};

struct AdapterInfo {
    D3DDISPLAYMODE desktopMode;
    UINT deviceCount;
    DeviceInfo devices[MaxDevicesPerAdapter];
    UINT currentDevice;
};

// The depth/stencil suffix of the statistics line for a depth format; "" for any other format.
const char* DepthFormatSuffix(D3DFORMAT format);
