// SPDX-License-Identifier: GPL-3.0-or-later
// The GL-level cache: remembers what was last sent to the context and skips binds, enables and
// state calls whose value did not change. Counts every GL call it (and the device) does issue.
#pragma once

#include "platform/d3d8/gl/gl_api.h"
#include "platform/base/win_types.h"

#include <cstdint>

// Counters a test or benchmark reads; reset them between frames to see one frame's work.
struct GlStats {
    std::uint64_t calls = 0;
    std::uint64_t draws = 0;
    std::uint64_t uploadedBytes = 0;
    std::uint64_t programsBuilt = 0;
};

class GlStateCache {
public:
    // Switches that the device turns on and off.
    enum Switch {
        SwitchDepthTest,
        SwitchCullFace,
        SwitchBlend,
        SwitchScissorTest,
        // Six in a row: user clip plane i is SwitchClipPlane0 + i.
        SwitchClipPlane0,
        SwitchCount = SwitchClipPlane0 + 6
    };

    explicit GlStateCache(GlStats& stats_) : stats(stats_) { Invalidate(); }

    // Forgets everything, so that the next value of each state is sent (a new context, or unknown state).
    void Invalidate();

    void Enable(Switch which, bool on);
    void UseProgram(GLuint program);
    void BindVertexArray(GLuint vao);
    void BindArrayBuffer(GLuint buffer);
    // The element binding belongs to the bound vertex array.
    void BindElementBuffer(GLuint buffer);
    void BindUniformBuffer(GLuint buffer);
    void BindTexture(GLuint texture);
    void BindSampler(GLuint sampler);
    void DepthMask(bool on);
    void DepthFunc(GLenum func);
    void BlendFunc(GLenum source, GLenum destination);
    void BlendEquation(GLenum equation);
    void ColorMask(DWORD mask);
    void CullFace(GLenum face);
    void PolygonMode(GLenum mode);
    void Viewport(GLint x, GLint y, GLsizei width, GLsizei height);
    void DepthRange(float nearValue, float farValue);
    void Scissor(GLint x, GLint y, GLsizei width, GLsizei height);
    void ClearColor(const float rgba[4]);
    void ClearDepth(float depth);
    void ClearStencil(GLint stencil);

    // A deleted object is no longer bound: forget it so its reused name is bound again.
    void ForgetBuffer(GLuint buffer);
    void ForgetTexture(GLuint texture);
    void ForgetProgram(GLuint program);

    // For a call the device makes itself (uploads, draws, uniforms).
    void Count(std::uint64_t calls = 1) { stats.calls += calls; }
    GlStats& Stats() { return stats; }

private:
    // Binding value no real object has, so the first bind is always sent.
    static constexpr GLuint Unknown = 0xFFFFFFFFu;

    GlStats& stats;
    int switches[SwitchCount];
    GLuint program;
    GLuint vertexArray;
    GLuint arrayBuffer;
    GLuint elementBuffer;
    GLuint uniformBuffer;
    GLuint texture;
    GLuint sampler;
    int depthMask;
    GLenum depthFunc;
    GLenum blendSource;
    GLenum blendDestination;
    GLenum blendEquation;
    DWORD colorMask;
    GLenum cullFace;
    GLenum polygonMode;
    GLint viewport[4];
    float depthRange[2];
    GLint scissor[4];
    float clearColor[4];
    float clearDepth;
    GLint clearStencil;
};
