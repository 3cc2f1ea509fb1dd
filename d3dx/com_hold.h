// SPDX-License-Identifier: GPL-3.0-or-later
// Holds one reference of a platform object and releases it on scope exit unless it is handed out.
#pragma once

#include <utility>

template <typename T>
class ComHold {
public:
    ComHold() = default;
    explicit ComHold(T* object) : held(object) {}
    ComHold(const ComHold&) = delete;
    ComHold& operator=(const ComHold&) = delete;
    ~ComHold() { Reset(); }

    T* Get() const { return held; }
    T* operator->() const { return held; }
    // For out-parameters: drops what is held and returns the slot to fill.
    T** Out()
    {
        Reset();
        return &held;
    }
    T* Take() { return std::exchange(held, nullptr); }
    void Reset()
    {
        if (held != nullptr) {
            std::exchange(held, nullptr)->Release();
        }
    }

private:
    T* held = nullptr;
};
