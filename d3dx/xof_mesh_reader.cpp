// SPDX-License-Identifier: GPL-3.0-or-later
// The Mesh reader: walks the packed data of each object with a bounds-checked cursor and keeps what the
// geometry builder needs. Counts are checked against the bytes present before anything is sized by them.
#include "d3dx/xof_mesh_reader.h"

#include "d3dx/com_hold.h"
#include "platform/xfile/dxfile.h"

#include <algorithm>
#include <cstring>

namespace {

// Reads packed little-endian members; every read fails once the data runs out.
class DataCursor {
public:
    DataCursor(const void* data, DWORD size) : next(static_cast<const BYTE*>(data)), left(data == nullptr ? 0 : size) {}

    bool Dword(DWORD* value) { return Bytes(value, sizeof(DWORD)); }
    bool Floats(float* values, size_t count) { return Bytes(values, count * sizeof(float)); }
    bool String(const char** value) { return Bytes(value, sizeof(const char*)) && *value != nullptr; }
    // True when count items of itemSize bytes could still follow, so a count can be trusted for sizing.
    bool Holds(DWORD count, size_t itemSize) const { return itemSize == 0 || count <= left / itemSize; }

private:
    bool Bytes(void* out, size_t size)
    {
        if (size > left) {
            return false;
        }
        std::memcpy(out, next, size);
        next += size;
        left -= size;
        return true;
    }

    const BYTE* next;
    size_t left;
};

bool IsType(IDirectXFileData* data, const GUID& type)
{
    const GUID* actual = nullptr;
    return SUCCEEDED(data->GetType(&actual)) && actual != nullptr && *actual == type;
}

bool WholeData(IDirectXFileData* data, DataCursor* cursor)
{
    DWORD size = 0;
    void* bytes = nullptr;
    if (FAILED(data->GetData(nullptr, &size, &bytes))) {
        return false;
    }
    *cursor = DataCursor(bytes, size);
    return true;
}

bool ReadVectors(DataCursor& cursor, std::vector<D3DVECTOR>* vectors)
{
    DWORD count = 0;
    if (!cursor.Dword(&count) || !cursor.Holds(count, sizeof(D3DVECTOR))) {
        return false;
    }
    vectors->resize(count);
    for (D3DVECTOR& v : *vectors) {
        float xyz[3];
        if (!cursor.Floats(xyz, 3)) {
            return false;
        }
        v = {xyz[0], xyz[1], xyz[2]};
    }
    return true;
}

// MeshFace records: a corner count and that many indices each.
bool ReadFaces(DataCursor& cursor, std::vector<DWORD>* sizes, std::vector<DWORD>* indices)
{
    DWORD count = 0;
    if (!cursor.Dword(&count) || !cursor.Holds(count, sizeof(DWORD))) {
        return false;
    }
    sizes->resize(count);
    indices->clear();
    for (DWORD& size : *sizes) {
        if (!cursor.Dword(&size) || !cursor.Holds(size, sizeof(DWORD))) {
            return false;
        }
        for (DWORD i = 0; i < size; ++i) {
            DWORD index = 0;
            cursor.Dword(&index);
            indices->push_back(index);
        }
    }
    return true;
}

bool ReadNormals(IDirectXFileData* data, XofMeshData* mesh)
{
    DataCursor cursor(nullptr, 0);
    std::vector<DWORD> sizes;
    if (!WholeData(data, &cursor) || !ReadVectors(cursor, &mesh->normals) ||
        !ReadFaces(cursor, &sizes, &mesh->normalIndices)) {
        return false;
    }
    // Every face must list one normal per corner.
    mesh->hasNormals = true;
    return sizes == mesh->faceSizes;
}

bool ReadTexCoords(IDirectXFileData* data, XofMeshData* mesh)
{
    DataCursor cursor(nullptr, 0);
    DWORD count = 0;
    if (!WholeData(data, &cursor) || !cursor.Dword(&count) || !cursor.Holds(count, 2 * sizeof(float)) ||
        count != mesh->positions.size()) {
        return false;
    }
    mesh->texCoords.resize(size_t{count} * 2);
    return cursor.Floats(mesh->texCoords.data(), mesh->texCoords.size());
}

// 0..1 to 0..255, clamped; NaN reads as 0.
BYTE ColorByte(float value)
{
    if (!(value > 0.0f)) {
        return 0;
    }
    return value >= 1.0f ? 255 : static_cast<BYTE>(value * 255.0f + 0.5f);
}

// IndexedColor records; positions without one stay opaque white.
bool ReadColors(IDirectXFileData* data, XofMeshData* mesh)
{
    DataCursor cursor(nullptr, 0);
    DWORD count = 0;
    if (!WholeData(data, &cursor) || !cursor.Dword(&count) || !cursor.Holds(count, 5 * sizeof(DWORD))) {
        return false;
    }
    mesh->colors.assign(mesh->positions.size(), 0xFFFFFFFFu);
    for (DWORD i = 0; i < count; ++i) {
        DWORD index = 0;
        float rgba[4];
        if (!cursor.Dword(&index) || !cursor.Floats(rgba, 4) || index >= mesh->colors.size()) {
            return false;
        }
        mesh->colors[index] = (DWORD{ColorByte(rgba[3])} << 24) | (DWORD{ColorByte(rgba[0])} << 16) |
                              (DWORD{ColorByte(rgba[1])} << 8) | DWORD{ColorByte(rgba[2])};
    }
    return true;
}

bool ReadMaterial(IDirectXFileData* data, XofMaterial* material)
{
    DataCursor cursor(nullptr, 0);
    float values[11];
    if (!IsType(data, TID_D3DRMMaterial) || !WholeData(data, &cursor) || !cursor.Floats(values, 11)) {
        return false;
    }
    *material = XofMaterial{};
    material->material.Diffuse = {values[0], values[1], values[2], values[3]};
    material->material.Power = values[4];
    material->material.Specular = {values[5], values[6], values[7], 1.0f};
    material->material.Emissive = {values[8], values[9], values[10], 1.0f};
    // The first TextureFilename child names the texture.
    ComHold<IDirectXFileObject> child;
    while (SUCCEEDED(data->GetNextObject(child.Out()))) {
        ComHold<IDirectXFileData> childData;
        if (FAILED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.Out())))) {
            continue;
        }
        if (!IsType(childData.Get(), TID_D3DRMTextureFilename)) {
            continue;
        }
        DataCursor nameCursor(nullptr, 0);
        const char* name = nullptr;
        if (!WholeData(childData.Get(), &nameCursor) || !nameCursor.String(&name)) {
            return false;
        }
        material->textureFilename = name;
        break;
    }
    return true;
}

