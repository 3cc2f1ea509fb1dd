// SPDX-License-Identifier: GPL-3.0-or-later
// A mip-mapped 2-D texture kept in ordinary memory: all levels in one allocation, each level
// locked on its own with rows of width × bytes per texel.
#pragma once

#include "platform/d3d8/resource_core.h"

#include <vector>

class MemoryTexture : public IDirect3DTexture8 {
public:
    // A 32-bit size halves at most 32 times before reaching 1.
    static constexpr UINT MaxLevels = 32;

    // The number of levels of a full chain down to 1 × 1.
    static UINT FullChainLength(UINT width, UINT height);

    // Sizes must be non-zero, the format must have a texel size and levels must lie in 1..full chain;
    // the creating device checks that. Throws std::bad_alloc when the memory cannot be had.
    MemoryTexture(std::shared_ptr<ResourceOwner> owner, UINT width, UINT height, UINT levels, DWORD usage,
                  D3DFORMAT format, D3DPOOL pool);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    D3DRESOURCETYPE GetType() override;
    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    // Read access to a level without locking, for tests; null past the last level.
    const BYTE* LevelData(UINT level) const;
    // Bytes between rows of a level (width × bytes per texel); 0 past the last level.
    UINT LevelPitch(UINT level) const;
    bool LevelLocked(UINT level) const { return level < levelCount && levels[level].locked; }
    D3DFORMAT Format() const { return format; }
    DWORD Usage() const { return usage; }
    const ResourceCore& Core() const { return core; }

protected:
    // Released through Release only; a drawing device may extend the texture.
    ~MemoryTexture() override = default;

private:
    struct Level {
        UINT width;
        UINT height;
        UINT pitch;
        size_t offset;
        bool locked;
    };

    ResourceCore core;
    D3DFORMAT format;
    DWORD usage;
    UINT levelCount;
    Level levels[MaxLevels];
    std::vector<BYTE> bytes;
};
