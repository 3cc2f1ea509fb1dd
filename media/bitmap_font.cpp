// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap font: rasterising the glyph atlas through GDI, the buffers and state blocks it
// draws with, and turning strings into batches of glyph quads.
#include "media/bitmap_font.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/gdi.h"

namespace {

constexpr int FirstCode = 32;
constexpr int LastCode = 126;
constexpr int GlyphCount = LastCode - FirstCode + 1;

// Shrinking rounds when the glyphs do not fit the atlas at the requested size.
constexpr int MaxFitAttempts = 8;

DWORD AtlasSide(DWORD heightPoints)
{
    if (heightPoints > 40) {
        return 1024;
    }
    return heightPoints > 20 ? 512 : 256;
}

// The GDI objects of one atlas build, deleted in an order GDI accepts: the DC before what it holds.
struct AtlasCanvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    const BYTE* bits = nullptr;

    AtlasCanvas() = default;
    AtlasCanvas(const AtlasCanvas&) = delete;
    AtlasCanvas& operator=(const AtlasCanvas&) = delete;
    ~AtlasCanvas()
    {
        if (dc != nullptr) {
            DeleteDC(dc);
        }
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        if (font != nullptr) {
            DeleteObject(font);
        }
    }
};

// Where one glyph's cell sits in the atlas, in texels.
struct GlyphCell {
    int x;
    int y;
    int width;
    int height;
};

bool CreateCanvas(AtlasCanvas& canvas, int side)
{
    canvas.dc = CreateCompatibleDC(nullptr);
    if (canvas.dc == nullptr) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    canvas.bitmap = CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (canvas.bitmap == nullptr) {
        return false;
    }
    canvas.bits = static_cast<const BYTE*>(bits);
    SelectObject(canvas.dc, canvas.bitmap);
    SetMapMode(canvas.dc, MM_TEXT);
    return true;
}

// Makes and selects the font at the given scale, replacing any earlier one.
bool SelectAtlasFont(AtlasCanvas& canvas, const BitmapFont& font, float scale)
{
    const int dotsPerInch = static_cast<int>(static_cast<float>(GetDeviceCaps(canvas.dc, LOGPIXELSY)) * scale);
    const int points = static_cast<int>(std::min<DWORD>(font.heightPoints, 0x7FFFFFFF));
    // At least one pixel: height 0 would ask for the platform's default size instead.
    const int pixels = std::max(1, MulDiv(points, dotsPerInch, 72));
    HFONT created = CreateFontA(-pixels, 0, 0, 0, (font.flags & BitmapFontBold) ? FW_BOLD : FW_NORMAL,
                                (font.flags & BitmapFontItalic) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH,
                                font.faceName);
    if (created == nullptr) {
        return false;
    }
    SelectObject(canvas.dc, created);
    if (canvas.font != nullptr) {
        DeleteObject(canvas.font);
    }
    canvas.font = created;
    return true;
}

// Lays the glyphs out in rows, left to right, one texel apart. Returns the height the rows need,
// or side + 1 when a glyph cannot be measured or is wider than the atlas.
int LayOutGlyphs(HDC dc, int side, GlyphCell (&cells)[GlyphCount])
{
    int x = 0;
    int y = 0;
    int needed = 0;
    for (int i = 0; i < GlyphCount; ++i) {
        const char character = static_cast<char>(FirstCode + i);
        SIZE size{};
        if (!GetTextExtentPoint32A(dc, &character, 1, &size) || size.cx + 1 > side) {
            return side + 1;
        }
        if (x + size.cx + 1 > side) {
            x = 0;
            y += size.cy + 1;
        }
        cells[i] = {x, y, size.cx, size.cy};
        needed = std::max(needed, y + size.cy);
        x += size.cx + 1;
    }
    return needed;
}

// White texels with the top four bits of the coverage (the DIB's blue byte) as alpha.
void CopyCoverage(const BYTE* bits, int side, const D3DLOCKED_RECT& locked)
{
    for (int y = 0; y < side; ++y) {
        auto* row = static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch);
        const BYTE* pixels = bits + static_cast<size_t>(y) * static_cast<size_t>(side) * 4;
        for (int x = 0; x < side; ++x) {
            const WORD alpha = static_cast<WORD>(pixels[x * 4] >> 4);
            const WORD texel = alpha > 0 ? static_cast<WORD>((alpha << 12) | 0x0FFF) : WORD{0};
            std::memcpy(row + x * 2, &texel, sizeof(texel));
        }
    }
}

} // namespace

