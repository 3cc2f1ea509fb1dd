// SPDX-License-Identifier: GPL-3.0-or-later
// GL names of resources released while the device's context may be current on another thread (or on
// none): they wait here until the device deletes them with its context current. Once the device
// is gone its context took every name with it, and nothing more is queued.
#pragma once

#include "platform/d3d8/gl/gl_api.h"

#include <mutex>
#include <vector>

struct GlGarbage {
    std::mutex mutex;
    std::vector<GLuint> buffers;
    std::vector<GLuint> textures;
    bool closed = false;

    void DiscardBuffer(GLuint name)
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (!closed && name != 0) {
            buffers.push_back(name);
        }
    }

    void DiscardTexture(GLuint name)
    {
        std::lock_guard<std::mutex> hold(mutex);
        if (!closed && name != 0) {
            textures.push_back(name);
        }
    }
};
