// SPDX-License-Identifier: GPL-3.0-or-later
// The reference count behind AddRef/Release of the platform's objects.
// Both calls report the new count; the owner deletes itself when Release reports 0.
#pragma once

#include "platform/base/win_types.h"

#include <atomic>

class RefCounter {
public:
    ULONG Increment() { return count.fetch_add(1, std::memory_order_relaxed) + 1; }

    // An over-release stays at 0 instead of wrapping to a huge count.
    ULONG Decrement()
    {
        ULONG current = count.load(std::memory_order_relaxed);
        while (current > 0 && !count.compare_exchange_weak(current, current - 1, std::memory_order_acq_rel)) {
        }
        return current > 0 ? current - 1 : 0;
    }

    ULONG Value() const { return count.load(std::memory_order_relaxed); }

private:
    // Objects are born holding the creator's reference.
    std::atomic<ULONG> count{1};
};
