// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of a vertex or index buffer and the rules of locking them.
// Memory is allocated once, at creation; Lock and Unlock never allocate.
#pragma once

#include "platform/base/win_types.h"

#include <vector>

class BufferMemory {
public:
    // Throws std::bad_alloc when the memory cannot be had; the creating device turns that into a code.
    explicit BufferMemory(UINT size);

    // Size 0 locks from the offset to the end; a range past the end or a second lock is refused.
    HRESULT Lock(UINT offset, UINT size, BYTE** data);
    HRESULT Unlock();

    bool Locked() const { return locked; }
    UINT Size() const { return static_cast<UINT>(bytes.size()); }
    const BYTE* Data() const { return bytes.data(); }
    BYTE* Data() { return bytes.data(); }

private:
    std::vector<BYTE> bytes;
    bool locked = false;
};
