// SPDX-License-Identifier: GPL-3.0-or-later
// Reference count, pool and device tie of the memory resources.
#include "platform/d3d8/resource_core.h"

#include <utility>

ResourceCore::ResourceCore(std::shared_ptr<ResourceOwner> owner_, D3DPOOL pool_) : owner(std::move(owner_)), pool(pool_)
{
    if (pool == D3DPOOL_DEFAULT && owner) {
        owner->liveDefaultPool.fetch_add(1);
    }
}

ResourceCore::~ResourceCore()
{
    if (pool == D3DPOOL_DEFAULT && owner) {
        owner->liveDefaultPool.fetch_sub(1);
    }
}

HRESULT ResourceCore::GetDevice(IDirect3DDevice8** device) const
{
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = owner ? owner->device.load() : nullptr;
    if (*device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    (*device)->AddRef();
    return D3D_OK;
}
