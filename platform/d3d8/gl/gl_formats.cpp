// SPDX-License-Identifier: GPL-3.0-or-later
// The format and enum tables of the GL device.
#include "platform/d3d8/gl/gl_formats.h"

bool GlTexelFormatOf(D3DFORMAT format, GlTexelFormat* out)
{
    switch (format) {
    case D3DFMT_A8R8G8B8: *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false}; return true;
    case D3DFMT_X8R8G8B8: *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, true}; return true;
    case D3DFMT_A4R4G4B4: *out = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false}; return true;
    case D3DFMT_R5G6B5: *out = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, true}; return true;
    default: return false;
    }
}

bool GlReadFormatOf(D3DFORMAT format, GLenum* glFormat, GLenum* glType)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: *glFormat = GL_BGRA; *glType = GL_UNSIGNED_INT_8_8_8_8_REV; return true;
    case D3DFMT_R5G6B5: *glFormat = GL_RGB; *glType = GL_UNSIGNED_SHORT_5_6_5; return true;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: *glFormat = GL_BGRA; *glType = GL_UNSIGNED_SHORT_1_5_5_5_REV; return true;
    default: return false;
    }
}

bool IsBackBufferFormat(D3DFORMAT format)
{
    GLenum glFormat = 0;
    GLenum glType = 0;
    return GlReadFormatOf(format, &glFormat, &glType);
}

bool IsDisplayFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

bool IsRenderTargetFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

bool IsDepthFormat(D3DFORMAT format)
{
    return format == D3DFMT_D16 || format == D3DFMT_D24X8 || format == D3DFMT_D24S8 || format == D3DFMT_D32;
}

bool HasStencilBits(D3DFORMAT format)
{
    return format == D3DFMT_D24S8 || format == D3DFMT_D15S1 || format == D3DFMT_D24X4S4;
}

int DepthBitsOf(D3DFORMAT format)
{
    return format == D3DFMT_D16 || format == D3DFMT_D16_LOCKABLE || format == D3DFMT_D15S1 ? 16 : 24;
}

bool GlVertexLayoutOf(DWORD fvf, GlVertexLayout* out)
{
    *out = FvfLayoutOf(fvf);
    return out->position >= 0;
}

GLenum GlPrimitiveMode(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    case D3DPT_TRIANGLELIST:
    default: return GL_TRIANGLES;
    }
}

GLenum GlBlendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum GlBlendEquation(DWORD blendOp)
{
    // ADD, SUBTRACT, REVSUBTRACT, MIN, MAX in the platform's order.
    switch (blendOp) {
    case 2: return GL_FUNC_SUBTRACT;
    case 3: return GL_FUNC_REVERSE_SUBTRACT;
    case 4: return GL_MIN;
    case 5: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum GlCompareFunc(DWORD compare)
{
    switch (compare) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLint GlMinFilter(DWORD minFilter, DWORD mipFilter)
{
    const bool linear = minFilter >= D3DTEXF_LINEAR;
    switch (mipFilter) {
    case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default: return linear ? GL_LINEAR : GL_NEAREST;
    }
}

GLint GlMagFilter(DWORD magFilter) { return magFilter >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST; }

GLint GlAddressMode(DWORD address)
{
    switch (address) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

void UnpackColor(D3DCOLOR color, float out[4])
{
    out[0] = static_cast<float>((color >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((color >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(color & 0xFF) / 255.0f;
    out[3] = static_cast<float>((color >> 24) & 0xFF) / 255.0f;
}
