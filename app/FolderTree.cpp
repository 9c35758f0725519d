#include "FolderTree.h"

#include "FileEntry.h"
#include "Paths.h"
#include "Platform.h"
#include "ScopedHandle.h"

#include <vector>

namespace {

class TreeRemoval {
public:
    explicit TreeRemoval(const FolderListedHook& afterListing) : afterListing_(afterListing) {}

    bool RemoveEntry(const std::wstring& folder, const std::wstring& realFolder, const std::wstring& name);

private:
    bool EmptyFolder(const std::wstring& folder, const std::wstring& realFolder);

    const FolderListedHook& afterListing_;
};

// Opens the entry itself: Windows then hands out the link, not its target.
HANDLE OpenEntry(const std::wstring& path) {
    return CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
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
    ScopedHandle handle(OpenEntry(path));
    return handle.Valid() && NamesItself(handle.Get(), expected) && DeleteOpenEntry(handle.Get());
}

// Listed in full before anything is deleted, so deleting never disturbs the listing.
bool ListFolder(const std::wstring& folder, std::vector<std::wstring>& names) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(find, &data));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return complete;
}

// `realFolder` is where the folder's handle really leads; "" when unknown.
// The folder stays open without sharing deletion while it is emptied, so it
// cannot be renamed away and replaced by a link meanwhile. Listing shares a
// folder with readers and writers, so the two handles get along.
bool TreeRemoval::EmptyFolder(const std::wstring& folder, const std::wstring& realFolder) {
    ScopedHandle pin(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    EntryKind kind;
    if (!pin.Valid() || !QueryEntryKind(pin.Get(), kind) || !kind.folder || kind.link ||
        !NamesItself(pin.Get(), realFolder)) {
        return false;
    }
    std::vector<std::wstring> names;
    bool removed = ListFolder(folder, names);
    if (afterListing_) {
        afterListing_(folder);
    }
    for (const std::wstring& name : names) {
        removed = RemoveEntry(folder, realFolder, name) && removed;
    }
    return removed;
}

bool TreeRemoval::RemoveEntry(const std::wstring& folder, const std::wstring& realFolder, const std::wstring& name) {
    const std::wstring path = folder + L"\\" + name;
    const std::wstring expected = realFolder.empty() ? std::wstring() : realFolder + L"\\" + name;
    ScopedHandle handle(OpenEntry(path));
    EntryKind kind;
    if (!handle.Valid() || !QueryEntryKind(handle.Get(), kind)) {
        return false;
    }
    if (!NamesItself(handle.Get(), expected)) {
        handle.Close();
        // A folder reached only through its target cannot be removed safely.
        return !kind.folder && ReplaceFileLink(folder, path, expected);
    }
    if (kind.folder && !kind.link) {
        std::wstring realPath = expected.empty() ? std::wstring() : FinalPath(handle.Get());
        // Listing a folder shares it with readers and writers only, not with a deleter.
        handle.Close();
        if (!EmptyFolder(path, realPath)) {
            return false;
        }
        handle.Reset(OpenEntry(path));
        if (!handle.Valid() || !NamesItself(handle.Get(), expected)) {
            return false;
        }
    }
    return DeleteOpenEntry(handle.Get());
}

}  // namespace

bool RemoveFolderTree(const std::wstring& path, const FolderListedHook& afterListing) {
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
    return TreeRemoval(afterListing).RemoveEntry(folder, FinalPath(folder), data.cFileName);
}
