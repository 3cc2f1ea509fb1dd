// SPDX-License-Identifier: GPL-3.0-or-later
// The seven drawing layers in registry order (index = layer id), and submission of new objects.
#pragma once

#include "effects/scene_layer.h"

extern SceneLayer* const LayerRegistry[LayerCount];

// Hands a new object to the layer of its id, which owns it from now on; an object whose id
// matches no layer is deleted rather than leaked. Callers off the render thread hold the render lock.
void SubmitFireObject(FireObject* object);
