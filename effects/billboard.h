// SPDX-License-Identifier: GPL-3.0-or-later
// Camera-facing textured squares for flashes and smoke.
#pragma once

#include "d3dx/d3dx_math.h"
#include "effects/lit_area.h"
#include "effects/vertex_formats.h"

// Writes two triangles forming a square of side size around centre, facing the camera, with the
// first template row toward the top of the screen and texture (0, 0) at the top-left. Always true.
bool BuildBillboard(const D3DXVECTOR3& centre, float size, D3DCOLOR color, const D3DXMATRIX& viewRotation,
                    const D3DXMATRIX& inverseViewRotation, TexturedVertex out[6]);

// The part of that square between texture coordinates (u0, v0) and (u1, v1), with the square's own
// coordinates: the same pixels inside it.
void BuildBillboardPart(const D3DXVECTOR3& centre, float size, const QuadPart& part, D3DCOLOR color,
                        const D3DXMATRIX& viewRotation, const D3DXMATRIX& inverseViewRotation, TexturedVertex out[6]);

// Vertices of a trimmed billboard: an octagon fanned into six triangles.
constexpr int TrimmedBillboardVertices = 18;
// The share of its square a trimmed billboard of reach 1 covers: 8 tan(pi / 8) / 4.
constexpr float TrimmedBillboardArea = 0.8284f;

// The same square trimmed to a regular octagon around a disc of radius reach (in halves of the side,
// at most 1) with the square's texture coordinates: for round images dark outside that disc, the
// same pixels from about 0.83 reach² of the square's fragments.
void BuildTrimmedBillboard(const D3DXVECTOR3& centre, float size, float reach, D3DCOLOR color,
                           const D3DXMATRIX& viewRotation, const D3DXMATRIX& inverseViewRotation,
                           TexturedVertex out[TrimmedBillboardVertices]);
