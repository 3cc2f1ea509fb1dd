// SPDX-License-Identifier: GPL-3.0-or-later
// The OpenGL 3.3 core entry points the drawing layer calls, loaded through SDL once a context exists,
// and the macros every call goes through, which count it and check glGetError in debug builds.
// Calls are written gl::Name(...).
#pragma once

#include <cstdint>

#include <GL/glcorearb.h>

// Every entry point: its name without the "gl" prefix and its pointer type.
#define FW_GL_FUNCTIONS(X)                                          \
    X(ActiveTexture, PFNGLACTIVETEXTUREPROC)                       \
    X(AttachShader, PFNGLATTACHSHADERPROC)                         \
    X(BindBuffer, PFNGLBINDBUFFERPROC)                             \
    X(BindBufferBase, PFNGLBINDBUFFERBASEPROC)                     \
    X(BindFramebuffer, PFNGLBINDFRAMEBUFFERPROC)                   \
    X(BindRenderbuffer, PFNGLBINDRENDERBUFFERPROC)                 \
    X(BindSampler, PFNGLBINDSAMPLERPROC)                           \
    X(BindTexture, PFNGLBINDTEXTUREPROC)                           \
    X(BindVertexArray, PFNGLBINDVERTEXARRAYPROC)                   \
    X(BlendEquation, PFNGLBLENDEQUATIONPROC)                       \
    X(BlendFunc, PFNGLBLENDFUNCPROC)                               \
    X(BlitFramebuffer, PFNGLBLITFRAMEBUFFERPROC)                   \
    X(BufferData, PFNGLBUFFERDATAPROC)                             \
    X(BufferSubData, PFNGLBUFFERSUBDATAPROC)                       \
    X(CheckFramebufferStatus, PFNGLCHECKFRAMEBUFFERSTATUSPROC)     \
    X(Clear, PFNGLCLEARPROC)                                       \
    X(ClearColor, PFNGLCLEARCOLORPROC)                             \
    X(ClearDepth, PFNGLCLEARDEPTHPROC)                             \
    X(ClearStencil, PFNGLCLEARSTENCILPROC)                         \
    X(ColorMask, PFNGLCOLORMASKPROC)                               \
    X(CompileShader, PFNGLCOMPILESHADERPROC)                       \
    X(CreateProgram, PFNGLCREATEPROGRAMPROC)                       \
    X(CreateShader, PFNGLCREATESHADERPROC)                         \
    X(CullFace, PFNGLCULLFACEPROC)                                 \
    X(DeleteBuffers, PFNGLDELETEBUFFERSPROC)                       \
    X(DeleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC)             \
    X(DeleteProgram, PFNGLDELETEPROGRAMPROC)                       \
    X(DeleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC)           \
    X(DeleteSamplers, PFNGLDELETESAMPLERSPROC)                     \
    X(DeleteShader, PFNGLDELETESHADERPROC)                         \
    X(DeleteTextures, PFNGLDELETETEXTURESPROC)                     \
    X(DeleteVertexArrays, PFNGLDELETEVERTEXARRAYSPROC)             \
    X(DepthFunc, PFNGLDEPTHFUNCPROC)                               \
    X(DepthMask, PFNGLDEPTHMASKPROC)                               \
    X(DepthRange, PFNGLDEPTHRANGEPROC)                             \
    X(Disable, PFNGLDISABLEPROC)                                   \
    X(DisableVertexAttribArray, PFNGLDISABLEVERTEXATTRIBARRAYPROC) \
    X(DrawArrays, PFNGLDRAWARRAYSPROC)                             \
    X(DrawElementsBaseVertex, PFNGLDRAWELEMENTSBASEVERTEXPROC)     \
    X(Enable, PFNGLENABLEPROC)                                     \
    X(EnableVertexAttribArray, PFNGLENABLEVERTEXATTRIBARRAYPROC)   \
    X(FramebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC)   \
    X(FramebufferTexture2D, PFNGLFRAMEBUFFERTEXTURE2DPROC)         \
    X(Finish, PFNGLFINISHPROC)                                     \
    X(FrontFace, PFNGLFRONTFACEPROC)                               \
    X(GenBuffers, PFNGLGENBUFFERSPROC)                             \
    X(GenFramebuffers, PFNGLGENFRAMEBUFFERSPROC)                   \
    X(GenRenderbuffers, PFNGLGENRENDERBUFFERSPROC)                 \
    X(GenSamplers, PFNGLGENSAMPLERSPROC)                           \
    X(GenTextures, PFNGLGENTEXTURESPROC)                           \
    X(GenVertexArrays, PFNGLGENVERTEXARRAYSPROC)                   \
    X(GetError, PFNGLGETERRORPROC)                                 \
    X(GetFloatv, PFNGLGETFLOATVPROC)                               \
    X(GetFramebufferAttachmentParameteriv, PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC) \
    X(GetIntegerv, PFNGLGETINTEGERVPROC)                           \
    X(GetProgramInfoLog, PFNGLGETPROGRAMINFOLOGPROC)               \
    X(GetProgramiv, PFNGLGETPROGRAMIVPROC)                         \
    X(GetShaderInfoLog, PFNGLGETSHADERINFOLOGPROC)                 \
    X(GetShaderiv, PFNGLGETSHADERIVPROC)                           \
    X(GetString, PFNGLGETSTRINGPROC)                               \
    X(GetUniformBlockIndex, PFNGLGETUNIFORMBLOCKINDEXPROC)         \
    X(LinkProgram, PFNGLLINKPROGRAMPROC)                           \
    X(PixelStorei, PFNGLPIXELSTOREIPROC)                           \
    X(PointParameteri, PFNGLPOINTPARAMETERIPROC)                   \
    X(PolygonMode, PFNGLPOLYGONMODEPROC)                           \
    X(ProvokingVertex, PFNGLPROVOKINGVERTEXPROC)                   \
    X(ReadBuffer, PFNGLREADBUFFERPROC)                             \
    X(ReadPixels, PFNGLREADPIXELSPROC)                             \
    X(RenderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC)           \
    X(SamplerParameterfv, PFNGLSAMPLERPARAMETERFVPROC)             \
    X(SamplerParameteri, PFNGLSAMPLERPARAMETERIPROC)               \
    X(Scissor, PFNGLSCISSORPROC)                                   \
    X(ShaderSource, PFNGLSHADERSOURCEPROC)                         \
    X(TexImage2D, PFNGLTEXIMAGE2DPROC)                             \
    X(TexParameteri, PFNGLTEXPARAMETERIPROC)                       \
    X(TexSubImage2D, PFNGLTEXSUBIMAGE2DPROC)                       \
    X(UniformBlockBinding, PFNGLUNIFORMBLOCKBINDINGPROC)           \
    X(UseProgram, PFNGLUSEPROGRAMPROC)                             \
    X(VertexAttrib4f, PFNGLVERTEXATTRIB4FPROC)                     \
    X(VertexAttribPointer, PFNGLVERTEXATTRIBPOINTERPROC)           \
    X(Viewport, PFNGLVIEWPORTPROC)

