// SPDX-License-Identifier: GPL-3.0-or-later
// The event trace on standard output.
#include "app/show_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

bool ShowTraceEnabled()
{
    static const bool enabled = [] {
        const char* value = std::getenv("FIREWORKS_TRACE");
        return value != nullptr && std::strcmp(value, "stdout") == 0;
    }();
    return enabled;
}

void ShowTrace(const char* format, ...)
{
    if (!ShowTraceEnabled()) {
        return;
    }
    // Both threads trace; a line must not be cut by the other's.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