// A child that is a data object, or a reference resolved to one; null for anything else.
HRESULT ChildData(IDirectXFileObject* child, IDirectXFileData** data)
{
    *data = nullptr;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(data)))) {
        return S_OK;
    }
    ComHold<IDirectXFileDataReference> reference;
    if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileDataReference, reinterpret_cast<void**>(reference.Out())))) {
        const HRESULT result = reference->Resolve(data);
        return FAILED(result) ? D3DXERR_INVALIDDATA : S_OK;
    }
    return S_OK;
}

bool ReadMaterialList(IDirectXFileData* data, XofMeshData* mesh)
{
    DataCursor cursor(nullptr, 0);
    DWORD materialCount = 0;
    DWORD indexCount = 0;
    if (!WholeData(data, &cursor) || !cursor.Dword(&materialCount) || !cursor.Dword(&indexCount) ||
        !cursor.Holds(indexCount, sizeof(DWORD)) || indexCount > mesh->faceSizes.size()) {
        return false;
    }
    mesh->faceMaterials.resize(mesh->faceSizes.size());
    for (DWORD i = 0; i < indexCount; ++i) {
        cursor.Dword(&mesh->faceMaterials[i]);
    }
    const DWORD last = indexCount > 0 ? mesh->faceMaterials[indexCount - 1] : 0;
    std::fill(mesh->faceMaterials.begin() + indexCount, mesh->faceMaterials.end(), last);

    mesh->materials.clear();
    ComHold<IDirectXFileObject> child;
    while (SUCCEEDED(data->GetNextObject(child.Out()))) {
        ComHold<IDirectXFileData> childData;
        if (FAILED(ChildData(child.Get(), childData.Out()))) {
            return false;
        }
        if (childData.Get() == nullptr || !IsType(childData.Get(), TID_D3DRMMaterial)) {
            continue;
        }
        if (mesh->materials.size() >= materialCount) {
            return false;
        }
        XofMaterial material;
        if (!ReadMaterial(childData.Get(), &material)) {
            return false;
        }
        mesh->materials.push_back(std::move(material));
    }
    return mesh->materials.size() == materialCount;
}

