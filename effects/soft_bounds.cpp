// SPDX-License-Identifier: GPL-3.0-or-later
// The screen bounds of the soft parts: each particle's quad lies in a sphere about its centre, whose
// eye-space box is projected corner by corner.
#include "effects/soft_bounds.h"

#include <algorithm>
#include <cmath>

#include "effects/particle_pool.h"

namespace {

struct Projector {
    D3DXMATRIX view;
    float scaleX;
    float scaleY;
    // Normalised device bounds gathered so far.
    float x0 = 1.0f;
    float y0 = 1.0f;
    float x1 = -1.0f;
    float y1 = -1.0f;
    // Sum of the particles' boxes, in normalised device units (the screen is 2 × 2).
    double area = 0.0;

    // False when the sphere reaches the eye's plane: the whole screen then. counted: whether the
    // box adds to the coverage.
    bool Include(const D3DXVECTOR3& c, float radius, bool counted = true)
    {
        const D3DXMATRIX& v = view;
        const float ex = c.x * v._11 + c.y * v._21 + c.z * v._31 + v._41;
        const float ey = c.x * v._12 + c.y * v._22 + c.z * v._32 + v._42;
        const float ez = c.x * v._13 + c.y * v._23 + c.z * v._33 + v._43;
        const float nearest = ez - radius;
        if (!(nearest > 1e-3f)) {
            return ez + radius < 0.0f;
        }
        // x / z and y / z are monotonic in each coordinate for z > 0: the box's corners bound them.
        float bx0 = 1.0f;
        float by0 = 1.0f;
        float bx1 = -1.0f;
        float by1 = -1.0f;
        for (const float z : {nearest, ez + radius}) {
            for (const float dx : {-radius, radius}) {
                const float x = (ex + dx) * scaleX / z;
                bx0 = std::min(bx0, x);
                bx1 = std::max(bx1, x);
            }
            for (const float dy : {-radius, radius}) {
                const float y = (ey + dy) * scaleY / z;
                by0 = std::min(by0, y);
                by1 = std::max(by1, y);
            }
        }
        x0 = std::min(x0, bx0);
        x1 = std::max(x1, bx1);
        y0 = std::min(y0, by0);
        y1 = std::max(y1, by1);
        const float w = std::min(bx1, 1.0f) - std::max(bx0, -1.0f);
        const float h = std::min(by1, 1.0f) - std::max(by0, -1.0f);
        area += counted && w > 0.0f && h > 0.0f ? static_cast<double>(w) * h : 0.0;
        return true;
    }
};

} // namespace

bool SoftPartsBounds(IDirect3DDevice8* device, float time, PixelRect& rect, double& coverage)
{
    coverage = 0.0;
    if (FlashPool.activeList == nullptr && SmokePool.activeList == nullptr) {
        return false;
    }
    D3DXMATRIX projection;
    D3DVIEWPORT8 viewport{};
    Projector p{};
    if (FAILED(device->GetTransform(D3DTS_VIEW, &p.view)) ||
        FAILED(device->GetTransform(D3DTS_PROJECTION, &projection)) || FAILED(device->GetViewport(&viewport))) {
        return false;
    }
    rect = {static_cast<LONG>(viewport.X), static_cast<LONG>(viewport.Y),
            static_cast<LONG>(viewport.X + viewport.Width), static_cast<LONG>(viewport.Y + viewport.Height)};
    const double whole = static_cast<double>(viewport.Width) * viewport.Height;
    coverage = whole;
    const bool plain = projection._12 == 0.0f && projection._13 == 0.0f && projection._21 == 0.0f &&
                       projection._23 == 0.0f && projection._14 == 0.0f && projection._24 == 0.0f &&
                       projection._34 == 1.0f && projection._44 == 0.0f;
    if (!plain) {
        return true;
    }
    p.x0 = p.y0 = 1.0f;
    p.x1 = p.y1 = -1.0f;
    p.scaleX = projection._11;
    p.scaleY = projection._22;
    // A quad of side s lies within s / sqrt(2) of its centre; a little more for rounding.
    constexpr float Reach = 0.75f;
    for (ParticleRecord* r = FlashPool.activeList; r != nullptr; r = r->next) {
        const Flash& flash = *static_cast<const Flash*>(r);
        const float t = ParticleAge(flash.birth, flash.life);
        if (!p.Include(flash.position, Reach * (t + flash.size) * 0.5f)) {
            return true;
        }
    }
    for (ParticleRecord* r = SmokePool.activeList; r != nullptr; r = r->next) {
        const SmokePuff& puff = *static_cast<const SmokePuff*>(r);
        const float age = time - puff.birth;
        const float t = age / puff.life;
        const D3DXVECTOR3 centre(puff.position.x + 0.2f * age, puff.position.y, puff.position.z);
        // The rising shells' small trail puffs are drawn trimmed to a few lit texels: their boxes say
        // nothing of their cost, so they widen the bounds without counting as coverage.
        if (!p.Include(centre, Reach * std::fabs(t + puff.size) * 0.5f, puff.size >= 1.0f)) {
            return true;
        }
    }
    coverage = p.area * whole / 4.0;
    if (p.x1 < p.x0 || p.y1 < p.y0) {
        rect = {0, 0, 0, 0};
        return true;
    }
    // Normalised device x runs left to right, y bottom to top; a pixel of slack each way.
    const float w = static_cast<float>(viewport.Width) * 0.5f;
    const float h = static_cast<float>(viewport.Height) * 0.5f;
    const auto clampX = [&](float x) { return static_cast<LONG>(std::clamp(x, 0.0f, 2.0f * w)) + rect.x0; };
    const auto clampY = [&](float y) { return static_cast<LONG>(std::clamp(y, 0.0f, 2.0f * h)) + rect.y0; };
    const LONG left = clampX(std::floor((p.x0 + 1.0f) * w) - 1.0f);
    const LONG right = clampX(std::ceil((p.x1 + 1.0f) * w) + 1.0f);
    const LONG top = clampY(std::floor((1.0f - p.y1) * h) - 1.0f);
    const LONG bottom = clampY(std::ceil((1.0f - p.y0) * h) + 1.0f);
    rect = {left, top, right, bottom};
    return true;
}
