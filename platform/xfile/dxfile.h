// SPDX-License-Identifier: GPL-3.0-or-later
// The DirectX file interface: reading X files (text and binary, versions 0302 and 0303, 32- or
// 64-bit floats) into templates and data objects, with the platform's names, ids and result codes.
//
// Conventions of this reader, where the platform leaves room:
// - CreateEnumObject parses the whole file at once; a malformed file fails there with the code
//   below, so GetNextDataObject only ever fails with DXFILEERR_NOMOREOBJECTS at the end.
// - GetData packs the template's members in order with no padding: WORD 2 bytes, DWORD / SDWORD 4,
//   FLOAT 4 (64-bit floats in the file are converted), DOUBLE 8, CHAR / UCHAR / BYTE 1, strings as
//   `char*` (pointer size; never null, an empty string is ""), arrays inline, nested templates inline.
//   The whole object's data starts 8-byte aligned; a member after odd-sized ones may not be, so read
//   such members with memcpy. The data and strings live as long as any object of the same file.
// - GetName(nullptr, &size) sets size to the name's length plus the terminator, or 0 for an unnamed
//   object. With a buffer, *size is its capacity on entry; a name that does not fit is cut to a
//   terminated prefix, *size is set to the size needed and DXFILEERR_BADVALUE returned.
// - Besides the registered templates and those a file declares, every file is read with the extended
//   templates exporters write (skinning, declared vertex data, ticks per second, ...). A template name
//   that differs from a known one only in letter case names that template.
// - Compressed files (tzip, bzip) are inflated first, with the same size limit as others.
// - DirectXFileFailureText (read_failure.h) says in words why the last read failed, and where.
// - Binary data objects (the format's BINARY children) are refused: no IDirectXFileBinary is ever
//   returned; the interface exists so that callers compile as on the platform.
#pragma once

#include "platform/base/win_types.h"

// Result codes: facility 0x876, the platform's values.
constexpr HRESULT MAKE_DXFILEHRESULT(unsigned code) { return MAKE_HRESULT(1, 0x876, code); }

constexpr HRESULT DXFILE_OK = 0;
constexpr HRESULT DXFILEERR_BADOBJECT = MAKE_DXFILEHRESULT(850);
constexpr HRESULT DXFILEERR_BADVALUE = MAKE_DXFILEHRESULT(851);
constexpr HRESULT DXFILEERR_BADTYPE = MAKE_DXFILEHRESULT(852);
constexpr HRESULT DXFILEERR_BADSTREAMHANDLE = MAKE_DXFILEHRESULT(853);
constexpr HRESULT DXFILEERR_BADALLOC = MAKE_DXFILEHRESULT(854);
constexpr HRESULT DXFILEERR_NOTFOUND = MAKE_DXFILEHRESULT(855);
constexpr HRESULT DXFILEERR_NOTDONEYET = MAKE_DXFILEHRESULT(856);
constexpr HRESULT DXFILEERR_FILENOTFOUND = MAKE_DXFILEHRESULT(857);
constexpr HRESULT DXFILEERR_RESOURCENOTFOUND = MAKE_DXFILEHRESULT(858);
constexpr HRESULT DXFILEERR_URLNOTFOUND = MAKE_DXFILEHRESULT(859);
constexpr HRESULT DXFILEERR_BADRESOURCE = MAKE_DXFILEHRESULT(860);
constexpr HRESULT DXFILEERR_BADFILETYPE = MAKE_DXFILEHRESULT(861);
constexpr HRESULT DXFILEERR_BADFILEVERSION = MAKE_DXFILEHRESULT(862);
constexpr HRESULT DXFILEERR_BADFILEFLOATSIZE = MAKE_DXFILEHRESULT(863);
constexpr HRESULT DXFILEERR_BADFILECOMPRESSIONTYPE = MAKE_DXFILEHRESULT(864);
constexpr HRESULT DXFILEERR_BADFILE = MAKE_DXFILEHRESULT(865);
constexpr HRESULT DXFILEERR_PARSEERROR = MAKE_DXFILEHRESULT(866);
constexpr HRESULT DXFILEERR_NOTEMPLATE = MAKE_DXFILEHRESULT(867);
constexpr HRESULT DXFILEERR_BADARRAYSIZE = MAKE_DXFILEHRESULT(868);
constexpr HRESULT DXFILEERR_BADDATAREFERENCE = MAKE_DXFILEHRESULT(869);
constexpr HRESULT DXFILEERR_INTERNALERROR = MAKE_DXFILEHRESULT(870);
constexpr HRESULT DXFILEERR_NOMOREOBJECTS = MAKE_DXFILEHRESULT(871);
constexpr HRESULT DXFILEERR_BADINTRINSICS = MAKE_DXFILEHRESULT(872);
constexpr HRESULT DXFILEERR_NOMORESTREAMHANDLES = MAKE_DXFILEHRESULT(873);
constexpr HRESULT DXFILEERR_NOMOREDATA = MAKE_DXFILEHRESULT(874);
constexpr HRESULT DXFILEERR_BADCACHEFILE = MAKE_DXFILEHRESULT(875);
constexpr HRESULT DXFILEERR_NOINTERNET = MAKE_DXFILEHRESULT(876);

