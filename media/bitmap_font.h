// SPDX-License-Identifier: GPL-3.0-or-later
// Screen text from a glyph atlas: the printable ASCII characters of a font rasterised once into an
// A4R4G4B4 texture, drawn as two pre-transformed triangles per character.
#pragma once

#include "platform/d3d8/d3d8.h"

// flags of the constructor.
constexpr DWORD BitmapFontBold = 1;
constexpr DWORD BitmapFontItalic = 2;
constexpr DWORD BitmapFontDepthTest = 4;

// drawFlags of DrawString: filter the atlas linearly (for scaled text).
constexpr DWORD BitmapFontFiltered = 4;

// One corner of a glyph quad, FVF D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1.
struct FontVertex {
    float x;
    float y;
    float z;
    float rhw;
    D3DCOLOR color;
    float tu;
    float tv;
};

constexpr DWORD FontVertexFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// Vertices the dynamic buffer holds; a batch is drawn once it holds more than FontFlushVertices.
constexpr UINT FontBufferVertices = 300;
constexpr UINT FontFlushVertices = 294;

// The owner calls BuildAtlas / RestoreBuffers / ReleaseBuffers / ReleaseAtlas from its device
// hooks; the font holds no device object once ReleaseAtlas has run.
class BitmapFont {
public:
    BitmapFont(const char* faceName, DWORD heightPoints, DWORD flags = 0);
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    // Rasterises codes 32..126 into a managed texture and keeps the device.
    HRESULT BuildAtlas(IDirect3DDevice8* device);
    // Creates the dynamic vertex buffer and records the saved and drawing state blocks.
    HRESULT RestoreBuffers();
    HRESULT ReleaseBuffers();
    HRESULT ReleaseAtlas();
    // Draws text with its first character's top-left at (x, y) pixels; '\n' starts a new line.
    // Between BeginScene and EndScene; the device's state is as before when it returns.
    HRESULT DrawString(float x, float y, D3DCOLOR color, const char* text, DWORD drawFlags = 0);

    char faceName[80];
    DWORD heightPoints;
    DWORD flags;
    IDirect3DDevice8* device;
    IDirect3DTexture8* texture;
    IDirect3DVertexBuffer8* vertexBuffer;
    DWORD texWidth;
    DWORD texHeight;
    float textScale;
    // Per code 32 + i: left, top, right, bottom in texture coordinates.
    float texCoords[96][4];
    DWORD savedState;
    DWORD drawState;

private:
    // Records one block holding every state DrawString sets.
    HRESULT RecordDrawingState(DWORD* token);
    // Draws the glyphs of text into the locked buffer, drawing each full batch; returns the failure, if any.
    HRESULT EmitGlyphs(float x, float y, D3DCOLOR color, const char* text);
};
