// SPDX-License-Identifier: GPL-3.0-or-later
// Spark, flash and smoke passes.
#include "effects/particle_passes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "effects/billboard.h"
#include "effects/effect_context.h"
#include "effects/effect_resources.h"
#include "effects/fire_object.h"
#include "effects/particle_pool.h"
#include "effects/random01.h"
#include "effects/vertex_batches.h"

namespace {

const D3DXMATRIX Identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

template <typename Record>
void Expire(ParticlePool& pool)
{
    ParticleRecord* record = pool.activeList;
    while (record != nullptr) {
        ParticleRecord* following = record->next;
        const Record* r = static_cast<const Record*>(record);
        // Strictly past the end: a record at exactly t = 1 is drawn once more.
        if (ParticleAge(r->birth, r->life) > 1.0f) {
            pool.Release(record);
        }
        record = following;
    }
}

// How far from the centre, in halves of the side, the flash and smoke images can show anything under
// linear filtering: their lit texels end at 0.9 and 0.96 of it.
constexpr float LightImageReach = 0.93f;
constexpr float SmokeImageReach = 1.0f;
// Puffs born at least this large (the bursts') are drawn magnified, from the smoke image without mip
// levels. The rising shells' small trail puffs are drawn minified, from the mip levels.
constexpr float BurstSmokeSize = 1.0f;

// A billboard trimmed to the image's round lit part (reach above 0) where a batch run holds one, else
// the square; returns its vertices and their count.
TexturedVertex* AddBillboard(const D3DXVECTOR3& centre, float size, float reach, D3DCOLOR color, int* count)
{
    if (reach > 0.0f && SharedEffects.batchCapacity >= TrimmedBillboardVertices) {
        TexturedVertex* vertices = QuadBatch::NextTrimmedQuad();
        BuildTrimmedBillboard(centre, size, reach, color, Effects.viewRotation, Effects.inverseViewRotation,
                              vertices);
        *count = TrimmedBillboardVertices;
        return vertices;
    }
    TexturedVertex* vertices = QuadBatch::NextQuad();
    BuildBillboard(centre, size, color, Effects.viewRotation, Effects.inverseViewRotation, vertices);
    *count = 6;
    return vertices;
}

void UseQuadBuffer(IDirect3DDevice8* device, EffectTexture texture)
{
    device->SetTransform(D3DTS_WORLD, &Identity);
    device->SetStreamSource(0, SharedEffects.quadBuffer, sizeof(TexturedVertex));
    device->SetVertexShader(TexturedVertexFVF);
    device->SetTexture(0, SharedEffects.textures[texture]);
}

} // namespace

void DrawSparks()
{
    Expire<Spark>(SparkPool);
    if (SparkPool.activeList == nullptr) {
        return;
    }
    IDirect3DDevice8* device = Effects.device;
    SetAdditiveStates(device);
    device->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(0.04f));
    device->SetTransform(D3DTS_WORLD, &Identity);
    device->SetStreamSource(0, SharedEffects.pointBuffer, sizeof(ColorVertex));
    device->SetVertexShader(ColorVertexFVF);
    device->SetTexture(0, SharedEffects.textures[TextureStar]);

    PointBatch::Begin();
    for (ParticleRecord* record = SparkPool.activeList; record != nullptr; record = record->next) {
        const Spark& spark = *static_cast<const Spark*>(record);
        if (spark.twinkle) {
            continue;
        }
        const float t = ParticleAge(spark.birth, spark.life);
        const float f = 1.0f - t;
        const D3DCOLOR color = PackColor(f, 0.8f * f, 0.4f * f, f);
        if (AddsNothing(color)) {
            continue;
        }
        const D3DXVECTOR3 p = spark.start + spark.travel * t;
        *PointBatch::NextPoint() = ColorVertex{p.x, p.y, p.z, color};
    }
    PointBatch::EndPoints();

    device->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(0.15f));
    device->SetTexture(0, SharedEffects.textures[TextureShine2]);
    PointBatch::Begin();
    for (ParticleRecord* record = SparkPool.activeList; record != nullptr; record = record->next) {
        const Spark& spark = *static_cast<const Spark*>(record);
        if (!spark.twinkle || !(Random01() < 0.1)) {
            continue;
        }
        const float t = ParticleAge(spark.birth, spark.life);
        D3DXVECTOR3 p = spark.start + spark.travel * t;
        p.x += static_cast<float>(Random01() * 0.5 - 0.25);
        p.y += static_cast<float>(Random01() * 0.5 - 0.25);
        p.z += static_cast<float>(Random01() * 0.5 - 0.25);
        *PointBatch::NextPoint() = ColorVertex{p.x, p.y, p.z, 0xFFFFFFFFu};
    }
    PointBatch::EndPoints();
}

