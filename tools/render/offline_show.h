// SPDX-License-Identifier: GPL-3.0-or-later
// The show without its window: a hidden GL window and device, the effect system, the sea and the
// launch registry, driven frame by frame on a fixed time step from the camera at the orbit's start.
#pragma once

#include <string>

#include "app/firework_types.h"
#include "d3dx/d3dx_math.h"
#include "effects/soft_target.h"
#include "media/d3d_file.h"
#include "platform/d3d8/d3d8.h"

// Where the render looks from: the orbit's start, as the show's own camera, or a fixed wide view
// that keeps a finale from every shore site in frame.
enum class RenderCamera { Orbit, Wide };

// The picture's size when none is asked for.
constexpr int kDefaultRenderWidth = 640;
constexpr int kDefaultRenderHeight = 480;

struct OfflineShowOptions {
    int width = kDefaultRenderWidth;
    int height = kDefaultRenderHeight;
    bool software = false;
    bool sea = true;
    // The flash sprites' flicker either way, as a fraction of their intensity; the full 0.1 by default.
    double flicker = 0.1;
    RenderCamera camera = RenderCamera::Orbit;
    // Full: today's picture; a reduced level draws the smoke and the flash glows at its resolution.
    QualityLevel quality = QualityLevel::Full;
    // Balanced on a software rasteriser, else full, as the live show starts.
    bool autoQuality = false;
};

class OfflineShow {
public:
    OfflineShow() = default;
    ~OfflineShow();
    OfflineShow(const OfflineShow&) = delete;
    OfflineShow& operator=(const OfflineShow&) = delete;

    // Opens the device and loads the media from the current directory; false with a reason on failure.
    bool Open(const OfflineShowOptions& options, std::string& error);
    void Close();

    // Launches a firework type by id, or a click's random firework; false for an unknown id.
    bool Launch(int typeId, const float launch[3], const float burst[3]);
    void Click();

    // One frame at the given application time: the effect update, then the scene; bare frames only
    // clear and present, for comparison.
    bool Frame(float time, float elapsed, bool bare);

    IDirect3DDevice8* Device() const { return device; }
    // The camera's view, and the sounds told of each launch (null: none).
    const D3DXMATRIX& View() const { return view; }
    void SetLaunchSounds(LaunchSounds* sounds) { registry.sounds = sounds; }
    // Waits until the frame is really drawn (the OpenGL device works ahead of its caller).
    void Finish();
    // The device's counters since the last take (all zero when the device is not the OpenGL one).
    struct FrameCounts {
        unsigned long long calls = 0;
        unsigned long long draws = 0;
        unsigned long long uploadedBytes = 0;
    };
    FrameCounts TakeCounts();
    // True once a burst's flash has been drawn: the frames from then on are the heavy ones.
    bool Burst() const;

private:
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    HWND window = nullptr;
    bool effectsCreated = false;
    bool seaLoaded = false;
    CD3DFile sea;
    bool calmSeaLoaded = false;
    CD3DFile calmSea;
    FireworkTypeRegistry registry;
    D3DXMATRIX view{};
    QualityLevel quality = QualityLevel::Full;
    SoftTargets softTargets;
};
