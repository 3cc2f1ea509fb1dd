// SPDX-License-Identifier: GPL-3.0-or-later
// Generation of the fixed-function shaders. Conventions emulated here: row vectors (the platform's
// matrices are uploaded as they are, which GLSL reads transposed), clip z in 0..w, pixel centres at
// integer coordinates, clockwise front faces (handled by the device), per-vertex lighting.
#include "platform/d3d8/gl/gl_shader_source.h"

namespace {

const char* const UniformBlock = R"(
layout(std140) uniform FixedFunction {
    mat4 worldView;
    mat4 projection;
    mat3 normalMatrix;
    vec4 viewport;
    vec4 pointParams;
    vec4 pointScale;
    vec4 fogParams;
    vec4 fogColor;
    vec4 textureFactor;
    vec4 globalAmbient;
    vec4 materialDiffuse;
    vec4 materialAmbient;
    vec4 materialEmissive;
    vec4 alphaRef;
    ivec4 lightCount;
    vec4 lightPosition[8];
    vec4 lightDirection[8];
    vec4 lightDiffuse[8];
    vec4 lightAmbient[8];
    vec4 lightAttenuation[8];
    vec4 clipPlane[6];
    vec4 textureRows;
};
)";

// An argument of stage 0 as a GLSL expression; CURRENT at stage 0 is the diffuse colour.
std::string Argument(std::uint8_t arg)
{
    std::string value;
    switch (arg & 7) {
    case D3DTA_TEXTURE: value = "texel"; break;
    case D3DTA_TFACTOR: value = "textureFactor"; break;
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT:
    default: value = "diffuse"; break;
    }
    if (arg & 16) value = "(" + value + ").aaaa";
    if (arg & 8) value = "(vec4(1.0) - " + value + ")";
    return value;
}

std::string Operation(std::uint8_t op, std::uint8_t arg1, std::uint8_t arg2)
{
    const std::string a = Argument(arg1);
    const std::string b = Argument(arg2);
    switch (op) {
    case D3DTOP_SELECTARG1: return a;
    case D3DTOP_SELECTARG2: return b;
    case D3DTOP_MODULATE2X: return "clamp(" + a + " * " + b + " * 2.0, 0.0, 1.0)";
    case D3DTOP_MODULATE4X: return "clamp(" + a + " * " + b + " * 4.0, 0.0, 1.0)";
    case D3DTOP_ADD: return "clamp(" + a + " + " + b + ", 0.0, 1.0)";
    case D3DTOP_MODULATE:
    default: return a + " * " + b;
    }
}

const char* Comparison(std::uint8_t func)
{
    switch (func) {
    case D3DCMP_NEVER: return "false";
    case D3DCMP_LESS: return "a < ref";
    case D3DCMP_EQUAL: return "a == ref";
    case D3DCMP_LESSEQUAL: return "a <= ref";
    case D3DCMP_GREATER: return "a > ref";
    case D3DCMP_NOTEQUAL: return "a != ref";
    case D3DCMP_GREATEREQUAL: return "a >= ref";
    default: return "true";
    }
}

} // namespace

