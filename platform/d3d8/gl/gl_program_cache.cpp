// SPDX-License-Identifier: GPL-3.0-or-later
// Building, linking and looking up the fixed-function programs.
#include "platform/d3d8/gl/gl_program_cache.h"

#include "platform/d3d8/gl/gl_shader_source.h"

#include <cstdio>
#include <string>

namespace {

GLuint Compile(GLenum stage, const std::string& source, GlStateCache& cache)
{
    const GLuint shader = FW_GL_VALUE(cache, gl::CreateShader(stage));
    const char* text = source.c_str();
    FW_GL(cache, gl::ShaderSource(shader, 1, &text, nullptr));
    FW_GL(cache, gl::CompileShader(shader));
    GLint ok = GL_FALSE;
    FW_GL(cache, gl::GetShaderiv(shader, GL_COMPILE_STATUS, &ok));
    if (ok != GL_TRUE) {
        char log[2048] = {};
        FW_GL(cache, gl::GetShaderInfoLog(shader, sizeof log, nullptr, log));
        std::fprintf(stderr, "OpenGL: %s shader does not compile:\n%s\n%s\n",
                     stage == GL_VERTEX_SHADER ? "vertex" : "fragment", log, text);
        FW_GL(cache, gl::DeleteShader(shader));
        return 0;
    }
    return shader;
}

} // namespace

GLuint GlProgramCache::ProgramFor(const GlShaderKey& key, GlStateCache& cache)
{
    const std::uint64_t packed = key.Pack();
    if (lastHit >= 0 && entries[lastHit].key == packed) {
        return entries[lastHit].program;
    }
    for (int i = 0; i < count; ++i) {
        if (entries[i].key == packed) {
            lastHit = i;
            return entries[i].program;
        }
    }
    const GLuint program = Build(key, cache);
    if (program == 0) {
        return 0;
    }
    cache.Stats().programsBuilt += 1;
    int slot = count;
    if (count < Capacity) {
        ++count;
    } else {
        slot = next;
        next = (next + 1) % Capacity;
        cache.ForgetProgram(entries[slot].program);
        FW_GL(cache, gl::DeleteProgram(entries[slot].program));
    }
    entries[slot] = {packed, program};
    lastHit = slot;
    return program;
}

void GlProgramCache::Clear(GlStateCache& cache)
{
    for (int i = 0; i < count; ++i) {
        cache.ForgetProgram(entries[i].program);
        FW_GL(cache, gl::DeleteProgram(entries[i].program));
    }
    count = 0;
    next = 0;
    lastHit = -1;
}

GLuint GlProgramCache::Build(const GlShaderKey& key, GlStateCache& cache)
{
    const GLuint vertex = Compile(GL_VERTEX_SHADER, VertexShaderSource(key), cache);
    const GLuint fragment = vertex != 0 ? Compile(GL_FRAGMENT_SHADER, FragmentShaderSource(key), cache) : 0;
    if (fragment == 0) {
        if (vertex != 0) {
            FW_GL(cache, gl::DeleteShader(vertex));
        }
        return 0;
    }
    const GLuint program = FW_GL_VALUE(cache, gl::CreateProgram());
    FW_GL(cache, gl::AttachShader(program, vertex));
    FW_GL(cache, gl::AttachShader(program, fragment));
    FW_GL(cache, gl::LinkProgram(program));
    // The program keeps what it linked; the shader objects can go.
    FW_GL(cache, gl::DeleteShader(vertex));
    FW_GL(cache, gl::DeleteShader(fragment));
    GLint ok = GL_FALSE;
    FW_GL(cache, gl::GetProgramiv(program, GL_LINK_STATUS, &ok));
    if (ok != GL_TRUE) {
        char log[2048] = {};
        FW_GL(cache, gl::GetProgramInfoLog(program, sizeof log, nullptr, log));
        std::fprintf(stderr, "OpenGL: fixed-function program does not link:\n%s\n", log);
        FW_GL(cache, gl::DeleteProgram(program));
        return 0;
    }
    const GLuint block = FW_GL_VALUE(cache, gl::GetUniformBlockIndex(program, GlFixedUniformBlockName));
    if (block != GL_INVALID_INDEX) {
        FW_GL(cache, gl::UniformBlockBinding(program, block, 0));
    }
    CheckGlError("building a fixed-function program", __FILE__, __LINE__);
    return program;
}
