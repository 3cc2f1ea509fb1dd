// SPDX-License-Identifier: GPL-3.0-or-later
// Loading an X file into frames and meshes, and drawing, attaching, detaching and releasing the tree.
// Sibling chains are walked in loops, so a file with very many frames side by side cannot exhaust the
// stack; only nesting recurses, and the file reader bounds it.
#include "media/d3d_file.h"

#include "d3dx/com_hold.h"
#include "d3dx/load_failure.h"
#include "media/media_lookup.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/read_failure.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace {

void CopyName(char* destination, const char* source)
{
    size_t length = 0;
    while (source != nullptr && length < XNameLength - 1 && source[length] != '\0') {
        ++length;
    }
    if (length > 0) {
        std::memcpy(destination, source, length);
    }
    destination[length] = '\0';
}

// The object's name cut to 511 characters; empty when it has none.
void ReadName(IDirectXFileObject* object, char* name)
{
    std::memset(name, 0, XNameLength);
    DWORD size = 0;
    if (FAILED(object->GetName(nullptr, &size)) || size == 0) {
        return;
    }
    size = XNameLength;
    // A name longer than the buffer comes back cut and terminated, with an error that changes nothing here.
    object->GetName(name, &size);
    name[XNameLength - 1] = '\0';
}

HRESULT LoadObject(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent);

HRESULT LoadMesh(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent)
{
    if (parent->mesh != nullptr) {
        return E_FAIL;
    }
    char name[XNameLength];
    ReadName(data, name);
    parent->mesh = new (std::nothrow) XMesh(name);
    if (parent->mesh == nullptr) {
        return E_OUTOFMEMORY;
    }
    // A mesh that fails to load stays attached, empty, and draws nothing.
    parent->mesh->LoadFromXofData(device, data);
    return S_OK;
}

HRESULT LoadFrame(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent)
{
    char name[XNameLength];
    ReadName(data, name);
    auto* frame = new (std::nothrow) XFrame(name);
    if (frame == nullptr) {
        return E_OUTOFMEMORY;
    }
    frame->nextSibling = parent->firstChild;
    parent->firstChild = frame;

    ComHold<IDirectXFileObject> child;
    while (SUCCEEDED(data->GetNextObject(child.Out()))) {
        ComHold<IDirectXFileData> childData;
        // References and binary objects are not data objects and are skipped.
        if (FAILED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(childData.Out())))) {
            continue;
        }
        const HRESULT result = LoadObject(device, childData.Get(), frame);
        if (FAILED(result)) {
            return result;
        }
    }
    return S_OK;
}

HRESULT LoadObject(IDirect3DDevice8* device, IDirectXFileData* data, XFrame* parent)
{
    const GUID* type = nullptr;
    if (FAILED(data->GetType(&type)) || type == nullptr) {
        return E_FAIL;
    }
    if (*type == TID_D3DRMMesh) {
        return LoadMesh(device, data, parent);
    }
    if (*type == TID_D3DRMFrameTransformMatrix) {
        DWORD size = 0;
        void* bytes = nullptr;
        // Fewer than 16 floats would be read past their end.
        if (FAILED(data->GetData(nullptr, &size, &bytes)) || bytes == nullptr || size < sizeof(D3DMATRIX)) {
            return E_FAIL;
        }
        std::memcpy(&parent->matrix, bytes, sizeof(D3DMATRIX));
        return S_OK;
    }
    if (*type == TID_D3DRMFrame) {
        return LoadFrame(device, data, parent);
    }
    return S_OK;
}

} // namespace

XMesh::XMesh(const char* meshName) { CopyName(name, meshName); }

XMesh::~XMesh() { ReleaseAll(); }

