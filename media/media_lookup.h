// SPDX-License-Identifier: GPL-3.0-or-later
// Finding media files by name (as given, in the current directory, or in the installed media folder
// the registry names) and creating textures from them.
#pragma once

#include "platform/d3d8/d3d8.h"
#include "platform/os/file_system.h"

// The installed media folder with "/Media/" appended, or "" when the registry names none or the
// result would not fit in MAX_PATH. Read afresh on every call; the text lives in a buffer of the
// calling thread and stays valid until that thread calls again.
const char* RegistryMediaFolder();

// Finds a media file: the name as a path, then its bare file name in the current directory, then the
// bare file name in the media folder. outPath (MAX_PATH bytes) receives the path that opened and S_OK;
// otherwise E_FAIL with the name in outPath ("" when the name does not fit). E_INVALIDARG for a null
// argument. A path that does not fit in MAX_PATH counts as not found.
HRESULT LocateMediaFile(char* outPath, const char* name);

// The effect textures are read from the working folder: a program started elsewhere (a desktop menu,
// another folder) works in the media folder instead. Nothing changes when "Star.bmp" is in the current
// folder or the media folder lacks it; false when changing folder failed.
bool EnterMediaFolder();

// Creates a managed texture of the located file with the image's size, a full mip chain and point
// filtering with mirrored edges; the result is the texture loader's.
HRESULT LoadMediaTexture(IDirect3DDevice8* device, const char* name, IDirect3DTexture8** texture, D3DFORMAT format);
