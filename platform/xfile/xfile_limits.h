// SPDX-License-Identifier: GPL-3.0-or-later
// Fixed limits that keep a malformed or hostile X file from exhausting the stack, memory or time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xfile {

// Data objects inside data objects, and templates nested inside template members.
constexpr int kMaxNestingDepth = 64;
// Files read from disk or memory larger than this are refused.
constexpr std::size_t kMaxFileBytes = 256u << 20;
// Parsed data, strings and bookkeeping of one file together.
constexpr std::size_t kMaxDocumentBytes = 256u << 20;
// Templates known to one file object or one parsed file.
constexpr std::size_t kMaxTemplates = 4096;
// Members of one template and dimensions of one array member.
constexpr std::size_t kMaxMembers = 1024;
constexpr std::size_t kMaxArrayDimensions = 8;
// Values and array elements one file may produce, per byte of input (plus a fixed allowance):
// bounds the work spent on arrays of member-less templates that consume no input.
constexpr std::uint64_t kWorkPerInputByte = 16;
constexpr std::uint64_t kWorkAllowance = 1u << 16;

} // namespace xfile
