// Building, linking and looking up the fixed-function programs.
#include "platform/d3d8/gl/gl_program_cache.h"

#include "platform/d3d8/gl/gl_shader_source.h"

#include <cstdio>
#include <string>

namespace {

GLuint Compile(GLenum stage, const std::string& source)
{
    const GLuint shader = gl::CreateShader(stage);
    const char* text = source.c_str();
    gl::ShaderSource(shader, 1, &text, nullptr);
    gl::CompileShader(shader);
    GLint ok = GL_FALSE;
    gl::GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        gl::GetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "OpenGL: %s shader does not compile:\n%s\n%s\n",
                     stage == GL_VERTEX_SHADER ? "vertex" : "fragment", log, text);
        gl::DeleteShader(shader);
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
    const GLuint program = Build(key);
    cache.Count(12);
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
        gl::DeleteProgram(entries[slot].program);
    }
    entries[slot] = {packed, program};
    lastHit = slot;
    return program;
}

void GlProgramCache::Clear(GlStateCache& cache)
{
    for (int i = 0; i < count; ++i) {
        cache.ForgetProgram(entries[i].program);
        gl::DeleteProgram(entries[i].program);
    }
    count = 0;
    next = 0;
    lastHit = -1;
}

GLuint GlProgramCache::Build(const GlShaderKey& key)
{
    const GLuint vertex = Compile(GL_VERTEX_SHADER, VertexShaderSource(key));
    const GLuint fragment = vertex != 0 ? Compile(GL_FRAGMENT_SHADER, FragmentShaderSource(key)) : 0;
    if (fragment == 0) {
        if (vertex != 0) {
            gl::DeleteShader(vertex);
        }
        return 0;
    }
    const GLuint program = gl::CreateProgram();
    gl::AttachShader(program, vertex);
    gl::AttachShader(program, fragment);
    gl::LinkProgram(program);
    // The program keeps what it linked; the shader objects can go.
    gl::DeleteShader(vertex);
    gl::DeleteShader(fragment);
    GLint ok = GL_FALSE;
    gl::GetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[2048] = {};
        gl::GetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "OpenGL: fixed-function program does not link:\n%s\n", log);
        gl::DeleteProgram(program);
        return 0;
    }
    const GLuint block = gl::GetUniformBlockIndex(program, GlFixedUniformBlockName);
    if (block != GL_INVALID_INDEX) {
        gl::UniformBlockBinding(program, block, 0);
    }
    CheckGlError("building a fixed-function program", __FILE__, __LINE__);
    return program;
}
