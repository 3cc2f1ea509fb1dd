// SPDX-License-Identifier: GPL-3.0-or-later
// A ready effect system on a recording device, for tests: effect textures in a temporary folder
// that is the current directory, the device in the effect context, the scene initialised and the
// device resources created and restored. Everything is undone on destruction.
#pragma once

#include <filesystem>

#include "tests/support/recording_device.h"

class EffectScene {
public:
    explicit EffectScene(const D3DCAPS8& caps = NullDevice::DefaultCaps());
    ~EffectScene();
    EffectScene(const EffectScene&) = delete;
    EffectScene& operator=(const EffectScene&) = delete;

    // The result of creating the device resources; the scene is usable only when it succeeded.
    HRESULT created = E_FAIL;
    RecordingDevice* device = nullptr;
    std::filesystem::path folder;

    // Sets the application time, then runs one update and one draw, as a frame does.
    void Frame(float time);

    // Sets the application time and the seconds since the last frame, then runs the update pass alone.
    void Update(float time, float elapsed);

private:
    std::filesystem::path previous;
};
