// SPDX-License-Identifier: GPL-3.0-or-later
// The top level of an X file: template declarations and data objects, in any order.
#include "platform/xfile/xfile_reader.h"

#include "platform/xfile/binary_tokenizer.h"
#include "platform/xfile/data_parser.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/extended_templates.h"
#include "platform/xfile/file_header.h"
#include "platform/xfile/mszip_reader.h"
#include "platform/xfile/read_failure.h"
#include "platform/xfile/template_parser.h"
#include "platform/xfile/text_tokenizer.h"
#include "platform/xfile/xfile_limits.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

namespace xfile {

namespace {

// Where the tokenizer stands, for a message: a line in text files, a byte offset in binary ones.
std::string Position(std::string_view file, const FileHeader& header, std::size_t bodyOffset)
{
    const std::size_t at = std::min(kFileHeaderBytes + bodyOffset, file.size());
    if (header.binary) {
        return "byte " + std::to_string(at) + (header.compressed ? " of the uncompressed data" : "");
    }
    const auto lines = std::count(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at), '\n');
    return "line " + std::to_string(lines + 1);
}

// Runs `parse` over the file's tokens in the format its header names, inflating a compressed file
// first. `parse` gets the tokens and the size of the (uncompressed) file. A failure leaves its note.
template <typename Parse>
HRESULT WithTokens(std::string_view file, Parse parse)
{
    FileHeader header;
    HRESULT hr = ReadFileHeader(file, header);
    if (FAILED(hr)) {
        FinishFailureNote(hr, "");
        return hr;
    }
    std::string inflated;
    if (header.compressed) {
        hr = InflateMsZip(file.substr(kFileHeaderBytes), inflated);
        if (FAILED(hr)) {
            FinishFailureNote(hr, "");
            return hr;
        }
        // The position of an error is counted in the uncompressed file, header included.
        inflated.insert(0, file.substr(0, kFileHeaderBytes));
        file = inflated;
    }
    const std::string_view body = file.substr(kFileHeaderBytes);
    auto run = [&](TokenSource& tokenizer) {
        TokenStream tokens(tokenizer);
        const HRESULT result = parse(tokens, file.size());
        if (FAILED(result)) {
            FinishFailureNote(result, Position(file, header, tokens.TokenOffset()));
        }
        return result;
    };
    if (header.binary) {
        BinaryTokenizer tokenizer(body, header.floatBytes);
        return run(tokenizer);
    }
    TextTokenizer tokenizer(body);
    return run(tokenizer);
}

// Template declarations, and data objects when `parser` is given, until the end of the file.
HRESULT ParseTopLevel(TokenStream& tokens, TemplateSet& templates, DataParser* parser)
{
    for (;;) {
        HRESULT hr = tokens.SkipSeparators();
        if (FAILED(hr)) {
            return hr;
        }
        Token token;
        hr = tokens.Next(token);
        if (FAILED(hr)) {
            return hr;
        }
        if (token.kind == TokenKind::End) {
            return DXFILE_OK;
        }
        if (token.kind == TokenKind::Template) {
            hr = ParseTemplateDeclaration(tokens, templates);
        } else if (token.kind == TokenKind::Name && parser != nullptr) {
            hr = parser->ParseTopLevelObject(token);
        } else {
            hr = DXFILEERR_PARSEERROR;
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
}

// Allocation failures inside the standard containers become the interface's code.
template <typename Body>
HRESULT Guarded(Body body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return DXFILEERR_BADALLOC;
    } catch (const std::length_error&) {
        return DXFILEERR_BADALLOC;
    } catch (...) {
        return DXFILEERR_INTERNALERROR;
    }
}

// Every failure leaves a note, also those without a parser's detail (memory, say).
HRESULT Noted(HRESULT result)
{
    if (FAILED(result) && DirectXFileFailureText()[0] == '\0') {
        FinishFailureNote(result, "");
    }
    return result;
}

} // namespace

HRESULT ReadTemplateFile(std::string_view file, TemplateSet& templates)
{
    ClearFailureNote();
    return Noted(Guarded([&] {
        TemplateSet updated = templates;
        const HRESULT hr = WithTokens(
            file, [&](TokenStream& tokens, std::size_t) { return ParseTopLevel(tokens, updated, nullptr); });
        if (SUCCEEDED(hr)) {
            templates = std::move(updated);
        }
        return hr;
    }));
}

HRESULT ReadDataFile(std::string_view file, const TemplateSet& registered, std::shared_ptr<const Document>& document)
{
    ClearFailureNote();
    return Noted(Guarded([&] {
        auto parsed = std::make_shared<Document>();
        parsed->templates = registered;
        // Before the file's own declarations, which may redefine them.
        HRESULT hr = AddExtendedTemplates(parsed->templates);
        if (FAILED(hr)) {
            return hr;
        }
        hr = WithTokens(file, [&](TokenStream& tokens, std::size_t plainBytes) {
            const std::uint64_t budget = kWorkPerInputByte * plainBytes + kWorkAllowance;
            DataParser parser(tokens, *parsed, budget);
            return ParseTopLevel(tokens, parsed->templates, &parser);
        });
        if (FAILED(hr)) {
            return hr;
        }
        parsed->ResolveReferences();
        document = std::move(parsed);
        return DXFILE_OK;
    }));
}

} // namespace xfile
