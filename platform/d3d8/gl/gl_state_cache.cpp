// SPDX-License-Identifier: GPL-3.0-or-later
// The GL-level state cache.
#include "platform/d3d8/gl/gl_state_cache.h"

namespace {

constexpr GLenum SwitchCap[] = {GL_DEPTH_TEST,      GL_CULL_FACE,       GL_BLEND,           GL_SCISSOR_TEST,
                                 GL_CLIP_DISTANCE0,  GL_CLIP_DISTANCE1,  GL_CLIP_DISTANCE2,  GL_CLIP_DISTANCE3,
                                 GL_CLIP_DISTANCE4,  GL_CLIP_DISTANCE5};
static_assert(sizeof(SwitchCap) / sizeof(SwitchCap[0]) == GlStateCache::SwitchCount);

// Not a value GL accepts anywhere, so any real value differs from it.
constexpr GLenum UnknownEnum = 0xFFFFFFFFu;

} // namespace

void GlStateCache::Invalidate()
{
    for (int& value : switches) {
        value = -1;
    }
    program = vertexArray = arrayBuffer = elementBuffer = uniformBuffer = texture = sampler = Unknown;
    depthMask = -1;
    depthFunc = blendSource = blendDestination = blendEquation = cullFace = polygonMode = UnknownEnum;
    colorMask = 0xFFFFFFFFu;
    viewport[0] = viewport[1] = viewport[2] = viewport[3] = -1;
    scissor[0] = scissor[1] = scissor[2] = scissor[3] = -1;
    depthRange[0] = depthRange[1] = -1.0f;
    clearColor[0] = clearColor[1] = clearColor[2] = clearColor[3] = -1.0f;
    clearDepth = -1.0f;
    clearStencil = -1;
}

void GlStateCache::Enable(Switch which, bool on)
{
    const int value = on ? 1 : 0;
    if (switches[which] == value) {
        return;
    }
    switches[which] = value;
    if (on) {
        FW_GL(*this, gl::Enable(SwitchCap[which]));
    } else {
        FW_GL(*this, gl::Disable(SwitchCap[which]));
    }
}

void GlStateCache::UseProgram(GLuint value)
{
    if (program != value) {
        program = value;
        FW_GL(*this, gl::UseProgram(value));
    }
}

void GlStateCache::BindVertexArray(GLuint value)
{
    if (vertexArray != value) {
        vertexArray = value;
        // The element binding is part of the vertex array.
        elementBuffer = Unknown;
        FW_GL(*this, gl::BindVertexArray(value));
    }
}

void GlStateCache::BindArrayBuffer(GLuint value)
{
    if (arrayBuffer != value) {
        arrayBuffer = value;
        FW_GL(*this, gl::BindBuffer(GL_ARRAY_BUFFER, value));
    }
}

void GlStateCache::BindElementBuffer(GLuint value)
{
    if (elementBuffer != value) {
        elementBuffer = value;
        FW_GL(*this, gl::BindBuffer(GL_ELEMENT_ARRAY_BUFFER, value));
    }
}

void GlStateCache::BindUniformBuffer(GLuint value)
{
    if (uniformBuffer != value) {
        uniformBuffer = value;
        FW_GL(*this, gl::BindBuffer(GL_UNIFORM_BUFFER, value));
    }
}

void GlStateCache::BindTexture(GLuint value)
{
    if (texture != value) {
        texture = value;
        FW_GL(*this, gl::BindTexture(GL_TEXTURE_2D, value));
    }
}

void GlStateCache::BindSampler(GLuint value)
{
    if (sampler != value) {
        sampler = value;
        FW_GL(*this, gl::BindSampler(0, value));
    }
}

void GlStateCache::DepthMask(bool on)
{
    const int value = on ? 1 : 0;
    if (depthMask != value) {
        depthMask = value;
        FW_GL(*this, gl::DepthMask(on ? GL_TRUE : GL_FALSE));
    }
}