BitmapFont::BitmapFont(const char* faceName_, DWORD heightPoints_, DWORD flags_)
    : faceName{}, heightPoints(heightPoints_), flags(flags_), device(nullptr), texture(nullptr),
      vertexBuffer(nullptr), texWidth(0), texHeight(0), textScale(1.0f), texCoords{}, savedState(0), drawState(0)
{
    if (faceName_ != nullptr) {
        std::strncpy(faceName, faceName_, sizeof(faceName) - 1);
    }
}

HRESULT BitmapFont::BuildAtlas(IDirect3DDevice8* newDevice)
{
    if (newDevice == nullptr) {
        return E_INVALIDARG;
    }
    // A second build starts from nothing, so no texture or state block of the first is lost.
    ReleaseAtlas();

    textScale = 1.0f;
    DWORD side = AtlasSide(heightPoints);
    D3DCAPS8 caps{};
    if (SUCCEEDED(newDevice->GetDeviceCaps(&caps))) {
        // The atlas is square, so the smaller limit holds for both sides.
        const DWORD largest = std::min(caps.MaxTextureWidth, caps.MaxTextureHeight);
        if (largest > 0 && largest < side) {
            textScale = static_cast<float>(largest) / static_cast<float>(side);
            side = largest;
        }
    }
    texWidth = side;
    texHeight = side;

    HRESULT hr = newDevice->CreateTexture(side, side, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture);
    if (FAILED(hr)) {
        texture = nullptr;
        return hr;
    }

    const int sideTexels = static_cast<int>(side);
    AtlasCanvas canvas;
    GlyphCell cells[GlyphCount]{};
    bool fits = false;
    if (CreateCanvas(canvas, sideTexels)) {
        // Fonts too large for the atlas are rasterised smaller and drawn scaled up, as on a small device.
        for (int attempt = 0; attempt < MaxFitAttempts && !fits; ++attempt) {
            if (!SelectAtlasFont(canvas, *this, textScale)) {
                break;
            }
            const int needed = LayOutGlyphs(canvas.dc, sideTexels, cells);
            fits = needed <= sideTexels;
            if (!fits) {
                textScale *= 0.95f * std::sqrt(static_cast<float>(sideTexels) / static_cast<float>(needed));
            }
        }
    }
    if (!fits) {
        ReleaseAtlas();
        return E_FAIL;
    }

    SetTextColor(canvas.dc, RGB(255, 255, 255));
    SetBkColor(canvas.dc, RGB(0, 0, 0));
    SetTextAlign(canvas.dc, TA_LEFT | TA_TOP);
    const float width = static_cast<float>(side);
    const float height = static_cast<float>(side);
    for (int i = 0; i < GlyphCount; ++i) {
        const char character = static_cast<char>(FirstCode + i);
        const GlyphCell& cell = cells[i];
        ExtTextOutA(canvas.dc, cell.x, cell.y, ETO_OPAQUE, nullptr, &character, 1, nullptr);
        texCoords[i][0] = static_cast<float>(cell.x) / width;
        texCoords[i][1] = static_cast<float>(cell.y) / height;
        texCoords[i][2] = static_cast<float>(cell.x + cell.width) / width;
        texCoords[i][3] = static_cast<float>(cell.y + cell.height) / height;
    }

    D3DLOCKED_RECT locked{};
    hr = texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        ReleaseAtlas();
        return hr;
    }
    CopyCoverage(canvas.bits, sideTexels, locked);
    texture->UnlockRect(0);
    device = newDevice;
    return S_OK;
}

HRESULT BitmapFont::RecordDrawingState(DWORD* token)
{
    HRESULT hr = device->BeginStateBlock();
    if (FAILED(hr)) {
        return hr;
    }
    device->SetTexture(0, texture);
    // The shaders and the stream are part of the block too, so the saved block restores the caller's.
    device->SetVertexShader(FontVertexFVF);
    device->SetPixelShader(0);
    device->SetStreamSource(0, vertexBuffer, sizeof(FontVertex));

    device->SetRenderState(D3DRS_ZENABLE, (flags & BitmapFontDepthTest) ? TRUE : FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 0x08);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_CLIPPING, TRUE);
    device->SetRenderState(D3DRS_EDGEANTIALIAS, FALSE);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);

    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

    hr = device->EndStateBlock(token);
    if (FAILED(hr)) {
        *token = 0;
    }
    return hr;
}

