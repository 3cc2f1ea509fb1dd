// SPDX-License-Identifier: GPL-3.0-or-later
// The report walks the file with the DirectX file interface in file order, builds every mesh as the scene
// loader does (load into system memory, then optimise) on a device that draws nothing, and finally asks
// the scene loader itself whether the file loads.
#include "tools/xinfo/scene_report.h"

#include "d3dx/com_hold.h"
#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"
#include "d3dx/d3dx_texture.h"
#include "media/d3d_file.h"
#include "media/media_failure.h"
#include "media/media_lookup.h"
#include "platform/d3d8/device_front.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/read_failure.h"
#include "tools/xinfo/result_text.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* ProgramName = "fireworks-xinfo";

struct Report {
    IDirect3DDevice8* device;
    std::FILE* out;
};

void Indent(std::FILE* out, int depth)
{
    for (int i = 0; i < depth; ++i) {
        std::fputs("  ", out);
    }
}

std::string NameOf(IDirectXFileObject* object)
{
    DWORD size = 0;
    if (FAILED(object->GetName(nullptr, &size)) || size == 0) {
        return "";
    }
    std::vector<char> name(size + 1, '\0');
    object->GetName(name.data(), &size);
    return name.data();
}

std::string FvfText(DWORD fvf)
{
    char text[128];
    std::snprintf(text, sizeof text, "0x%03X (XYZ%s%s%s%s", fvf, (fvf & D3DFVF_NORMAL) ? " NORMAL" : "",
                  (fvf & D3DFVF_PSIZE) ? " PSIZE" : "", (fvf & D3DFVF_DIFFUSE) ? " DIFFUSE" : "",
                  (fvf & D3DFVF_SPECULAR) ? " SPECULAR" : "");
    std::string result = text;
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 0) {
        result += " TEX" + std::to_string(texCount);
    }
    return result + ")";
}

void PrintTexture(const Report& report, const char* textureName)
{
    char path[MAX_PATH];
    if (FAILED(LocateMediaFile(path, textureName))) {
        std::fprintf(report.out, ", texture \"%s\" (not found: drawn untextured)", textureName);
        return;
    }
    ComHold<IDirect3DTexture8> texture;
    const HRESULT result = D3DXCreateTextureFromFileA(report.device, path, texture.Out());
    if (FAILED(result)) {
        std::fprintf(report.out, ", texture \"%s\" (%s: drawn untextured)", textureName, MediaFailureText().c_str());
        return;
    }
    std::fprintf(report.out, ", texture \"%s\" (%s)", textureName, path);
}

void ReportMesh(const Report& report, IDirectXFileData* data, int depth)
{
    ComHold<ID3DXBuffer> adjacency;
    ComHold<ID3DXBuffer> materials;
    ComHold<ID3DXMesh> mesh;
    DWORD materialCount = 0;
    HRESULT result = D3DXLoadMeshFromXof(data, D3DXMESH_SYSTEMMEM, report.device, adjacency.Out(), materials.Out(),
                                         &materialCount, mesh.Out());
    if (SUCCEEDED(result)) {
        result = mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                       static_cast<const DWORD*>(adjacency->GetBufferPointer()), nullptr, nullptr,
                                       nullptr);
    }
    Indent(report.out, depth);
    const std::string name = NameOf(data);
    if (FAILED(result)) {
        std::fprintf(report.out, "Mesh \"%s\": cannot be built: 0x%08X (%s); the show draws nothing for it\n",
                     name.c_str(), static_cast<unsigned>(result), ResultText(result));
        return;
    }
    std::fprintf(report.out, "Mesh \"%s\": %u vertices, %u faces, FVF %s\n", name.c_str(), mesh->GetNumVertices(),
                 mesh->GetNumFaces(), FvfText(mesh->GetFVF()).c_str());

    DWORD tableSize = 0;
    mesh->GetAttributeTable(nullptr, &tableSize);
    std::vector<D3DXATTRIBUTERANGE> table(tableSize);
    if (tableSize > 0) {
        mesh->GetAttributeTable(table.data(), &tableSize);
    }
    const auto* records = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
    for (DWORD i = 0; i < materialCount; ++i) {
        Indent(report.out, depth + 1);
        std::fprintf(report.out, "subset %u: ", i);
        bool used = false;
        for (const D3DXATTRIBUTERANGE& range : table) {
            if (range.AttribId == i) {
                std::fprintf(report.out, "faces %u-%u, vertices %u-%u", range.FaceStart,
                             range.FaceStart + range.FaceCount - 1, range.VertexStart,
                             range.VertexStart + range.VertexCount - 1);
                used = true;
            }
        }
        if (!used) {
            std::fputs("no faces", report.out);
        }
        const D3DCOLORVALUE& diffuse = records[i].MatD3D.Diffuse;
        std::fprintf(report.out, ", diffuse %.3g %.3g %.3g alpha %.3g (%s)", diffuse.r, diffuse.g, diffuse.b, diffuse.a,
                     diffuse.a >= 1.0f ? "opaque" : "blended");
        if (records[i].pTextureFilename != nullptr) {
            PrintTexture(report, records[i].pTextureFilename);
        }
        std::fputc('\n', report.out);
    }
}