void GlStateCache::DepthFunc(GLenum value)
{
    if (depthFunc != value) {
        depthFunc = value;
        FW_GL(*this, gl::DepthFunc(value));
    }
}

void GlStateCache::BlendFunc(GLenum source, GLenum destination)
{
    if (blendSource != source || blendDestination != destination) {
        blendSource = source;
        blendDestination = destination;
        FW_GL(*this, gl::BlendFunc(source, destination));
    }
}

void GlStateCache::BlendEquation(GLenum value)
{
    if (blendEquation != value) {
        blendEquation = value;
        FW_GL(*this, gl::BlendEquation(value));
    }
}

void GlStateCache::ColorMask(DWORD mask)
{
    mask &= 0xFu;
    if (colorMask != mask) {
        colorMask = mask;
        // The platform's bits: red 1, green 2, blue 4, alpha 8.
        FW_GL(*this, gl::ColorMask((mask & 1) ? GL_TRUE : GL_FALSE, (mask & 2) ? GL_TRUE : GL_FALSE,
                                  (mask & 4) ? GL_TRUE : GL_FALSE, (mask & 8) ? GL_TRUE : GL_FALSE));
    }
}

void GlStateCache::CullFace(GLenum value)
{
    if (cullFace != value) {
        cullFace = value;
        FW_GL(*this, gl::CullFace(value));
    }
}

void GlStateCache::PolygonMode(GLenum value)
{
    if (polygonMode != value) {
        polygonMode = value;
        FW_GL(*this, gl::PolygonMode(GL_FRONT_AND_BACK, value));
    }
}

void GlStateCache::Viewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (viewport[0] != x || viewport[1] != y || viewport[2] != width || viewport[3] != height) {
        viewport[0] = x;
        viewport[1] = y;
        viewport[2] = width;
        viewport[3] = height;
        FW_GL(*this, gl::Viewport(x, y, width, height));
    }
}

void GlStateCache::DepthRange(float nearValue, float farValue)
{
    if (depthRange[0] != nearValue || depthRange[1] != farValue) {
        depthRange[0] = nearValue;
        depthRange[1] = farValue;
        FW_GL(*this, gl::DepthRange(nearValue, farValue));
    }
}

void GlStateCache::Scissor(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (scissor[0] != x || scissor[1] != y || scissor[2] != width || scissor[3] != height) {
        scissor[0] = x;
        scissor[1] = y;
        scissor[2] = width;
        scissor[3] = height;
        FW_GL(*this, gl::Scissor(x, y, width, height));
    }
}

void GlStateCache::ClearColor(const float rgba[4])
{
    if (clearColor[0] != rgba[0] || clearColor[1] != rgba[1] || clearColor[2] != rgba[2] ||
        clearColor[3] != rgba[3]) {
        for (int i = 0; i < 4; ++i) {
            clearColor[i] = rgba[i];
        }
        FW_GL(*this, gl::ClearColor(rgba[0], rgba[1], rgba[2], rgba[3]));
    }
}

void GlStateCache::ClearDepth(float depth)
{
    if (clearDepth != depth) {
        clearDepth = depth;
        FW_GL(*this, gl::ClearDepth(depth));
    }
}

void GlStateCache::ClearStencil(GLint stencil)
{
    if (clearStencil != stencil) {
        clearStencil = stencil;
        FW_GL(*this, gl::ClearStencil(stencil));
    }
}

void GlStateCache::ForgetBuffer(GLuint buffer)
{
    if (arrayBuffer == buffer) arrayBuffer = Unknown;
    if (elementBuffer == buffer) elementBuffer = Unknown;
    if (uniformBuffer == buffer) uniformBuffer = Unknown;
}

void GlStateCache::ForgetTexture(GLuint value)
{
    if (texture == value) texture = Unknown;
}

void GlStateCache::ForgetProgram(GLuint value)
{
    if (program == value) program = Unknown;
}
