// SPDX-License-Identifier: GPL-3.0-or-later
// A small headless GL device for the drawing tests: a hidden 64 × 64 window, the device on it, and
// helpers that draw vertex arrays and read pixels back through the back buffer.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/gl/gl_device.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

struct Rgb {
    int r;
    int g;
    int b;
};

// Vertices of the formats the show draws.
struct XyzColor {
    float x, y, z;
    D3DCOLOR color;
};
struct XyzRhwColorTex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
struct XyzNormal {
    float x, y, z;
    float nx, ny, nz;
};
struct XyzColorTex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

constexpr DWORD FvfXyzColor = D3DFVF_XYZ | D3DFVF_DIFFUSE;                                 // 0x42
constexpr DWORD FvfXyzRhwColorTex = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;          // 0x144
constexpr DWORD FvfXyzNormal = D3DFVF_XYZ | D3DFVF_NORMAL;                                 // 0x12
constexpr DWORD FvfXyzColorTex = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;                // 0x142

inline DWORD Bits(float value) { return std::bit_cast<DWORD>(value); }

class GlScene : public ::testing::Test {
protected:
    static constexpr int Size = 64;

    void SetUp() override;
    void TearDown() override;

    GlDevice& Gl() { return *static_cast<GlDevice*>(device); }

    // Copies the vertices into a fresh buffer, binds it with the format and draws; returns the draw's result.
    template <typename Vertex>
    HRESULT Draw(D3DPRIMITIVETYPE type, DWORD fvf, const std::vector<Vertex>& vertices, UINT primitives)
    {
        return DrawBytes(type, fvf, vertices.data(), sizeof(Vertex), static_cast<UINT>(vertices.size()), primitives);
    }
    HRESULT DrawBytes(D3DPRIMITIVETYPE type, DWORD fvf, const void* data, UINT stride, UINT count, UINT primitives);

    // A pre-transformed rectangle of one colour covering [x1, x2) × [y1, y2) pixels.
    HRESULT DrawRect(float x1, float y1, float x2, float y2, D3DCOLOR color, float z = 0.5f);

    // The back buffer as rows of pixels, top row first.
    std::vector<Rgb> ReadFrame();
    Rgb Pixel(int x, int y);
    // Pixels of a row whose red channel exceeds a threshold.
    static int CountLit(const std::vector<Rgb>& frame, int row, int threshold = 64);

    // A camera at the origin looking along +z with a 90° field of view, near 1 and far 100.
    void SetCamera();

    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DPRESENT_PARAMETERS parameters{};
};
