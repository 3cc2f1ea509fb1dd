// SPDX-License-Identifier: GPL-3.0-or-later
// Fixed pools of short-lived particles: sparks, flashes and smoke puffs. A pool never allocates and
// never fails: when it is full it recycles its oldest live record.
#pragma once

#include "d3dx/d3dx_math.h"

class ParticlePool;

// Every record starts with its links; the pool keeps the active list newest first.
struct ParticleRecord {
    ParticleRecord* next = nullptr;
    // Back link in the active list, so that release and recycling take constant time.
    ParticleRecord* prev = nullptr;
    ParticlePool* pool = nullptr;
};

class ParticlePool {
public:
    virtual ~ParticlePool() = default;

    // Puts a record on the free list; used when the pool is filled.
    void Put(ParticleRecord* record);
    // Takes a free record, or the oldest active one when none is free, and makes it the newest;
    // null only for a pool that holds no records at all.
    ParticleRecord* Allocate();
    // Moves an active record back to the free list.
    void Release(ParticleRecord* record);
    // Forgets both lists; the records are put back by the caller.
    void Empty();

    ParticleRecord* activeList = nullptr;
    ParticleRecord* freeList = nullptr;

private:
    ParticleRecord* activeTail = nullptr;
};

struct Spark : ParticleRecord {
    D3DXVECTOR3 start;
    // Displacement over the whole life: the position at normalised age t is start + t * travel.
    D3DXVECTOR3 travel;
    float life;
    float birth;
    bool twinkle;
};

struct Flash : ParticleRecord {
    D3DXVECTOR3 position;
    float life;
    float size;
    float intensity;
    float birth;
    D3DXCOLOR color;
    // This frame's brightness, written by the flash pass and read by the smoke pass.
    float brightness;
};

struct SmokePuff : ParticleRecord {
    D3DXVECTOR3 position;
    float life;
    float size;
    float intensity;
    float birth;
    // Which quarter of the smoke texture to show, 0..3.
    int image;
};

constexpr int SparkCapacity = 4096;
constexpr int FlashCapacity = 10;
constexpr int SmokeCapacity = 1024;

extern ParticlePool SparkPool;
extern ParticlePool FlashPool;
extern ParticlePool SmokePool;

// Sum of this frame's flash brightnesses, capped at 1; the show lights the scene with it.
extern float FlashBrightness;

// Empties the three pools and puts every record on its pool's free list.
void FillParticlePools();

void SpawnSpark(float x, float y, float z, float travelX, float travelY, float travelZ, float life, bool twinkle);
// The colour is stored desaturated to 0.3.
void SpawnFlash(float x, float y, float z, float life, float size, float intensity, const D3DXCOLOR& color);
void SpawnSmoke(float x, float y, float z, float life, float size, float intensity);

// Normalised age of a record born at birth with the given life, at the current application time.
float ParticleAge(float birth, float life);
