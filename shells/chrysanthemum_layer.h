// SPDX-License-Identifier: GPL-3.0-or-later
// ChrysanthemumLayer: layer 1, which draws every chrysanthemum star as two crossed, tapered ribbons.
#pragma once

#include "effects/scene_layer.h"

// When set, the layer resets texture stage 0's coordinate transform and index after drawing.
// True at start; the show's M key flips it (under the render lock).
extern bool TextureStageResetFlag;

class ChrysanthemumLayer : public SceneLayer {
public:
    ChrysanthemumLayer() : SceneLayer(LayerChrysanthemum) {}

    // Untextured, source-alpha blended triangles in world space, eight per star.
    void Draw() override;
};
