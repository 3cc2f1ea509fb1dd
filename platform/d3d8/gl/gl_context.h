// SPDX-License-Identifier: GPL-3.0-or-later
// Making GL contexts: the window attributes every drawable needs, the switch to the software
// rasteriser for the reference device, and the probe that tells what the driver offers.
#pragma once

#include "platform/base/win_types.h"

struct SDL_Window;

// Asks SDL for what the device needs from windows and contexts created from now on: OpenGL 3.3 core,
// 8-bit colour channels, a 24-bit depth and 8-bit stencil buffer, double buffering. Windows the device
// draws into must be created with SDL_WINDOW_OPENGL after this call.
void SetGlContextAttributes();

// Points Mesa at its software rasteriser for contexts made from now on (the reference device).
void SelectSoftwareRasterizer();

// What a context of the system's driver can do; ok is false without OpenGL 3.3 core.
struct GlProbe {
    bool ok = false;
    bool software = false;
    char renderer[256] = {};
    int maxTextureSize = 0;
    float maxPointSize = 0.0f;
};

// Makes a hidden 1 × 1 window and a context, reads the limits and destroys both. Video must be initialised.
GlProbe ProbeGl();

// The renderer names of Mesa's software rasterisers.
bool IsSoftwareRenderer(const char* renderer);
