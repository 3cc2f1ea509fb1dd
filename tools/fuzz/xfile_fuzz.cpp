// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target of the X-file reader: the input is registered as a template block and opened
// as an in-memory X file; every object, child, reference and known member is then read, and the
// reader's promises (members inside their object, names as sized) are checked.
#include "platform/xfile/dxfile.h"
#include "platform/xfile/read_failure.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Members of the standard templates, asked of every object whatever its type.
constexpr const char* kMemberNames[] = {
    "major",     "minor",          "flags",         "x",           "y",           "z",
    "u",         "v",              "matrix",        "red",         "green",       "blue",
    "alpha",     "index",          "indexColor",    "truefalse",   "filename",    "faceColor",
    "power",     "specularColor",  "emissiveColor", "nFaceVertexIndices",         "faceVertexIndices",
    "nFaceWrapValues",             "faceWrapValues", "nTextureCoords",            "textureCoords",
    "nMaterials", "nFaceIndexes",  "faceIndexes",   "nNormals",    "normals",     "nFaceNormals",
    "faceNormals", "nVertexColors", "vertexColors", "nVertices",   "vertices",    "nFaces",
    "faces",     "frameMatrix",    "nValues",       "values",      "time",        "tfkeys",
    "keyType",   "nKeys",          "keys",          "openclosed",  "positionquality",
    "nUrls",     "urls",           "data1",         "data2",       "data3",       "data4",
    "key",       "value",          "guidExternalVisual",           "bRightHanded",
    // The extended templates.
    "nMaxSkinWeightsPerVertex",    "nBones",        "nIndices",    "nOriginalVertices",           "indices",
    "transformNodeName",           "nWeights",      "vertexIndices", "weights",   "matrixOffset",
    "Elements",  "nDWords",        "data",          "dwFVF",       "EffectFilename",              "ParamName",
    "Floats",    "Value",          "AnimTicksPerSecond",           "CompressedData",
};

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

unsigned Touch(const void* data, DWORD size)
{
    unsigned sum = 0;
    for (DWORD i = 0; i < size; ++i) {
        sum += static_cast<const unsigned char*>(data)[i];
    }
    return sum;
}

void ReadName(IDirectXFileObject* object)
{
    DWORD size = 0;
    Check(object->GetName(nullptr, &size) == DXFILE_OK);
    std::vector<char> buffer(size + 1, 'x');
    DWORD capacity = static_cast<DWORD>(buffer.size());
    Check(object->GetName(buffer.data(), &capacity) == DXFILE_OK);
    Check(capacity == size);
    Check(std::strlen(buffer.data()) + (size == 0 ? 0 : 1) == size);
    GUID id{};
    Check(object->GetId(&id) == DXFILE_OK);
}

void Walk(IDirectXFileData* data, int depth)
{
    Check(depth <= 64);
    ReadName(data);
    const GUID* type = nullptr;
    Check(data->GetType(&type) == DXFILE_OK && type != nullptr);

    DWORD size = 0;
    void* whole = nullptr;
    Check(data->GetData(nullptr, &size, &whole) == DXFILE_OK && whole != nullptr);
    volatile unsigned sink = Touch(whole, size);
    const auto* begin = static_cast<const unsigned char*>(whole);
    for (const char* member : kMemberNames) {
        DWORD memberSize = 0;
        void* memberData = nullptr;
        if (data->GetData(member, &memberSize, &memberData) == DXFILE_OK) {
            const auto* at = static_cast<const unsigned char*>(memberData);
            Check(at >= begin && at + memberSize <= begin + size);
        }
    }
    // Strings are pointers inside the data: follow the one member known to hold one at its start.
    if (*type == TID_D3DRMTextureFilename && size == sizeof(char*)) {
        const char* text = nullptr;
        std::memcpy(&text, whole, sizeof text);
        sink = sink + static_cast<unsigned>(std::strlen(text));
    }
    (void)sink;

    for (;;) {
        IDirectXFileObject* child = nullptr;
        if (data->GetNextObject(&child) != DXFILE_OK) {
            Check(child == nullptr);
            break;
        }
        void* out = nullptr;
        if (child->QueryInterface(IID_IDirectXFileData, &out) == S_OK) {
            auto* childData = static_cast<IDirectXFileData*>(out);
            Walk(childData, depth + 1);
            childData->Release();
        } else if (child->QueryInterface(IID_IDirectXFileDataReference, &out) == S_OK) {
            auto* reference = static_cast<IDirectXFileDataReference*>(out);
            ReadName(reference);
            IDirectXFileData* target = nullptr;
            if (reference->Resolve(&target) == DXFILE_OK) {
                // Not walked again: references may form cycles.
                ReadName(target);
                target->Release();
            }
            reference->Release();
        } else {
            std::abort();
        }
        child->Release();
    }
}

IDirectXFile* StandardFile()
{
    static IDirectXFile* file = [] {
        IDirectXFile* created = nullptr;
        Check(DirectXFileCreate(&created) == DXFILE_OK);
        Check(created->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES) == DXFILE_OK);
        return created;
    }();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size > 0xffffffffu) {
        return 0;
    }
    const auto length = static_cast<DWORD>(size);

    IDirectXFile* templatesOnly = nullptr;
    Check(DirectXFileCreate(&templatesOnly) == DXFILE_OK);
    templatesOnly->RegisterTemplates(bytes, length);
    templatesOnly->Release();

    DXFILELOADMEMORY memory{bytes, length};
    IDirectXFileEnumObject* enumObject = nullptr;
    if (StandardFile()->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &enumObject) != DXFILE_OK) {
        // Every refusal says why.
        Check(enumObject == nullptr && DirectXFileFailureText()[0] != '\0');
        return 0;
    }
    for (;;) {
        IDirectXFileData* data = nullptr;
        const HRESULT hr = enumObject->GetNextDataObject(&data);
        if (hr != DXFILE_OK) {
            Check(hr == DXFILEERR_NOMOREOBJECTS && data == nullptr);
            break;
        }
        Walk(data, 1);
        data->Release();
    }
    enumObject->Release();
    return 0;
}
