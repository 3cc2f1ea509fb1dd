// SPDX-License-Identifier: GPL-3.0-or-later
// The six kinds' launch actions: the burst with its preset colour ramps, carried up by a rising shell.
#include "app/launch_handlers.h"

#include "app/launch_sounds.h"

#include <cstdio>
#include <new>

#include "effects/random01.h"
#include "shells/bee_shell.h"
#include "shells/chrysanthemum_shell.h"
#include "shells/color_ramp.h"
#include "shells/peony_shell.h"
#include "shells/ring_shell.h"
#include "shells/saturn_shell.h"
#include "shells/spiral_shell.h"

namespace {

// The colour variant of an id; false for an id that names none, whose ramps would lie out of range.
bool ColorVariant(std::int32_t id, int& variant)
{
    const int a = id % 1000;
    if (a == 99) {
        // Multiplied in double precision, so a draw of 32767 still truncates to 9.
        variant = static_cast<int>(Random01() * 10.0);
        return variant >= 0 && variant < RampPresetCount;
    }
    variant = a;
    return a >= 0 && a < RampPresetCount;
}

// The draw u of the speed formulas.
float DrawU()
{
    return static_cast<float>(Random01());
}

// The common road of every kind: the colour variant, the burst's memory, then build(memory, a),
// which makes the kind's random draws and constructs the burst there, so those draws happen only
// once the allocation has succeeded. Without memory the rising shell goes up empty.
template <typename Shell, typename Build>
void LaunchKind(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                float bz, Build build, const bool* sparks = nullptr)
{
    int a = 0;
    if (!ColorVariant(id, a)) {
        return;
    }
    FireObject* burst = nullptr;
    if (void* memory = ::operator new(sizeof(Shell), std::nothrow)) {
        burst = build(memory, a);
    }
    if (registry.sounds != nullptr) {
        const float launch[3] = {lx, ly, lz};
        const float at[3] = {bx, by, bz};
        registry.sounds->Launched(static_cast<FireworkKind>(id / 1000), launch, at, burst != nullptr,
                                  sparks != nullptr && *sparks);
    }
    registry.LaunchShell(burst, lx, ly, lz, bx, by, bz);
}

} // namespace

void LaunchChrysanthemum(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx,
                         float by, float bz)
{
    LaunchKind<ChrysanthemumShell>(registry, id, lx, ly, lz, bx, by, bz, [&](void* memory, int a) {
        return new (memory) ChrysanthemumShell(bx, by, bz, 25, 3.0f, 2.0f + (DrawU() * 0.5f - 0.25f), KikuRamps[a]);
    });
}

void LaunchBee(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
               float bz)
{
    LaunchKind<BeeShell>(registry, id, lx, ly, lz, bx, by, bz, [&](void* memory, int a) {
        return new (memory) BeeShell(bx, by, bz, 30, 2.0f, 2.0f + (DrawU() * 0.5f - 0.25f), BotanRamps[a]);
    });
}

void LaunchSaturn(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                  float bz)
{
    // The ring takes the mirrored variant, so each sphere colour has its own ring colour.
    LaunchKind<SaturnShell>(registry, id, lx, ly, lz, bx, by, bz, [&](void* memory, int a) {
        return new (memory)
            SaturnShell(bx, by, bz, 20, 1.5f, 0.5f + (DrawU() * 0.1f - 0.05f), BotanRamps[a], BotanRamps[9 - a]);
    });
}

void LaunchSpiral(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                  float bz)
{
    LaunchKind<SpiralShell>(registry, id, lx, ly, lz, bx, by, bz, [&](void* memory, int a) {
        return new (memory) SpiralShell(bx, by, bz, 30, 2.0f, 1.5f + (DrawU() * 0.5f - 0.25f), BotanRamps[a]);
    });
}

void LaunchPeony(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                 float bz)
{
    // The crackle of the dropped sparks is decided with the shell, so the lambda hands the flag out.
    bool sparks = false;
    LaunchKind<PeonyShell>(registry, id, lx, ly, lz, bx, by, bz, [&](void* memory, int a) {
        // The spark flag is drawn before the speed.
        const bool dropSparks = static_cast<float>(Random01()) < 0.5f;
        const float speed = 1.5f + (DrawU() * 0.5f - 0.25f);
        sparks = dropSparks;
        return new (memory) PeonyShell(bx, by, bz, 25, 2.0f, speed, BotanRamps[a], dropSparks);
    }, &sparks);
}

void LaunchRing(FireworkTypeRegistry& registry, std::int32_t id, float lx, float ly, float lz, float bx, float by,
                float bz)
{
    LaunchKind<RingShell>(registry, id, lx, ly, lz, bx, by, bz, [&](void* memory, int a) {
        return new (memory) RingShell(bx, by, bz, 80, 1.5f, 0.5f + (DrawU() * 0.1f - 0.05f), BotanRamps[a]);
    });
}

void RegisterFireworkKinds(FireworkTypeRegistry& registry)
{
    struct Kind {
        const char* name;
        LaunchHandler handler;
    };
    static constexpr Kind kinds[] = {
        {"菊", LaunchChrysanthemum}, {"蜂", LaunchBee},   {"土星", LaunchSaturn},
        {"スパイラル", LaunchSpiral}, {"牡丹", LaunchPeony}, {"リング", LaunchRing},
    };
    for (int k = 0; k < 6; ++k) {
        const std::int32_t kindId = (k + 1) * 1000;
        char name[100];
        for (int i = 0; i < 10; ++i) {
            std::snprintf(name, sizeof(name), "%s_%d", kinds[k].name, i);
            registry.RegisterFireworkType(kindId + i, name, 1.0f, kinds[k].handler);
        }
        std::snprintf(name, sizeof(name), "%s_X", kinds[k].name);
        registry.RegisterFireworkType(kindId + 99, name, 1.0f, kinds[k].handler);
    }
    registry.FinishRegistry();
}
