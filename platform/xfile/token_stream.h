// SPDX-License-Identifier: GPL-3.0-or-later
// One token of lookahead over a tokenizer, shared by the template and data parsers.
#pragma once

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_token.h"

namespace xfile {

class TokenStream {
public:
    explicit TokenStream(TokenSource& source) : source_(source) {}

    HRESULT Peek(const Token*& token)
    {
        if (!hasPeeked_) {
            const HRESULT hr = source_.Next(peeked_);
            if (FAILED(hr)) {
                return hr;
            }
            hasPeeked_ = true;
        }
        token = &peeked_;
        return DXFILE_OK;
    }

    HRESULT Next(Token& token)
    {
        if (hasPeeked_) {
            hasPeeked_ = false;
            token = peeked_;
            return DXFILE_OK;
        }
        return source_.Next(token);
    }

    // Skips the , and ; that the format puts between and after values and members.
    HRESULT SkipSeparators()
    {
        for (;;) {
            const Token* token = nullptr;
            const HRESULT hr = Peek(token);
            if (FAILED(hr)) {
                return hr;
            }
            if (token->kind != TokenKind::Comma && token->kind != TokenKind::Semicolon) {
                return DXFILE_OK;
            }
            hasPeeked_ = false;
        }
    }

    std::size_t RemainingBytes() const { return source_.RemainingBytes(); }
    std::size_t TokenOffset() const { return source_.TokenOffset(); }

private:
    TokenSource& source_;
    Token peeked_;
    bool hasPeeked_ = false;
};

} // namespace xfile
