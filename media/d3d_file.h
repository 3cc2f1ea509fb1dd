// SPDX-License-Identifier: GPL-3.0-or-later
// A scene read from an X file: a tree of named frames with local matrices, each holding at most one
// mesh with its materials and textures, drawn with opaque subsets first and translucent ones blended.
#pragma once

#include "d3dx/d3dx_math.h"
#include "d3dx/d3dx_mesh.h"
#include "platform/d3d8/d3d8.h"

#include <cstddef>

class IDirectXFileData;

// Longest name kept, terminator included; longer names are cut to 511 characters.
constexpr size_t XNameLength = 512;

// A mesh of the scene: the loaded copy in system memory and, while attached, a drawable clone.
class XMesh {
public:
    explicit XMesh(const char* meshName);
    // Releases whatever ReleaseAll has not.
    virtual ~XMesh();
    XMesh(const XMesh&) = delete;
    XMesh& operator=(const XMesh&) = delete;

    // Loads, optimises and takes the materials and textures; on failure nothing is kept.
    HRESULT LoadFromXofData(IDirect3DDevice8* device, IDirectXFileData* data);
    // E_FAIL without a loaded mesh or when the clone cannot be made.
    HRESULT AttachToDevice(IDirect3DDevice8* device);
    HRESULT DetachFromDevice();
    HRESULT ReleaseAll();
    // Opaque subsets have diffuse alpha 1 or more; every other subset is translucent.
    HRESULT DrawSubsets(IDirect3DDevice8* device, bool drawOpaque, bool drawTranslucent);

    char name[XNameLength];
    ID3DXMesh* systemMesh = nullptr;
    ID3DXMesh* drawMesh = nullptr;
    DWORD materialCount = 0;
    D3DMATERIAL8* materials = nullptr;
    IDirect3DTexture8** textures = nullptr;
    bool useMaterials = true;
};

// A node of the scene. It owns its mesh, its first child and its next sibling.
class XFrame {
public:
    explicit XFrame(const char* frameName);
    virtual ~XFrame();
    XFrame(const XFrame&) = delete;
    XFrame& operator=(const XFrame&) = delete;

    // Draws this frame, its subtree and its later siblings; parentMatrix null means the device's world
    // transform. Each frame's world is its matrix × the parent's world; the world transform is restored.
    HRESULT DrawTree(IDirect3DDevice8* device, bool drawOpaque, bool drawTranslucent, const D3DXMATRIX* parentMatrix);
    // Make and drop the meshes' drawable clones, in this frame, its subtree and its later siblings.
    HRESULT AttachTree(IDirect3DDevice8* device);
    HRESULT DetachTree();
    // Releases and deletes the meshes, the subtree and the later siblings.
    HRESULT ReleaseTree();

    char name[XNameLength];
    D3DXMATRIX matrix;
    XMesh* mesh = nullptr;
    XFrame* nextSibling = nullptr;
    XFrame* firstChild = nullptr;
};

// The whole file: the root frame "CD3DFile_Root", whose children are the file's top-level frames (in
// reverse file order) and whose mesh is a Mesh at the file's top level.
class CD3DFile : public XFrame {
public:
    CD3DFile();

    // Reads the file, found with LocateMediaFile. The DirectX file interface's code when the file cannot
    // be opened or parsed; E_FAIL when an object inside breaks the load (what was built so far stays).
    HRESULT Load(IDirect3DDevice8* device, const char* fileName);
    // Draws the tree with base × root matrix as the root's world (base: worldMatrix, or the device's
    // world transform when null): opaque subsets first, then translucent ones with alpha blending.
    HRESULT Draw(IDirect3DDevice8* device, const D3DXMATRIX* worldMatrix);
};
