// SPDX-License-Identifier: GPL-3.0-or-later
// Parsing data objects, in either format, into a document: members packed by their template,
// child objects and references in file order.
#pragma once

#include "platform/xfile/data_document.h"
#include "platform/xfile/token_stream.h"

namespace xfile {

class DataParser {
public:
    // workBudget: values and array elements the whole file may produce.
    DataParser(TokenStream& tokens, Document& document, std::uint64_t workBudget)
        : tokens_(tokens), document_(document), workLeft_(workBudget)
    {
    }

    // Reads the rest of a top-level object whose template name has been read.
    HRESULT ParseTopLevelObject(const Token& templateName);

private:
    HRESULT ParseObject(const Token& templateName, std::uint32_t parent, int depth);
    HRESULT ParseChildren(std::uint32_t node, int depth);
    HRESULT ParseReference(std::uint32_t parent);
    // inArray: the members belong to an array element, so a missing value shortens the array.
    HRESULT ParseMembers(std::uint32_t templateIndex, std::size_t objectStart, std::uint32_t offsetsAt, bool inArray);
    HRESULT ParseValue(PrimitiveType type, bool inArray, std::uint64_t& value);
    HRESULT AppendBytes(const void* bytes, std::size_t count);
    HRESULT Spend();

    TokenStream& tokens_;
    Document& document_;
    std::uint64_t workLeft_;
    // Values of the single integer members of the templates being read, for array dimensions.
    std::vector<std::uint64_t> memberValues_;
};

} // namespace xfile
