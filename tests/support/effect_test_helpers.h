// SPDX-License-Identifier: GPL-3.0-or-later
// Small readings the effect and shell suites share: the live records of a pool, what a recorded
// draw was made with, where a recorded matrix puts a point, and one update pass of a lone layer.
#pragma once

#include <bit>
#include <vector>

#include "d3dx/d3dx_math.h"
#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/particle_pool.h"
#include "effects/scene_layer.h"
#include "tests/support/recording_device.h"

inline int CountActive(const ParticlePool& pool)
{
    int count = 0;
    for (const ParticleRecord* record = pool.activeList; record != nullptr; record = record->next) {
        ++count;
    }
    return count;
}

// The draws that had the given effect texture bound, in call order.
inline std::vector<const DrawRecord*> DrawsWithTexture(const RecordingDevice& device, EffectTexture texture)
{
    std::vector<const DrawRecord*> draws;
    const auto* wanted = static_cast<IDirect3DBaseTexture8*>(SharedEffects.textures[texture]);
    for (const DrawRecord& draw : device.Draws()) {
        if (draw.state.textures[0] == wanted) {
            draws.push_back(&draw);
        }
    }
    return draws;
}

inline float PointSizeOf(const DrawRecord& draw)
{
    return std::bit_cast<float>(draw.state.renderStates[D3DRS_POINTSIZE]);
}

inline D3DXMATRIX WorldOf(const DrawRecord& draw)
{
    D3DXMATRIX world;
    static_cast<D3DMATRIX&>(world) = draw.state.transforms[TransformSlot(D3DTS_WORLD)];
    return world;
}

// A row vector times the matrix, written out so that the check does not lean on the maths library.
inline D3DXVECTOR3 TransformPoint(const D3DMATRIX& m, const D3DXVECTOR3& p)
{
    return D3DXVECTOR3(p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
                       p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
                       p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]);
}

// One update pass of a layer the test holds itself, at the given application time.
inline void UpdateLayerAt(SceneLayer& layer, float time)
{
    Effects.time = time;
    layer.Admit();
    layer.Update();
    layer.Reap();
}
