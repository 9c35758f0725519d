#include "FolderTree.h"

#include "Platform.h"

#include <vector>

namespace {

class EntryHandle {
public:
    explicit EntryHandle(HANDLE handle) : handle_(handle) {}
    ~EntryHandle() { Close(); }
    EntryHandle(const EntryHandle&) = delete;
    EntryHandle& operator=(const EntryHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle) {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }
    void Close() { Reset(INVALID_HANDLE_VALUE); }

private:
    HANDLE handle_;  // owned
};

struct FolderEntry {
    std::wstring name;
    DWORD attributes = 0;
    DWORD reparseTag = 0;
};

// Opens the entry itself: Windows then hands out the link, not its target.
HANDLE OpenEntry(const std::wstring& path) {
    return CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// "" when the file system cannot tell.
std::wstring FinalPath(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD units = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (units == 0) {
            return std::wstring();
        }
        if (units < path.size()) {
            path.resize(units);
            return path;
        }
        path.resize(units);
    }
    return std::wstring();
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// Junctions and symbolic links, not cloud placeholders and other reparse
// points that hold real content. Wine marks a Unix link to a folder with the
// attribute alone, without a tag.
bool IsLink(const FolderEntry& entry) {
    return (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (entry.reparseTag == 0 || IsReparseTagNameSurrogate(entry.reparseTag));
}

// Wine opens every link as its target, whatever the flags say, and shows a
// Unix link to a file as a plain file: only the handle's real path tells.
// `expected` is "" when the file system cannot name handles.
bool NamesItself(HANDLE handle, const std::wstring& expected) {
    return expected.empty() || SamePath(FinalPath(handle), expected);
}

bool DeleteOpenEntry(HANDLE handle) {
    FILE_BASIC_INFO basic = {};
    if (GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic)) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        FILE_BASIC_INFO writable = {};  // zero times are left as they are
        writable.FileAttributes = basic.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (writable.FileAttributes == 0) {
            writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        SetFileInformationByHandle(handle, FileBasicInfo, &writable, sizeof(writable));
    }
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// A Unix link to a file, as Wine shows it: deleting it would delete its
// target, but a file of our own renamed over it replaces the link itself.
bool ReplaceFileLink(const std::wstring& folder, const std::wstring& path, const std::wstring& expected) {
    wchar_t stand[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"del", 0, stand) == 0) {
        return false;
    }
    if (!MoveFileExW(stand, path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(stand);
        return false;
    }
    EntryHandle handle(OpenEntry(path));
    return handle.IsOpen() && NamesItself(handle.Get(), expected) && DeleteOpenEntry(handle.Get());
}

// Listed in full before anything is deleted, so deleting never disturbs the listing.
bool ListFolder(const std::wstring& folder, std::vector<FolderEntry>& entries) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            entries.push_back({name, data.dwFileAttributes, data.dwReserved0});
        }
    } while (FindNextFileW(find, &data));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return complete;
}

bool RemoveEntry(const std::wstring& folder, const std::wstring& realFolder, const FolderEntry& entry);

// `realFolder` is where the folder's handle really leads; "" when unknown.
bool EmptyFolder(const std::wstring& folder, const std::wstring& realFolder) {
    std::vector<FolderEntry> entries;
    bool removed = ListFolder(folder, entries);
    for (const FolderEntry& entry : entries) {
        removed = RemoveEntry(folder, realFolder, entry) && removed;
    }
    return removed;
}

bool RemoveEntry(const std::wstring& folder, const std::wstring& realFolder, const FolderEntry& entry) {
    const std::wstring path = folder + L"\\" + entry.name;
    const std::wstring expected = realFolder.empty() ? std::wstring() : realFolder + L"\\" + entry.name;
    EntryHandle handle(OpenEntry(path));
    if (!handle.IsOpen()) {
        return false;
    }
    const bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!NamesItself(handle.Get(), expected)) {
        handle.Close();
        // A folder reached only through its target cannot be removed safely.
        return !isFolder && ReplaceFileLink(folder, path, expected);
    }
    if (isFolder && !IsLink(entry)) {
        std::wstring realPath = expected.empty() ? std::wstring() : FinalPath(handle.Get());
        // Listing a folder shares it with readers and writers only, not with a deleter.
        handle.Close();
        if (!EmptyFolder(path, realPath)) {
            return false;
        }
        handle.Reset(OpenEntry(path));
        if (!handle.IsOpen() || !NamesItself(handle.Get(), expected)) {
            return false;
        }
    }
    return DeleteOpenEntry(handle.Get());
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

}  // namespace

bool RemoveFolderTree(const std::wstring& path) {
    const std::wstring full = FullPath(path);
    const size_t cut = full.find_last_of(L'\\');
    if (full.empty() || cut == std::wstring::npos || cut + 1 == full.size()) {
        return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(full.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    FindClose(find);
    const std::wstring folder = full.substr(0, cut);
    // The parent is followed wherever it leads: only what lies below it is ours to judge.
    std::wstring realFolder;
    EntryHandle parent(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (parent.IsOpen()) {
        realFolder = FinalPath(parent.Get());
        parent.Close();
    }
    return RemoveEntry(folder, realFolder, {data.cFileName, data.dwFileAttributes, data.dwReserved0});
}