// Where CreateEnumObject reads from: a file name (const char*) or a DXFILELOADMEMORY.
using DXFILELOADOPTIONS = DWORD;
constexpr DXFILELOADOPTIONS DXFILELOAD_FROMFILE = 0x00;
constexpr DXFILELOADOPTIONS DXFILELOAD_FROMRESOURCE = 0x01;
constexpr DXFILELOADOPTIONS DXFILELOAD_FROMMEMORY = 0x02;
constexpr DXFILELOADOPTIONS DXFILELOAD_FROMSTREAM = 0x04;
constexpr DXFILELOADOPTIONS DXFILELOAD_FROMURL = 0x08;

struct DXFILELOADMEMORY {
    const void* lpMemory;
    DWORD dSize;
};

class IDirectXFile;
class IDirectXFileEnumObject;
class IDirectXFileObject;
class IDirectXFileData;
class IDirectXFileDataReference;
class IDirectXFileBinary;

using LPDIRECTXFILE = IDirectXFile*;
using LPDIRECTXFILEENUMOBJECT = IDirectXFileEnumObject*;
using LPDIRECTXFILEOBJECT = IDirectXFileObject*;
using LPDIRECTXFILEDATA = IDirectXFileData*;
using LPDIRECTXFILEDATAREFERENCE = IDirectXFileDataReference*;
using LPDIRECTXFILEBINARY = IDirectXFileBinary*;
using LPLOADMEMORY = DXFILELOADMEMORY*;

class IDirectXFile : public IUnknown {
public:
    // `source` is a file name or a DXFILELOADMEMORY, as `options` says. Templates registered
    // before the call are known to the file; templates the file declares stay with it.
    virtual HRESULT CreateEnumObject(const void* source, DXFILELOADOPTIONS options,
                                     IDirectXFileEnumObject** enumObject) = 0;
    // `data` is a whole X file holding only template declarations; all or none are registered.
    virtual HRESULT RegisterTemplates(const void* data, DWORD size) = 0;
};

class IDirectXFileEnumObject : public IUnknown {
public:
    // The top-level data objects in file order; DXFILEERR_NOMOREOBJECTS after the last.
    virtual HRESULT GetNextDataObject(IDirectXFileData** data) = 0;
};

class IDirectXFileObject : public IUnknown {
public:
    // IID_IDirectXFileObject or the object's own interface; E_NOINTERFACE (and null) otherwise.
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual HRESULT GetName(char* buffer, DWORD* size) = 0;
    // The object's GUID, all zero when the file gives none.
    virtual HRESULT GetId(GUID* id) = 0;
};

