// PeonyLayer: layer 5, which draws every peony shell as "Shine.bmp" point sprites, one batch and
// one world matrix per shell.
#pragma once

#include "effects/scene_layer.h"

class PeonyLayer : public SceneLayer {
public:
    PeonyLayer() : SceneLayer(LayerPeony) {}

    void Draw() override;
};
