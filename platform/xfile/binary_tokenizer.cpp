// SPDX-License-Identifier: GPL-3.0-or-later
// Tokenizer of the binary X format. Every count is checked against the bytes left before use.
#include "platform/xfile/binary_tokenizer.h"

#include "platform/xfile/dxfile.h"

#include <cstring>

namespace xfile {

bool BinaryTokenizer::ReadWord(WORD& value)
{
    if (RemainingBytes() < 2) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(body_.data() + position_);
    value = static_cast<WORD>(bytes[0] | (bytes[1] << 8));
    position_ += 2;
    return true;
}

bool BinaryTokenizer::ReadDword(DWORD& value)
{
    if (RemainingBytes() < 4) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(body_.data() + position_);
    value = static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) | (static_cast<DWORD>(bytes[2]) << 16) |
            (static_cast<DWORD>(bytes[3]) << 24);
    position_ += 4;
    return true;
}

HRESULT BinaryTokenizer::NextListValue(Token& token)
{
    --listRemaining_;
    if (!listIsFloat_) {
        DWORD value = 0;
        if (!ReadDword(value)) {
            return DXFILEERR_PARSEERROR;
        }
        token.kind = TokenKind::Integer;
        token.integer = value;
        token.real = value;
        return DXFILE_OK;
    }
    token.kind = TokenKind::Float;
    if (floatBytes_ == 8) {
        DWORD low = 0;
        DWORD high = 0;
        if (!ReadDword(low) || !ReadDword(high)) {
            return DXFILEERR_PARSEERROR;
        }
        const std::uint64_t bits = (static_cast<std::uint64_t>(high) << 32) | low;
        std::memcpy(&token.real, &bits, sizeof bits);
    } else {
        DWORD bits = 0;
        if (!ReadDword(bits)) {
            return DXFILEERR_PARSEERROR;
        }
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof bits);
        token.real = value;
    }
    return DXFILE_OK;
}

HRESULT BinaryTokenizer::Next(Token& token)
{
    token = Token{};
    // Empty lists hand out nothing: read on to the next token.
    for (;;) {
        tokenStart_ = position_;
        if (listRemaining_ > 0) {
            return NextListValue(token);
        }
        if (RemainingBytes() == 0) {
            token.kind = TokenKind::End;
            return DXFILE_OK;
        }
        WORD code = 0;
        if (!ReadWord(code)) {
            return DXFILEERR_PARSEERROR;
        }
        switch (code) {
        case TOKEN_NAME:
        case TOKEN_STRING: {
            DWORD count = 0;
            if (!ReadDword(count) || count > RemainingBytes()) {
                return DXFILEERR_PARSEERROR;
            }
            token.kind = code == TOKEN_NAME ? TokenKind::Name : TokenKind::String;
            token.text = body_.substr(position_, count);
            position_ += count;
            // Names are handed out as C strings: one holding a NUL could not be read back whole.
            if (code == TOKEN_NAME && token.text.find('\0') != std::string_view::npos) {
                return DXFILEERR_PARSEERROR;
            }
            if (code == TOKEN_STRING && RemainingBytes() >= 2) {
                // A string carries its closing separator; take it when present.
                const std::size_t save = position_;
                WORD separator = 0;
                ReadWord(separator);
                if (separator != TOKEN_COMMA && separator != TOKEN_SEMICOLON) {
                    position_ = save;
                }
            }
            return DXFILE_OK;
        }
        case TOKEN_INTEGER: {
            DWORD value = 0;
            if (!ReadDword(value)) {
                return DXFILEERR_PARSEERROR;
            }
            token.kind = TokenKind::Integer;
            token.integer = value;
            token.real = value;
            return DXFILE_OK;
        }
        case TOKEN_GUID: {
            DWORD data1 = 0;
            WORD data2 = 0;
            WORD data3 = 0;
            if (!ReadDword(data1) || !ReadWord(data2) || !ReadWord(data3) || RemainingBytes() < 8) {
                return DXFILEERR_PARSEERROR;
            }
            token.kind = TokenKind::Guid;
            token.guid.Data1 = data1;
            token.guid.Data2 = data2;
            token.guid.Data3 = data3;
            std::memcpy(token.guid.Data4, body_.data() + position_, 8);
            position_ += 8;
            return DXFILE_OK;
        }
        case TOKEN_INTEGER_LIST:
        case TOKEN_FLOAT_LIST: {
            DWORD count = 0;
            if (!ReadDword(count)) {
                return DXFILEERR_PARSEERROR;
            }
            listIsFloat_ = code == TOKEN_FLOAT_LIST;
            const std::uint64_t bytes = static_cast<std::uint64_t>(count) * (listIsFloat_ ? floatBytes_ : 4);
            if (bytes > RemainingBytes()) {
                return DXFILEERR_PARSEERROR;
            }
            listRemaining_ = count;
            continue;
        }
        case TOKEN_OBRACE: token.kind = TokenKind::OpenBrace; return DXFILE_OK;
        case TOKEN_CBRACE: token.kind = TokenKind::CloseBrace; return DXFILE_OK;
        case TOKEN_OPAREN: token.kind = TokenKind::OpenParen; return DXFILE_OK;
        case TOKEN_CPAREN: token.kind = TokenKind::CloseParen; return DXFILE_OK;
        case TOKEN_OBRACKET: token.kind = TokenKind::OpenBracket; return DXFILE_OK;
        case TOKEN_CBRACKET: token.kind = TokenKind::CloseBracket; return DXFILE_OK;
        case TOKEN_OANGLE: token.kind = TokenKind::OpenAngle; return DXFILE_OK;
        case TOKEN_CANGLE: token.kind = TokenKind::CloseAngle; return DXFILE_OK;
        case TOKEN_DOT: token.kind = TokenKind::Dot; return DXFILE_OK;
        case TOKEN_COMMA: token.kind = TokenKind::Comma; return DXFILE_OK;
        case TOKEN_SEMICOLON: token.kind = TokenKind::Semicolon; return DXFILE_OK;
        case TOKEN_TEMPLATE: token.kind = TokenKind::Template; return DXFILE_OK;
        case TOKEN_ARRAY: token.kind = TokenKind::Array; return DXFILE_OK;
        case TOKEN_WORD: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Word; return DXFILE_OK;
        case TOKEN_DWORD: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Dword; return DXFILE_OK;
        case TOKEN_FLOAT: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Float; return DXFILE_OK;
        case TOKEN_DOUBLE: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Double; return DXFILE_OK;
        case TOKEN_CHAR: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Char; return DXFILE_OK;
        case TOKEN_UCHAR: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Uchar; return DXFILE_OK;
        case TOKEN_SWORD: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Sword; return DXFILE_OK;
        case TOKEN_SDWORD: token.kind = TokenKind::Primitive; token.primitive = PrimitiveType::Sdword; return DXFILE_OK;
        case TOKEN_LPSTR:
        case TOKEN_UNICODE:
        case TOKEN_CSTRING:
            token.kind = TokenKind::Primitive;
            token.primitive = PrimitiveType::String;
            return DXFILE_OK;
        default:
            // TOKEN_VOID and unknown codes have no meaning in a template or data object.
            return DXFILEERR_PARSEERROR;
        }
    }
}

} // namespace xfile
