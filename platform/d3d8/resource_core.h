// SPDX-License-Identifier: GPL-3.0-or-later
// What every memory resource shares: its reference count, its pool and the tie to the device that made it.
// Resources may outlive their device; the tie then reports no device instead of a dangling one.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/base/ref_counted.h"

#include <atomic>
#include <memory>

// Shared by a device and every resource it created.
struct ResourceOwner {
    // Null once the device is gone.
    std::atomic<IDirect3DDevice8*> device{nullptr};
    // Default-pool resources still alive: the device refuses Reset while any remain.
    std::atomic<UINT> liveDefaultPool{0};
};

class ResourceCore {
public:
    ResourceCore(std::shared_ptr<ResourceOwner> owner, D3DPOOL pool);
    ~ResourceCore();
    ResourceCore(const ResourceCore&) = delete;
    ResourceCore& operator=(const ResourceCore&) = delete;

    ULONG AddRef() { return refs.Increment(); }
    ULONG Release() { return refs.Decrement(); }
    ULONG RefCount() const { return refs.Value(); }

    // The device, AddRef'd as the platform hands it out; D3DERR_INVALIDCALL once it is gone.
    HRESULT GetDevice(IDirect3DDevice8** device) const;
    D3DPOOL Pool() const { return pool; }
    bool CreatedBy(const ResourceOwner* candidate) const { return owner.get() == candidate; }
    const std::shared_ptr<ResourceOwner>& Owner() const { return owner; }

private:
    RefCounter refs;
    std::shared_ptr<ResourceOwner> owner;
    D3DPOOL pool;
};
