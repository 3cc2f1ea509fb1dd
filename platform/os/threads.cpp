// SPDX-License-Identifier: GPL-3.0-or-later
// Threads over std::thread, kept in a handle table until joined; Sleep.
#include "platform/os/threads.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

struct ThreadTable {
    std::mutex mutex;
    std::uintptr_t nextHandle = 1;
    std::map<std::uintptr_t, std::thread> threads;
};

ThreadTable& Threads()
{
    static ThreadTable table;
    return table;
}

} // namespace

std::uintptr_t _beginthread(void (*start)(void*), unsigned, void* argument)
{
    if (start == nullptr) {
        return static_cast<std::uintptr_t>(-1);
    }
    ThreadTable& table = Threads();
    std::lock_guard<std::mutex> hold(table.mutex);
    const std::uintptr_t handle = table.nextHandle++;
    try {
        table.threads.emplace(handle, std::thread(start, argument));
    } catch (...) {
        return static_cast<std::uintptr_t>(-1);
    }
    return handle;
}

bool JoinThread(std::uintptr_t handle)
{
    ThreadTable& table = Threads();
    std::thread thread;
    {
        std::lock_guard<std::mutex> hold(table.mutex);
        const auto found = table.threads.find(handle);
        if (found == table.threads.end() || found->second.get_id() == std::this_thread::get_id()) {
            return false;
        }
        thread = std::move(found->second);
        table.threads.erase(found);
    }
    thread.join();
    return true;
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
