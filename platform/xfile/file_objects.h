// SPDX-License-Identifier: GPL-3.0-or-later
// The objects a parsed file hands out: the enumerator, data objects and data references.
// Each holds the shared document, so the data stays valid while any of them lives.
#pragma once

#include "platform/xfile/data_document.h"
#include "platform/xfile/dxfile.h"

#include <atomic>
#include <memory>

namespace xfile {

using DocumentPtr = std::shared_ptr<const Document>;

class FileEnumObject final : public IDirectXFileEnumObject {
public:
    explicit FileEnumObject(DocumentPtr document) : document_(std::move(document)), next_(document_->firstRoot) {}

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetNextDataObject(IDirectXFileData** data) override;

private:
    ~FileEnumObject() override = default;

    std::atomic<ULONG> references_{1};
    DocumentPtr document_;
    std::uint32_t next_;
};

class FileData final : public IDirectXFileData {
public:
    FileData(DocumentPtr document, std::uint32_t node);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetName(char* buffer, DWORD* size) override;
    HRESULT GetId(GUID* id) override;
    HRESULT GetData(const char* member, DWORD* size, void** data) override;
    HRESULT GetType(const GUID** type) override;
    HRESULT GetNextObject(IDirectXFileObject** child) override;

private:
    ~FileData() override = default;

    std::atomic<ULONG> references_{1};
    DocumentPtr document_;
    std::uint32_t node_;
    std::uint32_t nextChild_;
};

class FileDataReference final : public IDirectXFileDataReference {
public:
    FileDataReference(DocumentPtr document, std::uint32_t node) : document_(std::move(document)), node_(node) {}

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetName(char* buffer, DWORD* size) override;
    HRESULT GetId(GUID* id) override;
    HRESULT Resolve(IDirectXFileData** data) override;

private:
    ~FileDataReference() override = default;

    std::atomic<ULONG> references_{1};
    DocumentPtr document_;
    std::uint32_t node_;
};

// Copies a name out with the GetName convention of dxfile.h.
HRESULT CopyName(std::string_view name, char* buffer, DWORD* size);

} // namespace xfile
