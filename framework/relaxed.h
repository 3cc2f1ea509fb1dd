// SPDX-License-Identifier: GPL-3.0-or-later
// A value shared between the window thread and the render thread without a lock: loads and stores
// are atomic with relaxed ordering, so the flags read and assign like plain fields.
#pragma once

#include <atomic>

template <typename T>
class Relaxed {
public:
    constexpr Relaxed(T initial = T{}) : value(initial) {}
    Relaxed(const Relaxed&) = delete;
    Relaxed& operator=(const Relaxed&) = delete;

    operator T() const { return value.load(std::memory_order_relaxed); }
    Relaxed& operator=(T next)
    {
        value.store(next, std::memory_order_relaxed);
        return *this;
    }
    T Load() const { return value.load(std::memory_order_relaxed); }
    // Adds delta and returns the new value.
    T Add(T delta) { return value.fetch_add(delta, std::memory_order_relaxed) + delta; }

private:
    std::atomic<T> value;
};
