// SPDX-License-Identifier: GPL-3.0-or-later
// State blocks over DeviceState: which states a block recorded, their values, and the table of
// blocks a device hands out by token. Any device that keeps a DeviceState can reuse it.
#pragma once

#include "platform/d3d8/device_state.h"

#include <memory>
#include <unordered_map>

// One flag for every state a block can hold, laid out like DeviceState.
struct StateBlockMask {
    bool renderStates[D3DRS_MAX];
    bool textureStageStates[D3DMAX_TEXTURE_STAGES][D3DTSS_MAX];
    bool transforms[DeviceTransformCount];
    bool lights[DeviceLightCount];
    bool lightEnabled[DeviceLightCount];
    bool clipPlanes[DeviceClipPlaneCount];
    bool material;
    bool viewport;
    bool streamSource;
    bool indices;
    bool vertexShader;
    bool pixelShader;
    bool textures[D3DMAX_TEXTURE_STAGES];
};

// Only the values whose mask flag is set mean anything; bound objects hold a reference of the block.
struct StateBlock {
    StateBlockMask recorded;
    DeviceState values;
};

// Copies the states the mask names from one state to another, moving references of bound objects.
// Apply is CopyRecordedStates(block.recorded, block.values, device); capture is the reverse.
void CopyRecordedStates(const StateBlockMask& mask, const DeviceState& from, DeviceState& to);

// Blocks by token. Tokens are never 0 and count up, so a deleted block's token is refused, not misapplied.
class StateBlockTable {
public:
    StateBlockTable() = default;
    ~StateBlockTable();
    StateBlockTable(const StateBlockTable&) = delete;
    StateBlockTable& operator=(const StateBlockTable&) = delete;

    // D3DERR_INVALIDCALL while already recording; E_OUTOFMEMORY when no block can be had.
    HRESULT Begin();
    // D3DERR_INVALIDCALL without Begin or with a null token (recording then goes on).
    HRESULT End(DWORD* token);
    // The block being recorded, or null.
    StateBlock* Recording() { return recording.get(); }
    const StateBlock* Recording() const { return recording.get(); }
    // The block of a token, or null.
    StateBlock* Find(DWORD token);
    HRESULT Delete(DWORD token);
    // Drops the recording in progress and every block, releasing what they hold.
    void Clear();

private:
    static void Destroy(std::unique_ptr<StateBlock>& block);

    std::unique_ptr<StateBlock> recording;
    std::unordered_map<DWORD, std::unique_ptr<StateBlock>> blocks;
    DWORD nextToken = 1;
};
