// SPDX-License-Identifier: GPL-3.0-or-later
// GLSL 330 core source of one program of the fixed-function shader family, specialised by its key.
#pragma once

#include "platform/d3d8/gl/gl_shader_key.h"

#include <string>

// The name of the uniform block both stages declare.
constexpr const char* GlFixedUniformBlockName = "FixedFunction";

// Attribute locations, shared by the vertex layout code and the shaders.
enum GlAttribute { GlAttribPosition = 0, GlAttribNormal = 1, GlAttribPointSize = 2, GlAttribDiffuse = 3,
                   GlAttribTexCoord = 4, GlAttribCount = 5 };

std::string VertexShaderSource(const GlShaderKey& key);
std::string FragmentShaderSource(const GlShaderKey& key);
