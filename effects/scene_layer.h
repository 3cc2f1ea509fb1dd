// SPDX-License-Identifier: GPL-3.0-or-later
// A drawing layer: owns the live objects of one firework family, admits, updates, reaps and draws them.
#pragma once

#include "effects/fire_object.h"
#include "platform/d3d8/d3d8.h"

class SceneLayer {
public:
    explicit SceneLayer(LayerId id) : layerId(id) {}
    // Deletes every object still active or queued.
    virtual ~SceneLayer();
    SceneLayer(const SceneLayer&) = delete;
    SceneLayer& operator=(const SceneLayer&) = delete;

    virtual void Draw() = 0;
    // Updates every active object, oldest first.
    virtual void Update();
    // Hooks for resources of a layer's own; the layers so far hold none.
    virtual HRESULT InitScene() { return S_OK; }
    virtual HRESULT CreateDeviceResources() { return S_OK; }
    virtual HRESULT RestoreDeviceResources() { return S_OK; }
    virtual HRESULT InvalidateDeviceResources() { return S_OK; }
    virtual HRESULT DestroyDeviceResources() { return S_OK; }

    // Appends a submitted object to the incoming list; the layer owns it from now on.
    void Enqueue(FireObject* object);
    // Starts every incoming object with the current application time and moves them to the active list.
    void Admit();
    // Deletes every active object whose dead flag is set.
    void Reap();
    // Deletes every object, active and queued.
    void Clear();

    FireObject* activeList = nullptr;
    FireObject* incomingList = nullptr;
    LayerId layerId;
};
