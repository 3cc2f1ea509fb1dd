// SPDX-License-Identifier: GPL-3.0-or-later
// Vector, matrix, quaternion and colour maths of the loading library: row vectors, left-handed
// view and projection. Every function builds its result in locals first, so out may alias an input.
#include "d3dx/d3dx_math.h"

#include <cmath>

namespace {

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX r;
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

D3DXMATRIX Identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

D3DXMATRIX Translation(const D3DXVECTOR3& t)
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, t.x, t.y, t.z, 1};
}

D3DXMATRIX RotationOf(const D3DXQUATERNION* q)
{
    D3DXMATRIX r = Identity();
    if (q) {
        D3DXMatrixRotationQuaternion(&r, q);
    }
    return r;
}

// The 2x2 minors of rows 0-1 and rows 2-3, shared by the determinant and the inverse.
struct Minors {
    float s[6];
    float c[6];
};

Minors MinorsOf(const D3DXMATRIX& m)
{
    Minors n;
    n.s[0] = m._11 * m._22 - m._21 * m._12;
    n.s[1] = m._11 * m._23 - m._21 * m._13;
    n.s[2] = m._11 * m._24 - m._21 * m._14;
    n.s[3] = m._12 * m._23 - m._22 * m._13;
    n.s[4] = m._12 * m._24 - m._22 * m._14;
    n.s[5] = m._13 * m._24 - m._23 * m._14;
    n.c[5] = m._33 * m._44 - m._43 * m._34;
    n.c[4] = m._32 * m._44 - m._42 * m._34;
    n.c[3] = m._32 * m._43 - m._42 * m._33;
    n.c[2] = m._31 * m._44 - m._41 * m._34;
    n.c[1] = m._31 * m._43 - m._41 * m._33;
    n.c[0] = m._31 * m._42 - m._41 * m._32;
    return n;
}

float DeterminantOf(const Minors& n)
{
    return n.s[0] * n.c[5] - n.s[1] * n.c[4] + n.s[2] * n.c[3] + n.s[3] * n.c[2] - n.s[4] * n.c[1] +
           n.s[5] * n.c[0];
}

BYTE PackChannel(float c)
{
    if (c >= 1.0f) {
        return 255;
    }
    // Written so that NaN lands here too rather than in an undefined float-to-int conversion.
    if (!(c > 0.0f)) {
        return 0;
    }
    return static_cast<BYTE>(c * 255.0f + 0.5f);
}

} // namespace

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const
{
    return Product(*this, other);
}

D3DXCOLOR::D3DXCOLOR(D3DCOLOR argb)
    : r(static_cast<float>((argb >> 16) & 0xFF) / 255.0f),
      g(static_cast<float>((argb >> 8) & 0xFF) / 255.0f),
      b(static_cast<float>(argb & 0xFF) / 255.0f),
      a(static_cast<float>((argb >> 24) & 0xFF) / 255.0f)
{
}

D3DXCOLOR::operator D3DCOLOR() const
{
    return (static_cast<D3DCOLOR>(PackChannel(a)) << 24) | (static_cast<D3DCOLOR>(PackChannel(r)) << 16) |
           (static_cast<D3DCOLOR>(PackChannel(g)) << 8) | static_cast<D3DCOLOR>(PackChannel(b));
}

// Vectors.

float D3DXVec3Length(const D3DXVECTOR3* v)
{
    return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
}

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    *out = D3DXVECTOR3(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v)
{
    const float length = D3DXVec3Length(v);
    // The zero vector has no direction; it stays zero instead of becoming NaN.
    *out = length > 0.0f ? *v * (1.0f / length) : D3DXVECTOR3(0, 0, 0);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, v, m);
    *out = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const float x = v->x;
    const float y = v->y;
    const float z = v->z;
    *out = D3DXVECTOR3(x * m->_11 + y * m->_21 + z * m->_31, x * m->_12 + y * m->_22 + z * m->_32,
                       x * m->_13 + y * m->_23 + z * m->_33);
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const float x = v->x;
    const float y = v->y;
    const float z = v->z;
    *out = D3DXVECTOR4{x * m->_11 + y * m->_21 + z * m->_31 + m->_41, x * m->_12 + y * m->_22 + z * m->_32 + m->_42,
                       x * m->_13 + y * m->_23 + z * m->_33 + m->_43, x * m->_14 + y * m->_24 + z * m->_34 + m->_44};
    return out;
}

