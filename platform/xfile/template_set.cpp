// The template set and the child rule of restricted templates.
#include "platform/xfile/template_set.h"

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_limits.h"

namespace xfile {

namespace {

// Members of all templates together: each costs a little memory, and a file could declare many.
constexpr std::size_t kMaxTotalMembers = 1u << 16;

} // namespace

std::optional<std::uint32_t> TemplateSet::Find(std::string_view name) const
{
    const auto found = byName_.find(name);
    if (found == byName_.end()) {
        return std::nullopt;
    }
    return found->second;
}

HRESULT TemplateSet::Add(TemplateDef definition)
{
    if (templates_.size() >= kMaxTemplates || memberCount_ + definition.members.size() > kMaxTotalMembers) {
        return DXFILEERR_BADALLOC;
    }
    memberCount_ += definition.members.size();
    const auto index = static_cast<std::uint32_t>(templates_.size());
    byName_.insert_or_assign(definition.name, index);
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
            if (allowed.hasGuid ? allowed.guid == child.guid : allowed.name == child.name) {
                return true;
            }
        }
        return false;
    }
    return false;
}

} // namespace xfile
