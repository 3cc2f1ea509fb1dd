// SPDX-License-Identifier: GPL-3.0-or-later
// The per-thread note of why an X file was refused.
#include "platform/xfile/read_failure.h"

#include "platform/xfile/dxfile.h"

namespace xfile {

namespace {

struct FailureNote {
    std::string detail;
    std::string text;
};

FailureNote& Note()
{
    thread_local FailureNote note;
    return note;
}

constexpr ResultWord kResultWords[] = {
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
    {DXFILEERR_BADALLOC, "too large"},
    {DXFILEERR_NOTFOUND, "not found"},
    {DXFILEERR_BADRESOURCE, "bad resource"},
    {DXFILEERR_INTERNALERROR, "internal error of the reader"},
};

} // namespace

const char* ResultWords(HRESULT result) { return WordsIn(kResultWords, result, "unknown error"); }

std::string QuotedName(std::string_view name)
{
    constexpr std::size_t kShown = 64;
    std::string quoted = "'";
    for (std::size_t i = 0; i < name.size() && i < kShown; ++i) {
        const char c = name[i];
        quoted += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    if (name.size() > kShown) {
        quoted += "...";
    }
    return quoted + "'";
}

void ClearFailureNote()
{
    Note().detail.clear();
    Note().text.clear();
}

void NoteFailureDetail(std::string_view what)
{
    // The innermost parser speaks first and knows best.
    if (Note().detail.empty()) {
        Note().detail = what;
    }
}

void FinishFailureNote(HRESULT result, std::string_view position)
{
    FailureNote& note = Note();
    note.text = note.detail.empty() ? ResultWords(result) : note.detail;
    if (!position.empty()) {
        note.text += " at ";
        note.text += position;
    }
    note.detail.clear();
}

} // namespace xfile

const char* DirectXFileFailureText()
{
    return xfile::Note().text.c_str();
}