// Vertex element types of declared vertex data that carry what a mesh here can use, and their sizes.
enum DeclType : DWORD { DeclFloat1 = 0, DeclFloat2 = 1, DeclFloat3 = 2, DeclFloat4 = 3, DeclColor = 4 };
enum DeclUsage : DWORD { UsagePosition = 0, UsageNormal = 3, UsageTexCoord = 5, UsageColor = 10 };
constexpr DWORD LastDeclType = 16;

// Bytes of one element of each type, in declaration-type order; every type is a whole number of DWORDs.
constexpr BYTE DeclTypeBytes[LastDeclType + 1] = {4, 8, 12, 16, 4, 4, 4, 8, 4, 4, 8, 4, 8, 4, 4, 4, 8};

struct DeclElement {
    DWORD type;
    DWORD usage;
    DWORD usageIndex;
    // Offset in DWORDs within one vertex.
    DWORD offset;
};

// What declared vertex data gives per vertex: positions, normals, the first texture coordinates and the
// first colour, where they come in a type read here. Other elements (tangents, blend weights) are skipped.
struct DeclVertices {
    std::vector<D3DVECTOR> positions;
    std::vector<D3DVECTOR> normals;
    std::vector<float> texCoords;
    std::vector<D3DCOLOR> colors;
};

bool ReadDeclData(IDirectXFileData* data, size_t vertexCount, DeclVertices* out)
{
    DataCursor cursor(nullptr, 0);
    DWORD elementCount = 0;
    if (!WholeData(data, &cursor) || !cursor.Dword(&elementCount) || !cursor.Holds(elementCount, 4 * sizeof(DWORD))) {
        return false;
    }
    std::vector<DeclElement> elements(elementCount);
    DWORD stride = 0;
    for (DeclElement& element : elements) {
        DWORD method = 0;
        if (!cursor.Dword(&element.type) || !cursor.Dword(&method) || !cursor.Dword(&element.usage) ||
            !cursor.Dword(&element.usageIndex) || element.type > LastDeclType) {
            return false;
        }
        element.offset = stride;
        stride += DeclTypeBytes[element.type] / sizeof(DWORD);
    }
    DWORD dwordCount = 0;
    if (!cursor.Dword(&dwordCount) || !cursor.Holds(dwordCount, sizeof(DWORD)) ||
        uint64_t{stride} * vertexCount != dwordCount) {
        return false;
    }
    std::vector<DWORD> words(dwordCount);
    for (DWORD& word : words) {
        cursor.Dword(&word);
    }
    auto floatAt = [&](size_t vertex, const DeclElement& element, DWORD component) {
        float value = 0.0f;
        std::memcpy(&value, &words[vertex * stride + element.offset + component], sizeof value);
        return value;
    };
    for (const DeclElement& element : elements) {
        const bool isFloat = element.type <= DeclFloat4;
        const DWORD components = isFloat ? element.type + 1 : 0;
        if (element.usage == UsagePosition && element.usageIndex == 0 && components >= 3 && out->positions.empty()) {
            out->positions.resize(vertexCount);
            for (size_t v = 0; v < vertexCount; ++v) {
                out->positions[v] = {floatAt(v, element, 0), floatAt(v, element, 1), floatAt(v, element, 2)};
            }
        } else if (element.usage == UsageNormal && element.usageIndex == 0 && components >= 3 && out->normals.empty()) {
            out->normals.resize(vertexCount);
            for (size_t v = 0; v < vertexCount; ++v) {
                out->normals[v] = {floatAt(v, element, 0), floatAt(v, element, 1), floatAt(v, element, 2)};
            }
        } else if (element.usage == UsageTexCoord && element.usageIndex == 0 && components >= 1 &&
                   out->texCoords.empty()) {
            out->texCoords.resize(vertexCount * 2);
            for (size_t v = 0; v < vertexCount; ++v) {
                out->texCoords[v * 2] = floatAt(v, element, 0);
                out->texCoords[v * 2 + 1] = components >= 2 ? floatAt(v, element, 1) : 0.0f;
            }
        } else if (element.usage == UsageColor && element.usageIndex == 0 && element.type == DeclColor &&
                   out->colors.empty()) {
            out->colors.resize(vertexCount);
            for (size_t v = 0; v < vertexCount; ++v) {
                out->colors[v] = words[v * stride + element.offset];
            }
        }
    }
    return true;
}