void DrawFlashes()
{
    IDirect3DDevice8* device = Effects.device;
    SetAdditiveStates(device);
    FlashBrightness = 0.0f;
    if (FlashPool.activeList == nullptr) {
        return;
    }
    Expire<Flash>(FlashPool);
    if (FlashPool.activeList != nullptr) {
        UseQuadBuffer(device, TextureLight);
        QuadBatch::Begin();
        for (ParticleRecord* record = FlashPool.activeList; record != nullptr; record = record->next) {
            Flash& flash = *static_cast<Flash*>(record);
            const float t = ParticleAge(flash.birth, flash.life);
            // A flicker of +-flashFlicker of the intensity on top of a linear fade; the draw is made
            // whatever the amplitude, so that a seed gives the same show at any flicker.
            const double flicker = Effects.flashFlicker;
            const float k = static_cast<float>((Random01() * (2.0 * flicker) - flicker + (1.0f - t)) * flash.intensity);
            flash.brightness = k;
            const D3DCOLOR color = PackColor(k * flash.color.r, k * flash.color.g, k * flash.color.b, k * flash.color.a);
            FlashBrightness += k;
            // A fading flash adds light only near its centre, where its image is bright enough.
            const float reach = LitReach(SharedEffects.flashReach, color, LightImageReach);
            if (reach == 0.0f) {
                continue;
            }
            int count = 0;
            AddBillboard(flash.position, (t + flash.size) * 0.5f, reach, color, &count);
        }
        QuadBatch::End();
    }
    if (FlashBrightness > 1.0f) {
        FlashBrightness = 1.0f;
    }
}

namespace {

// A puff as this frame draws it, worked out once and then drawn in the batch of its kind and level.
struct PuffLook {
    D3DXVECTOR3 centre;
    float size;
    D3DCOLOR color;
    int image;
    bool burst;
    // The one mip level the puff is read from (the bursts' texture has only level 0); -1 for a trail
    // puff whose level the device's view cannot tell, left to the rasteriser at level of detail lod.
    int level;
    float lod;
};

PuffLook PuffLooks[SmokeCapacity];

// The puff's colour (its grey, tinted by the flashes near it), centre and size; false when it adds nothing.
bool LookOf(const SmokePuff& puff, PuffLook& look)
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    for (ParticleRecord* f = FlashPool.activeList; f != nullptr; f = f->next) {
        const Flash& flash = *static_cast<const Flash*>(f);
        const D3DXVECTOR3 d = flash.position - puff.position;
        const float w = flash.brightness / (2.0f * D3DXVec3Dot(&d, &d) + 1.0f);
        r += w * flash.color.r;
        g += w * flash.color.g;
        b += w * flash.color.b;
    }
    const float age = Effects.time - puff.birth;
    const float t = age / puff.life;
    const float base = (1.0f - t) * puff.intensity * 0.5f;
    // The flash tint may at most double the puff's own grey.
    const float limit = 2.0f * base > 1.0f ? 1.0f : 2.0f * base;
    r = r + base > limit ? limit : r + base;
    g = g + base > limit ? limit : g + base;
    b = b + base > limit ? limit : b + base;
    look.color = PackColor(r, g, b, base);
    look.centre = D3DXVECTOR3(puff.position.x + 0.2f * age, puff.position.y, puff.position.z);
    look.size = (t + puff.size) * 0.5f;
    look.image = puff.image;
    look.burst = puff.size >= BurstSmokeSize;
    return !AddsNothing(look.color);
}

