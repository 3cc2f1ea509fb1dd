// Critical sections as the show's code spells them, over a recursive mutex: the owning thread may
// enter again, and every Enter is paired with a Leave. Optional hooks run when the outermost hold
// begins and ends; the drawing layer uses them to hand its context to whoever holds the lock.
#pragma once

#include <mutex>

#include "platform/win/win_types.h"

struct CRITICAL_SECTION {
    std::recursive_mutex mutex;
    // Holds of the owning thread, for tests to read; changed only while the mutex is held.
    LONG recursionCount = 0;
    // Called with hookData, under the mutex, as the outermost hold begins and just before it ends.
    // Set and cleared only while the mutex is held.
    void (*onAcquire)(void*) = nullptr;
    void (*onRelease)(void*) = nullptr;
    void* hookData = nullptr;
};

// The mutex is built with the structure, so initialising only clears the bookkeeping.
inline void InitializeCriticalSection(CRITICAL_SECTION* section)
{
    if (section != nullptr) {
        section->recursionCount = 0;
    }
}

inline void EnterCriticalSection(CRITICAL_SECTION* section)
{
    if (section != nullptr) {
        section->mutex.lock();
        if (++section->recursionCount == 1 && section->onAcquire != nullptr) {
            section->onAcquire(section->hookData);
        }
    }
}

// TRUE when the section was entered without waiting.
inline BOOL TryEnterCriticalSection(CRITICAL_SECTION* section)
{
    if (section == nullptr || !section->mutex.try_lock()) {
        return FALSE;
    }
    if (++section->recursionCount == 1 && section->onAcquire != nullptr) {
        section->onAcquire(section->hookData);
    }
    return TRUE;
}

inline void LeaveCriticalSection(CRITICAL_SECTION* section)
{
    if (section != nullptr) {
        if (section->recursionCount == 1 && section->onRelease != nullptr) {
            section->onRelease(section->hookData);
        }
        --section->recursionCount;
        section->mutex.unlock();
    }
}

// The mutex is released with the structure; nothing to free here.
inline void DeleteCriticalSection(CRITICAL_SECTION* section)
{
    (void)section;
}
