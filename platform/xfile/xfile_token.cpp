// SPDX-License-Identifier: GPL-3.0-or-later
// Keyword and size tables of the primitive member types.
#include "platform/xfile/xfile_token.h"

namespace xfile {

bool KeywordEquals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != b[i]) {
            return false;
        }
    }
    return true;
}

namespace {

struct KeywordType {
    std::string_view word;
    PrimitiveType type;
};

constexpr KeywordType kKeywords[] = {
    {"WORD", PrimitiveType::Word},     {"DWORD", PrimitiveType::Dword},   {"FLOAT", PrimitiveType::Float},
    {"DOUBLE", PrimitiveType::Double}, {"CHAR", PrimitiveType::Char},     {"UCHAR", PrimitiveType::Uchar},
    {"BYTE", PrimitiveType::Uchar},    {"SWORD", PrimitiveType::Sword},   {"SDWORD", PrimitiveType::Sdword},
    {"STRING", PrimitiveType::String}, {"LPSTR", PrimitiveType::String},  {"CSTRING", PrimitiveType::String},
    {"UNICODE", PrimitiveType::String},
};

} // namespace

PrimitiveType PrimitiveFromKeyword(std::string_view word)
{
    for (const KeywordType& keyword : kKeywords) {
        if (KeywordEquals(word, keyword.word)) {
            return keyword.type;
        }
    }
    return PrimitiveType::None;
}

std::size_t PrimitiveSize(PrimitiveType type)
{
    switch (type) {
    case PrimitiveType::Word:
    case PrimitiveType::Sword:
        return 2;
    case PrimitiveType::Dword:
    case PrimitiveType::Sdword:
    case PrimitiveType::Float:
        return 4;
    case PrimitiveType::Double:
        return 8;
    case PrimitiveType::Char:
    case PrimitiveType::Uchar:
        return 1;
    case PrimitiveType::String:
        return sizeof(char*);
    case PrimitiveType::None:
        break;
    }
    return 0;
}

} // namespace xfile
