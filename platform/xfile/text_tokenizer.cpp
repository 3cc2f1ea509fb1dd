// SPDX-License-Identifier: GPL-3.0-or-later
// Tokenizer of the text X format. Words may hold letters, digits, _ - + . and UTF-8 bytes, so
// that names such as "Cube.001" or "left-arm" read as one name; a word that is a whole number
// is a number.
#include "platform/xfile/text_tokenizer.h"

#include "platform/xfile/dxfile.h"

#include <charconv>

namespace xfile {

namespace {

bool IsSpace(char c)
{
    // NUL counts as space: some writers pad files with it.
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '\0';
}

bool IsWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '+' || c == '.' || u >= 0x80;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads `digits` hex digits at text[at]; false when one is not a hex digit.
bool ReadHex(std::string_view text, std::size_t at, std::size_t digits, std::uint64_t& value)
{
    value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(text[at + i]);
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return true;
}

// A word is numeric when it starts like a number: a digit, or a sign or point before one.
bool LooksNumeric(std::string_view word)
{
    std::size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        ++i;
    }
    if (i < word.size() && word[i] == '.') {
        ++i;
    }
    return i < word.size() && IsDigit(word[i]);
}

bool IsIntegerWord(std::string_view word)
{
    std::size_t i = (word[0] == '+' || word[0] == '-') ? 1 : 0;
    if (i == word.size()) {
        return false;
    }
    for (; i < word.size(); ++i) {
        if (!IsDigit(word[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool ParseGuidText(std::string_view text, GUID& guid)
{
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
        return false;
    }
    std::uint64_t data1 = 0;
    std::uint64_t data2 = 0;
    std::uint64_t data3 = 0;
    if (!ReadHex(text, 0, 8, data1) || !ReadHex(text, 9, 4, data2) || !ReadHex(text, 14, 4, data3)) {
        return false;
    }
    guid.Data1 = static_cast<std::uint32_t>(data1);
    guid.Data2 = static_cast<std::uint16_t>(data2);
    guid.Data3 = static_cast<std::uint16_t>(data3);
    // The last two groups hold Data4's eight bytes in order.
    constexpr std::size_t kByteAt[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (int i = 0; i < 8; ++i) {
        std::uint64_t byte = 0;
        if (!ReadHex(text, kByteAt[i], 2, byte)) {
            return false;
        }
        guid.Data4[i] = static_cast<std::uint8_t>(byte);
    }
    return true;
}

void TextTokenizer::SkipSpaceAndComments()
{
    while (position_ < body_.size()) {
        const char c = body_[position_];
        if (IsSpace(c)) {
            ++position_;
        } else if (c == '#' || (c == '/' && position_ + 1 < body_.size() && body_[position_ + 1] == '/')) {
            while (position_ < body_.size() && body_[position_] != '\n') {
                ++position_;
            }
        } else {
            return;
        }
    }
}

HRESULT TextTokenizer::Next(Token& token)
{
    token = Token{};
    SkipSpaceAndComments();
    tokenStart_ = position_;
    if (position_ >= body_.size()) {
        token.kind = TokenKind::End;
        return DXFILE_OK;
    }
    const char c = body_[position_];
    switch (c) {
    case '{': token.kind = TokenKind::OpenBrace; break;
    case '}': token.kind = TokenKind::CloseBrace; break;
    case '[': token.kind = TokenKind::OpenBracket; break;
    case ']': token.kind = TokenKind::CloseBracket; break;
    case '(': token.kind = TokenKind::OpenParen; break;
    case ')': token.kind = TokenKind::CloseParen; break;
    case ',': token.kind = TokenKind::Comma; break;
    case ';': token.kind = TokenKind::Semicolon; break;
    case '"': {
        const std::size_t end = body_.find('"', position_ + 1);
        if (end == std::string_view::npos) {
            return DXFILEERR_PARSEERROR;
        }
        token.kind = TokenKind::String;
        token.text = body_.substr(position_ + 1, end - position_ - 1);
        position_ = end + 1;
        return DXFILE_OK;
    }
    case '<': {
        const std::size_t end = body_.find('>', position_ + 1);
        if (end == std::string_view::npos) {
            return DXFILEERR_PARSEERROR;
        }
        // Writers may pad the GUID with spaces inside the brackets.
        std::string_view inner = body_.substr(position_ + 1, end - position_ - 1);
        while (!inner.empty() && IsSpace(inner.front())) {
            inner.remove_prefix(1);
        }
        while (!inner.empty() && IsSpace(inner.back())) {
            inner.remove_suffix(1);
        }
        if (!ParseGuidText(inner, token.guid)) {
            return DXFILEERR_PARSEERROR;
        }
        token.kind = TokenKind::Guid;
        position_ = end + 1;
        return DXFILE_OK;
    }
    default:
        if (IsWordChar(c)) {
            return ReadWord(token);
        }
        return DXFILEERR_PARSEERROR;
    }
    ++position_;
    return DXFILE_OK;
}

HRESULT TextTokenizer::ReadWord(Token& token)
{
    const std::size_t start = position_;
    while (position_ < body_.size() && IsWordChar(body_[position_])) {
        ++position_;
    }
    const std::string_view word = body_.substr(start, position_ - start);
    token.text = word;

    if (word.find_first_not_of('.') == std::string_view::npos) {
        token.kind = word.size() == 3 ? TokenKind::Ellipsis : word.size() == 1 ? TokenKind::Dot : TokenKind::Name;
        return DXFILE_OK;
    }
    if (LooksNumeric(word)) {
        // from_chars takes no leading plus.
        const std::string_view digits = word[0] == '+' ? word.substr(1) : word;
        const char* first = digits.data();
        const char* last = digits.data() + digits.size();
        if (IsIntegerWord(word)) {
            token.kind = TokenKind::Integer;
            const auto [end, error] = std::from_chars(first, last, token.integer);
            token.integerInRange = error == std::errc{} && end == last;
            if (!token.integerInRange) {
                token.integer = 0;
            }
            token.real = 0.0;
            const auto [realEnd, realError] = std::from_chars(first, last, token.real);
            if (realError != std::errc{} || realEnd != last) {
                token.real = 0.0;
            }
            return DXFILE_OK;
        }
        double value = 0.0;
        const auto [end, error] = std::from_chars(first, last, value);
        if (end == last) {
            if (error != std::errc{}) {
                return DXFILEERR_PARSEERROR;
            }
            token.kind = TokenKind::Float;
            token.real = value;
            return DXFILE_OK;
        }
        // Not a whole number: a name that starts with a digit, such as "3DSMesh".
    }

    if (KeywordEquals(word, "TEMPLATE")) {
        token.kind = TokenKind::Template;
    } else if (KeywordEquals(word, "ARRAY")) {
        token.kind = TokenKind::Array;
    } else if (const PrimitiveType type = PrimitiveFromKeyword(word); type != PrimitiveType::None) {
        token.kind = TokenKind::Primitive;
        token.primitive = type;
    } else {
        token.kind = TokenKind::Name;
    }
    return DXFILE_OK;
}

} // namespace xfile