void ReportMatrix(const Report& report, IDirectXFileData* data, int depth)
{
    DWORD size = 0;
    void* bytes = nullptr;
    Indent(report.out, depth);
    if (FAILED(data->GetData(nullptr, &size, &bytes)) || size < sizeof(D3DMATRIX)) {
        std::fputs("matrix: too short\n", report.out);
        return;
    }
    D3DXMATRIX matrix;
    std::memcpy(&matrix, bytes, sizeof(D3DMATRIX));
    if (D3DXMatrixIsIdentity(&matrix)) {
        std::fputs("matrix: identity\n", report.out);
        return;
    }
    std::fputs("matrix:", report.out);
    for (int row = 0; row < 4; ++row) {
        std::fprintf(report.out, "%s %g %g %g %g", row == 0 ? "" : " |", matrix.m[row][0], matrix.m[row][1],
                     matrix.m[row][2], matrix.m[row][3]);
    }
    std::fputc('\n', report.out);
}

// Prints one object and, for a frame, its children. meshSeen tracks the one mesh a frame may hold.
void ReportObject(const Report& report, IDirectXFileData* data, int depth, bool* meshSeen)
{
    const GUID* type = nullptr;
    if (FAILED(data->GetType(&type)) || type == nullptr) {
        return;
    }
    if (*type == TID_D3DRMMesh) {
        if (*meshSeen) {
            Indent(report.out, depth);
            std::fprintf(report.out, "Mesh \"%s\": a second mesh in one frame; the show stops loading here\n",
                         NameOf(data).c_str());
            return;
        }
        *meshSeen = true;
        ReportMesh(report, data, depth);
    } else if (*type == TID_D3DRMFrameTransformMatrix) {
        ReportMatrix(report, data, depth);
    } else if (*type == TID_D3DRMFrame) {
        Indent(report.out, depth);
        std::fprintf(report.out, "Frame \"%s\"\n", NameOf(data).c_str());
        bool childMeshSeen = false;
        ComHold<IDirectXFileObject> child;
        while (SUCCEEDED(data->GetNextObject(child.Out()))) {
            ComHold<IDirectXFileData> childData;
            if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.Out())))) {
                ReportObject(report, childData.Get(), depth + 1, &childMeshSeen);
            }
        }
    }
}

// Opens the file as the scene loader does; the reader's code when it cannot.
HRESULT OpenXFile(const char* path, ComHold<IDirectXFile>* file, ComHold<IDirectXFileEnumObject>* enumerator)
{
    HRESULT result = DirectXFileCreate(file->Out());
    if (SUCCEEDED(result)) {
        result = (*file)->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
    }
    if (SUCCEEDED(result)) {
        result = (*file)->CreateEnumObject(path, DXFILELOAD_FROMFILE, enumerator->Out());
    }
    return result;
}

} // namespace

int ReportXFile(const char* fileName, std::FILE* out, std::FILE* err)
{
    NullDevice device(NullDevice::DefaultCaps(), NullDevice::DefaultPresentParameters());
    char path[MAX_PATH];
    LocateMediaFile(path, fileName);
    {
        ComHold<IDirectXFile> file;
        ComHold<IDirectXFileEnumObject> enumerator;
        const HRESULT opened = OpenXFile(path, &file, &enumerator);
        if (FAILED(opened)) {
            // The reader's own words add what is wrong and where, when they say more than the code.
            const std::string detail = DirectXFileFailureText();
            std::fprintf(err, "%s: cannot read %s: 0x%08X (%s)%s%s\n", ProgramName, fileName,
                         static_cast<unsigned>(opened), ResultText(opened), detail == ResultText(opened) ? "" : ": ",
                         detail == ResultText(opened) ? "" : detail.c_str());
            return 1;
        }
        std::fprintf(out, "%s\n", path);
        std::fputs("Frames in file order (the show draws sibling frames last to first):\n", out);
        const Report report{&device, out};
        bool rootMeshSeen = false;
        ComHold<IDirectXFileData> object;
        while (SUCCEEDED(enumerator->GetNextDataObject(object.Out()))) {
            ReportObject(report, object.Get(), 1, &rootMeshSeen);
        }
    }

    CD3DFile scene;
    const HRESULT loaded = scene.Load(&device, fileName);
    scene.ReleaseTree();
    if (FAILED(loaded)) {
        std::fprintf(err, "%s: the show cannot load %s: 0x%08X (%s): %s\n", ProgramName, fileName,
                     static_cast<unsigned>(loaded), ResultText(loaded), MediaFailureText().c_str());
        return 1;
    }
    std::fputs("The show loads this file.\n", out);
    return 0;
}
