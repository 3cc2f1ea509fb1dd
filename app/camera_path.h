// SPDX-License-Identifier: GPL-3.0-or-later
// A closed loop of camera keyframes: a position track whose durations make one lap and a target
// track, each followed along a cyclic Catmull-Rom spline through its key points.
#pragma once

#include <cstdint>
#include <vector>

#include "d3dx/d3dx_math.h"

struct PathKey {
    // Track time at which this key's segment starts, and where it ends (begin + duration).
    float begin = 0.0f;
    float end = 0.0f;
    float duration = 0.0f;
    D3DXVECTOR3 point{0.0f, 0.0f, 0.0f};
    // Spline points of the segment from this key to the next: previous, this, next, the one after.
    D3DXVECTOR3 p0{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 p1{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 p2{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 p3{0.0f, 0.0f, 0.0f};
};

class CameraPath {
public:
    void AddPositionKey(const D3DXVECTOR3& point, float duration);
    // The target track shares the position track's lap time; its durations do not change the lap.
    void AddTargetKey(const D3DXVECTOR3& point, float duration);
    // Fills every key's spline points from its cyclic neighbours; run after the last key is added.
    void PreparePath();
    // Eye and target at an application time, start being the beginning of the first lap.
    void EvaluatePath(float time, D3DXVECTOR3* eye, D3DXVECTOR3* target) const;

    float start = 0.0f;
    float loopLength = 0.0f;
    std::vector<PathKey> positionKeys;
    std::int32_t positionCount = 0;
    std::vector<PathKey> targetKeys;
    std::int32_t targetCount = 0;
};

// A track at a time within the lap: (0, 0, 0) without keys, the key itself with one.
D3DXVECTOR3 EvaluateTrack(const std::vector<PathKey>& keys, float t);

// The orbit: an ellipse of eight keys around the launch site at height 5, 40 s a lap, looking at (0, 3, 0).
CameraPath OrbitPath();
// The figure eight: sixteen keys at height 4, 80 s a lap, looking at the origin.
CameraPath FigureEightPath();
