// SPDX-License-Identifier: GPL-3.0-or-later
// Loading of the GL entry points through SDL and the debug error check.
#include "platform/d3d8/gl/gl_api.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>

namespace gl {
#define FW_GL_DEFINE(name, type) type name = nullptr;
FW_GL_FUNCTIONS(FW_GL_DEFINE)
#undef FW_GL_DEFINE
} // namespace gl

bool LoadGlFunctions()
{
    // Loaded again for every context: SDL unloads the GL library when video shuts down, and a later
    // start may map it elsewhere.
    static std::mutex loadMutex;
    std::lock_guard<std::mutex> hold(loadMutex);
    bool complete = true;
#define FW_GL_LOAD(name, type)                                                        \
    gl::name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name));            \
    if (gl::name == nullptr) {                                                        \
        std::fprintf(stderr, "OpenGL: entry point gl%s is missing\n", #name);        \
        complete = false;                                                             \
    }
    FW_GL_FUNCTIONS(FW_GL_LOAD)
#undef FW_GL_LOAD
    return complete;
}

bool CheckGlError(const char* call, const char* file, int line)
{
    bool clean = true;
    // Several flags may be pending; read them all so the next check starts clean.
    for (int i = 0; i < 8; ++i) {
        const GLenum error = gl::GetError();
        if (error == GL_NO_ERROR) {
            break;
        }
        std::fprintf(stderr, "OpenGL error 0x%04X after %s (%s:%d)\n", error, call, file, line);
        clean = false;
    }
    return clean;
}
