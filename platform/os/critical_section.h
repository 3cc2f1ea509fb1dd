// SPDX-License-Identifier: GPL-3.0-or-later
// Critical sections as the show's code spells them: recursive (the owning thread may enter again, and
// every Enter is paired with a Leave) and fair (threads get the section in the order they asked for
// it, so a thread that leaves and enters again at once queues behind a thread already waiting).
// Optional hooks run when the outermost hold begins and ends; the drawing layer uses them to hand its
// context to whoever holds the lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/base/win_types.h"

struct CRITICAL_SECTION {
    // Guards the bookkeeping below; never held while the owner works inside the section.
    std::mutex mutex;
    std::condition_variable turnChanged;
    std::thread::id owner;
    // Tickets in arrival order: a thread owns the section once its ticket is the one served.
    std::uint64_t nextTicket = 0;
    std::uint64_t servedTicket = 0;
    // Holds of the owning thread, for tests to read; changed only by the owner.
    LONG recursionCount = 0;
    // Called with hookData, by the owner, as the outermost hold begins and just before it ends.
    // Set and cleared only while the section is held.
    void (*onAcquire)(void*) = nullptr;
    void (*onRelease)(void*) = nullptr;
    void* hookData = nullptr;
};

// The synchronisation objects are built with the structure, so initialising only clears the bookkeeping.
inline void InitializeCriticalSection(CRITICAL_SECTION* section)
{
    if (section != nullptr) {
        std::lock_guard<std::mutex> hold(section->mutex);
        section->recursionCount = 0;
        section->owner = {};
        section->nextTicket = 0;
        section->servedTicket = 0;
    }
}

inline void EnterCriticalSection(CRITICAL_SECTION* section)
{
    if (section == nullptr) {
        return;
    }
    const std::thread::id self = std::this_thread::get_id();
    {
        std::unique_lock<std::mutex> hold(section->mutex);
        if (section->owner == self) {
            ++section->recursionCount;
            return;
        }
        const std::uint64_t ticket = section->nextTicket++;
        section->turnChanged.wait(hold, [&] { return section->servedTicket == ticket; });
        section->owner = self;
        section->recursionCount = 1;
    }
    if (section->onAcquire != nullptr) {
        section->onAcquire(section->hookData);
    }
}

// TRUE when the section was entered without waiting (it is free and nobody queues for it, or this
// thread owns it already).
inline BOOL TryEnterCriticalSection(CRITICAL_SECTION* section)
{
    if (section == nullptr) {
        return FALSE;
    }
    const std::thread::id self = std::this_thread::get_id();
    {
        std::lock_guard<std::mutex> hold(section->mutex);
        if (section->owner == self) {
            ++section->recursionCount;
            return TRUE;
        }
        if (section->nextTicket != section->servedTicket) {
            return FALSE;
        }
        ++section->nextTicket;
        section->owner = self;
        section->recursionCount = 1;
    }
    if (section->onAcquire != nullptr) {
        section->onAcquire(section->hookData);
    }
    return TRUE;
}

inline void LeaveCriticalSection(CRITICAL_SECTION* section)
{
    if (section == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> hold(section->mutex);
        // A Leave without a matching Enter on this thread would hand over a section it does not hold.
        if (section->owner != std::this_thread::get_id()) {
            return;
        }
        if (section->recursionCount > 1) {
            --section->recursionCount;
            return;
        }
    }
    if (section->onRelease != nullptr) {
        section->onRelease(section->hookData);
    }
    {
        std::lock_guard<std::mutex> hold(section->mutex);
        section->recursionCount = 0;
        section->owner = {};
        ++section->servedTicket;
    }
    section->turnChanged.notify_all();
}

// The synchronisation objects are released with the structure; nothing to free here.
inline void DeleteCriticalSection(CRITICAL_SECTION* section)
{
    (void)section;
}
