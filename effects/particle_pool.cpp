// SPDX-License-Identifier: GPL-3.0-or-later
// The pools, their records and the three spawners.
#include "effects/particle_pool.h"

#include "effects/effect_context.h"
#include "effects/random01.h"

ParticlePool SparkPool;
ParticlePool FlashPool;
ParticlePool SmokePool;
float FlashBrightness = 0.0f;

namespace {
Spark SparkRecords[SparkCapacity];
Flash FlashRecords[FlashCapacity];
SmokePuff SmokeRecords[SmokeCapacity];

template <typename Record, int Capacity>
void Fill(ParticlePool& pool, Record (&records)[Capacity])
{
    pool.Empty();
    for (Record& record : records) {
        pool.Put(&record);
    }
}
} // namespace

void ParticlePool::Put(ParticleRecord* record)
{
    record->next = freeList;
    record->prev = nullptr;
    freeList = record;
    record->pool = this;
}

ParticleRecord* ParticlePool::Allocate()
{
    ParticleRecord* record = freeList;
    if (record != nullptr) {
        freeList = record->next;
    } else if (activeTail == nullptr) {
        // A pool that was never filled has nothing to give.
        return nullptr;
    } else {
        // Full: the oldest live record silently gives way.
        record = activeTail;
        activeTail = record->prev;
        if (activeTail != nullptr) {
            activeTail->next = nullptr;
        } else {
            activeList = nullptr;
        }
    }
    record->prev = nullptr;
    record->next = activeList;
    if (activeList != nullptr) {
        activeList->prev = record;
    } else {
        activeTail = record;
    }
    activeList = record;
    return record;
}

void ParticlePool::Release(ParticleRecord* record)
{
    if (record->prev != nullptr) {
        record->prev->next = record->next;
    } else {
        activeList = record->next;
    }
    if (record->next != nullptr) {
        record->next->prev = record->prev;
    } else {
        activeTail = record->prev;
    }
    record->prev = nullptr;
    record->next = freeList;
    freeList = record;
}

void ParticlePool::Empty()
{
    activeList = nullptr;
    activeTail = nullptr;
    freeList = nullptr;
}

void FillParticlePools()
{
    Fill(SparkPool, SparkRecords);
    Fill(FlashPool, FlashRecords);
    Fill(SmokePool, SmokeRecords);
    FlashBrightness = 0.0f;
}

void SpawnSpark(float x, float y, float z, float travelX, float travelY, float travelZ, float life, bool twinkle)
{
    Spark* spark = static_cast<Spark*>(SparkPool.Allocate());
    if (spark == nullptr) {
        return;
    }
    spark->start = D3DXVECTOR3(x, y, z);
    spark->travel = D3DXVECTOR3(travelX, travelY, travelZ);
    spark->life = life;
    spark->birth = Effects.time;
    spark->twinkle = twinkle;
}

void SpawnFlash(float x, float y, float z, float life, float size, float intensity, const D3DXCOLOR& color)
{
    Flash* flash = static_cast<Flash*>(FlashPool.Allocate());
    if (flash == nullptr) {
        return;
    }
    flash->position = D3DXVECTOR3(x, y, z);
    flash->life = life;
    flash->size = size;
    flash->intensity = intensity;
    flash->birth = Effects.time;
    D3DXColorAdjustSaturation(&flash->color, &color, 0.3f);
    flash->brightness = 0.0f;
}

void SpawnSmoke(float x, float y, float z, float life, float size, float intensity)
{
    SmokePuff* puff = static_cast<SmokePuff*>(SmokePool.Allocate());
    if (puff == nullptr) {
        return;
    }
    puff->position = D3DXVECTOR3(x, y, z);
    puff->life = life;
    puff->size = size;
    puff->intensity = intensity;
    puff->birth = Effects.time;
    puff->image = static_cast<int>(Random01() * 4);
}

float ParticleAge(float birth, float life)
{
    return (Effects.time - birth) / life;
}
