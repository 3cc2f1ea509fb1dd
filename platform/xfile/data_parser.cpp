// SPDX-License-Identifier: GPL-3.0-or-later
// Data objects: the header, the members as the template lays them out, then the children.
#include "platform/xfile/data_parser.h"

#include "platform/xfile/read_failure.h"
#include "platform/xfile/xfile_limits.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace xfile {

namespace {

// Words that can name an object: names, and in text files numbers or keywords used as names.
bool IsNameLike(const Token& token)
{
    return token.kind == TokenKind::Name ||
           ((token.kind == TokenKind::Integer || token.kind == TokenKind::Float || token.kind == TokenKind::Primitive) &&
            !token.text.empty());
}

// Narrows a double to float without undefined behaviour for values beyond float's range.
float ToFloat(double value)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -kMax) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

// Whether an integer fits a member of `bytes` bytes, signed or unsigned.
bool FitsInteger(std::int64_t value, std::size_t bytes)
{
    const std::int64_t low = -(std::int64_t{1} << (bytes * 8 - 1));
    const std::int64_t high = (std::int64_t{1} << (bytes * 8)) - 1;
    return value >= low && value <= high;
}

} // namespace

HRESULT DataParser::Spend()
{
    if (workLeft_ == 0) {
        return DXFILEERR_BADARRAYSIZE;
    }
    --workLeft_;
    return DXFILE_OK;
}

HRESULT DataParser::AppendBytes(const void* bytes, std::size_t count)
{
    const HRESULT hr = document_.Charge(count);
    if (FAILED(hr)) {
        return hr;
    }
    const std::size_t offset = document_.data.Append(count);
    std::memcpy(document_.data.At(offset), bytes, count);
    return DXFILE_OK;
}

HRESULT DataParser::ParseTopLevelObject(const Token& templateName)
{
    return ParseObject(templateName, kNoNode, 1);
}

HRESULT DataParser::ParseObject(const Token& templateName, std::uint32_t parent, int depth)
{
    if (depth > kMaxNestingDepth) {
        return DXFILEERR_PARSEERROR;
    }
    const auto templateIndex = document_.templates.Find(templateName.text);
    if (!templateIndex) {
        NoteFailureDetail("unknown template " + QuotedName(templateName.text));
        return DXFILEERR_NOTEMPLATE;
    }
    if (parent != kNoNode) {
        const TemplateDef& parentTemplate = document_.templates.At(document_.nodes[parent].templateIndex);
        if (!IsChildAllowed(parentTemplate, document_.templates.At(*templateIndex))) {
            NoteFailureDetail("a " + QuotedName(templateName.text) + " object may not be inside a " +
                              QuotedName(parentTemplate.name) + " object");
            return DXFILEERR_PARSEERROR;
        }
    }

    DataNode node;
    node.templateIndex = *templateIndex;
    Token token;
    const Token* next = nullptr;
    HRESULT hr = tokens_.Peek(next);
    if (FAILED(hr)) {
        return hr;
    }
    if (IsNameLike(*next)) {
        node.name = next->text;
        tokens_.Next(token);
        hr = tokens_.Peek(next);
        if (FAILED(hr)) {
            return hr;
        }
    }
    // The GUID belongs inside the braces; some writers put it before them.
    if (next->kind == TokenKind::Guid) {
        node.id = next->guid;
        node.hasId = true;
        tokens_.Next(token);
    }
    hr = tokens_.Next(token);
    if (FAILED(hr)) {
        return hr;
    }
    if (token.kind != TokenKind::OpenBrace) {
        return DXFILEERR_PARSEERROR;
    }
    hr = tokens_.Peek(next);
    if (FAILED(hr)) {
        return hr;
    }
    if (next->kind == TokenKind::Guid && !node.hasId) {
        node.id = next->guid;
        node.hasId = true;
        tokens_.Next(token);
    }

    const std::size_t memberCount = document_.templates.At(*templateIndex).members.size();
    hr = document_.Charge(sizeof(DataNode) + node.name.size() + (memberCount + 1) * sizeof(std::uint32_t) + 8);
    if (FAILED(hr)) {
        return hr;
    }
    document_.data.AlignTo8();
    const std::size_t start = document_.data.Size();
    node.dataOffset = static_cast<std::uint32_t>(start);
    node.memberOffsets = static_cast<std::uint32_t>(document_.memberOffsets.size());
    document_.memberOffsets.resize(document_.memberOffsets.size() + memberCount + 1, 0);
    const std::uint32_t index = document_.AddNode(parent, std::move(node));

    hr = ParseMembers(*templateIndex, start, document_.nodes[index].memberOffsets, false);
    if (FAILED(hr)) {
        return hr;
    }
    const auto size = static_cast<std::uint32_t>(document_.data.Size() - start);
    document_.nodes[index].dataSize = size;
    document_.memberOffsets[document_.nodes[index].memberOffsets + memberCount] = size;
    return ParseChildren(index, depth);
}

