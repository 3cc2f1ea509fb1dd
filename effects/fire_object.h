// SPDX-License-Identifier: GPL-3.0-or-later
// The base of every live firework object, and the small helpers every family shares.
#pragma once

#include "d3dx/d3dx_math.h"
#include "effects/layer_id.h"

// Where a burst sits this frame; its layer turns it into the point size and world transform.
struct BurstPose {
    float pointSize;
    D3DXVECTOR3 centre;
    float drop;
    float radius;
    D3DXQUATERNION orientation;
};

// A firework object belongs to one layer, which starts, updates, draws and finally deletes it.
class FireObject {
public:
    explicit FireObject(LayerId layer, float duration_ = 0.0f) : layerId(layer), duration(duration_) {}
    virtual ~FireObject() = default;
    FireObject(const FireObject&) = delete;
    FireObject& operator=(const FireObject&) = delete;

    // Called once, when the layer admits the object (birthTime is already set).
    virtual void Start() = 0;
    // Called every update pass from the admission pass on; sets dead when finished.
    virtual void Update() = 0;
    // Appends the object's vertices to the open batch; the layer has set states and transforms.
    virtual void Draw() = 0;
    // The pose a point-sprite layer draws the object at; objects drawn in world space keep the default.
    virtual void GetPose(BurstPose& pose) const;

    LayerId layerId;
    FireObject* next = nullptr;
    float birthTime = 0.0f;
    float duration;
    bool dead = false;
};

// The burst expansion over normalised age: 0 at t = 0, 1 at t = 1, slope 1.6 falling to 0.4.
constexpr float ExpansionCurve(float t)
{
    return -0.2f * (3.0f * t * t - 8.0f * t);
}

// Four float channels to an ARGB word: 255 at or above 1, 0 at or below 0, else rounded.
DWORD PackColor(float r, float g, float b, float a);
