// SPDX-License-Identifier: GPL-3.0-or-later
// The soft layer: the smoke and the flash glows drawn into a render-target texture of a half or a
// quarter of the back buffer's size, then added to the picture with one filtered full-screen draw.
#pragma once

#include "effects/soft_bounds.h"
#include "platform/d3d8/d3d8.h"

// How much of the picture is drawn at reduced resolution: Full draws everything at the back buffer's.
enum class QualityLevel : int { Full = 0, Balanced = 1, Fast = 2 };

constexpr int QualityLevelCount = 3;

// "full", "balanced", "fast".
const char* QualityLevelName(QualityLevel level);
// The back buffer's size over the soft layer's: 1, 2 or 4.
int SoftLayerDivisor(QualityLevel level);

// Whether the device draws on the processor: the reference device, or an adapter that is a software
// rasteriser by its description.
bool DrawsInSoftware(IDirect3D8* d3d, IDirect3DDevice8* device);

// One target per reduced level, all made at device restore so that a change of level allocates nothing.
// Every surface is a default-pool object: ReleaseSoftTargets before every reset.
struct SoftTargets {
    IDirect3DDevice8* device = nullptr;
    IDirect3DTexture8* textures[QualityLevelCount] = {};
    IDirect3DSurface8* colors[QualityLevelCount] = {};
    IDirect3DSurface8* depths[QualityLevelCount] = {};
    // The back buffer and its depth buffer, to return to.
    IDirect3DSurface8* backBuffer = nullptr;
    IDirect3DSurface8* backDepth = nullptr;
    IDirect3DVertexBuffer8* quad = nullptr;
    UINT backWidth = 0;
    UINT backHeight = 0;
    // The level whose target draws go to between BeginSoftLayer and EndSoftLayer, and the back-buffer
    // pixels it is cleared and added over.
    int drawing = -1;
    PixelRect area{};
};

// Makes the targets of both reduced levels for a back buffer of the given size; a level whose target
// cannot be made (a device without render-target textures) is drawn at full resolution.
void CreateSoftTargets(IDirect3DDevice8* device, UINT backWidth, UINT backHeight, SoftTargets& targets);
void ReleaseSoftTargets(SoftTargets& targets);

// Whether the level draws a soft layer: a reduced level whose target was made.
bool SoftLayerReady(const SoftTargets& targets, QualityLevel level);
// Sends the draws to the level's target, cleared to black with far depth over the part that shows
// area (back-buffer pixels, with the filter's margin); false, with nothing changed, at Full or where
// the level has no target.
bool BeginSoftLayer(SoftTargets& targets, QualityLevel level, const PixelRect& area);
// Back to the back buffer, and the target added to it over area through one bilinear quad.
void EndSoftLayer(SoftTargets& targets);
