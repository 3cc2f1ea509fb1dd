// SPDX-License-Identifier: GPL-3.0-or-later
// Templates: their members, array dimensions and which children their data objects may hold,
// and the set of templates one file object or one parsed file knows, found by name.
#pragma once

#include "platform/xfile/xfile_token.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xfile {

// One dimension of an array member: a constant, or the value of an earlier member.
struct ArrayDimension {
    bool fromMember = false;
    // The constant count, or the index of the member that holds it.
    std::uint32_t value = 0;
};

struct MemberDef {
    std::string name;
    // None for a member whose type is a template.
    PrimitiveType primitive = PrimitiveType::None;
    std::uint32_t templateIndex = 0;
    bool isArray = false;
    std::vector<ArrayDimension> dimensions;
};

// Which children a data object may hold: none, any ([...]) or those listed ([Name <guid>, ...]).
enum class ChildRule : std::uint8_t { Closed, Open, Restricted };

struct AllowedChild {
    std::string name;
    GUID guid{};
    bool hasGuid = false;
};

struct TemplateDef {
    std::string name;
    GUID guid{};
    std::vector<MemberDef> members;
    ChildRule childRule = ChildRule::Closed;
    std::vector<AllowedChild> allowed;
    // Levels of template nesting in the members (1 when all members are primitives).
    int depth = 1;
};

// Templates in declaration order; a later declaration of a name hides the earlier one, while
// members keep the template they were declared with (so no template can contain itself).
class TemplateSet {
public:
    // The exact name first; otherwise a template whose name differs only in letter case, since
    // writers spell some standard names their own way ("TextureFileName").
    std::optional<std::uint32_t> Find(std::string_view name) const;
    const TemplateDef& At(std::uint32_t index) const { return templates_[index]; }
    std::size_t Count() const { return templates_.size(); }

    // DXFILEERR_BADALLOC beyond the limits on templates and members.
    HRESULT Add(TemplateDef definition);

private:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    std::vector<TemplateDef> templates_;
    std::unordered_map<std::string, std::uint32_t, NameHash, std::equal_to<>> byName_;
    // Lower-cased names.
    std::unordered_map<std::string, std::uint32_t, NameHash, std::equal_to<>> byFoldedName_;
    std::size_t memberCount_ = 0;
};

// Whether a data object of `parent`'s template may hold a child object of `child`'s template.
bool IsChildAllowed(const TemplateDef& parent, const TemplateDef& child);

} // namespace xfile
