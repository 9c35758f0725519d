#include "ZipExtractor.h"

#include "ZipEntryPath.h"
#include "ZipPlatform.h"

#include <new>
#include <vector>

namespace {

class FileSink : public ZipSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Write(const unsigned char* data, size_t size) override {
        while (size > 0) {
            DWORD written = 0;
            DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            if (!WriteFile(file_, data, chunk, &written, nullptr) || written == 0) {
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }

private:
    HANDLE file_;  // not owned
};

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }
    // False when closing reports a failure (a delayed write error).
    bool Close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolderTree(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    if (IsFolder(path)) {
        return true;
    }
    size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos && cut > 0 && path[cut - 1] != L':' && path[cut - 1] != L'\\' &&
        !CreateFolderTree(path.substr(0, cut))) {
        return false;
    }
    return CreateDirectoryW(path.c_str(), nullptr) || IsFolder(path);
}

std::wstring FullPath(const std::wstring& path) {
    DWORD units = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (units == 0) {
        return std::wstring();
    }
    std::wstring full(units, L'\0');
    units = GetFullPathNameW(path.c_str(), units, &full[0], nullptr);
    full.resize(units);
    while (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();
    }
    return full;
}

// The validated name cannot leave the folder; this is the last word on it anyway.
bool IsInside(const std::wstring& base, const std::wstring& path) {
    std::wstring full = FullPath(path);
    return full.size() > base.size() + 1 && full[base.size()] == L'\\' &&
           CompareStringOrdinal(full.c_str(), static_cast<int>(base.size()), base.c_str(),
                                static_cast<int>(base.size()), TRUE) == CSTR_EQUAL;
}

HANDLE CreateOutputFile(const std::wstring& path) {
    auto create = [&] {
        return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    };
    HANDLE file = create();
    // Read-only, hidden or system files refuse CREATE_ALWAYS until their attributes are cleared.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
            file = create();
        }
    }
    return file;
}

ZipResult CheckEntries(const ZipArchive& archive, std::vector<std::wstring>& paths) {
    paths.resize(archive.EntryCount());
    for (size_t i = 0; i < paths.size(); ++i) {
        const ZipEntry& entry = *archive.Entry(static_cast<int>(i));
        ZipResult result = MakeEntryPath(entry, paths[i]);
        if (result != ZipResult::Ok) {
            return result;
        }
        if (!entry.isDirectory) {
            result = archive.CheckSupported(static_cast<int>(i));
            if (result != ZipResult::Ok) {
                return result;
            }
        }
    }
    return ZipResult::Ok;
}

// Where an open file or folder really is, links followed; "" when the file
// system cannot tell.
std::wstring RealPathOf(HANDLE handle) {
    std::wstring real(MAX_PATH, L'\0');
    DWORD units = GetFinalPathNameByHandleW(handle, &real[0], MAX_PATH, VOLUME_NAME_DOS);
    if (units >= MAX_PATH) {
        real.resize(units);
        units = GetFinalPathNameByHandleW(handle, &real[0], units, VOLUME_NAME_DOS);
    }
    real.resize(units < real.size() ? units : 0);
    return real;
}

std::wstring RealPath(const std::wstring& path) {
    FileHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.Get() == INVALID_HANDLE_VALUE ? std::wstring() : RealPathOf(handle.Get());
}

// Checks that what entries are written through stays in the destination: a
// junction or symbolic link left in it (a Unix link under Wine) must not carry
// an entry out. Entries usually come folder by folder: remembering the last
// folder made saves file-system queries per file.
class FolderMaker {
public:
    explicit FolderMaker(const std::wstring& base) : base_(base), realBase_(RealPath(base)) {}

    ZipResult Make(const std::wstring& path) {
        if (path == last_) {
            return ZipResult::Ok;
        }
        // The deepest part that exists already decides where the rest goes.
        std::wstring existing = path;
        while (existing.size() > base_.size() && GetFileAttributesW(existing.c_str()) == INVALID_FILE_ATTRIBUTES) {
            existing.resize(existing.find_last_of(L'\\'));
        }
        if (existing.size() > base_.size() && !LeadsInside(existing)) {
            return ZipResult::UnsafeName;
        }
        if (!CreateFolderTree(path)) {
            return ZipResult::CreateFolderFailed;
        }
        last_ = path;
        return ZipResult::Ok;
    }