class IDirectXFileData : public IDirectXFileObject {
public:
    // member null: the whole object's data; otherwise one top-level member of its template
    // (DXFILEERR_NOTFOUND when the template has no such member).
    virtual HRESULT GetData(const char* member, DWORD* size, void** data) = 0;
    // The template's GUID; the pointer stays valid while the object lives.
    virtual HRESULT GetType(const GUID** type) = 0;
    // Children in file order: data objects and data references; DXFILEERR_NOMOREOBJECTS at the end.
    virtual HRESULT GetNextObject(IDirectXFileObject** child) = 0;
};

class IDirectXFileDataReference : public IDirectXFileObject {
public:
    // The referenced object, found by name (and GUID where the reference gives one) anywhere in
    // the file; DXFILEERR_BADDATAREFERENCE when no object matches.
    virtual HRESULT Resolve(IDirectXFileData** data) = 0;
};

class IDirectXFileBinary : public IDirectXFileObject {
public:
    virtual HRESULT GetSize(DWORD* size) = 0;
    virtual HRESULT GetMimeType(const char** mimeType) = 0;
    virtual HRESULT Read(void* data, DWORD size, DWORD* read) = 0;
};

// Creates the file object; DXFILEERR_BADVALUE for a null argument.
HRESULT DirectXFileCreate(IDirectXFile** directXFile);