HRESULT XMesh::LoadFromXofData(IDirect3DDevice8* device, IDirectXFileData* data)
{
    ReleaseAll();
    ComHold<ID3DXBuffer> adjacency;
    ComHold<ID3DXBuffer> materialBuffer;
    ComHold<ID3DXMesh> loaded;
    DWORD count = 0;
    HRESULT result = D3DXLoadMeshFromXof(data, D3DXMESH_SYSTEMMEM, device, adjacency.Out(), materialBuffer.Out(),
                                         &count, loaded.Out());
    if (FAILED(result)) {
        return result;
    }
    result = loaded->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                     static_cast<const DWORD*>(adjacency->GetBufferPointer()), nullptr, nullptr,
                                     nullptr);
    if (FAILED(result)) {
        return result;
    }
    if (materialBuffer.Get() != nullptr && count > 0) {
        materials = new (std::nothrow) D3DMATERIAL8[count];
        textures = new (std::nothrow) IDirect3DTexture8*[count]();
        if (materials == nullptr || textures == nullptr) {
            ReleaseAll();
            return E_OUTOFMEMORY;
        }
        materialCount = count;
        const auto* records = static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer());
        for (DWORD i = 0; i < count; ++i) {
            materials[i] = records[i].MatD3D;
            materials[i].Ambient = materials[i].Diffuse;
            const char* textureName = records[i].pTextureFilename;
            if (textureName != nullptr && textureName[0] != '\0') {
                char path[MAX_PATH];
                LocateMediaFile(path, textureName);
                // A texture that cannot be found or read leaves the subset untextured.
                if (FAILED(D3DXCreateTextureFromFileA(device, path, &textures[i]))) {
                    textures[i] = nullptr;
                }
            }
        }
    }
    systemMesh = loaded.Take();
    return S_OK;
}