    // For an existing file or folder below the destination. Where the file
    // system cannot name handles, the checked names are the last word.
    bool LeadsInside(const std::wstring& path) const { return realBase_.empty() || IsInsideBase(RealPath(path)); }
    bool LeadsInside(HANDLE file) const { return realBase_.empty() || IsInsideBase(RealPathOf(file)); }

private:
    bool IsInsideBase(const std::wstring& real) const {
        return real.size() > realBase_.size() + 1 && real[realBase_.size()] == L'\\' &&
               CompareStringOrdinal(real.c_str(), static_cast<int>(realBase_.size()), realBase_.c_str(),
                                    static_cast<int>(realBase_.size()), TRUE) == CSTR_EQUAL;
    }

    const std::wstring base_;
    const std::wstring realBase_;
    std::wstring last_;
};

ZipResult ExtractEntry(ZipArchive& archive, int index, const std::wstring& base, const std::wstring& relative,
                       FolderMaker& folders) {
    const ZipEntry& entry = *archive.Entry(index);
    if (relative.empty()) {
        return ZipResult::Ok;
    }
    std::wstring path = base + L"\\" + relative;
    if (!IsInside(base, path)) {
        return ZipResult::UnsafeName;
    }
    if (entry.isDirectory) {
        return folders.Make(path);
    }
    size_t cut = path.find_last_of(L'\\');
    if (cut > base.size()) {
        ZipResult made = folders.Make(path.substr(0, cut));
        if (made != ZipResult::Ok) {
            return made;
        }
    }
    // An existing file may be a link to one elsewhere, which creating would truncate.
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !folders.LeadsInside(path)) {
        return ZipResult::UnsafeName;
    }
    FileHandle file(CreateOutputFile(path));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        return ZipResult::WriteFailed;
    }
    // A link to nothing looks like no file at all, and creating it made its target.
    if (!folders.LeadsInside(file.Get())) {
        file.Close();
        FileHandle made(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
        FILE_DISPOSITION_INFO disposition = {};
        disposition.DeleteFile = TRUE;
        if (made.Get() != INVALID_HANDLE_VALUE) {
            SetFileInformationByHandle(made.Get(), FileDispositionInfo, &disposition, sizeof(disposition));
        }
        return ZipResult::UnsafeName;
    }
    FileSink sink(file.Get());
    ZipResult result = archive.ReadEntry(index, sink);
    if (!file.Close() && result == ZipResult::Ok) {
        result = ZipResult::WriteFailed;
    }
    return result;
}

ZipResult ExtractAll(const std::wstring& archivePath, const std::wstring& folder) {
    if (archivePath.empty() || folder.empty()) {
        return ZipResult::BadArgument;
    }
    ZipArchive archive;
    if (!archive.Open(archivePath)) {
        return archive.LastResult();
    }
    std::vector<std::wstring> paths;
    ZipResult result = CheckEntries(archive, paths);
    if (result != ZipResult::Ok) {
        return result;
    }
    std::wstring base = FullPath(folder);
    if (base.empty()) {
        return ZipResult::BadArgument;
    }
    if (!CreateFolderTree(base)) {
        return ZipResult::CreateFolderFailed;
    }
    FolderMaker folders(base);
    for (size_t i = 0; i < paths.size(); ++i) {
        result = ExtractEntry(archive, static_cast<int>(i), base, paths[i], folders);
        if (result != ZipResult::Ok) {
            return result;
        }
    }
    return ZipResult::Ok;
}

}  // namespace

ZipResult ExtractArchive(const std::wstring& archivePath, const std::wstring& folder) {
    try {
        return ExtractAll(archivePath, folder);
    } catch (const std::bad_alloc&) {
        return ZipResult::OutOfMemory;
    } catch (...) {
        return ZipResult::OutOfMemory;
    }
}
