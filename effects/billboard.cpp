// SPDX-License-Identifier: GPL-3.0-or-later
// Billboard construction from a unit template.
#include "effects/billboard.h"

namespace {

struct Corner {
    float x;
    float y;
    float u;
    float v;
};

// Two triangles, clockwise on screen as the platform's front faces are.
constexpr Corner Template[6] = {
    {-0.5f, 0.5f, 0.0f, 0.0f}, {0.5f, 0.5f, 1.0f, 0.0f},  {-0.5f, -0.5f, 0.0f, 1.0f},
    {0.5f, 0.5f, 1.0f, 0.0f},  {0.5f, -0.5f, 1.0f, 1.0f}, {-0.5f, -0.5f, 0.0f, 1.0f},
};

// The view-facing frame of a billboard: template (x, y) goes to x * right + y * up + origin.
struct Facing {
    D3DXMATRIX m;

    Facing(const D3DXVECTOR3& centre, const D3DXMATRIX& viewRotation, const D3DXMATRIX& inverseViewRotation)
    {
        // Into view orientation, then back out: the square lies in the plane facing the camera.
        D3DXVECTOR3 c;
        D3DXVec3TransformCoord(&c, &centre, &viewRotation);
        D3DXMATRIX translation;
        D3DXMatrixTranslation(&translation, c.x, c.y, c.z);
        D3DXMatrixMultiply(&m, &translation, &inverseViewRotation);
    }

    TexturedVertex At(float x, float y, float u, float v, D3DCOLOR color) const
    {
        const D3DXVECTOR3 corner(x, y, 0.0f);
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &corner, &m);
        return TexturedVertex{p.x, p.y, p.z, color, u, v};
    }
};

} // namespace

void BuildTrimmedBillboard(const D3DXVECTOR3& centre, float size, float reach, D3DCOLOR color,
                           const D3DXMATRIX& viewRotation, const D3DXMATRIX& inverseViewRotation,
                           TexturedVertex out[TrimmedBillboardVertices])
{
    const Facing facing(centre, viewRotation, inverseViewRotation);
    // Corners of the octagon whose sides touch the circle, clockwise on screen from the top left.
    const float r = 0.5f * (reach < 1.0f ? reach : 1.0f);
    const float k = r * 0.41421356f;
    const float corners[8][2] = {{-k, r}, {k, r}, {r, k}, {r, -k}, {k, -r}, {-k, -r}, {-r, -k}, {-r, k}};
    TexturedVertex ring[8];
    for (int i = 0; i < 8; ++i) {
        const float x = corners[i][0];
        const float y = corners[i][1];
        ring[i] = facing.At(x * size, y * size, 0.5f + x, 0.5f - y, color);
    }
    // A fan from the first corner keeps every triangle clockwise.
    for (int i = 0; i < 6; ++i) {
        out[3 * i] = ring[0];
        out[3 * i + 1] = ring[i + 1];
        out[3 * i + 2] = ring[i + 2];
    }
}

void BuildBillboardPart(const D3DXVECTOR3& centre, float size, const QuadPart& part, D3DCOLOR color,
                        const D3DXMATRIX& viewRotation, const D3DXMATRIX& inverseViewRotation, TexturedVertex out[6])
{
    const Facing facing(centre, viewRotation, inverseViewRotation);
    for (int i = 0; i < 6; ++i) {
        const float u = Template[i].u == 0.0f ? part.u0 : part.u1;
        const float v = Template[i].v == 0.0f ? part.v0 : part.v1;
        out[i] = facing.At((u - 0.5f) * size, (0.5f - v) * size, u, v, color);
    }
}

bool BuildBillboard(const D3DXVECTOR3& centre, float size, D3DCOLOR color, const D3DXMATRIX& viewRotation,
                    const D3DXMATRIX& inverseViewRotation, TexturedVertex out[6])
{
    BuildBillboardPart(centre, size, QuadPart{0.0f, 0.0f, 1.0f, 1.0f}, color, viewRotation, inverseViewRotation, out);
    return true;
}