// Declared vertex data fills in what the dedicated children did not give; its positions replace the mesh's.
void ApplyDeclVertices(DeclVertices&& decl, XofMeshData* mesh)
{
    if (!decl.positions.empty()) {
        mesh->positions = std::move(decl.positions);
    }
    if (!decl.normals.empty() && !mesh->hasNormals) {
        mesh->hasNormals = true;
        mesh->normals = std::move(decl.normals);
        // One normal per position: each corner takes its position's.
        mesh->normalIndices = mesh->faceIndices;
    }
    if (!decl.texCoords.empty() && mesh->texCoords.empty()) {
        mesh->texCoords = std::move(decl.texCoords);
    }
    if (!decl.colors.empty() && mesh->colors.empty()) {
        mesh->colors = std::move(decl.colors);
    }
}

} // namespace

HRESULT ReadXofMesh(IDirectXFileData* data, XofMeshData* mesh)
{
    if (data == nullptr || !IsType(data, TID_D3DRMMesh)) {
        return D3DXERR_INVALIDDATA;
    }
    XofMeshData result;
    DataCursor cursor(nullptr, 0);
    if (!WholeData(data, &cursor) || !ReadVectors(cursor, &result.positions) ||
        !ReadFaces(cursor, &result.faceSizes, &result.faceIndices)) {
        return D3DXERR_INVALIDDATA;
    }

    // Each kind of child counts once: the first of its kind is read, later ones are ignored.
    bool haveNormals = false;
    bool haveTexCoords = false;
    bool haveColors = false;
    bool haveMaterials = false;
    bool haveDecl = false;
    DeclVertices decl;
    ComHold<IDirectXFileObject> child;
    while (SUCCEEDED(data->GetNextObject(child.Out()))) {
        ComHold<IDirectXFileData> childData;
        if (FAILED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.Out())))) {
            continue;
        }
        IDirectXFileData* part = childData.Get();
        bool read = true;
        if (!haveNormals && IsType(part, TID_D3DRMMeshNormals)) {
            haveNormals = true;
            read = ReadNormals(part, &result);
        } else if (!haveTexCoords && IsType(part, TID_D3DRMMeshTextureCoords)) {
            haveTexCoords = true;
            read = ReadTexCoords(part, &result);
        } else if (!haveColors && IsType(part, TID_D3DRMMeshVertexColors)) {
            haveColors = true;
            read = ReadColors(part, &result);
        } else if (!haveMaterials && IsType(part, TID_D3DRMMeshMaterialList)) {
            haveMaterials = true;
            read = ReadMaterialList(part, &result);
        } else if (!haveDecl && IsType(part, DXFILEOBJ_DeclData)) {
            haveDecl = true;
            read = ReadDeclData(part, result.positions.size(), &decl);
        }
        if (!read) {
            return D3DXERR_INVALIDDATA;
        }
    }
    ApplyDeclVertices(std::move(decl), &result);
    // No list, or one with no materials and no indices: everything in one white subset.
    if (result.materials.empty()) {
        result.materials.push_back(DefaultXofMaterial());
        result.faceMaterials.assign(result.faceSizes.size(), 0);
    }
    *mesh = std::move(result);
    return D3D_OK;
}