// A dim puff adds light only where its image is bright enough: the rest of its quad is left out.
void EmitPuff(const PuffLook& look)
{
    const LitAreaTable& areas = SharedEffects.smokeAreas;
    QuadPart part;
    const bool adds = look.level >= 0 ? LitQuadPartAtLevel(areas, look.image, look.level, look.color, part)
                                      : LitQuadPart(areas, look.image, look.lod, look.color, part);
    if (!adds) {
        return;
    }
    int count = 6;
    TexturedVertex* quad = nullptr;
    // Where the part is larger than the octagon around the image's round lit area, the octagon it is.
    if (look.burst && (part.u1 - part.u0) * (part.v1 - part.v0) > TrimmedBillboardArea) {
        quad = AddBillboard(look.centre, look.size, SmokeImageReach, look.color, &count);
    } else {
        quad = QuadBatch::NextQuad();
        BuildBillboardPart(look.centre, look.size, part, look.color, Effects.viewRotation,
                           Effects.inverseViewRotation, quad);
    }
    // The puff's image is one quarter of the smoke texture.
    const float du = 0.5f * static_cast<float>(look.image & 1);
    const float dv = 0.5f * static_cast<float>(look.image >> 1);
    for (int i = 0; i < count; ++i) {
        quad[i].u = 0.5f * quad[i].u + du;
        quad[i].v = 0.5f * quad[i].v + dv;
    }
}

// One batch: the puffs of one kind, and for the trail's one mip level.
void DrawPuffBatch(int lookCount, bool burst, int level)
{
    bool begun = false;
    for (int i = 0; i < lookCount; ++i) {
        const PuffLook& look = PuffLooks[i];
        if (look.burst != burst || look.level != level) {
            continue;
        }
        if (!begun) {
            QuadBatch::Begin();
            begun = true;
        }
        EmitPuff(look);
    }
    if (begun) {
        QuadBatch::End();
    }
}

} // namespace

void DrawSmoke()
{
    Expire<SmokePuff>(SmokePool);
    if (SmokePool.activeList == nullptr) {
        return;
    }
    IDirect3DDevice8* device = Effects.device;
    // The trail puffs are small and minified: each is read from the one mip level its size on screen
    // picks, as the rasteriser would pick it for every pixel, so the rasteriser skips that work and the
    // quad shrinks to that level's lit part. The bursts' puffs are magnified from a texture of one level.
    // Only a nearest-level filter reads one level across a quad of one depth.
    const PixelScale scale = DevicePixelScale(device);
    const LitAreaTable& areas = SharedEffects.smokeAreas;
    DWORD mipFilter = D3DTEXF_NONE;
    DWORD finestLevel = 0;
    device->GetTextureStageState(0, D3DTSS_MIPFILTER, &mipFilter);
    device->GetTextureStageState(0, D3DTSS_MAXMIPLEVEL, &finestLevel);
    const bool levelEach = mipFilter == D3DTEXF_POINT && finestLevel == 0 && areas.levelCount > 0;
    const int trailLevels = std::min(static_cast<int>(SharedEffects.textures[TextureSmoke]->GetLevelCount()), 32);
    int lookCount = 0;
    std::uint32_t trailLevelsUsed = 0;
    bool anyBurst = false;
    bool anyLeftToRasteriser = false;
    for (ParticleRecord* record = SmokePool.activeList; record != nullptr; record = record->next) {
        PuffLook& look = PuffLooks[lookCount];
        if (!LookOf(*static_cast<const SmokePuff*>(record), look)) {
            continue;
        }
        ++lookCount;
        look.level = 0;
        if (look.burst) {
            anyBurst = true;
            continue;
        }
        look.lod = QuarterImageLod(scale, look.centre, look.size, 2 * areas.imageWidth[0], 2 * areas.imageHeight[0]);
        if (levelEach && std::isfinite(look.lod)) {
            look.level = NearestMipLevel(look.lod, trailLevels);
            trailLevelsUsed |= 1u << look.level;
        } else {
            look.level = -1;
            anyLeftToRasteriser = true;
        }
    }
    // Additive blending adds the same whatever the order: the batches draw one after the other.
    if (trailLevelsUsed != 0 || anyLeftToRasteriser) {
        UseQuadBuffer(device, TextureSmoke);
        if (anyLeftToRasteriser) {
            DrawPuffBatch(lookCount, false, -1);
        }
        if (trailLevelsUsed != 0) {
            device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
            for (int level = 0; level < trailLevels; ++level) {
                if (trailLevelsUsed & (1u << level)) {
                    device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, static_cast<DWORD>(level));
                    DrawPuffBatch(lookCount, false, level);
                }
            }
            device->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, finestLevel);
            device->SetTextureStageState(0, D3DTSS_MIPFILTER, mipFilter);
        }
    }
    if (anyBurst) {
        UseQuadBuffer(device, TextureBurstSmoke);
        DrawPuffBatch(lookCount, true, 0);
    }
}