namespace gl {
#define FW_GL_DECLARE(name, type) extern type name;
FW_GL_FUNCTIONS(FW_GL_DECLARE)
#undef FW_GL_DECLARE
} // namespace gl

// Loads every entry point from the current context's library; false (with a message on stderr)
// when one is missing. Called after each context is made; the loads are serialised.
bool LoadGlFunctions();

// Reports a pending GL error with the call that raised it; true when there was none.
bool CheckGlError(const char* call, const char* file, int line);

// Every GL call goes through FW_GL (a statement) or FW_GL_VALUE (a call whose result is used), with
// the counter it is counted on: a device's state cache, or GlUncounted before any device exists.
// Debug builds also check GL's error flag after each call; release builds only make and count it.
struct GlUncounted {
    void Count(std::uint64_t = 1) {}
};

#ifdef NDEBUG
#define FW_GL_CHECKED(call) ((void)0)
#else
#define FW_GL_CHECKED(call) ((void)CheckGlError(call, __FILE__, __LINE__))
#endif

#define FW_GL(counter, call)  \
    do {                      \
        call;                 \
        (counter).Count();    \
        FW_GL_CHECKED(#call); \
    } while (0)

#define FW_GL_VALUE(counter, call) \
    GlCounted((counter), [&] { return call; }, [&] { FW_GL_CHECKED(#call); })

template <typename Counter, typename Call, typename Check>
auto GlCounted(Counter& counter, Call call, Check check)
{
    auto value = call();
    counter.Count();
    check();
    return value;
}
