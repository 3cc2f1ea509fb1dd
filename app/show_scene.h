// SPDX-License-Identifier: GPL-3.0-or-later
// The show's own drawing around the effects: the device states it sets after every reset, the scene
// light that the bursts' flashes feed, and the order of one frame. The application and the headless
// renderer both draw through it.
#pragma once

#include <cstddef>

#include "d3dx/d3dx_math.h"
#include "effects/soft_target.h"
#include "platform/d3d8/d3d8.h"

class BitmapFont;
class CD3DFile;

// The scene light: a point light above the launch site whose brightness is the flash brightness.
D3DLIGHT8 SceneLight(float brightness);

// World identity, the perspective projection for the back-buffer size, the texture stages and the
// render states the frame relies on. Called after creation and after every reset.
void SetShowDeviceStates(IDirect3DDevice8* device, UINT backBufferWidth, UINT backBufferHeight);

// One frame between BeginScene and EndScene: clear, view, fog and scene light, the sea (if any),
// then the effects. The effect update for the frame has run before. While no flash lights the sea,
// calmSea (if any) is drawn in its place: the same surface in a few faces.
// With soft targets and a reduced quality, the flashes and the smoke are drawn into the level's soft
// layer (over the sea's depth at that size) and added to the picture; Full draws today's picture.
void DrawShowScene(IDirect3DDevice8* device, const D3DXMATRIX& view, CD3DFile* sea, CD3DFile* calmSea,
                   SoftTargets* softTargets = nullptr, QualityLevel quality = QualityLevel::Full);

// Loads "sea_calm.x", which the media may leave out, from the folder "sea.x" is found in: false, with
// the scene empty, when it is not there or cannot be loaded.
bool LoadCalmSea(IDirect3DDevice8* device, CD3DFile& calmSea);

// The status line under the frame statistics: the eye and the camera mode, into a buffer of size bytes.
// A quality level's name (null: none) is appended as "quality NAME".
void FormatStatusLine(char* line, size_t size, const D3DXVECTOR3& eye, int cameraIndex,
                      const char* qualityName = nullptr);

// The status text at the top left: the frame statistics, then the status line. Depth writes on and
// blending off first, states that stay in force into the next frame's sea. Drawing failures are ignored.
void DrawStatusText(IDirect3DDevice8* device, BitmapFont& font, const char* statsText, const D3DXVECTOR3& eye,
                    int cameraIndex, const char* qualityName = nullptr);
