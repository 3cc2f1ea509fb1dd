// Spark, flash and smoke passes.
#include "effects/particle_passes.h"

#include <bit>

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

void SetAdditiveStates(IDirect3DDevice8* device)
{
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
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
            // A flicker of +-0.1 of the intensity on top of a linear fade.
            const float k = static_cast<float>((Random01() * 0.2 - 0.1 + (1.0f - t)) * flash.intensity);
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

// One batch of the puffs of one kind: the trail puffs or the bursts'.
void DrawPuffs(bool burstPuffs)
{
    const LitAreaTable& areas = SharedEffects.smokeAreas;
    const PixelScale scale = burstPuffs ? PixelScale{} : DevicePixelScale(Effects.device);
    bool begun = false;
    for (ParticleRecord* record = SmokePool.activeList; record != nullptr; record = record->next) {
        const SmokePuff& puff = *static_cast<const SmokePuff*>(record);
        if ((puff.size >= BurstSmokeSize) != burstPuffs) {
            continue;
        }
        if (!begun) {
            UseQuadBuffer(Effects.device, burstPuffs ? TextureBurstSmoke : TextureSmoke);
            QuadBatch::Begin();
            begun = true;
        }
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
        const D3DCOLOR color = PackColor(r, g, b, base);
        if (AddsNothing(color)) {
            continue;
        }
        const D3DXVECTOR3 centre(puff.position.x + 0.2f * age, puff.position.y, puff.position.z);
        const float size = (t + puff.size) * 0.5f;
        // A dim puff adds light only where its image is bright enough: the rest is left out. The bursts'
        // puffs read the one level of their texture, the trail's the level their size on screen picks.
        QuadPart part;
        const float lod =
            burstPuffs ? 0.0f : QuarterImageLod(scale, centre, size, 2 * areas.imageWidth[0], 2 * areas.imageHeight[0]);
        if (!LitQuadPart(areas, puff.image, lod, color, part)) {
            continue;
        }
        int count = 6;
        TexturedVertex* quad = nullptr;
        // Where the part is larger than the octagon around the image's round lit area, the octagon it is.
        if (burstPuffs && (part.u1 - part.u0) * (part.v1 - part.v0) > TrimmedBillboardArea) {
            quad = AddBillboard(centre, size, SmokeImageReach, color, &count);
        } else {
            quad = QuadBatch::NextQuad();
            BuildBillboardPart(centre, size, part, color, Effects.viewRotation, Effects.inverseViewRotation, quad);
        }
        // The puff's image is one quarter of the smoke texture.
        const float du = 0.5f * static_cast<float>(puff.image & 1);
        const float dv = 0.5f * static_cast<float>(puff.image >> 1);
        for (int i = 0; i < count; ++i) {
            quad[i].u = 0.5f * quad[i].u + du;
            quad[i].v = 0.5f * quad[i].v + dv;
        }
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
    // Additive blending adds the same whatever the order: the two kinds draw one after the other.
    DrawPuffs(false);
    DrawPuffs(true);
}