D3DXVECTOR3* D3DXVec3CatmullRom(D3DXVECTOR3* out, const D3DXVECTOR3* v0, const D3DXVECTOR3* v1,
                                const D3DXVECTOR3* v2, const D3DXVECTOR3* v3, float s)
{
    const float s2 = s * s;
    const float s3 = s2 * s;
    const D3DXVECTOR3 p0 = *v0;
    const D3DXVECTOR3 p1 = *v1;
    const D3DXVECTOR3 p2 = *v2;
    const D3DXVECTOR3 p3 = *v3;
    *out = 0.5f * (2.0f * p1 + (p2 - p0) * s + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * s2 +
                   (3.0f * p1 - p0 - 3.0f * p2 + p3) * s3);
    return out;
}

// Matrices.

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out)
{
    *out = Identity();
    return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m)
{
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            if (m->m[i][j] != (i == j ? 1.0f : 0.0f)) {
                return false;
            }
        }
    }
    return true;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b)
{
    *out = Product(*a, *b);
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m)
{
    D3DXMATRIX r;
    for (unsigned i = 0; i < 4; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            r.m[i][j] = m->m[j][i];
        }
    }
    *out = r;
    return out;
}

float D3DXMatrixDeterminant(const D3DXMATRIX* m)
{
    return DeterminantOf(MinorsOf(*m));
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m)
{
    const D3DXMATRIX a = *m;
    const Minors n = MinorsOf(a);
    const float det = DeterminantOf(n);
    if (determinant) {
        *determinant = det;
    }
    if (det == 0.0f) {
        return nullptr;
    }
    const float k = 1.0f / det;
    const float* s = n.s;
    const float* c = n.c;
    // The adjugate from the same 2x2 minors, scaled by 1/det.
    *out = D3DXMATRIX(
        (a._22 * c[5] - a._23 * c[4] + a._24 * c[3]) * k, (-a._12 * c[5] + a._13 * c[4] - a._14 * c[3]) * k,
        (a._42 * s[5] - a._43 * s[4] + a._44 * s[3]) * k, (-a._32 * s[5] + a._33 * s[4] - a._34 * s[3]) * k,
        (-a._21 * c[5] + a._23 * c[2] - a._24 * c[1]) * k, (a._11 * c[5] - a._13 * c[2] + a._14 * c[1]) * k,
        (-a._41 * s[5] + a._43 * s[2] - a._44 * s[1]) * k, (a._31 * s[5] - a._33 * s[2] + a._34 * s[1]) * k,
        (a._21 * c[4] - a._22 * c[2] + a._24 * c[0]) * k, (-a._11 * c[4] + a._12 * c[2] - a._14 * c[0]) * k,
        (a._41 * s[4] - a._42 * s[2] + a._44 * s[0]) * k, (-a._31 * s[4] + a._32 * s[2] - a._34 * s[0]) * k,
        (-a._21 * c[3] + a._22 * c[1] - a._23 * c[0]) * k, (a._11 * c[3] - a._12 * c[1] + a._13 * c[0]) * k,
        (-a._41 * s[3] + a._42 * s[1] - a._43 * s[0]) * k, (a._31 * s[3] - a._32 * s[1] + a._33 * s[0]) * k);
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z)
{
    *out = Translation(D3DXVECTOR3(x, y, z));
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz)
{
    *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    // A zero axis names no rotation: the result is the identity rather than a scaling by cos(angle).
    if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) {
        *out = Identity();
        return out;
    }
    *out = D3DXMATRIX(t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0,
                      t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0,
                      t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q)
{
    const float x = q->x;
    const float y = q->y;
    const float z = q->z;
    const float w = q->w;
    *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                      2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                      2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll)
{
    const float cy = std::cos(yaw);
    const float sy = std::sin(yaw);
    const float cp = std::cos(pitch);
    const float sp = std::sin(pitch);
    const float cr = std::cos(roll);
    const float sr = std::sin(roll);
    // RotationZ(roll) x RotationX(pitch) x RotationY(yaw), multiplied out.
    *out = D3DXMATRIX(cr * cy + sr * sp * sy, sr * cp, sr * sp * cy - cr * sy, 0,
                      cr * sp * sy - sr * cy, cr * cp, sr * sy + cr * sp * cy, 0,
                      cp * sy, -sp, cp * cy, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up)
{
    const D3DXVECTOR3 e = *eye;
    D3DXVECTOR3 zaxis = *at - e;
    D3DXVec3Normalize(&zaxis, &zaxis);
    D3DXVECTOR3 xaxis;
    D3DXVec3Cross(&xaxis, up, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVECTOR3 yaxis;
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *out = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0, xaxis.y, yaxis.y, zaxis.y, 0, xaxis.z, yaxis.z, zaxis.z, 0,
                      -D3DXVec3Dot(&xaxis, &e), -D3DXVec3Dot(&yaxis, &e), -D3DXVec3Dot(&zaxis, &e), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf)
{
    const float yScale = 1.0f / std::tan(fovy * 0.5f);
    const float xScale = yScale / aspect;
    const float q = zf / (zf - zn);
    *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom, float top,
                                       float zn, float zf)
{
    *out = D3DXMATRIX(2 / (right - left), 0, 0, 0, 0, 2 / (top - bottom), 0, 0, 0, 0, 1 / (zf - zn), 0,
                      (left + right) / (left - right), (top + bottom) / (bottom - top), zn / (zn - zf), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixAffineTransformation(D3DXMATRIX* out, float scaling, const D3DXVECTOR3* rotationCenter,
                                           const D3DXQUATERNION* rotation, const D3DXVECTOR3* translation)
{
    const D3DXVECTOR3 zero(0, 0, 0);
    const D3DXVECTOR3 rc = rotationCenter ? *rotationCenter : zero;
    const D3DXVECTOR3 t = translation ? *translation : zero;
    D3DXMATRIX s;
    D3DXMatrixScaling(&s, scaling, scaling, scaling);
    *out = s * Translation(-rc) * RotationOf(rotation) * Translation(rc) * Translation(t);
    return out;
}

D3DXMATRIX* D3DXMatrixTransformation(D3DXMATRIX* out, const D3DXVECTOR3* scalingCenter,
                                     const D3DXQUATERNION* scalingRotation, const D3DXVECTOR3* scaling,
                                     const D3DXVECTOR3* rotationCenter, const D3DXQUATERNION* rotation,
                                     const D3DXVECTOR3* translation)
{
    const D3DXVECTOR3 zero(0, 0, 0);
    const D3DXVECTOR3 sc = scalingCenter ? *scalingCenter : zero;
    const D3DXVECTOR3 sv = scaling ? *scaling : D3DXVECTOR3(1, 1, 1);
    const D3DXVECTOR3 rc = rotationCenter ? *rotationCenter : zero;
    const D3DXVECTOR3 t = translation ? *translation : zero;
    const D3DXMATRIX sr = RotationOf(scalingRotation);
    // The scaling rotation is a unit quaternion's matrix, so its inverse is its transpose.
    D3DXMATRIX srInverse;
    D3DXMatrixTranspose(&srInverse, &sr);
    D3DXMATRIX s;
    D3DXMatrixScaling(&s, sv.x, sv.y, sv.z);
    *out = Translation(-sc) * srInverse * s * sr * Translation(sc) * Translation(-rc) * RotationOf(rotation) *
           Translation(rc) * Translation(t);
    return out;
}

// Quaternions.

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out)
{
    *out = D3DXQUATERNION{0, 0, 0, 1};
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, float yaw, float pitch, float roll)
{
    const float cy = std::cos(yaw * 0.5f);
    const float sy = std::sin(yaw * 0.5f);
    const float cp = std::cos(pitch * 0.5f);
    const float sp = std::sin(pitch * 0.5f);
    const float cr = std::cos(roll * 0.5f);
    const float sr = std::sin(roll * 0.5f);
    // Roll, then pitch, then yaw: the Hamilton product yaw * pitch * roll, multiplied out.
    *out = D3DXQUATERNION{cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
                          cy * cp * cr + sy * sp * sr};
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    // A zero axis names no rotation, so it gives the identity rather than a non-unit quaternion.
    if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) {
        return D3DXQuaternionIdentity(out);
    }
    const float s = std::sin(angle * 0.5f);
    *out = D3DXQUATERNION{n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f)};
    return out;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b)
{
    const D3DXQUATERNION p = *a;
    const D3DXQUATERNION q = *b;
    // a followed by b: the Hamilton product b * a.
    *out = D3DXQUATERNION{q.w * p.x + q.x * p.w + q.y * p.z - q.z * p.y, q.w * p.y - q.x * p.z + q.y * p.w + q.z * p.x,
                          q.w * p.z + q.x * p.y - q.y * p.x + q.z * p.w, q.w * p.w - q.x * p.x - q.y * p.y - q.z * p.z};
    return out;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    const float length = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w);
    // Like the zero vector, the zero quaternion stays zero instead of becoming NaN.
    const float k = length > 0.0f ? 1.0f / length : 0.0f;
    *out = D3DXQUATERNION{q->x * k, q->y * k, q->z * k, q->w * k};
    return out;
}

// Colours.

D3DXCOLOR* D3DXColorAdjustSaturation(D3DXCOLOR* out, const D3DXCOLOR* c, float s)
{
    const float grey = 0.2125f * c->r + 0.7154f * c->g + 0.0721f * c->b;
    *out = D3DXCOLOR(grey + s * (c->r - grey), grey + s * (c->g - grey), grey + s * (c->b - grey), c->a);
    return out;
}
