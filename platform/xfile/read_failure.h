// SPDX-License-Identifier: GPL-3.0-or-later
// Why the last X file this thread tried to read was refused, in words for people: what was wrong
// and where ("unknown template 'Spline' at line 12"). The result codes stay as the interface defines
// them; this text is the detail beside them.
#pragma once

#include "platform/base/win_types.h"

#include <string>
#include <string_view>

// The reason for the last failed CreateEnumObject or RegisterTemplates on this thread; "" after a
// success. The text stays valid until this thread reads another file.
const char* DirectXFileFailureText();

namespace xfile {

// A result code and the words that describe it.
struct ResultWord {
    HRESULT result;
    const char* words;
};

// The words a table gives a result code, or otherwise when it has none.
template <std::size_t Count>
const char* WordsIn(const ResultWord (&table)[Count], HRESULT result, const char* otherwise)
{
    for (const ResultWord& word : table) {
        if (word.result == result) {
            return word.words;
        }
    }
    return otherwise;
}

// The result code in words ("parse error", "unknown template", ...).
const char* ResultWords(HRESULT result);

// A name from a file, quoted and made printable, cut when long: safe to show on any terminal.
std::string QuotedName(std::string_view name);

// Clears the note at the start of a read.
void ClearFailureNote();
// What a parser found wrong, before the position is known; the first note of a read is kept.
void NoteFailureDetail(std::string_view what);
// Completes the note of a failed read: the detail (or the code in words) and the position, which is
// empty when the failure has none (a missing file, a bad header).
void FinishFailureNote(HRESULT result, std::string_view position);

} // namespace xfile
