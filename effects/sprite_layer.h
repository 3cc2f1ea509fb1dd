// SPDX-License-Identifier: GPL-3.0-or-later
// The common drawing of the point-sprite layers: additive points from the point buffer with the
// layer's texture, and per object its point size and world transform.
#pragma once

#include "effects/effect_resources.h"
#include "effects/scene_layer.h"

// How a layer places each object: objects in world space, or a burst moved to its centre (plus
// drop), optionally scaled by its expansion and rotated by its orientation.
enum class SpritePlacement {
    World,
    Translate,
    ScaleTranslate,
    ScaleRotateTranslate,
};

class SpriteLayer : public SceneLayer {
public:
    // A World layer draws all its objects in one batch at layerPointSize.
    SpriteLayer(LayerId id, EffectTexture texture_, SpritePlacement placement_, float layerPointSize_ = 0.0f)
        : SceneLayer(id), texture(texture_), placement(placement_), layerPointSize(layerPointSize_)
    {
    }

    void Draw() override;

    EffectTexture texture;
    SpritePlacement placement;
    float layerPointSize;
};

// The world transform a placement gives a burst pose.
void BuildPlacementMatrix(SpritePlacement placement, const BurstPose& pose, D3DXMATRIX& world);
