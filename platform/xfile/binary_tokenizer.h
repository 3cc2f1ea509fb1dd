// SPDX-License-Identifier: GPL-3.0-or-later
// Tokenizer of the binary X format: 16-bit token codes with little-endian operands. Integer and
// float lists are handed out one value at a time, so the parsers see the same tokens as for text.
#pragma once

#include "platform/xfile/xfile_token.h"

namespace xfile {

// The format's token codes.
enum BinaryTokenCode : WORD {
    TOKEN_NAME = 1,
    TOKEN_STRING = 2,
    TOKEN_INTEGER = 3,
    TOKEN_GUID = 5,
    TOKEN_INTEGER_LIST = 6,
    TOKEN_FLOAT_LIST = 7,
    TOKEN_OBRACE = 10,
    TOKEN_CBRACE = 11,
    TOKEN_OPAREN = 12,
    TOKEN_CPAREN = 13,
    TOKEN_OBRACKET = 14,
    TOKEN_CBRACKET = 15,
    TOKEN_OANGLE = 16,
    TOKEN_CANGLE = 17,
    TOKEN_DOT = 18,
    TOKEN_COMMA = 19,
    TOKEN_SEMICOLON = 20,
    TOKEN_TEMPLATE = 31,
    TOKEN_WORD = 40,
    TOKEN_DWORD = 41,
    TOKEN_FLOAT = 42,
    TOKEN_DOUBLE = 43,
    TOKEN_CHAR = 44,
    TOKEN_UCHAR = 45,
    TOKEN_SWORD = 46,
    TOKEN_SDWORD = 47,
    TOKEN_VOID = 48,
    TOKEN_LPSTR = 49,
    TOKEN_UNICODE = 50,
    TOKEN_CSTRING = 51,
    TOKEN_ARRAY = 52,
};

class BinaryTokenizer final : public TokenSource {
public:
    // body: the file after its 16-byte header; floatBytes: 4 or 8, from the header.
    BinaryTokenizer(std::string_view body, std::size_t floatBytes) : body_(body), floatBytes_(floatBytes) {}

    HRESULT Next(Token& token) override;
    std::size_t RemainingBytes() const override { return body_.size() - position_; }
    std::size_t TokenOffset() const override { return tokenStart_; }

private:
    bool ReadWord(WORD& value);
    bool ReadDword(DWORD& value);
    HRESULT NextListValue(Token& token);

    std::string_view body_;
    std::size_t floatBytes_;
    std::size_t position_ = 0;
    std::size_t tokenStart_ = 0;
    // Values left in the integer or float list being handed out.
    DWORD listRemaining_ = 0;
    bool listIsFloat_ = false;
};

} // namespace xfile