HRESULT XMesh::AttachToDevice(IDirect3DDevice8* device)
{
    if (systemMesh == nullptr) {
        return E_FAIL;
    }
    DetachFromDevice();
    if (FAILED(systemMesh->CloneMeshFVF(0, systemMesh->GetFVF(), device, &drawMesh))) {
        drawMesh = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT XMesh::DetachFromDevice()
{
    if (drawMesh != nullptr) {
        drawMesh->Release();
        drawMesh = nullptr;
    }
    return S_OK;
}

HRESULT XMesh::ReleaseAll()
{
    DetachFromDevice();
    if (textures != nullptr) {
        for (DWORD i = 0; i < materialCount; ++i) {
            if (textures[i] != nullptr) {
                textures[i]->Release();
            }
        }
    }
    delete[] textures;
    textures = nullptr;
    delete[] materials;
    materials = nullptr;
    if (systemMesh != nullptr) {
        systemMesh->Release();
        systemMesh = nullptr;
    }
    materialCount = 0;
    return S_OK;
}

HRESULT XMesh::DrawSubsets(IDirect3DDevice8* device, bool drawOpaque, bool drawTranslucent)
{
    if (drawMesh == nullptr) {
        return E_FAIL;
    }
    if (drawOpaque) {
        for (DWORD i = 0; i < materialCount; ++i) {
            if (useMaterials) {
                if (!(materials[i].Diffuse.a >= 1.0f)) {
                    continue;
                }
                device->SetMaterial(&materials[i]);
                device->SetTexture(0, textures[i]);
            }
            drawMesh->DrawSubset(i);
        }
    }
    // The complement of the opaque test, so that every subset is drawn in exactly one pass.
    if (drawTranslucent && useMaterials) {
        for (DWORD i = 0; i < materialCount; ++i) {
            if (materials[i].Diffuse.a >= 1.0f) {
                continue;
            }
            device->SetMaterial(&materials[i]);
            device->SetTexture(0, textures[i]);
            drawMesh->DrawSubset(i);
        }
    }
    return S_OK;
}

XFrame::XFrame(const char* frameName)
{
    CopyName(name, frameName);
    D3DXMatrixIdentity(&matrix);
}

XFrame::~XFrame()
{
    // A tree released without ReleaseTree still frees its meshes.
    delete mesh;
    delete firstChild;
    XFrame* sibling = nextSibling;
    while (sibling != nullptr) {
        XFrame* next = sibling->nextSibling;
        sibling->nextSibling = nullptr;
        delete sibling;
        sibling = next;
    }
}

HRESULT XFrame::DrawTree(IDirect3DDevice8* device, bool drawOpaque, bool drawTranslucent,
                         const D3DXMATRIX* parentMatrix)
{
    D3DXMATRIX base;
    if (parentMatrix != nullptr) {
        base = *parentMatrix;
    } else {
        device->GetTransform(D3DTS_WORLD, &base);
    }
    for (XFrame* frame = this; frame != nullptr; frame = frame->nextSibling) {
        D3DXMATRIX world;
        D3DXMatrixMultiply(&world, &frame->matrix, &base);
        device->SetTransform(D3DTS_WORLD, &world);
        if (frame->mesh != nullptr) {
            frame->mesh->DrawSubsets(device, drawOpaque, drawTranslucent);
        }
        if (frame->firstChild != nullptr) {
            frame->firstChild->DrawTree(device, drawOpaque, drawTranslucent, &world);
        }
        device->SetTransform(D3DTS_WORLD, &base);
    }
    return S_OK;
}

HRESULT XFrame::AttachTree(IDirect3DDevice8* device)
{
    for (XFrame* frame = this; frame != nullptr; frame = frame->nextSibling) {
        if (frame->mesh != nullptr) {
            frame->mesh->AttachToDevice(device);
        }
        if (frame->firstChild != nullptr) {
            frame->firstChild->AttachTree(device);
        }
    }
    return S_OK;
}

HRESULT XFrame::DetachTree()
{
    for (XFrame* frame = this; frame != nullptr; frame = frame->nextSibling) {
        if (frame->mesh != nullptr) {
            frame->mesh->DetachFromDevice();
        }
        if (frame->firstChild != nullptr) {
            frame->firstChild->DetachTree();
        }
    }
    return S_OK;
}

HRESULT XFrame::ReleaseTree()
{
    // Each mesh releases its device objects when deleted, and each frame deletes what it owns.
    delete mesh;
    mesh = nullptr;
    delete firstChild;
    firstChild = nullptr;
    XFrame* sibling = std::exchange(nextSibling, nullptr);
    delete sibling;
    return S_OK;
}

namespace {

// Why the file reader refused the scene, in the media failure note.
void NoteSceneFailure(const char* path, HRESULT result)
{
    const std::string why = DirectXFileFailureText();
    // What the path is decides missing or unreadable; only a readable file can hold bad data.
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    if (type == std::filesystem::file_type::not_found) {
        NoteLoadFailure(LoadFailureKind::Missing, path, "not found", "X file");
    } else if (type != std::filesystem::file_type::regular || result == DXFILEERR_FILENOTFOUND ||
               why.rfind("cannot be read", 0) == 0) {
        // The wording adds "cannot be read" itself: the reader's reason alone, once.
        constexpr std::string_view prefix = "cannot be read: ";
        NoteLoadFailure(LoadFailureKind::Unreadable, path,
                        why.rfind(prefix, 0) == 0 ? why.substr(prefix.size()) : why, "X file");
    } else {
        NoteLoadFailure(LoadFailureKind::BadData, path, why, "X file");
    }
}

} // namespace

CD3DFile::CD3DFile() : XFrame("CD3DFile_Root") {}

HRESULT CD3DFile::Load(IDirect3DDevice8* device, const char* fileName)
{
    if (fileName == nullptr) {
        return E_INVALIDARG;
    }
    ComHold<IDirectXFile> file;
    if (FAILED(DirectXFileCreate(file.Out()))) {
        return E_FAIL;
    }
    if (FAILED(file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES))) {
        return E_FAIL;
    }
    char path[MAX_PATH];
    // When the file is not found, path holds the name as given.
    LocateMediaFile(path, fileName);
    ComHold<IDirectXFileEnumObject> enumerator;
    const HRESULT opened = file->CreateEnumObject(path, DXFILELOAD_FROMFILE, enumerator.Out());
    if (FAILED(opened)) {
        NoteSceneFailure(path, opened);
        return opened;
    }
    ComHold<IDirectXFileData> object;
    while (SUCCEEDED(enumerator->GetNextDataObject(object.Out()))) {
        if (FAILED(LoadObject(device, object.Get(), this))) {
            NoteLoadFailure(LoadFailureKind::BadData, path, "an object in it cannot be loaded", "X file");
            return E_FAIL;
        }
    }
    return S_OK;
}

HRESULT CD3DFile::Draw(IDirect3DDevice8* device, const D3DXMATRIX* worldMatrix)
{
    D3DXMATRIX base;
    if (worldMatrix != nullptr) {
        base = *worldMatrix;
    } else {
        device->GetTransform(D3DTS_WORLD, &base);
    }
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &base, &matrix);
    device->SetTransform(D3DTS_WORLD, &world);
    // A Mesh at the file's top level hangs on the root and is drawn with the root's world.
    if (mesh != nullptr) {
        mesh->DrawSubsets(device, true, false);
    }
    if (firstChild != nullptr) {
        firstChild->DrawTree(device, true, false, &world);
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    if (mesh != nullptr) {
        device->SetTransform(D3DTS_WORLD, &world);
        mesh->DrawSubsets(device, false, true);
    }
    if (firstChild != nullptr) {
        firstChild->DrawTree(device, false, true, &world);
    }
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTransform(D3DTS_WORLD, &base);
    return S_OK;
}
