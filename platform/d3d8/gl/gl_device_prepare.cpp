// SPDX-License-Identifier: GPL-3.0-or-later
// The "prepare draw" step of the GL device: sends the dirty groups (vertex input, the fixed GL
// switches of blend, depth and raster, viewport, sampler, the uniform rows of each group), binds the
// texture of stage 0 and picks the program.
#include "platform/d3d8/gl/gl_device.h"

#include "platform/d3d8/gl/gl_buffers.h"
#include "platform/d3d8/gl/gl_shader_source.h"
#include "platform/d3d8/gl/gl_texture.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace {

float FloatOf(DWORD bits) { return std::bit_cast<float>(bits); }

// Row-vector product a × b of two of the platform's matrices.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

// Columns of the mat3 that takes row-vector normals to eye space: the inverse transpose of the upper
// 3 × 3 of world × view. GLSL reads each uploaded column c_j as row j of that matrix, which is
// column j of the plain inverse.
void NormalMatrix(const D3DMATRIX& m, float out[12])
{
    const float a = m._11, b = m._12, c = m._13;
    const float d = m._21, e = m._22, f = m._23;
    const float g = m._31, h = m._32, k = m._33;
    const float cofactor[3][3] = {{e * k - f * h, -(d * k - f * g), d * h - e * g},
                                  {-(b * k - c * h), a * k - c * g, -(a * h - b * g)},
                                  {b * f - c * e, -(a * f - c * d), a * e - b * d}};
    const float determinant = a * cofactor[0][0] + b * cofactor[0][1] + c * cofactor[0][2];
    // A singular matrix leaves normals as they are rather than making them infinite.
    const float scale = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            // inverse[i][j] = cofactor[j][i] / determinant.
            out[4 * j + i] = determinant != 0.0f ? cofactor[j][i] * scale : (i == j ? 1.0f : 0.0f);
        }
        out[4 * j + 3] = 0.0f;
    }
}

void Copy4(float out[4], float x, float y, float z, float w)
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = w;
}

void CopyColor(float out[4], const D3DCOLORVALUE& c) { Copy4(out, c.r, c.g, c.b, c.a); }

} // namespace

// What each dirty group sends, in order. Planes are sent in model space, so they follow the world transform.
const GlDevice::GroupSender GlDevice::groupSenders[] = {
    {DirtyDepth, &GlDevice::ApplyDepth},
    {DirtyRaster, &GlDevice::ApplyRaster},
    {DirtyBlend, &GlDevice::ApplyBlend},
    {DirtyPoint, &GlDevice::FillPointUniforms},
    {DirtyFog, &GlDevice::FillFogUniforms},
    {DirtyConstantColors, &GlDevice::FillConstantColorUniforms},
    {DirtyAlphaTest, &GlDevice::FillAlphaTestUniforms},
    {DirtyViewport, &GlDevice::ApplyViewport},
    {DirtyViewport, &GlDevice::FillViewportUniforms},
    {DirtyTransforms | DirtyLights | DirtyClipPlanes, &GlDevice::FillTransformUniforms},
    {DirtyMaterial, &GlDevice::FillMaterialUniforms},
};

HRESULT GlDevice::PrepareDraw(D3DPRIMITIVETYPE type, const GlVertexLayout& layout, UINT vertexBytesRead)
{
    const DeviceState& state = State();
    DeleteGarbage();
    cache.BindVertexArray(vertexArray);
    auto* vertices = static_cast<GlVertexBuffer*>(state.streamSource);
    if (!vertices->Upload(vertexBytesRead, cache)) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if ((dirty & DirtyVertexInput) || vertices->Name() != inputBuffer || state.vertexShader != inputFvf ||
        state.streamStride != inputStride) {
        ApplyVertexInput(layout);
    }
    auto* texture = static_cast<GlTexture*>(state.textures[0]);
    if (texture != nullptr && !texture->Upload(cache)) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if (texture != nullptr) {
        UseTextureRows((texture->Usage() & D3DUSAGE_RENDERTARGET) != 0);
    }
    // The finest level a stage may read is the texture's base level. Where that leaves one level, the
    // texture samples the same without a mip filter, and the rasteriser skips the level-of-detail work;
    // the sampler is checked against the texture on every draw.
    const bool singleLevel =
        texture != nullptr &&
        texture->UseFinestLevel(cache, state.textureStageStates[0][D3DTSS_MAXMIPLEVEL]) + 1 == texture->GetLevelCount();
    if ((dirty & DirtyTextureStage) || singleLevel != samplerSingleLevel) {
        ApplySampler(singleLevel);
    }
    const bool depthOn = state.renderStates[D3DRS_ZENABLE] != D3DZB_FALSE && DepthBufferBound();
    if (depthOn && depthClearPending && !DepthTestPassesEverywhere()) {
        DoPendingDepthClear();
    }
    if (depthAllFar && depthOn && state.renderStates[D3DRS_ZWRITEENABLE] != FALSE) {
        depthAllFar = false;
        dirty |= DirtyDepth;
    }
    // Each group re-derives only what it feeds: a point size touches one uniform row.
    for (const GroupSender& sender : groupSenders) {
        if (dirty & sender.groups) {
            (this->*sender.send)();
        }
    }
    UploadUniforms();
    dirty = 0;
    const GlShaderKey key = ShaderKeyFor(state, layout, type, texture != nullptr);
    const GLuint program = programs.ProgramFor(key, cache);
    if (program == 0) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    for (int plane = 0; plane < DeviceClipPlaneCount; ++plane) {
        cache.Enable(static_cast<GlStateCache::Switch>(GlStateCache::SwitchClipPlane0 + plane),
                     (key.clipPlanes >> plane) & 1u);
    }
    cache.UseProgram(program);
    return D3D_OK;
}

