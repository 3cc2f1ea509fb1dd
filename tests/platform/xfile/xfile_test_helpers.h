// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the X-file reader tests: owning references, opening files held in strings, walking
// objects, and a writer of binary X-format tokens.
#pragma once

#include "platform/xfile/binary_tokenizer.h"
#include "platform/xfile/dxfile.h"

#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace xfile_test {

// Releases what it holds; Out() hands the slot to a creating call.
template <typename T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* object) : object_(object) {}
    Ref(Ref&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept
    {
        if (this != &other) {
            Reset();
            object_ = other.object_;
            other.object_ = nullptr;
        }
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { Reset(); }

    void Reset()
    {
        if (object_ != nullptr) {
            object_->Release();
            object_ = nullptr;
        }
    }
    T** Out()
    {
        Reset();
        return &object_;
    }
    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

// Opens `bytes` as an in-memory X file; registers the standard templates first unless told not to.
inline HRESULT Open(std::string_view bytes, Ref<IDirectXFileEnumObject>& enumObject, bool standardTemplates = true)
{
    Ref<IDirectXFile> file;
    HRESULT hr = DirectXFileCreate(file.Out());
    if (FAILED(hr)) {
        return hr;
    }
    if (standardTemplates) {
        hr = file->RegisterTemplates(D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES);
        if (FAILED(hr)) {
            return hr;
        }
    }
    DXFILELOADMEMORY memory{bytes.data(), static_cast<DWORD>(bytes.size())};
    return file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, enumObject.Out());
}

inline std::vector<Ref<IDirectXFileData>> TopLevel(IDirectXFileEnumObject* enumObject)
{
    std::vector<Ref<IDirectXFileData>> objects;
    for (;;) {
        Ref<IDirectXFileData> data;
        if (FAILED(enumObject->GetNextDataObject(data.Out()))) {
            return objects;
        }
        objects.push_back(std::move(data));
    }
}

inline std::vector<Ref<IDirectXFileObject>> Children(IDirectXFileData* data)
{
    std::vector<Ref<IDirectXFileObject>> children;
    for (;;) {
        Ref<IDirectXFileObject> child;
        if (FAILED(data->GetNextObject(child.Out()))) {
            return children;
        }
        children.push_back(std::move(child));
    }
}

// The child as a data object, or empty when it is a reference.
inline Ref<IDirectXFileData> AsData(IDirectXFileObject* object)
{
    Ref<IDirectXFileData> data;
    void* out = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_IDirectXFileData, &out))) {
        data = Ref<IDirectXFileData>(static_cast<IDirectXFileData*>(out));
    }
    return data;
}

inline std::string NameOf(IDirectXFileObject* object)
{
    DWORD size = 0;
    object->GetName(nullptr, &size);
    std::string name(size, '\0');
    if (size > 0) {
        object->GetName(name.data(), &size);
        name.resize(size - 1);
    }
    return name;
}

inline GUID TypeOf(IDirectXFileData* data)
{
    const GUID* type = nullptr;
    data->GetType(&type);
    return type != nullptr ? *type : GUID{};
}

// A value at a byte offset of packed data, read without alignment assumptions.
template <typename T>
T ReadAt(const void* data, std::size_t offset)
{
    T value{};
    std::memcpy(&value, static_cast<const unsigned char*>(data) + offset, sizeof value);
    return value;
}

// Builds a binary X file token by token.
class BinaryWriter {
public:
    explicit BinaryWriter(std::string_view header = "xof 0303bin 0032") : bytes_(header) {}

    BinaryWriter& Code(WORD code)
    {
        Put(&code, 2);
        return *this;
    }
    BinaryWriter& Dword(DWORD value)
    {
        Put(&value, 4);
        return *this;
    }
    BinaryWriter& Name(std::string_view name)
    {
        Code(xfile::TOKEN_NAME).Dword(static_cast<DWORD>(name.size()));
        bytes_.append(name);
        return *this;
    }
    BinaryWriter& String(std::string_view text)
    {
        Code(xfile::TOKEN_STRING).Dword(static_cast<DWORD>(text.size()));
        bytes_.append(text);
        return Code(xfile::TOKEN_SEMICOLON);
    }
    BinaryWriter& Integer(DWORD value) { return Code(xfile::TOKEN_INTEGER).Dword(value); }
    BinaryWriter& Guid(const GUID& guid)
    {
        Code(xfile::TOKEN_GUID).Dword(guid.Data1);
        Put(&guid.Data2, 2);
        Put(&guid.Data3, 2);
        Put(guid.Data4, 8);
        return *this;
    }
    BinaryWriter& Integers(std::initializer_list<DWORD> values)
    {
        Code(xfile::TOKEN_INTEGER_LIST).Dword(static_cast<DWORD>(values.size()));
        for (DWORD value : values) {
            Dword(value);
        }
        return *this;
    }
    BinaryWriter& Floats(std::initializer_list<float> values)
    {
        Code(xfile::TOKEN_FLOAT_LIST).Dword(static_cast<DWORD>(values.size()));
        for (float value : values) {
            Put(&value, 4);
        }
        return *this;
    }
    BinaryWriter& Doubles(std::initializer_list<double> values)
    {
        Code(xfile::TOKEN_FLOAT_LIST).Dword(static_cast<DWORD>(values.size()));
        for (double value : values) {
            Put(&value, 8);
        }
        return *this;
    }
    BinaryWriter& Open() { return Code(xfile::TOKEN_OBRACE); }
    BinaryWriter& Close() { return Code(xfile::TOKEN_CBRACE); }
    BinaryWriter& Semicolon() { return Code(xfile::TOKEN_SEMICOLON); }

    const std::string& Bytes() const { return bytes_; }

private:
    void Put(const void* data, std::size_t size) { bytes_.append(static_cast<const char*>(data), size); }

    std::string bytes_;
};

} // namespace xfile_test
