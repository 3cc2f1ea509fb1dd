// SPDX-License-Identifier: GPL-3.0-or-later
// The template set and the child rule of restricted templates.
#include "platform/xfile/template_set.h"

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_limits.h"

namespace xfile {

namespace {

// Members of all templates together: each costs a little memory, and a file could declare many.
constexpr std::size_t kMaxTotalMembers = 1u << 16;

std::string Folded(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

} // namespace

std::optional<std::uint32_t> TemplateSet::Find(std::string_view name) const
{
    if (const auto found = byName_.find(name); found != byName_.end()) {
        return found->second;
    }
    if (const auto found = byFoldedName_.find(Folded(name)); found != byFoldedName_.end()) {
        return found->second;
    }
    return std::nullopt;
}

HRESULT TemplateSet::Add(TemplateDef definition)
{
    if (templates_.size() >= kMaxTemplates || memberCount_ + definition.members.size() > kMaxTotalMembers) {
        return DXFILEERR_BADALLOC;
    }
    memberCount_ += definition.members.size();
    const auto index = static_cast<std::uint32_t>(templates_.size());
    byName_.insert_or_assign(definition.name, index);
    byFoldedName_.insert_or_assign(Folded(definition.name), index);
    templates_.push_back(std::move(definition));
    return DXFILE_OK;
}

bool IsChildAllowed(const TemplateDef& parent, const TemplateDef& child)
{
    switch (parent.childRule) {
    case ChildRule::Open:
        return true;
    case ChildRule::Closed:
        return false;
    case ChildRule::Restricted:
        for (const AllowedChild& allowed : parent.allowed) {
            if (allowed.hasGuid ? allowed.guid == child.guid : Folded(allowed.name) == Folded(child.name)) {
                return true;
            }
        }
        return false;
    }
    return false;
}

} // namespace xfile
