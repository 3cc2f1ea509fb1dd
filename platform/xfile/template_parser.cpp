// SPDX-License-Identifier: GPL-3.0-or-later
// Template declarations: members, array dimensions and the restriction list.
#include "platform/xfile/template_parser.h"

#include "platform/xfile/read_failure.h"
#include "platform/xfile/xfile_limits.h"

#include <algorithm>

namespace xfile {

namespace {

bool IsIntegerPrimitive(PrimitiveType type)
{
    return type == PrimitiveType::Word || type == PrimitiveType::Dword || type == PrimitiveType::Char ||
           type == PrimitiveType::Uchar || type == PrimitiveType::Sword || type == PrimitiveType::Sdword;
}

HRESULT Expect(TokenStream& tokens, TokenKind kind, Token& token)
{
    const HRESULT hr = tokens.Next(token);
    if (FAILED(hr)) {
        return hr;
    }
    return token.kind == kind ? DXFILE_OK : DXFILEERR_PARSEERROR;
}

// The member's type: a primitive keyword (a name in binary files may spell one) or a known template.
HRESULT ParseMemberType(const Token& token, const TemplateSet& templates, MemberDef& member, int& depth)
{
    if (token.kind == TokenKind::Primitive) {
        member.primitive = token.primitive;
        return DXFILE_OK;
    }
    if (token.kind != TokenKind::Name) {
        return DXFILEERR_PARSEERROR;
    }
    if (const PrimitiveType type = PrimitiveFromKeyword(token.text); type != PrimitiveType::None) {
        member.primitive = type;
        return DXFILE_OK;
    }
    const auto index = templates.Find(token.text);
    if (!index) {
        NoteFailureDetail("unknown template " + QuotedName(token.text) + " as a member type");
        return DXFILEERR_NOTEMPLATE;
    }
    member.templateIndex = *index;
    depth = std::max(depth, templates.At(*index).depth + 1);
    return DXFILE_OK;
}

// "[count]" or "[memberName]", the member being an earlier single integer of the same template.
HRESULT ParseDimension(TokenStream& tokens, const std::vector<MemberDef>& earlier, ArrayDimension& dimension)
{
    Token token;
    HRESULT hr = tokens.Next(token);
    if (FAILED(hr)) {
        return hr;
    }
    if (token.kind == TokenKind::Integer) {
        if (!token.integerInRange || token.integer < 0 || token.integer > 0x7fffffff) {
            return DXFILEERR_BADARRAYSIZE;
        }
        dimension.fromMember = false;
        dimension.value = static_cast<std::uint32_t>(token.integer);
    } else if (token.kind == TokenKind::Name) {
        const auto found = std::find_if(earlier.rbegin(), earlier.rend(),
                                        [&](const MemberDef& member) { return member.name == token.text; });
        if (found == earlier.rend() || found->isArray || !IsIntegerPrimitive(found->primitive)) {
            return DXFILEERR_PARSEERROR;
        }
        dimension.fromMember = true;
        dimension.value = static_cast<std::uint32_t>(earlier.rend() - found - 1);
    } else {
        return DXFILEERR_PARSEERROR;
    }
    return Expect(tokens, TokenKind::CloseBracket, token);
}

HRESULT ParseMember(TokenStream& tokens, const TemplateSet& templates, TemplateDef& definition)
{
    MemberDef member;
    Token token;
    HRESULT hr = tokens.Next(token);
    if (FAILED(hr)) {
        return hr;
    }
    if (token.kind == TokenKind::Array) {
        member.isArray = true;
        hr = tokens.Next(token);
        if (FAILED(hr)) {
            return hr;
        }
    }
    hr = ParseMemberType(token, templates, member, definition.depth);
    if (FAILED(hr)) {
        return hr;
    }
    if (definition.depth > kMaxNestingDepth) {
        return DXFILEERR_PARSEERROR;
    }

    const Token* next = nullptr;
    hr = tokens.Peek(next);
    if (FAILED(hr)) {
        return hr;
    }
    // Single members may go unnamed; arrays need a name for their brackets to follow.
    if (next->kind == TokenKind::Name) {
        member.name = next->text;
        tokens.Next(token);
    } else if (member.isArray) {
        return DXFILEERR_PARSEERROR;
    }

    while (member.isArray) {
        hr = tokens.Peek(next);
        if (FAILED(hr)) {
            return hr;
        }
        if (next->kind != TokenKind::OpenBracket) {
            break;
        }
        tokens.Next(token);
        if (member.dimensions.size() >= kMaxArrayDimensions) {
            return DXFILEERR_BADARRAYSIZE;
        }
        ArrayDimension dimension;
        hr = ParseDimension(tokens, definition.members, dimension);
        if (FAILED(hr)) {
            return hr;
        }
        member.dimensions.push_back(dimension);
    }
    if (member.isArray && member.dimensions.empty()) {
        return DXFILEERR_PARSEERROR;
    }
    if (definition.members.size() >= kMaxMembers) {
        return DXFILEERR_BADALLOC;
    }
    definition.members.push_back(std::move(member));
    return DXFILE_OK;
}

// "[...]" (three dots, one token in text) or "[Name <guid>, Name, ...]"; the "[" is read.
HRESULT ParseRestriction(TokenStream& tokens, TemplateDef& definition)
{
    Token token;
    const Token* next = nullptr;
    HRESULT hr = tokens.Peek(next);
    if (FAILED(hr)) {
        return hr;
    }
    if (next->kind == TokenKind::Ellipsis || next->kind == TokenKind::Dot) {
        const TokenKind dotKind = next->kind;
        const int dots = dotKind == TokenKind::Ellipsis ? 1 : 3;
        for (int i = 0; i < dots; ++i) {
            hr = Expect(tokens, dotKind, token);
            if (FAILED(hr)) {
                return hr;
            }
        }
        definition.childRule = ChildRule::Open;
        return Expect(tokens, TokenKind::CloseBracket, token);
    }

    definition.childRule = ChildRule::Restricted;
    for (;;) {
        hr = tokens.SkipSeparators();
        if (FAILED(hr)) {
            return hr;
        }
        hr = tokens.Next(token);
        if (FAILED(hr)) {
            return hr;
        }
        if (token.kind == TokenKind::CloseBracket) {
            return DXFILE_OK;
        }
        if (token.kind != TokenKind::Name || definition.allowed.size() >= kMaxMembers) {
            return DXFILEERR_PARSEERROR;
        }
        AllowedChild allowed;
        allowed.name = token.text;
        hr = tokens.Peek(next);
        if (FAILED(hr)) {
            return hr;
        }
        if (next->kind == TokenKind::Guid) {
            allowed.guid = next->guid;
            allowed.hasGuid = true;
            tokens.Next(token);
        }
        definition.allowed.push_back(std::move(allowed));
    }
}

} // namespace

HRESULT ParseTemplateDeclaration(TokenStream& tokens, TemplateSet& templates)
{
    TemplateDef definition;
    Token token;
    HRESULT hr = Expect(tokens, TokenKind::Name, token);
    if (FAILED(hr)) {
        return hr;
    }
    definition.name = token.text;
    hr = Expect(tokens, TokenKind::OpenBrace, token);
    if (FAILED(hr)) {
        return hr;
    }
    const Token* next = nullptr;
    hr = tokens.Peek(next);
    if (FAILED(hr)) {
        return hr;
    }
    if (next->kind == TokenKind::Guid) {
        definition.guid = next->guid;
        tokens.Next(token);
    }

    for (;;) {
        hr = tokens.SkipSeparators();
        if (FAILED(hr)) {
            return hr;
        }
        hr = tokens.Peek(next);
        if (FAILED(hr)) {
            return hr;
        }
        if (next->kind == TokenKind::CloseBrace) {
            tokens.Next(token);
            break;
        }
        if (next->kind == TokenKind::OpenBracket) {
            tokens.Next(token);
            hr = ParseRestriction(tokens, definition);
            if (FAILED(hr)) {
                return hr;
            }
            hr = tokens.SkipSeparators();
            if (FAILED(hr)) {
                return hr;
            }
            hr = Expect(tokens, TokenKind::CloseBrace, token);
            if (FAILED(hr)) {
                return hr;
            }
            break;
        }
        if (next->kind == TokenKind::End) {
            return DXFILEERR_PARSEERROR;
        }
        hr = ParseMember(tokens, templates, definition);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return templates.Add(std::move(definition));
}

} // namespace xfile
