// SPDX-License-Identifier: GPL-3.0-or-later
// Registration, weighted picking and launching of the firework kinds.
#include "app/firework_types.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "effects/random01.h"
#include "shells/layer_registry.h"
#include "shells/rising_shell.h"

void FireworkTypeRegistry::RegisterFireworkType(std::int32_t id, const char* name, float weight,
                                                LaunchHandler handler)
{
    // A NaN weight would break the sort's ordering; a negative one would make the sums non-monotonic.
    if (!(weight >= 0.0f) || !std::isfinite(weight)) {
        weight = 0.0f;
    }
    for (FireworkType& entry : entries) {
        if (entry.id == id) {
            entry.weight = weight;
            entry.handler = handler;
            return;
        }
    }
    FireworkType entry;
    entry.id = id;
    entry.weight = weight;
    entry.name = name != nullptr ? name : "";
    entry.handler = handler;
    entries.push_back(std::move(entry));
    count = static_cast<std::int32_t>(entries.size());
}

void FireworkTypeRegistry::FinishRegistry()
{
    // Stable, so that equal weights pick the same entries on every standard library.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const FireworkType& a, const FireworkType& b) { return a.weight < b.weight; });
    totalWeight = 0.0f;
    for (FireworkType& entry : entries) {
        totalWeight += entry.weight;
        entry.cumulative = totalWeight;
    }
}

const FireworkType* FireworkTypeRegistry::Find(std::int32_t id) const
{
    for (const FireworkType& type : entries) {
        if (type.id == id && type.handler != nullptr) {
            return &type;
        }
    }
    return nullptr;
}

bool FireworkTypeRegistry::LaunchById(std::int32_t id, float lx, float ly, float lz, float bx, float by, float bz)
{
    const FireworkType* type = Find(id);
    if (type == nullptr) {
        return false;
    }
    type->handler(*this, id, lx, ly, lz, bx, by, bz);
    return true;
}

void FireworkTypeRegistry::LaunchRandomFirework()
{
    // Stored in single precision: a draw of 32767 becomes exactly 1, which picks nothing below.
    float u[6];
    for (float& value : u) {
        value = static_cast<float>(Random01());
    }
    const float lx = u[0] * 0.1f - 0.05f;
    const float ly = 0.0f;
    const float lz = u[1] * 0.1f - 0.05f;
    const float bx = u[2] * 4.0f - 2.0f;
    const float by = u[3] * 2.0f - 1.0f + 4.0f;
    const float bz = u[4] * 4.0f - 2.0f;

    const FireworkType* entry = Pick(u[5]);
    if (entry != nullptr && entry->handler != nullptr) {
        entry->handler(*this, entry->id, lx, ly, lz, bx, by, bz);
    }
}

const FireworkType* FireworkTypeRegistry::Pick(float u) const
{
    const float pick = u * totalWeight;
    for (const FireworkType& entry : entries) {
        if (pick < entry.cumulative) {
            return &entry;
        }
    }
    return nullptr;
}

void FireworkTypeRegistry::LaunchShell(FireObject* burst, float lx, float ly, float lz, float bx, float by,
                                       float bz)
{
    RisingShell* shell = new (std::nothrow) RisingShell(lx, ly, lz, bx, by, bz, burst);
    if (shell == nullptr) {
        delete burst;
        return;
    }
    // The render thread walks the incoming lists during its update pass.
    EnterCriticalSection(renderLock);
    SubmitFireObject(shell);
    LeaveCriticalSection(renderLock);
}
