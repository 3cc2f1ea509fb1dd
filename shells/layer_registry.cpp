// SPDX-License-Identifier: GPL-3.0-or-later
// The layer objects of the seven families, built before the program starts, and the registry that
// lists them.
#include "shells/layer_registry.h"

#include "effects/sprite_layer.h"
#include "shells/chrysanthemum_layer.h"
#include "shells/peony_layer.h"

namespace {

SpriteLayer RisingShellLayer(LayerRisingShell, TextureShine, SpritePlacement::World, 0.15f);
ChrysanthemumLayer ChrysanthemumShellLayer;
SpriteLayer BeeLayer(LayerBee, TextureShine2, SpritePlacement::Translate);
SpriteLayer SaturnLayer(LayerSaturn, TextureShine, SpritePlacement::ScaleRotateTranslate);
SpriteLayer SpiralLayer(LayerSpiral, TextureShine2, SpritePlacement::ScaleTranslate);
PeonyLayer PeonyShellLayer;
SpriteLayer RingLayer(LayerRing, TextureShine, SpritePlacement::ScaleRotateTranslate);

} // namespace

SceneLayer* const LayerRegistry[LayerCount] = {
    &RisingShellLayer, &ChrysanthemumShellLayer, &BeeLayer, &SaturnLayer, &SpiralLayer, &PeonyShellLayer, &RingLayer,
};

void SubmitFireObject(FireObject* object)
{
    for (SceneLayer* layer : LayerRegistry) {
        if (layer->layerId == object->layerId) {
            layer->Enqueue(object);
            return;
        }
    }
    delete object;
}
