// The top level of an X file: template declarations and data objects, in any order.
#include "platform/xfile/xfile_reader.h"

#include "platform/xfile/binary_tokenizer.h"
#include "platform/xfile/data_parser.h"
#include "platform/xfile/dxfile.h"
#include "platform/xfile/file_header.h"
#include "platform/xfile/template_parser.h"
#include "platform/xfile/text_tokenizer.h"
#include "platform/xfile/xfile_limits.h"

#include <new>
#include <stdexcept>

namespace xfile {

namespace {

// Runs `parse` over the file's tokens in the format its header names.
template <typename Parse>
HRESULT WithTokens(std::string_view file, Parse parse)
{
    FileHeader header;
    const HRESULT hr = ReadFileHeader(file, header);
    if (FAILED(hr)) {
        return hr;
    }
    const std::string_view body = file.substr(kFileHeaderBytes);
    if (header.binary) {
        BinaryTokenizer tokenizer(body, header.floatBytes);
        TokenStream tokens(tokenizer);
        return parse(tokens);
    }
    TextTokenizer tokenizer(body);
    TokenStream tokens(tokenizer);
    return parse(tokens);
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

} // namespace

HRESULT ReadTemplateFile(std::string_view file, TemplateSet& templates)
{
    return Guarded([&] {
        TemplateSet updated = templates;
        const HRESULT hr =
            WithTokens(file, [&](TokenStream& tokens) { return ParseTopLevel(tokens, updated, nullptr); });
        if (SUCCEEDED(hr)) {
            templates = std::move(updated);
        }
        return hr;
    });
}

HRESULT ReadDataFile(std::string_view file, const TemplateSet& registered, std::shared_ptr<const Document>& document)
{
    return Guarded([&] {
        auto parsed = std::make_shared<Document>();
        parsed->templates = registered;
        const std::uint64_t budget = kWorkPerInputByte * file.size() + kWorkAllowance;
        const HRESULT hr = WithTokens(file, [&](TokenStream& tokens) {
            DataParser parser(tokens, *parsed, budget);
            return ParseTopLevel(tokens, parsed->templates, &parser);
        });
        if (FAILED(hr)) {
            return hr;
        }
        parsed->ResolveReferences();
        document = std::move(parsed);
        return DXFILE_OK;
    });
}

} // namespace xfile