void GlDevice::ApplyVertexInput(const GlVertexLayout& layout)
{
    const DeviceState& state = State();
    const auto* vertices = static_cast<const GlVertexBuffer*>(state.streamSource);
    cache.BindArrayBuffer(vertices->Name());
    const auto stride = static_cast<GLsizei>(state.streamStride);
    struct Part {
        int offset;
        GLint size;
        GLenum type;
        GLboolean normalized;
    };
    const Part parts[GlAttribCount] = {
        {layout.position, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE},
        {layout.normal, 3, GL_FLOAT, GL_FALSE},
        {layout.pointSize, 1, GL_FLOAT, GL_FALSE},
        // D3DCOLOR is B, G, R, A in memory: GL reads that order directly.
        {layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE},
        {layout.texCoords, 2, GL_FLOAT, GL_FALSE},
    };
    for (GLuint i = 0; i < GlAttribCount; ++i) {
        const Part& part = parts[i];
        const bool present = part.offset >= 0;
        if (present != attribEnabled[i]) {
            if (present) {
                FW_GL(cache, gl::EnableVertexAttribArray(i));
            } else {
                FW_GL(cache, gl::DisableVertexAttribArray(i));
            }
            attribEnabled[i] = present;
        }
        if (present) {
            const auto* offset = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(part.offset));
            FW_GL(cache, gl::VertexAttribPointer(i, part.size, part.type, part.normalized, stride, offset));
        }
    }
    inputBuffer = vertices->Name();
    inputFvf = state.vertexShader;
    inputStride = state.streamStride;
}

bool GlDevice::DepthTestPassesEverywhere() const
{
    // Fragments lie within the depth range, at most the far plane: at or nearer than it they all pass.
    const DWORD* rs = State().renderStates;
    return depthAllFar && rs[D3DRS_ZWRITEENABLE] == FALSE &&
           (rs[D3DRS_ZFUNC] == D3DCMP_LESSEQUAL || rs[D3DRS_ZFUNC] == D3DCMP_ALWAYS);
}

void GlDevice::ApplyDepth()
{
    const DWORD* rs = State().renderStates;
    const bool depth = rs[D3DRS_ZENABLE] != D3DZB_FALSE && DepthBufferBound();
    cache.Enable(GlStateCache::SwitchDepthTest, depth && !DepthTestPassesEverywhere());
    cache.DepthFunc(GlCompareFunc(rs[D3DRS_ZFUNC]));
    // Without a depth test GL writes no depth either, as the platform does.
    cache.DepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE);
}

