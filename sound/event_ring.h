// SPDX-License-Identifier: GPL-3.0-or-later
// A fixed-size single-producer, single-consumer queue: the show posts, the audio callback takes,
// neither locks nor allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

template <typename T, std::size_t Capacity>
class EventRing {
    static_assert((Capacity & (Capacity - 1)) == 0, "the capacity must be a power of two");

public:
    // False when the ring is full: the event is dropped rather than waiting on the consumer.
    bool Push(const T& value)
    {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) == Capacity) {
            return false;
        }
        slots_[head & (Capacity - 1)] = value;
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    bool Pop(T& value)
    {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire)) {
            return false;
        }
        value = slots_[tail & (Capacity - 1)];
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

private:
    std::array<T, Capacity> slots_{};
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};
