// SPDX-License-Identifier: GPL-3.0-or-later
// A parsed X file: its templates, the tree of data objects and references in file order, and
// the packed data of every object. Immutable once parsed; shared by the objects handed out.
#pragma once

#include "platform/xfile/template_set.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace xfile {

constexpr std::uint32_t kNoNode = 0xffffffffu;

enum class NodeKind : std::uint8_t { Data, Reference };

struct DataNode {
    NodeKind kind = NodeKind::Data;
    std::uint32_t templateIndex = 0;
    std::string name;
    GUID id{};
    bool hasId = false;
    // The object's packed data in the document's data bytes.
    std::uint32_t dataOffset = 0;
    std::uint32_t dataSize = 0;
    // First of (members + 1) offsets in memberOffsets, relative to dataOffset; the last is dataSize.
    std::uint32_t memberOffsets = 0;
    std::uint32_t firstChild = kNoNode;
    std::uint32_t lastChild = kNoNode;
    std::uint32_t nextSibling = kNoNode;
    // For a reference: the data node it names, or kNoNode when none matches.
    std::uint32_t target = kNoNode;
};

// Growable bytes whose start is 8-byte aligned, so that objects' data can be read in place.
class DataBytes {
public:
    std::size_t Size() const { return size_; }
    // Appends zeroed bytes and returns their offset.
    std::size_t Append(std::size_t count);
    void AlignTo8() { Append((8 - size_ % 8) % 8); }
    unsigned char* At(std::size_t offset) { return reinterpret_cast<unsigned char*>(words_.data()) + offset; }
    const unsigned char* At(std::size_t offset) const
    {
        return reinterpret_cast<const unsigned char*>(words_.data()) + offset;
    }

private:
    std::vector<std::uint64_t> words_;
    std::size_t size_ = 0;
};

struct Document {
    TemplateSet templates;
    std::vector<DataNode> nodes;
    std::uint32_t firstRoot = kNoNode;
    std::uint32_t lastRoot = kNoNode;
    DataBytes data;
    std::vector<std::uint32_t> memberOffsets;
    // Strings of STRING members; a deque keeps each one where the data's pointers point.
    std::deque<std::string> strings;
    std::size_t chargedBytes = 0;

    // Counts memory the document is about to hold; DXFILEERR_BADALLOC past the limit.
    HRESULT Charge(std::size_t bytes);
    // Appends a node under `parent` (kNoNode for the top level) and returns its index.
    std::uint32_t AddNode(std::uint32_t parent, DataNode node);
    // Points every reference at the first data object, in file order, with its name (and GUID).
    void ResolveReferences();
};

} // namespace xfile
