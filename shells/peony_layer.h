// SPDX-License-Identifier: GPL-3.0-or-later
// Layer 5: every peony shell as "Shine.bmp" point sprites, one batch and one world matrix per shell
// (scale by the expansion, turn by the shell's rotation, move to its centre and drop).
#pragma once

#include "effects/sprite_layer.h"

class PeonyLayer : public SpriteLayer {
public:
    PeonyLayer() : SpriteLayer(LayerPeony, TextureShine, SpritePlacement::ScaleRotateTranslate) {}
};
