// SPDX-License-Identifier: GPL-3.0-or-later
// Reading rendered frames: the back buffer locked for reading, and frames written as PNG files.
#pragma once

#include <cstddef>
#include <string>

#include "platform/d3d8/d3d8.h"

// The device's back buffer locked read-only for as long as this lives; rows top first as X8R8G8B8 words.
class BackBufferLock {
public:
    explicit BackBufferLock(IDirect3DDevice8* device);
    ~BackBufferLock();
    BackBufferLock(const BackBufferLock&) = delete;
    BackBufferLock& operator=(const BackBufferLock&) = delete;

    // False, with a reason, when the back buffer cannot be read or locked.
    bool Ok(std::string& error) const;
    const D3DSURFACE_DESC& Desc() const { return desc; }
    const BYTE* Row(UINT y) const
    {
        return static_cast<const BYTE*>(locked.pBits) + static_cast<std::size_t>(y) * locked.Pitch;
    }
    INT Pitch() const { return locked.Pitch; }

private:
    IDirect3DSurface8* surface = nullptr;
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    const char* failure = nullptr;
};

// Reads the device's back buffer and writes it to path as an RGB PNG. False, with a reason, on failure.
bool WriteBackBufferPng(IDirect3DDevice8* device, const std::string& path, std::string& error);
