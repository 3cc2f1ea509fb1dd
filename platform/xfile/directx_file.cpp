// SPDX-License-Identifier: GPL-3.0-or-later
// The file object: registered templates, and opening files from disk or memory for enumeration.
#include "platform/xfile/dxfile.h"
#include "platform/xfile/file_header.h"
#include "platform/xfile/file_objects.h"
#include "platform/xfile/read_failure.h"
#include "platform/xfile/xfile_limits.h"
#include "platform/xfile/xfile_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>

namespace xfile {

namespace {

// Reads a whole file, refusing one beyond the size limit rather than growing without bound.
HRESULT ReadWholeFile(const char* path, std::string& contents)
{
    // Only a regular file is opened: opening a pipe for reading would wait for a writer forever.
    std::error_code statusError;
    const std::filesystem::file_type type = std::filesystem::status(path, statusError).type();
    if (type == std::filesystem::file_type::not_found) {
        return DXFILEERR_FILENOTFOUND;
    }
    if (type != std::filesystem::file_type::regular) {
        // A path that cannot be followed (a loop of links, a folder without access) says why.
        NoteFailureDetail(std::string("cannot be read: ") +
                          (type == std::filesystem::file_type::directory ? "a folder, not a file"
                           : statusError                                  ? statusError.message()
                                                                          : "not a regular file"));
        return DXFILEERR_BADFILE;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        const int error = errno;
        if (error != ENOENT) {
            NoteFailureDetail(std::string("cannot be opened: ") + std::strerror(error));
        }
        return DXFILEERR_FILENOTFOUND;
    }
    HRESULT hr = DXFILE_OK;
    try {
        char chunk[1 << 16];
        for (;;) {
            const std::size_t read = std::fread(chunk, 1, sizeof chunk, file);
            if (contents.size() + read > kMaxFileBytes) {
                NoteFailureDetail("larger than the size limit");
                hr = DXFILEERR_BADALLOC;
                break;
            }
            contents.append(chunk, read);
            // A file that is no X file is refused on its header, before the rest is read.
            FileHeader header;
            if (contents.size() == read && read >= kFileHeaderBytes &&
                FAILED(hr = ReadFileHeader(contents, header))) {
                break;
            }
            if (read < sizeof chunk) {
                if (std::ferror(file)) {
                    NoteFailureDetail(std::string("cannot be read: ") + std::strerror(errno));
                    hr = DXFILEERR_BADFILE;
                }
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        hr = DXFILEERR_BADALLOC;
    }
    std::fclose(file);
    return hr;
}

class DirectXFile final : public IDirectXFile {
public:
    ULONG AddRef() override { return ++references_; }

    ULONG Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT CreateEnumObject(const void* source, DXFILELOADOPTIONS options,
                             IDirectXFileEnumObject** enumObject) override
    {
        if (enumObject == nullptr) {
            return DXFILEERR_BADVALUE;
        }
        *enumObject = nullptr;
        // A refused call must not leave the previous file's reason behind.
        ClearFailureNote();
        if (source == nullptr) {
            return DXFILEERR_BADVALUE;
        }
        std::string contents;
        std::string_view file;
        if (options == DXFILELOAD_FROMFILE) {
            const HRESULT hr = ReadWholeFile(static_cast<const char*>(source), contents);
            if (FAILED(hr)) {
                FinishFailureNote(hr, "");
                return hr;
            }
            file = contents;
        } else if (options == DXFILELOAD_FROMMEMORY) {
            const auto* memory = static_cast<const DXFILELOADMEMORY*>(source);
            if (memory->lpMemory == nullptr && memory->dSize != 0) {
                return DXFILEERR_BADVALUE;
            }
            if (memory->dSize > kMaxFileBytes) {
                return DXFILEERR_BADALLOC;
            }
            file = std::string_view(static_cast<const char*>(memory->lpMemory), memory->dSize);
        } else {
            // Resources, streams and URLs do not exist on this platform.
            return DXFILEERR_BADVALUE;
        }

        DocumentPtr document;
        const HRESULT hr = ReadDataFile(file, templates_, document);
        if (FAILED(hr)) {
            return hr;
        }
        auto* enumerator = new (std::nothrow) FileEnumObject(std::move(document));
        if (enumerator == nullptr) {
            return DXFILEERR_BADALLOC;
        }
        *enumObject = enumerator;
        return DXFILE_OK;
    }

    HRESULT RegisterTemplates(const void* data, DWORD size) override
    {
        if (data == nullptr) {
            return DXFILEERR_BADVALUE;
        }
        return ReadTemplateFile(std::string_view(static_cast<const char*>(data), size), templates_);
    }

private:
    ~DirectXFile() override = default;

    std::atomic<ULONG> references_{1};
    TemplateSet templates_;
};

} // namespace

} // namespace xfile

HRESULT DirectXFileCreate(IDirectXFile** directXFile)
{
    if (directXFile == nullptr) {
        return DXFILEERR_BADVALUE;
    }
    *directXFile = new (std::nothrow) xfile::DirectXFile();
    return *directXFile == nullptr ? DXFILEERR_BADALLOC : DXFILE_OK;
}
