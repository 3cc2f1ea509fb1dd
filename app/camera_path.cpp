// SPDX-License-Identifier: GPL-3.0-or-later
// Keyframe tracks, their cyclic spline points and the two paths the show flies.
#include "app/camera_path.h"

#include <bit>
#include <cmath>

namespace {

void AppendKey(std::vector<PathKey>& keys, std::int32_t& count, const D3DXVECTOR3& point, float duration)
{
    PathKey key;
    key.begin = keys.empty() ? 0.0f : keys.back().end;
    key.end = key.begin + duration;
    key.duration = duration;
    key.point = point;
    keys.push_back(key);
    count = static_cast<std::int32_t>(keys.size());
}

void PrepareTrack(std::vector<PathKey>& keys)
{
    const size_t n = keys.size();
    for (size_t i = 0; i < n; ++i) {
        keys[i].p0 = keys[(n + i - 1) % n].point;
        keys[i].p1 = keys[i].point;
        keys[i].p2 = keys[(i + 1) % n].point;
        keys[i].p3 = keys[(i + 2) % n].point;
    }
}

} // namespace

void CameraPath::AddPositionKey(const D3DXVECTOR3& point, float duration)
{
    AppendKey(positionKeys, positionCount, point, duration);
    loopLength += duration;
}

void CameraPath::AddTargetKey(const D3DXVECTOR3& point, float duration)
{
    AppendKey(targetKeys, targetCount, point, duration);
}

void CameraPath::PreparePath()
{
    PrepareTrack(positionKeys);
    PrepareTrack(targetKeys);
}

D3DXVECTOR3 EvaluateTrack(const std::vector<PathKey>& keys, float t)
{
    if (keys.empty()) {
        return {0.0f, 0.0f, 0.0f};
    }
    if (keys.size() == 1) {
        return keys[0].point;
    }
    size_t i = 0;
    while (i < keys.size() && !(t < keys[i].end)) {
        ++i;
    }
    if (i == keys.size()) {
        i = keys.size() - 1;
    }
    const PathKey& key = keys[i];
    // A key of no duration has no segment to interpolate along.
    if (t == key.begin || !(key.duration > 0.0f)) {
        return key.point;
    }
    const float s = (t - key.begin) / key.duration;
    D3DXVECTOR3 out;
    D3DXVec3CatmullRom(&out, &key.p0, &key.p1, &key.p2, &key.p3, s);
    return out;
}

void CameraPath::EvaluatePath(float time, D3DXVECTOR3* eye, D3DXVECTOR3* target) const
{
    const float local = time - start;
    float t = 0.0f;
    // An empty path has no lap; it stays at its start instead of dividing by zero.
    if (loopLength > 0.0f) {
        const float laps = std::trunc(local / loopLength);
        t = local - laps * loopLength;
    }
    *eye = EvaluateTrack(positionKeys, t);
    *target = EvaluateTrack(targetKeys, t);
}

CameraPath OrbitPath()
{
    CameraPath path;
    const float step = std::bit_cast<float>(0x3F490FD8u);
    for (int i = 0; i < 8; ++i) {
        const float a = static_cast<float>(i) * step;
        path.AddPositionKey({9.0f * std::sin(a), 5.0f, 6.0f * std::cos(a)}, 5.0f);
    }
    path.AddTargetKey({0.0f, 3.0f, 0.0f}, 40.0f);
    path.PreparePath();
    return path;
}

CameraPath FigureEightPath()
{
    // Two loops crossing over the launch site; 0.1 keeps the crossing off the exact origin.
    static const D3DXVECTOR3 points[16] = {
        {0.0f, 4.0f, 0.1f}, {3.0f, 4.0f, 3.0f},   {5.0f, 4.0f, 0.0f},  {3.0f, 4.0f, -3.0f},
        {0.0f, 4.0f, 0.1f}, {-3.0f, 4.0f, 3.0f},  {-5.0f, 4.0f, 0.0f}, {-3.0f, 4.0f, -3.0f},
        {-3.0f, 4.0f, -3.0f}, {0.0f, 4.0f, 0.1f}, {3.0f, 4.0f, 3.0f},  {5.0f, 4.0f, 0.0f},
        {3.0f, 4.0f, -3.0f}, {0.0f, 4.0f, 0.1f},  {-3.0f, 4.0f, 3.0f}, {-5.0f, 4.0f, 0.0f},
    };
    CameraPath path;
    for (const D3DXVECTOR3& point : points) {
        path.AddPositionKey(point, 5.0f);
    }
    path.PreparePath();
    return path;
}
