// The result codes of the file reader, the mesh loader and the scene, in words.
#include "tools/xinfo/result_text.h"

#include "d3dx/d3dx_texture.h"
#include "platform/d3d8/d3d8_constants.h"
#include "platform/xfile/dxfile.h"

namespace {

struct ResultName {
    HRESULT result;
    const char* text;
};

constexpr ResultName ResultNames[] = {
    {DXFILEERR_FILENOTFOUND, "file not found"},
    {DXFILEERR_BADFILETYPE, "not an X file"},
    {DXFILEERR_BADFILEVERSION, "unsupported X file version"},
    {DXFILEERR_BADFILEFLOATSIZE, "unsupported float size"},
    {DXFILEERR_BADFILECOMPRESSIONTYPE, "unsupported compression"},
    {DXFILEERR_BADFILE, "malformed file"},
    {DXFILEERR_PARSEERROR, "parse error"},
    {DXFILEERR_NOTEMPLATE, "unknown template"},
    {DXFILEERR_BADARRAYSIZE, "array size does not match its count"},
    {DXFILEERR_BADDATAREFERENCE, "reference to an object that does not exist"},
    {DXFILEERR_BADVALUE, "bad value"},
    {DXFILEERR_BADTYPE, "wrong type"},
    {DXFILEERR_BADOBJECT, "bad object"},
    {DXFILEERR_BADALLOC, "out of memory"},
    {DXFILEERR_NOTFOUND, "not found"},
    {DXFILEERR_BADRESOURCE, "bad resource"},
    {DXFILEERR_INTERNALERROR, "internal error of the reader"},
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
    for (const ResultName& name : ResultNames) {
        if (name.result == result) {
            return name.text;
        }
    }
    return "unknown error";
}
