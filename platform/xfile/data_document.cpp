// SPDX-License-Identifier: GPL-3.0-or-later
// The parsed document: memory accounting, the node tree and reference resolution.
#include "platform/xfile/data_document.h"

#include "platform/xfile/dxfile.h"
#include "platform/xfile/xfile_limits.h"

#include <unordered_map>

namespace xfile {

std::size_t DataBytes::Append(std::size_t count)
{
    const std::size_t offset = size_;
    size_ += count;
    words_.resize((size_ + 7) / 8, 0);
    return offset;
}

HRESULT Document::Charge(std::size_t bytes)
{
    if (bytes > kMaxDocumentBytes - chargedBytes) {
        return DXFILEERR_BADALLOC;
    }
    chargedBytes += bytes;
    return DXFILE_OK;
}

std::uint32_t Document::AddNode(std::uint32_t parent, DataNode node)
{
    const auto index = static_cast<std::uint32_t>(nodes.size());
    nodes.push_back(std::move(node));
    std::uint32_t& first = parent == kNoNode ? firstRoot : nodes[parent].firstChild;
    std::uint32_t& last = parent == kNoNode ? lastRoot : nodes[parent].lastChild;
    if (first == kNoNode) {
        first = index;
    } else {
        nodes[last].nextSibling = index;
    }
    last = index;
    return index;
}

namespace {

std::string_view GuidKey(const GUID& id) { return {reinterpret_cast<const char*>(&id), sizeof(GUID)}; }

} // namespace

void Document::ResolveReferences()
{
    // Nodes are stored in file order, so the first entry per key is the first object with it.
    std::unordered_map<std::string_view, std::uint32_t> firstByName;
    std::unordered_map<std::string_view, std::uint32_t> firstById;
    for (std::uint32_t i = 0; i < nodes.size(); ++i) {
        const DataNode& node = nodes[i];
        if (node.kind != NodeKind::Data) {
            continue;
        }
        if (!node.name.empty()) {
            firstByName.try_emplace(node.name, i);
        }
        if (node.hasId) {
            firstById.try_emplace(GuidKey(node.id), i);
        }
    }
    for (DataNode& node : nodes) {
        if (node.kind != NodeKind::Reference) {
            continue;
        }
        if (!node.name.empty()) {
            const auto found = firstByName.find(node.name);
            if (found != firstByName.end() && (!node.hasId || nodes[found->second].id == node.id)) {
                node.target = found->second;
                continue;
            }
        }
        // A GUID alone, or a shared name whose first object has another GUID.
        if (node.hasId) {
            const auto found = firstById.find(GuidKey(node.id));
            if (found != firstById.end() && (node.name.empty() || nodes[found->second].name == node.name)) {
                node.target = found->second;
            }
        }
    }
}

} // namespace xfile
