// SPDX-License-Identifier: GPL-3.0-or-later
// The tokens shared by the text and binary X-file readers, and the source both provide.
#pragma once

#include "platform/base/win_types.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace xfile {

// The format's primitive member types; BYTE reads as UCHAR, LPSTR / CSTRING / UNICODE as STRING.
enum class PrimitiveType : std::uint8_t { None, Word, Dword, Float, Double, Char, Uchar, Sword, Sdword, String };

enum class TokenKind : std::uint8_t {
    End,
    Name,
    String,
    Integer,
    Float,
    Guid,
    OpenBrace,
    CloseBrace,
    OpenBracket,
    CloseBracket,
    OpenParen,
    CloseParen,
    OpenAngle,
    CloseAngle,
    Comma,
    Semicolon,
    Dot,
    Ellipsis,
    Template,
    Array,
    Primitive,
};

struct Token {
    TokenKind kind = TokenKind::End;
    // Names and strings (a view into the input); the word of a text number.
    std::string_view text;
    std::int64_t integer = 0;
    // Integer tokens too large for 64 bits are kept, marked, and refused where a value is needed.
    bool integerInRange = true;
    double real = 0.0;
    GUID guid{};
    PrimitiveType primitive = PrimitiveType::None;
};

// Whether a word is the given upper-case keyword; the format's keywords ignore case.
bool KeywordEquals(std::string_view word, std::string_view upperKeyword);

// Primitive type of a keyword such as "DWORD" or "STRING" (any case); None for other words.
PrimitiveType PrimitiveFromKeyword(std::string_view word);

// Bytes a value of the type takes in a data object's packed data.
std::size_t PrimitiveSize(PrimitiveType type);

// A tokenizer of one file body: Next fills the token and returns DXFILE_OK, or a failure code.
class TokenSource {
public:
    virtual ~TokenSource() = default;
    virtual HRESULT Next(Token& token) = 0;
    // Input bytes not yet consumed: an upper bound on the values still to come.
    virtual std::size_t RemainingBytes() const = 0;
    // Where the token read last starts, in bytes from the start of the body: for error messages.
    virtual std::size_t TokenOffset() const = 0;
};

} // namespace xfile
