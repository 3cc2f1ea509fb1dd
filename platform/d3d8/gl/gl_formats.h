// SPDX-License-Identifier: GPL-3.0-or-later
// Tables between the platform's formats and enums and OpenGL's: texel upload formats, back-buffer
// read-back formats, vertex layouts of flexible vertex formats, blend, compare and filter modes.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/fvf_layout.h"
#include "platform/d3d8/gl/gl_api.h"

// How the texels of one platform format go to GL.
struct GlTexelFormat {
    GLint internalFormat;
    GLenum format;
    GLenum type;
    // X formats keep garbage in their alpha bits: the sampler must read alpha as 1.
    bool opaqueAlpha;
};

// The texture formats the device accepts; false for any other.
bool GlTexelFormatOf(D3DFORMAT format, GlTexelFormat* out);

// The back-buffer formats a device can present, and how glReadPixels returns them.
bool GlReadFormatOf(D3DFORMAT format, GLenum* glFormat, GLenum* glType);
bool IsBackBufferFormat(D3DFORMAT format);
// Display formats an adapter can run in.
bool IsDisplayFormat(D3DFORMAT format);
// Texture formats the device can draw into as render targets.
bool IsRenderTargetFormat(D3DFORMAT format);
// Depth buffers the device can attach.
bool IsDepthFormat(D3DFORMAT format);
// Depth formats with stencil bits, and the depth bits a format holds.
bool HasStencilBits(D3DFORMAT format);
int DepthBitsOf(D3DFORMAT format);

// Byte offsets of each part of a vertex in a flexible vertex format; -1 where the part is absent.
// The shader family reads the first texture coordinate set only.
using GlVertexLayout = FvfLayout;

// False for a format without a position, which cannot be drawn.
bool GlVertexLayoutOf(DWORD fvf, GlVertexLayout* out);

// Enum conversions; unknown values fall back to the platform's default behaviour.
GLenum GlPrimitiveMode(D3DPRIMITIVETYPE type);
GLenum GlBlendFactor(DWORD blend);
GLenum GlBlendEquation(DWORD blendOp);
GLenum GlCompareFunc(DWORD compare);
GLint GlMinFilter(DWORD minFilter, DWORD mipFilter);
GLint GlMagFilter(DWORD magFilter);
GLint GlAddressMode(DWORD address);

// A packed ARGB colour as red, green, blue, alpha floats in 0..1.
void UnpackColor(D3DCOLOR color, float out[4]);
