// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled programs of the shader family by key. Compiling happens the first time a key is drawn;
// after that a frame only looks programs up. Holds a fixed number and replaces the oldest beyond it.
#pragma once

#include "platform/d3d8/gl/gl_shader_key.h"
#include "platform/d3d8/gl/gl_state_cache.h"

class GlProgramCache {
public:
    static constexpr int Capacity = 64;

    // With the context current: the program of this key, built on first use; 0 when it does not build
    // (the compiler's log goes to stderr).
    GLuint ProgramFor(const GlShaderKey& key, GlStateCache& cache);
    // Deletes every program; the context must be current.
    void Clear(GlStateCache& cache);
    int Count() const { return count; }

private:
    struct Entry {
        std::uint64_t key;
        GLuint program;
    };

    static GLuint Build(const GlShaderKey& key, GlStateCache& cache);

    Entry entries[Capacity] = {};
    int count = 0;
    int next = 0;
    int lastHit = -1;
};
