// SPDX-License-Identifier: GPL-3.0-or-later
// The effect system's steps, called from the show's framework hooks: one-time set-up, the device
// resource steps, and the per-frame update and draw. They fan out over the layer registry, so they
// live beside it, above the effect machinery.
#pragma once

#include "platform/base/win_types.h"

// Once, before any device exists: fills the particle pools and builds the colour ramps.
HRESULT EffectsInitScene();
// After device creation (Effects.device set): shared textures and buffers, then the render states.
HRESULT EffectsCreateDeviceResources();
// After creation and every reset: the shared render states.
HRESULT EffectsRestoreDeviceResources();
// Before every reset.
HRESULT EffectsInvalidateDeviceResources();
// Before the device is released.
HRESULT EffectsDestroyDeviceResources();

// One simulation step: per layer in order, admit, update, reap.
void EffectsUpdate();
// Sparks, the seven layers, flashes, smoke; all additive, without depth writes.
void EffectsDraw();
// Its two parts: the sharp one (sparks, the seven layers), then the soft one (flashes, smoke), which
// may be drawn at reduced resolution.
void EffectsDrawSharp();
void EffectsDrawSoft();
