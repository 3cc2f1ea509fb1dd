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

} // namespace

bool BuildBillboard(const D3DXVECTOR3& centre, float size, D3DCOLOR color, const D3DXMATRIX& viewRotation,
                    const D3DXMATRIX& inverseViewRotation, TexturedVertex out[6])
{
    // Into view orientation, then back out: the square lies in the plane facing the camera.
    D3DXVECTOR3 c;
    D3DXVec3TransformCoord(&c, &centre, &viewRotation);
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, c.x, c.y, c.z);
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &translation, &inverseViewRotation);
    for (int i = 0; i < 6; ++i) {
        const D3DXVECTOR3 corner(Template[i].x * size, Template[i].y * size, 0.0f);
        D3DXVECTOR3 p;
        D3DXVec3TransformCoord(&p, &corner, &m);
        out[i] = TexturedVertex{p.x, p.y, p.z, color, Template[i].u, Template[i].v};
    }
    return true;
}