// Interface ids.
inline constexpr GUID IID_IDirectXFile = {0x3d82ab40, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID IID_IDirectXFileEnumObject = {0x3d82ab41, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID IID_IDirectXFileSaveObject = {0x3d82ab42, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID IID_IDirectXFileObject = {0x3d82ab43, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID IID_IDirectXFileData = {0x3d82ab44, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID IID_IDirectXFileDataReference = {0x3d82ab45, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID IID_IDirectXFileBinary = {0x3d82ab46, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};

// Ids of the standard retained-mode templates (Header is TID_D3DRMInfo).
inline constexpr GUID TID_D3DRMInfo = {0x3d82ab43, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMMesh = {0x3d82ab44, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMFrame = {0x3d82ab46, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMMaterial = {0x3d82ab4d, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMAnimation = {0x3d82ab4f, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMAnimationSet = {0x3d82ab50, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMVector = {0x3d82ab5e, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMMeshFace = {0x3d82ab5f, 0x62da, 0x11cf, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMColorRGBA = {0x35ff44e0, 0x6c7c, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMMeshTextureCoords = {0xf6f23f40, 0x7686, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMFrameTransformMatrix = {0xf6f23f41, 0x7686, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMMeshMaterialList = {0xf6f23f42, 0x7686, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMMeshNormals = {0xf6f23f43, 0x7686, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMCoords2d = {0xf6f23f44, 0x7686, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMMatrix4x4 = {0xf6f23f45, 0x7686, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMAnimationKey = {0x10dd46a8, 0x775b, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMFloatKeys = {0x10dd46a9, 0x775b, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMColorRGB = {0xd3e16e81, 0x7835, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMIndexedColor = {0x1630b820, 0x7842, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMMeshVertexColors = {0x1630b821, 0x7842, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMGuid = {0xa42790e0, 0x7810, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMTextureFilename = {0xa42790e1, 0x7810, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMMaterialWrap = {0x4885ae60, 0x78e8, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMBoolean = {0x4885ae61, 0x78e8, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMMeshFaceWraps = {0x4885ae62, 0x78e8, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMBoolean2d = {0x4885ae63, 0x78e8, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMTimedFloatKeys = {0xf406b180, 0x7b3b, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMAnimationOptions = {0xe2bf56c0, 0x840f, 0x11cf, {0x8f, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xa3}};
inline constexpr GUID TID_D3DRMInlineData = {0x3a23eea0, 0x94b1, 0x11d0, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMUrl = {0x3a23eea1, 0x94b1, 0x11d0, {0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33}};
inline constexpr GUID TID_D3DRMProgressiveMesh = {0x8a63c360, 0x997d, 0x11d0, {0x94, 0x1c, 0x00, 0x80, 0xc8, 0x0c, 0xfa, 0x7b}};
inline constexpr GUID TID_D3DRMExternalVisual = {0x98116aa0, 0xbdba, 0x11d1, {0x82, 0xc0, 0x00, 0xa0, 0xc9, 0x69, 0x72, 0x71}};
inline constexpr GUID TID_D3DRMStringProperty = {0x7f0f21e0, 0xbfe1, 0x11d1, {0x82, 0xc0, 0x00, 0xa0, 0xc9, 0x69, 0x72, 0x71}};
inline constexpr GUID TID_D3DRMPropertyBag = {0x7f0f21e1, 0xbfe1, 0x11d1, {0x82, 0xc0, 0x00, 0xa0, 0xc9, 0x69, 0x72, 0x71}};
inline constexpr GUID TID_D3DRMRightHanded = {0x7f5d5ea0, 0xd53a, 0x11d1, {0x82, 0xc0, 0x00, 0xa0, 0xc9, 0x69, 0x72, 0x71}};

// Ids of the extended templates every file is read with (see extended_templates.h).
inline constexpr GUID DXFILEOBJ_XSkinMeshHeader = {0x3cf169ce, 0xff7c, 0x44ab, {0x93, 0xc0, 0xf7, 0x8f, 0x62, 0xd1, 0x72, 0xe2}};
inline constexpr GUID DXFILEOBJ_VertexDuplicationIndices = {0xb8d65549, 0xd7c9, 0x4995, {0x89, 0xcf, 0x53, 0xa9, 0xa8, 0xb0, 0x31, 0xe3}};
inline constexpr GUID DXFILEOBJ_FaceAdjacency = {0xa64c844a, 0xe282, 0x4756, {0x8b, 0x80, 0x25, 0x0c, 0xde, 0x04, 0x39, 0x8c}};
inline constexpr GUID DXFILEOBJ_SkinWeights = {0x6f0d123b, 0xbad2, 0x4167, {0xa0, 0xd0, 0x80, 0x22, 0x4f, 0x25, 0xfa, 0xbb}};
inline constexpr GUID DXFILEOBJ_VertexElement = {0xf752461c, 0x1e23, 0x48f6, {0xb9, 0xf8, 0x83, 0x50, 0x85, 0x0f, 0x33, 0x6f}};
inline constexpr GUID DXFILEOBJ_DeclData = {0xbf22e553, 0x292c, 0x4781, {0x9f, 0xea, 0x62, 0xbd, 0x55, 0x4b, 0xdd, 0x93}};
inline constexpr GUID DXFILEOBJ_FVFData = {0xb6e70a0e, 0x8ef9, 0x4e83, {0x94, 0xad, 0xec, 0xc8, 0xb0, 0xc0, 0x48, 0x97}};
inline constexpr GUID DXFILEOBJ_EffectInstance = {0xe331f7e4, 0x0559, 0x4cc2, {0x8e, 0x99, 0x1c, 0xec, 0x16, 0x57, 0x92, 0x8f}};
inline constexpr GUID DXFILEOBJ_AnimTicksPerSecond = {0x9e415a43, 0x7ba6, 0x4a73, {0x87, 0x43, 0xb7, 0x3d, 0x47, 0xe8, 0x84, 0x76}};
inline constexpr GUID DXFILEOBJ_CompressedAnimationSet = {0x7f9b00b3, 0xf125, 0x4890, {0x87, 0x6e, 0x1c, 0x42, 0xbf, 0x69, 0x7c, 0x4d}};

// The standard templates above as one text X file ("xof 0303txt 0032"), ready for
// RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES). Our own block, not the platform's bytes.
extern const char D3DRM_XTEMPLATES[];
extern const DWORD D3DRM_XTEMPLATE_BYTES;
