// SPDX-License-Identifier: GPL-3.0-or-later
// The enumerator, data objects and data references over a parsed document.
#include "platform/xfile/file_objects.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace xfile {

namespace {

// Where member-less objects point their data: a valid address for zero bytes.
const std::uint64_t kNoData = 0;

// Answers a query for an object's own interface or for the file-object interface all of them have.
template <typename Interface>
HRESULT Query(Interface* self, REFIID own, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == own || riid == IID_IDirectXFileObject) {
        self->AddRef();
        *object = self;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

} // namespace

HRESULT CopyName(std::string_view name, char* buffer, DWORD* size)
{
    if (size == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    const DWORD needed = name.empty() ? 0 : static_cast<DWORD>(name.size() + 1);
    if (buffer == nullptr) {
        *size = needed;
        return DXFILE_OK;
    }
    const DWORD capacity = *size;
    if (capacity > 0) {
        // Always leave a terminated string, cut when the buffer is short.
        const std::size_t copied = std::min<std::size_t>(name.size(), capacity - 1);
        std::memcpy(buffer, name.data(), copied);
        buffer[copied] = '\0';
    }
    *size = needed;
    if (needed > capacity) {
        return DXFILEERR_BADVALUE;
    }
    return DXFILE_OK;
}

ULONG FileEnumObject::AddRef() { return references_.fetch_add(1) + 1; }

ULONG FileEnumObject::Release()
{
    const ULONG left = references_.fetch_sub(1) - 1;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT FileEnumObject::GetNextDataObject(IDirectXFileData** data)
{
    if (data == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    *data = nullptr;
    if (next_ == kNoNode) {
        return DXFILEERR_NOMOREOBJECTS;
    }
    auto* object = new (std::nothrow) FileData(document_, next_);
    if (object == nullptr) {
        return DXFILEERR_BADALLOC;
    }
    next_ = document_->nodes[next_].nextSibling;
    *data = object;
    return DXFILE_OK;
}

FileData::FileData(DocumentPtr document, std::uint32_t node)
    : document_(std::move(document)), node_(node), nextChild_(document_->nodes[node].firstChild)
{
}

ULONG FileData::AddRef() { return references_.fetch_add(1) + 1; }

ULONG FileData::Release()
{
    const ULONG left = references_.fetch_sub(1) - 1;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT FileData::QueryInterface(REFIID riid, void** object)
{
    return Query<IDirectXFileData>(this, IID_IDirectXFileData, riid, object);
}

HRESULT FileData::GetName(char* buffer, DWORD* size) { return CopyName(document_->nodes[node_].name, buffer, size); }

HRESULT FileData::GetId(GUID* id)
{
    if (id == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    *id = document_->nodes[node_].id;
    return DXFILE_OK;
}

HRESULT FileData::GetData(const char* member, DWORD* size, void** data)
{
    if (size == nullptr || data == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    const DataNode& node = document_->nodes[node_];
    std::uint32_t begin = 0;
    std::uint32_t end = node.dataSize;
    if (member != nullptr) {
        const TemplateDef& definition = document_->templates.At(node.templateIndex);
        std::size_t found = definition.members.size();
        for (std::size_t i = 0; i < definition.members.size(); ++i) {
            if (definition.members[i].name == member) {
                found = i;
                break;
            }
        }
        if (found == definition.members.size()) {
            return DXFILEERR_NOTFOUND;
        }
        begin = document_->memberOffsets[node.memberOffsets + found];
        end = document_->memberOffsets[node.memberOffsets + found + 1];
    }
    *size = end - begin;
    // Reading through the returned pointer is the interface's purpose; the document stays const.
    const void* bytes = node.dataSize == 0 ? static_cast<const void*>(&kNoData)
                                           : static_cast<const void*>(document_->data.At(node.dataOffset + begin));
    *data = const_cast<void*>(bytes);
    return DXFILE_OK;
}

HRESULT FileData::GetType(const GUID** type)
{
    if (type == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    *type = &document_->templates.At(document_->nodes[node_].templateIndex).guid;
    return DXFILE_OK;
}

HRESULT FileData::GetNextObject(IDirectXFileObject** child)
{
    if (child == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    *child = nullptr;
    if (nextChild_ == kNoNode) {
        return DXFILEERR_NOMOREOBJECTS;
    }
    const DataNode& node = document_->nodes[nextChild_];
    IDirectXFileObject* object = nullptr;
    if (node.kind == NodeKind::Data) {
        object = new (std::nothrow) FileData(document_, nextChild_);
    } else {
        object = new (std::nothrow) FileDataReference(document_, nextChild_);
    }
    if (object == nullptr) {
        return DXFILEERR_BADALLOC;
    }
    nextChild_ = node.nextSibling;
    *child = object;
    return DXFILE_OK;
}

ULONG FileDataReference::AddRef() { return references_.fetch_add(1) + 1; }

ULONG FileDataReference::Release()
{
    const ULONG left = references_.fetch_sub(1) - 1;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT FileDataReference::QueryInterface(REFIID riid, void** object)
{
    return Query<IDirectXFileDataReference>(this, IID_IDirectXFileDataReference, riid, object);
}

HRESULT FileDataReference::GetName(char* buffer, DWORD* size)
{
    // A reference by GUID alone answers with the name of what it refers to.
    const DataNode& node = document_->nodes[node_];
    if (node.name.empty() && node.target != kNoNode) {
        return CopyName(document_->nodes[node.target].name, buffer, size);
    }
    return CopyName(node.name, buffer, size);
}

HRESULT FileDataReference::GetId(GUID* id)
{
    if (id == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    const DataNode& node = document_->nodes[node_];
    *id = (!node.hasId && node.target != kNoNode) ? document_->nodes[node.target].id : node.id;
    return DXFILE_OK;
}

HRESULT FileDataReference::Resolve(IDirectXFileData** data)
{
    if (data == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    *data = nullptr;
    const std::uint32_t target = document_->nodes[node_].target;
    if (target == kNoNode) {
        return DXFILEERR_BADDATAREFERENCE;
    }
    auto* object = new (std::nothrow) FileData(document_, target);
    if (object == nullptr) {
        return DXFILEERR_BADALLOC;
    }
    *data = object;
    return DXFILE_OK;
}

} // namespace xfile