HRESULT DataParser::ParseChildren(std::uint32_t node, int depth)
{
    for (;;) {
        HRESULT hr = tokens_.SkipSeparators();
        if (FAILED(hr)) {
            return hr;
        }
        Token token;
        hr = tokens_.Next(token);
        if (FAILED(hr)) {
            return hr;
        }
        switch (token.kind) {
        case TokenKind::CloseBrace:
            return DXFILE_OK;
        case TokenKind::OpenBrace:
            if (document_.templates.At(document_.nodes[node].templateIndex).childRule == ChildRule::Closed) {
                return DXFILEERR_PARSEERROR;
            }
            hr = ParseReference(node);
            break;
        case TokenKind::Name:
            hr = ParseObject(token, node, depth + 1);
            break;
        default:
            // Values left over mean an array longer than its count, or a missing brace.
            return DXFILEERR_PARSEERROR;
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
}

HRESULT DataParser::ParseReference(std::uint32_t parent)
{
    DataNode node;
    node.kind = NodeKind::Reference;
    Token token;
    HRESULT hr = tokens_.Next(token);
    if (FAILED(hr)) {
        return hr;
    }
    if (IsNameLike(token)) {
        node.name = token.text;
        hr = tokens_.Next(token);
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (token.kind == TokenKind::Guid) {
        node.id = token.guid;
        node.hasId = true;
        hr = tokens_.Next(token);
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (token.kind != TokenKind::CloseBrace || (node.name.empty() && !node.hasId)) {
        return DXFILEERR_BADDATAREFERENCE;
    }
    hr = document_.Charge(sizeof(DataNode) + node.name.size());
    if (FAILED(hr)) {
        return hr;
    }
    document_.AddNode(parent, std::move(node));
    return DXFILE_OK;
}

HRESULT DataParser::ParseMembers(std::uint32_t templateIndex, std::size_t objectStart, std::uint32_t offsetsAt,
                                 bool inArray)
{
    const TemplateDef& definition = document_.templates.At(templateIndex);
    const std::size_t valuesAt = memberValues_.size();
    memberValues_.resize(valuesAt + definition.members.size(), 0);

    for (std::size_t i = 0; i < definition.members.size(); ++i) {
        const MemberDef& member = definition.members[i];
        if (offsetsAt != kNoNode) {
            document_.memberOffsets[offsetsAt + i] = static_cast<std::uint32_t>(document_.data.Size() - objectStart);
        }

        std::uint64_t count = 1;
        for (const ArrayDimension& dimension : member.dimensions) {
            const std::uint64_t extent = dimension.fromMember ? memberValues_[valuesAt + dimension.value] : dimension.value;
            // Every element takes at least a byte of input, or some work from the budget.
            if (extent != 0 && count > std::numeric_limits<std::uint64_t>::max() / extent) {
                return DXFILEERR_BADARRAYSIZE;
            }
            count *= extent;
        }
        if (member.isArray && count > tokens_.RemainingBytes()) {
            return DXFILEERR_BADARRAYSIZE;
        }

        const bool elementInArray = inArray || member.isArray;
        for (std::uint64_t element = 0; element < count; ++element) {
            HRESULT hr = Spend();
            if (FAILED(hr)) {
                return hr;
            }
            if (member.primitive == PrimitiveType::None) {
                hr = ParseMembers(member.templateIndex, objectStart, kNoNode, elementInArray);
            } else {
                std::uint64_t value = 0;
                hr = ParseValue(member.primitive, elementInArray, value);
                memberValues_[valuesAt + i] = value;
            }
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    memberValues_.resize(valuesAt);
    return DXFILE_OK;
}

HRESULT DataParser::ParseValue(PrimitiveType type, bool inArray, std::uint64_t& value)
{
    HRESULT hr = tokens_.SkipSeparators();
    if (FAILED(hr)) {
        return hr;
    }
    Token token;
    hr = tokens_.Next(token);
    if (FAILED(hr)) {
        return hr;
    }
    // A value missing from an array means the array is shorter than its count.
    const HRESULT missing = inArray ? DXFILEERR_BADARRAYSIZE : DXFILEERR_PARSEERROR;

    if (type == PrimitiveType::String) {
        if (token.kind != TokenKind::String) {
            return missing;
        }
        hr = document_.Charge(token.text.size() + 1 + sizeof(std::string));
        if (FAILED(hr)) {
            return hr;
        }
        const char* text = document_.strings.emplace_back(token.text).c_str();
        return AppendBytes(&text, sizeof text);
    }

    if (type == PrimitiveType::Float || type == PrimitiveType::Double) {
        double real = 0.0;
        if (token.kind == TokenKind::Float || (token.kind == TokenKind::Integer && token.integerInRange)) {
            real = token.kind == TokenKind::Float ? token.real : static_cast<double>(token.integer);
        } else {
            return missing;
        }
        if (type == PrimitiveType::Double) {
            return AppendBytes(&real, sizeof real);
        }
        const float narrow = ToFloat(real);
        return AppendBytes(&narrow, sizeof narrow);
    }

    if (token.kind != TokenKind::Integer) {
        return missing;
    }
    const std::size_t bytes = PrimitiveSize(type);
    if (!token.integerInRange || !FitsInteger(token.integer, bytes)) {
        return DXFILEERR_PARSEERROR;
    }
    // Negative values wrap as the platform's unsigned members would hold them.
    value = static_cast<std::uint64_t>(token.integer) & (bytes == 4 ? 0xffffffffu : bytes == 2 ? 0xffffu : 0xffu);
    if (bytes == 4) {
        const auto narrow = static_cast<std::uint32_t>(value);
        return AppendBytes(&narrow, bytes);
    }
    if (bytes == 2) {
        const auto narrow = static_cast<std::uint16_t>(value);
        return AppendBytes(&narrow, bytes);
    }
    const auto narrow = static_cast<std::uint8_t>(value);
    return AppendBytes(&narrow, bytes);
}

} // namespace xfile
