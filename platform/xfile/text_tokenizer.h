// SPDX-License-Identifier: GPL-3.0-or-later
// Tokenizer of the text X format: words, numbers, quoted strings, <GUID>s, punctuation, comments.
#pragma once

#include "platform/xfile/xfile_token.h"

namespace xfile {

// Parses "3D82AB43-62DA-11cf-AB39-0020AF71E433" (no angle brackets); false when malformed.
bool ParseGuidText(std::string_view text, GUID& guid);

class TextTokenizer final : public TokenSource {
public:
    // body: the file after its 16-byte header.
    explicit TextTokenizer(std::string_view body) : body_(body) {}

    HRESULT Next(Token& token) override;
    std::size_t RemainingBytes() const override { return body_.size() - position_; }
    std::size_t TokenOffset() const override { return tokenStart_; }

private:
    void SkipSpaceAndComments();
    HRESULT ReadWord(Token& token);

    std::string_view body_;
    std::size_t position_ = 0;
    std::size_t tokenStart_ = 0;
};

} // namespace xfile
