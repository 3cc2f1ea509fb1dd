// SPDX-License-Identifier: GPL-3.0-or-later
// The result codes of the file reader, the mesh loader and the scene, in words.
#include "tools/xinfo/result_text.h"

#include "d3dx/d3dx_texture.h"
#include "platform/d3d8/d3d8_constants.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/read_failure.h"

namespace {

// The mesh loader's and the scene's own codes; the file reader's come from the reader.
constexpr xfile::ResultWord ResultNames[] = {
    {D3DXERR_INVALIDDATA, "invalid data"},
    {D3DERR_INVALIDCALL, "invalid call"},
    {D3DERR_OUTOFVIDEOMEMORY, "out of video memory"},
    {E_OUTOFMEMORY, "out of memory"},
    {E_INVALIDARG, "invalid argument"},
    {E_FAIL, "an object in the file could not be loaded"},
};

} // namespace

const char* ResultText(HRESULT result)
{
    return xfile::WordsIn(ResultNames, result, xfile::ResultWords(result));
}