std::string VertexShaderSource(const GlShaderKey& key)
{
    std::string s = "#version 330 core\n";
    s += UniformBlock;
    const std::string flat = key.flat ? "flat " : "";
    s += "layout(location = 0) in vec4 inPosition;\n"
         "layout(location = 1) in vec3 inNormal;\n"
         "layout(location = 2) in float inPointSize;\n"
         "layout(location = 3) in vec4 inDiffuse;\n"
         "layout(location = 4) in vec2 inTexCoord;\n";
    s += flat + "out vec4 vDiffuse;\n";
    // vFog: eye depth, or for linear fog its factor before clamping, which is affine in the eye position
    // and so interpolates to the same value as the factor of each pixel's own depth.
    s += "out vec2 vTexCoord;\nout float vFog;\n";
    if (key.clipPlanes != 0) {
        s += "out float gl_ClipDistance[6];\n";
    }
    s += "void main() {\n";
    for (int plane = 0; plane < DeviceClipPlaneCount; ++plane) {
        if ((key.clipPlanes >> plane) & 1u) {
            const std::string i = std::to_string(plane);
            s += "    gl_ClipDistance[" + i + "] = dot(vec4(inPosition.xyz, 1.0), clipPlane[" + i + "]);\n";
        }
    }
    if (key.pretransformed) {
        // Pixels from the viewport's top-left with centres on integers; rhw gives back w for
        // perspective-correct interpolation.
        s += "    float w = inPosition.w > 0.0 ? 1.0 / inPosition.w : 1.0;\n"
             "    vec2 ndc = vec2((inPosition.x + 0.5) * 2.0 * viewport.z - 1.0,\n"
             "                    1.0 - (inPosition.y + 0.5) * 2.0 * viewport.w);\n"
             "    gl_Position = vec4(ndc * w, (2.0 * inPosition.z - 1.0) * w, w);\n"
             "    vec4 eye = vec4(0.0, 0.0, 0.0, 1.0);\n"
             "    vFog = 0.0;\n";
    } else {
        s += "    vec4 eye = worldView * vec4(inPosition.xyz, 1.0);\n"
             "    vec4 clip = projection * eye;\n"
             "    clip.z = 2.0 * clip.z - clip.w;\n"
             // Half a pixel right and down: the platform's pixel centres sit on integer coordinates.
             "    clip.xy += vec2(viewport.z, -viewport.w) * clip.w;\n"
             "    gl_Position = clip;\n";
        if (key.fogMode == D3DFOG_LINEAR) {
            // No range: a step at the end, kept through interpolation by the steep slope.
            s += "    float range = fogParams.y - fogParams.x;\n"
                 "    vFog = range != 0.0 ? (fogParams.y - eye.z) / range : (fogParams.y - eye.z) * 1.0e20;\n";
        } else {
            s += "    vFog = eye.z;\n";
        }
    }
    s += key.hasDiffuse ? "    vec4 vertexColor = inDiffuse;\n" : "    vec4 vertexColor = vec4(1.0);\n";
    if (key.lighting) {
        s += key.diffuseFromVertex ? "    vec4 kd = vertexColor;\n" : "    vec4 kd = materialDiffuse;\n";
        s += key.hasNormal ? "    vec3 n = normalize(normalMatrix * inNormal);\n" : "";
        s += "    vec3 ambient = globalAmbient.rgb;\n"
             "    vec3 diffuseSum = vec3(0.0);\n"
             "    for (int i = 0; i < lightCount.x; ++i) {\n"
             "        vec3 toLight;\n"
             "        float att = 1.0;\n"
             "        if (lightPosition[i].w != 0.0) {\n"
             "            vec3 d = lightPosition[i].xyz - eye.xyz;\n"
             "            float dist = length(d);\n"
             "            toLight = dist > 0.0 ? d / dist : vec3(0.0, 0.0, 1.0);\n"
             "            vec4 a = lightAttenuation[i];\n"
             "            float denominator = a.x + a.y * dist + a.z * dist * dist;\n"
             "            att = dist <= a.w ? 1.0 / max(denominator, 1e-6) : 0.0;\n"
             "        } else {\n"
             "            toLight = -normalize(lightDirection[i].xyz);\n"
             "        }\n"
             "        ambient += lightAmbient[i].rgb * att;\n";
        if (key.hasNormal) {
            s += "        diffuseSum += lightDiffuse[i].rgb * max(dot(n, toLight), 0.0) * att;\n";
        }
        s += "    }\n"
             "    vec3 lit = materialEmissive.rgb + materialAmbient.rgb * ambient + kd.rgb * diffuseSum;\n"
             "    vDiffuse = vec4(clamp(lit, 0.0, 1.0), clamp(kd.a, 0.0, 1.0));\n";
    } else {
        s += "    vDiffuse = vertexColor;\n";
    }
    s += key.hasTexCoord ? "    vTexCoord = inTexCoord;\n" : "    vTexCoord = vec2(0.0);\n";
    if (key.points) {
        s += key.hasPointSize ? "    float size = inPointSize;\n" : "    float size = pointParams.x;\n";
        if (key.pointScale) {
            s += "    float d = length(eye.xyz);\n"
                 "    float scale = pointScale.x + pointScale.y * d + pointScale.z * d * d;\n"
                 "    size = viewport.y * size * sqrt(1.0 / max(scale, 1e-12));\n";
        }
        s += "    gl_PointSize = clamp(size, pointParams.y, pointParams.z);\n";
    }
    s += "}\n";
    return s;
}

std::string FragmentShaderSource(const GlShaderKey& key)
{
    std::string s = "#version 330 core\n";
    s += UniformBlock;
    const std::string flat = key.flat ? "flat " : "";
    s += flat + "in vec4 vDiffuse;\n";
    s += "in vec2 vTexCoord;\nin float vFog;\n"
         "uniform sampler2D texture0;\n"
         "layout(location = 0) out vec4 fragColor;\n"
         "void main() {\n"
         "    vec4 diffuse = vDiffuse;\n";
    s += key.pointSprite ? "    vec2 uv = gl_PointCoord;\n" : "    vec2 uv = vTexCoord;\n";
    // An unbound texture reads as opaque white.
    s += key.textureBound ? "    vec4 texel = texture(texture0, vec2(uv.x, uv.y * textureRows.x + textureRows.y));\n"
                          : "    vec4 texel = vec4(1.0);\n";
    if (key.colorOp == D3DTOP_DISABLE) {
        s += "    vec4 color = diffuse;\n";
    } else {
        s += "    vec4 color;\n";
        s += "    color.rgb = (" + Operation(key.colorOp, key.colorArg1, key.colorArg2) + ").rgb;\n";
        if (key.alphaOp == D3DTOP_DISABLE) {
            s += "    color.a = diffuse.a;\n";
        } else {
            s += "    color.a = (" + Operation(key.alphaOp, key.alphaArg1, key.alphaArg2) + ").a;\n";
        }
    }
    if (key.alphaFunc != 0) {
        // Compared as the 8-bit values the platform compares.
        s += "    float a = floor(clamp(color.a, 0.0, 1.0) * 255.0 + 0.5);\n"
             "    float ref = alphaRef.x;\n";
        s += std::string("    if (!(") + Comparison(key.alphaFunc) + ")) discard;\n";
    }
    if (key.fogMode == D3DFOG_LINEAR) {
        s += "    float f = clamp(vFog, 0.0, 1.0);\n";
    } else if (key.fogMode == D3DFOG_EXP) {
        s += "    float f = clamp(exp(-fogParams.z * vFog), 0.0, 1.0);\n";
    } else if (key.fogMode == D3DFOG_EXP2) {
        s += "    float f = clamp(exp(-(fogParams.z * vFog) * (fogParams.z * vFog)), 0.0, 1.0);\n";
    }
    if (key.fogMode != D3DFOG_NONE) {
        s += "    color.rgb = mix(fogColor.rgb, color.rgb, f);\n";
    }
    s += "    fragColor = color;\n}\n";
    return s;
}