void GlDevice::ApplyRaster()
{
    const DWORD* rs = State().renderStates;
    // GL's front faces stay counter-clockwise: CCW culling culls them, CW culling the back ones.
    const DWORD cull = rs[D3DRS_CULLMODE];
    cache.Enable(GlStateCache::SwitchCullFace, cull == D3DCULL_CW || cull == D3DCULL_CCW);
    cache.CullFace(cull == D3DCULL_CCW ? GL_FRONT : GL_BACK);
    const DWORD fill = rs[D3DRS_FILLMODE];
    cache.PolygonMode(fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
    // Clears and presents scissor; draws never do.
    cache.Enable(GlStateCache::SwitchScissorTest, false);
}

void GlDevice::ApplyBlend()
{
    const DWORD* rs = State().renderStates;
    cache.Enable(GlStateCache::SwitchBlend, rs[D3DRS_ALPHABLENDENABLE] != FALSE);
    cache.BlendFunc(GlBlendFactor(rs[D3DRS_SRCBLEND]), GlBlendFactor(rs[D3DRS_DESTBLEND]));
    cache.BlendEquation(GlBlendEquation(rs[D3DRS_BLENDOP]));
    cache.ColorMask(rs[D3DRS_COLORWRITEENABLE]);
}

void GlDevice::ApplyViewport()
{
    const D3DVIEWPORT8& vp = State().viewport;
    // The back buffer fills the offscreen target, and GL counts rows from the bottom.
    const auto y = static_cast<GLint>(drawableHeight - static_cast<int>(vp.Y + vp.Height));
    cache.Viewport(static_cast<GLint>(vp.X), y, static_cast<GLsizei>(vp.Width), static_cast<GLsizei>(vp.Height));
    cache.DepthRange(vp.MinZ, vp.MaxZ);
}

void GlDevice::ApplySampler(bool singleLevel)
{
    const DWORD* stage = State().textureStageStates[0];
    samplerSingleLevel = singleLevel;
    const DWORD mipFilter = singleLevel ? static_cast<DWORD>(D3DTEXF_NONE) : stage[D3DTSS_MIPFILTER];
    const GLint wanted[5] = {GlMinFilter(stage[D3DTSS_MINFILTER], mipFilter),
                             GlMagFilter(stage[D3DTSS_MAGFILTER]), GlAddressMode(stage[D3DTSS_ADDRESSU]),
                             GlAddressMode(stage[D3DTSS_ADDRESSV]), static_cast<GLint>(stage[D3DTSS_BORDERCOLOR])};
    const GLenum names[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
    for (int i = 0; i < 4; ++i) {
        if (samplerState[i] != wanted[i]) {
            samplerState[i] = wanted[i];
            FW_GL(cache, gl::SamplerParameteri(sampler, names[i], wanted[i]));
        }
    }
    if (samplerState[4] != wanted[4]) {
        samplerState[4] = wanted[4];
        float border[4];
        UnpackColor(stage[D3DTSS_BORDERCOLOR], border);
        FW_GL(cache, gl::SamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border));
    }
}

void GlDevice::FillTransformUniforms()
{
    const DeviceState& state = State();
    const D3DMATRIX& view = state.transforms[TransformSlot(D3DTS_VIEW)];
    const D3DMATRIX worldView = Multiply(state.transforms[TransformSlot(D3DTS_WORLD)], view);
    std::memcpy(uniforms.worldView, worldView.m, sizeof uniforms.worldView);
    std::memcpy(uniforms.projection, state.transforms[TransformSlot(D3DTS_PROJECTION)].m,
                sizeof uniforms.projection);
    NormalMatrix(worldView, uniforms.normalMatrix);
    // Lights live in world space; the shader works in eye space.
    int count = 0;
    for (int i = 0; i < DeviceLightCount && count < GlMaxLights; ++i) {
        if (!state.lightEnabled[i]) {
            continue;
        }
        const D3DLIGHT8& light = state.lights[i];
        const D3DVECTOR& p = light.Position;
        const D3DVECTOR& d = light.Direction;
        const bool directional = light.Type == D3DLIGHT_DIRECTIONAL;
        Copy4(uniforms.lightPosition[count], p.x * view._11 + p.y * view._21 + p.z * view._31 + view._41,
              p.x * view._12 + p.y * view._22 + p.z * view._32 + view._42,
              p.x * view._13 + p.y * view._23 + p.z * view._33 + view._43, directional ? 0.0f : 1.0f);
        Copy4(uniforms.lightDirection[count], d.x * view._11 + d.y * view._21 + d.z * view._31,
              d.x * view._12 + d.y * view._22 + d.z * view._32, d.x * view._13 + d.y * view._23 + d.z * view._33,
              0.0f);
        CopyColor(uniforms.lightDiffuse[count], light.Diffuse);
        CopyColor(uniforms.lightAmbient[count], light.Ambient);
        Copy4(uniforms.lightAttenuation[count], light.Attenuation0, light.Attenuation1, light.Attenuation2,
              light.Range);
        ++count;
    }
    uniforms.lightCount[0] = count;
    // World-space planes met in model space: a x_world = (a W) x_model, with W's rows.
    const D3DMATRIX& world = state.transforms[TransformSlot(D3DTS_WORLD)];
    for (int i = 0; i < DeviceClipPlaneCount; ++i) {
        const float* p = state.clipPlanes[i].abcd;
        for (int row = 0; row < 4; ++row) {
            uniforms.clipPlane[i][row] =
                world.m[row][0] * p[0] + world.m[row][1] * p[1] + world.m[row][2] * p[2] + world.m[row][3] * p[3];
        }
    }
    NoteUniforms(uniforms.worldView, offsetof(GlFixedUniforms, viewport));
    NoteUniforms(uniforms.lightCount, sizeof(GlFixedUniforms) - offsetof(GlFixedUniforms, lightCount));
}

void GlDevice::FillPointUniforms()
{
    const DWORD* rs = State().renderStates;
    float largest = FloatOf(rs[D3DRS_POINTSIZE_MAX]);
    largest = largest < largestPointSize ? largest : largestPointSize;
    Copy4(uniforms.pointParams, FloatOf(rs[D3DRS_POINTSIZE]), FloatOf(rs[D3DRS_POINTSIZE_MIN]), largest, 0.0f);
    Copy4(uniforms.pointScale, FloatOf(rs[D3DRS_POINTSCALE_A]), FloatOf(rs[D3DRS_POINTSCALE_B]),
          FloatOf(rs[D3DRS_POINTSCALE_C]), 0.0f);
    NoteUniforms(uniforms.pointParams, sizeof uniforms.pointParams + sizeof uniforms.pointScale);
}

void GlDevice::FillFogUniforms()
{
    const DWORD* rs = State().renderStates;
    Copy4(uniforms.fogParams, FloatOf(rs[D3DRS_FOGSTART]), FloatOf(rs[D3DRS_FOGEND]), FloatOf(rs[D3DRS_FOGDENSITY]),
          0.0f);
    UnpackColor(rs[D3DRS_FOGCOLOR], uniforms.fogColor);
    NoteUniforms(uniforms.fogParams, sizeof uniforms.fogParams + sizeof uniforms.fogColor);
}

void GlDevice::FillConstantColorUniforms()
{
    const DWORD* rs = State().renderStates;
    UnpackColor(rs[D3DRS_TEXTUREFACTOR], uniforms.textureFactor);
    UnpackColor(rs[D3DRS_AMBIENT], uniforms.globalAmbient);
    NoteUniforms(uniforms.textureFactor, sizeof uniforms.textureFactor + sizeof uniforms.globalAmbient);
}

void GlDevice::FillAlphaTestUniforms()
{
    Copy4(uniforms.alphaRef, static_cast<float>(State().renderStates[D3DRS_ALPHAREF] & 0xFF), 0.0f, 0.0f, 0.0f);
    NoteUniforms(uniforms.alphaRef, sizeof uniforms.alphaRef);
}

void GlDevice::FillMaterialUniforms()
{
    const D3DMATERIAL8& material = State().material;
    CopyColor(uniforms.materialDiffuse, material.Diffuse);
    CopyColor(uniforms.materialAmbient, material.Ambient);
    CopyColor(uniforms.materialEmissive, material.Emissive);
    NoteUniforms(uniforms.materialDiffuse, 3 * sizeof uniforms.materialDiffuse);
}

void GlDevice::FillViewportUniforms()
{
    const D3DVIEWPORT8& vp = State().viewport;
    const float width = vp.Width > 0 ? static_cast<float>(vp.Width) : 1.0f;
    const float height = vp.Height > 0 ? static_cast<float>(vp.Height) : 1.0f;
    Copy4(uniforms.viewport, width, height, 1.0f / width, 1.0f / height);
    NoteUniforms(uniforms.viewport, sizeof uniforms.viewport);
}

void GlDevice::NoteUniforms(const void* first, size_t bytes)
{
    const size_t begin = static_cast<const BYTE*>(first) - reinterpret_cast<const BYTE*>(&uniforms);
    const size_t end = begin + bytes;
    if (uniformsDirtyBegin == uniformsDirtyEnd) {
        uniformsDirtyBegin = begin;
        uniformsDirtyEnd = end;
        return;
    }
    uniformsDirtyBegin = begin < uniformsDirtyBegin ? begin : uniformsDirtyBegin;
    uniformsDirtyEnd = end > uniformsDirtyEnd ? end : uniformsDirtyEnd;
}

void GlDevice::UploadUniforms()
{
    size_t begin = uniformsDirtyBegin;
    size_t end = uniformsDirtyEnd;
    uniformsDirtyBegin = uniformsDirtyEnd = 0;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&uniforms);
    BYTE* sent = reinterpret_cast<BYTE*>(&sentUniforms);
    // A refilled group often holds what GL has already (the lights when only the world moved).
    if (uniformsSent) {
        while (begin < end && bytes[begin] == sent[begin]) {
            ++begin;
        }
        while (end > begin && bytes[end - 1] == sent[end - 1]) {
            --end;
        }
    }
    if (begin == end) {
        return;
    }
    if (!uniformsSent) {
        // The buffer starts undefined: the first upload sends the whole block.
        begin = 0;
        end = sizeof(GlFixedUniforms);
        uniformsSent = true;
    }
    cache.BindUniformBuffer(uniformBuffer);
    FW_GL(cache, gl::BufferSubData(GL_UNIFORM_BUFFER, static_cast<GLintptr>(begin),
                                  static_cast<GLsizeiptr>(end - begin), bytes + begin));
    cache.Stats().uploadedBytes += end - begin;
    std::memcpy(sent + begin, bytes + begin, end - begin);
}
