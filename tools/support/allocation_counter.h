// SPDX-License-Identifier: GPL-3.0-or-later
// Counts heap allocations made through operator new in this process, so tests and benchmarks can
// prove that a code path does not allocate.
#pragma once

#include <cstdint>

std::uint64_t HeapAllocationCount();