HRESULT BitmapFont::RestoreBuffers()
{
    if (device == nullptr || texture == nullptr) {
        return E_FAIL;
    }
    ReleaseBuffers();
    HRESULT hr = device->CreateVertexBuffer(FontBufferVertices * sizeof(FontVertex),
                                            D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT,
                                            &vertexBuffer);
    if (FAILED(hr)) {
        vertexBuffer = nullptr;
        return hr;
    }
    hr = RecordDrawingState(&savedState);
    if (SUCCEEDED(hr)) {
        hr = RecordDrawingState(&drawState);
    }
    if (FAILED(hr)) {
        ReleaseBuffers();
    }
    return hr;
}

HRESULT BitmapFont::ReleaseBuffers()
{
    // The blocks go first: they hold references to the vertex buffer, which must be gone before a reset.
    if (device != nullptr) {
        if (savedState != 0) {
            device->DeleteStateBlock(savedState);
        }
        if (drawState != 0) {
            device->DeleteStateBlock(drawState);
        }
    }
    savedState = 0;
    drawState = 0;
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    return S_OK;
}

HRESULT BitmapFont::ReleaseAtlas()
{
    ReleaseBuffers();
    if (texture != nullptr) {
        texture->Release();
        texture = nullptr;
    }
    device = nullptr;
    return S_OK;
}

HRESULT BitmapFont::DrawString(float x, float y, D3DCOLOR color, const char* text, DWORD drawFlags)
{
    if (device == nullptr || vertexBuffer == nullptr || savedState == 0 || drawState == 0) {
        return E_FAIL;
    }
    if (text == nullptr) {
        return E_INVALIDARG;
    }
    // Nothing is drawn unless the caller's state is safely kept first.
    HRESULT hr = device->CaptureStateBlock(savedState);
    if (SUCCEEDED(hr)) {
        hr = device->ApplyStateBlock(drawState);
    }
    if (FAILED(hr)) {
        return hr;
    }
    if (drawFlags & BitmapFontFiltered) {
        device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    }
    hr = EmitGlyphs(x, y, color, text);
    device->ApplyStateBlock(savedState);
    return hr;
}

HRESULT BitmapFont::EmitGlyphs(float x, float y, D3DCOLOR color, const char* text)
{
    BYTE* data = nullptr;
    HRESULT hr = vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD);
    if (FAILED(hr)) {
        return hr;
    }
    HRESULT result = S_OK;
    UINT triangles = 0;
    const float startX = x;
    // One line is as tall as the space glyph is drawn.
    const float lineHeight = (texCoords[0][3] - texCoords[0][1]) * static_cast<float>(texHeight) / textScale;
    for (const char* at = text; *at != '\0'; ++at) {
        const int code = static_cast<unsigned char>(*at);
        if (code == '\n') {
            x = startX;
            y += lineHeight;
            continue;
        }
        // Control characters, DEL (which has no glyph) and bytes from 128 on draw nothing.
        if (code < FirstCode || code > LastCode) {
            continue;
        }
        const float* coords = texCoords[code - FirstCode];
        const float left = coords[0];
        const float top = coords[1];
        const float right = coords[2];
        const float bottom = coords[3];
        const float w = (right - left) * static_cast<float>(texWidth) / textScale;
        const float h = (bottom - top) * static_cast<float>(texHeight) / textScale;
        if (code != ' ') {
            // Half a pixel up and left puts texel centres on pixel centres.
            const float x0 = x - 0.5f;
            const float y0 = y - 0.5f;
            const float x1 = x + w - 0.5f;
            const float y1 = y + h - 0.5f;
            const FontVertex quad[6] = {
                {x0, y1, 0.9f, 1.0f, color, left, bottom}, {x0, y0, 0.9f, 1.0f, color, left, top},
                {x1, y1, 0.9f, 1.0f, color, right, bottom}, {x1, y0, 0.9f, 1.0f, color, right, top},
                {x1, y1, 0.9f, 1.0f, color, right, bottom}, {x0, y0, 0.9f, 1.0f, color, left, top},
            };
            std::memcpy(data + static_cast<size_t>(triangles) * 3 * sizeof(FontVertex), quad, sizeof(quad));
            triangles += 2;
            if (triangles * 3 > FontFlushVertices) {
                vertexBuffer->Unlock();
                hr = device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
                if (FAILED(hr) && SUCCEEDED(result)) {
                    result = hr;
                }
                triangles = 0;
                hr = vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD);
                if (FAILED(hr)) {
                    return hr;
                }
            }
        }
        x += w;
    }
    vertexBuffer->Unlock();
    if (triangles > 0) {
        hr = device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
        if (FAILED(hr) && SUCCEEDED(result)) {
            result = hr;
        }
    }
    return result;
}
