// SPDX-License-Identifier: GPL-3.0-or-later
// Copying recorded states between a block and a device, and the table of blocks.
#include "platform/d3d8/state_block.h"

#include <new>

void CopyRecordedStates(const StateBlockMask& mask, const DeviceState& from, DeviceState& to)
{
    for (int i = 0; i < D3DRS_MAX; ++i) {
        if (mask.renderStates[i]) {
            to.renderStates[i] = from.renderStates[i];
        }
    }
    for (int stage = 0; stage < D3DMAX_TEXTURE_STAGES; ++stage) {
        for (int type = 0; type < D3DTSS_MAX; ++type) {
            if (mask.textureStageStates[stage][type]) {
                to.textureStageStates[stage][type] = from.textureStageStates[stage][type];
            }
        }
        if (mask.textures[stage]) {
            Rebind(to.textures[stage], from.textures[stage]);
        }
    }
    for (int i = 0; i < DeviceTransformCount; ++i) {
        if (mask.transforms[i]) {
            to.transforms[i] = from.transforms[i];
        }
    }
    for (int i = 0; i < DeviceLightCount; ++i) {
        if (mask.lights[i]) {
            to.lights[i] = from.lights[i];
        }
        if (mask.lightEnabled[i]) {
            to.lightEnabled[i] = from.lightEnabled[i];
        }
    }
    for (int i = 0; i < DeviceClipPlaneCount; ++i) {
        if (mask.clipPlanes[i]) {
            to.clipPlanes[i] = from.clipPlanes[i];
        }
    }
    if (mask.material) {
        to.material = from.material;
    }
    if (mask.viewport) {
        to.viewport = from.viewport;
    }
    if (mask.streamSource) {
        Rebind(to.streamSource, from.streamSource);
        to.streamStride = from.streamStride;
    }
    if (mask.indices) {
        Rebind(to.indices, from.indices);
        to.baseVertexIndex = from.baseVertexIndex;
    }
    if (mask.vertexShader) {
        to.vertexShader = from.vertexShader;
    }
    if (mask.pixelShader) {
        to.pixelShader = from.pixelShader;
    }
}

StateBlockTable::~StateBlockTable() { Clear(); }

HRESULT StateBlockTable::Begin()
{
    if (recording) {
        return D3DERR_INVALIDCALL;
    }
    // Value-initialised: nothing recorded, no objects held.
    try {
        recording = std::make_unique<StateBlock>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT StateBlockTable::End(DWORD* token)
{
    if (!recording || token == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    // After a wrap of the count, step over tokens still in use.
    while (nextToken == 0 || blocks.contains(nextToken)) {
        ++nextToken;
    }
    try {
        blocks.emplace(nextToken, std::move(recording));
    } catch (const std::bad_alloc&) {
        Destroy(recording);
        *token = 0;
        return E_OUTOFMEMORY;
    }
    *token = nextToken;
    ++nextToken;
    return D3D_OK;
}

StateBlock* StateBlockTable::Find(DWORD token)
{
    const auto found = blocks.find(token);
    return found == blocks.end() ? nullptr : found->second.get();
}

HRESULT StateBlockTable::Delete(DWORD token)
{
    const auto found = blocks.find(token);
    if (found == blocks.end()) {
        return D3DERR_INVALIDCALL;
    }
    Destroy(found->second);
    blocks.erase(found);
    return D3D_OK;
}

void StateBlockTable::Clear()
{
    Destroy(recording);
    for (auto& entry : blocks) {
        Destroy(entry.second);
    }
    blocks.clear();
}

void StateBlockTable::Destroy(std::unique_ptr<StateBlock>& block)
{
    if (block) {
        ReleaseBoundObjects(block->values);
        block.reset();
    }
}
