// SPDX-License-Identifier: GPL-3.0-or-later
// Context attributes, the software switch and the driver probe.
#include "platform/d3d8/gl/gl_context.h"

#include "platform/d3d8/gl/gl_api.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

void SetGlContextAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

void SelectSoftwareRasterizer()
{
    // Read by Mesa when it opens its driver; a driver already open keeps running.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 0);
}

bool IsSoftwareRenderer(const char* renderer)
{
    return renderer != nullptr && (std::strstr(renderer, "llvmpipe") != nullptr ||
                                   std::strstr(renderer, "softpipe") != nullptr ||
                                   std::strstr(renderer, "swrast") != nullptr);
}

GlProbe ProbeGl()
{
    GlProbe probe;
    SetGlContextAttributes();
    SDL_Window* window = SDL_CreateWindow("probe", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        return probe;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context != nullptr && LoadGlFunctions()) {
        // No device exists yet to count these.
        GlUncounted uncounted;
        GLint major = 0;
        GLint minor = 0;
        FW_GL(uncounted, gl::GetIntegerv(GL_MAJOR_VERSION, &major));
        FW_GL(uncounted, gl::GetIntegerv(GL_MINOR_VERSION, &minor));
        probe.ok = major > 3 || (major == 3 && minor >= 3);
        const auto* renderer = reinterpret_cast<const char*>(FW_GL_VALUE(uncounted, gl::GetString(GL_RENDERER)));
        std::snprintf(probe.renderer, sizeof probe.renderer, "%s", renderer != nullptr ? renderer : "OpenGL");
        probe.software = IsSoftwareRenderer(probe.renderer);
        FW_GL(uncounted, gl::GetIntegerv(GL_MAX_TEXTURE_SIZE, &probe.maxTextureSize));
        GLfloat range[2] = {1.0f, 1.0f};
        FW_GL(uncounted, gl::GetFloatv(GL_POINT_SIZE_RANGE, range));
        probe.maxPointSize = range[1];
        // A core context may refuse the query; nothing else depends on its flag.
        while (gl::GetError() != GL_NO_ERROR) {
        }
    }
    if (context != nullptr) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
    return probe;
}
