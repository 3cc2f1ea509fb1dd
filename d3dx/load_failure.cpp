// SPDX-License-Identifier: GPL-3.0-or-later
// The per-thread record of the last failed load.
#include "d3dx/load_failure.h"

namespace {

LoadFailure& Record()
{
    thread_local LoadFailure failure;
    return failure;
}

} // namespace

const LoadFailure& LastLoadFailure()
{
    return Record();
}

void NoteLoadFailure(LoadFailureKind kind, std::string_view file, std::string_view reason, std::string_view format)
{
    LoadFailure& failure = Record();
    failure.kind = kind;
    failure.file = file;
    failure.reason = reason;
    failure.format = format;
}
