#include "GameFiles.h"

#include "FileEntry.h"
#include "Paths.h"
#include "StoreLimits.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <algorithm>

namespace {

const wchar_t kFilesFunction[] = L"GameFiles::Write";
// Chunks come in the order of the files that first use them, so a few open
// files serve almost every write.
constexpr size_t kOpenFiles = 16;

GameFiles::Result FailureOf(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? GameFiles::Result::DiskFull
                                                                       : GameFiles::Result::Failed;
}

GameFiles::Result LogFailure(const wchar_t* what, const std::wstring& path) {
    const DWORD error = GetLastError();
    TRACE_LOG_AS(kFilesFunction, TRACE_LEVEL_ERROR, L"%s! lasterror:%d, path:%s", what, static_cast<int>(error),
                 path.c_str());
    return FailureOf(error);
}

GameFiles::Result LogUnsafe(const std::wstring& path) {
    TRACE_LOG_AS(kFilesFunction, TRACE_LEVEL_ERROR, L"not written through a link! path:%s", path.c_str());
    return GameFiles::Result::Unsafe;
}

// Long manifest paths go past MAX_PATH: the extended form has no such limit.
std::wstring ExtendedForm(const std::wstring& path) {
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        return path;
    }
    if (path.compare(0, 2, L"\\\\") == 0) {
        return L"\\\\?\\UNC\\" + path.substr(2);
    }
    return L"\\\\?\\" + path;
}

// Whether the open entry lies at `expected` ("" when that cannot be told).
// Wine cannot name a handle whose path is longer than MAX_PATH; there the
// entry's attributes are the only check (Wine marks a link to a folder, but
// not one to a file).
bool LiesAt(HANDLE handle, const std::wstring& expected) {
    const std::wstring real = expected.empty() ? std::wstring() : FinalPath(handle);
    return real.empty() || SamePath(real, expected);
}

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

}  // namespace

GameFiles::GameFiles(const std::wstring& gameDir, const chunkstore::Manifest& manifest, Use use)
    : manifest_(manifest), use_(use), files_(new FileState[manifest.entries.size()]) {
    root_ = FinalPath(gameDir);
    rootKnown_ = !root_.empty();
    root_ = ExtendedForm(rootKnown_ ? root_ : FullPath(gameDir));
}

std::wstring GameFiles::PathOf(const std::string& relative) const {
    std::wstring wide;
    Utf8ToWide(relative.data(), static_cast<int>(relative.size()), wide);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return root_ + L"\\" + wide;
}

std::wstring GameFiles::ExpectedPath(const std::string& relative) const {
    return rootKnown_ ? PathOf(relative) : std::wstring();
}

uint64_t GameFiles::MissingBytes() const {
    uint64_t missing = 0;
    for (const chunkstore::ManifestEntry& entry : manifest_.entries) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        uint64_t present = 0;
        if (entry.kind == chunkstore::EntryKind::File &&
            GetFileAttributesExW(PathOf(entry.path).c_str(), GetFileExInfoStandard, &data)) {
            present = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
        missing += entry.size > present ? entry.size - present : 0;
    }
    return missing;
}

GameFiles::Result GameFiles::LayOut() {
    for (uint32_t i = 0; i < manifest_.entries.size(); ++i) {
        const chunkstore::ManifestEntry& entry = manifest_.entries[i];
        Result result = Result::Ok;
        if (entry.kind == chunkstore::EntryKind::Folder) {
            result = MakeFolders(entry.path, true);
        } else if (entry.size == 0) {
            ScopedHandle file;
            result = MakeFile(i, file);  // no write will make it
        } else {
            result = MakeFolders(entry.path, false);
        }
        if (result != Result::Ok) {
            return result;
        }
    }
    return Result::Ok;
}

GameFiles::Result GameFiles::MakeFolders(const std::string& path, bool includingLast) {
    for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        Result result = MakeFolder(path.substr(0, slash));
        if (result != Result::Ok) {
            return result;
        }
    }
    return includingLast ? MakeFolder(path) : Result::Ok;
}

GameFiles::Result GameFiles::MakeFolder(const std::string& relative) {
    {
        std::lock_guard<std::mutex> hold(foldersLock_);
        if (madeFolders_.count(relative) != 0) {
            return Result::Ok;
        }
    }
    const std::wstring path = PathOf(relative);
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return LogFailure(L"folder not created", path);
    }
    // Something that stood there already may be a link, or lead to one.
    ScopedHandle folder(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    EntryKind kind;
    if (!folder.Valid() || !QueryEntryKind(folder.Get(), kind) || !kind.folder || kind.link ||
        !LiesAt(folder.Get(), ExpectedPath(relative))) {
        return LogUnsafe(path);
    }
    std::lock_guard<std::mutex> hold(foldersLock_);
    madeFolders_.insert(relative);
    return Result::Ok;
}

// Neither a folder nor a link, and its data is nobody else's: a hard link
// shares it with a file that may lie outside Game.
bool GameFiles::IdentifyPlainFile(HANDLE file, FileId& id) {
    EntryKind kind;
    return QueryEntryKind(file, kind) && !kind.folder && !kind.link && Identify(file, id);
}

bool GameFiles::Identify(HANDLE file, FileId& id) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file, &info) || info.nNumberOfLinks != 1) {
        return false;
    }
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// A file refused here is never written, not even created: CREATE_NEW does
// not follow a dangling link, and an existing link is opened as itself. A
// file made just now in a checked folder is where its name says; one that
// stood there already has its path checked. Later opens need only prove
// it is the same file.
GameFiles::Result GameFiles::MakeFile(uint32_t index, ScopedHandle& file) {
    const chunkstore::ManifestEntry& entry = manifest_.entries[index];
    Result result = MakeFolders(entry.path, false);
    if (result != Result::Ok) {
        return result;
    }
    const std::wstring path = PathOf(entry.path);
    file.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const bool created = file.Valid();
    if (!created) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return LogFailure(L"file not created", path);
        }
        bool missing = false;
        result = OpenExisting(entry.path, file, &missing);
        if (missing) {
            return LogUnsafe(path);  // there, yet not there as itself: a dangling link
        }
        if (result != Result::Ok) {
            return result;
        }
    }
    FileState& state = files_[index];
    // A file made just now is identified only when it must be opened again
    // (Retire): asking costs a server call under Wine.
    state.identified = !created;
    if (!created && (!IdentifyPlainFile(file.Get(), state.id) || !LiesAt(file.Get(), ExpectedPath(entry.path)))) {
        return LogUnsafe(path);
    }
    state.unwritten = entry.size;
    state.flushed = false;
    LARGE_INTEGER size = {};
    if (!created && !GetFileSizeEx(file.Get(), &size)) {
        return LogFailure(L"size not read", path);
    }
    // A file of a chunk or two grows to its size with its writes.
    if (static_cast<uint64_t>(size.QuadPart) == entry.size || (created && entry.size <= chunkstore::kMaxChunkBytes)) {
        return Result::Ok;
    }
    // The file takes its whole size at once: a disk too small says so now.
    size.QuadPart = static_cast<LONGLONG>(entry.size);
    if (!SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) {
        return LogFailure(L"file not sized", path);
    }
    return Result::Ok;
}

GameFiles::Result GameFiles::OpenExisting(const std::string& relative, ScopedHandle& file, bool* missing) const {
    const std::wstring path = PathOf(relative);
    file.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.Valid()) {
        return Result::Ok;
    }
    if (missing != nullptr && GetLastError() == ERROR_FILE_NOT_FOUND) {
        *missing = true;
        return Result::Failed;
    }
    return LogFailure(L"file not opened", path);
}

bool GameFiles::Cached(uint32_t entry, std::shared_ptr<ScopedHandle>& handle) {
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = open_.begin(); it != open_.end(); ++it) {
        if (it->entry == entry) {
            handle = it->handle;
            if (it + 1 != open_.end()) {
                OpenFile used = *it;
                open_.erase(it);
                open_.push_back(used);
            }
            return true;
        }
    }
    return false;
}

// A file is made by its first use, under its stripe's lock so that it is
// made once and other threads find it in the cache; the cache's own lock is
// held only to look up and to add, so the writers of other files go on while
// a file is opened.
GameFiles::Result GameFiles::Handle(uint32_t entry, std::shared_ptr<ScopedHandle>& handle) {
    if (Cached(entry, handle)) {
        return Result::Ok;
    }
    auto opened = std::make_shared<ScopedHandle>();
    OpenFile retired;
    {
        std::lock_guard<std::mutex> making(makeLocks_[entry % kMakeLocks]);
        if (Cached(entry, handle)) {
            return Result::Ok;
        }
        FileState& state = files_[entry];
        Result result = Result::Ok;
        if (!state.made) {
            result = use_ == Use::ReadOnly ? OpenAsFound(entry, *opened) : MakeFile(entry, *opened);
            state.made = result == Result::Ok;
        } else {
            result = Reopen(entry, *opened);
        }
        if (result != Result::Ok) {
            return result;
        }
        std::lock_guard<std::mutex> hold(lock_);
        open_.push_back({entry, opened});
        if (open_.size() > kOpenFiles) {
            retired = open_.front();
            open_.pop_front();
        }
    }
    handle = opened;
    return retired.handle ? Retire(retired) : Result::Ok;
}

// A file that may be opened again is identified before its handle goes, so
// that the next open can prove it is the same file.
GameFiles::Result GameFiles::Retire(const OpenFile& file) {
    std::lock_guard<std::mutex> making(makeLocks_[file.entry % kMakeLocks]);
    FileState& state = files_[file.entry];
    if (state.identified || state.flushed) {
        return Result::Ok;
    }
    state.identified = Identify(file.handle->Get(), state.id);
    return state.identified ? Result::Ok : LogUnsafe(PathOf(manifest_.entries[file.entry].path));
}

GameFiles::Result GameFiles::Reopen(uint32_t entry, ScopedHandle& file) {
    const std::string& path = manifest_.entries[entry].path;
    Result result = OpenExisting(path, file, nullptr);
    FileId id;
    if (result == Result::Ok && (!files_[entry].identified || !IdentifyPlainFile(file.Get(), id) ||
                                 !(id == files_[entry].id))) {
        result = LogUnsafe(PathOf(path));
    }
    return result;
}

GameFiles::Result GameFiles::OpenAsFound(uint32_t entry, ScopedHandle& file) {
    const std::string& path = manifest_.entries[entry].path;
    Result result = OpenExisting(path, file, nullptr);
    FileState& state = files_[entry];
    if (result == Result::Ok && (!IdentifyPlainFile(file.Get(), state.id) || !LiesAt(file.Get(), ExpectedPath(path)))) {
        result = LogUnsafe(PathOf(path));
    }
    state.identified = result == Result::Ok;
    state.flushed = true;  // nothing to flush: never written
    return result;
}

GameFiles::Result GameFiles::Write(uint32_t entry, uint64_t offset, const uint8_t* data, size_t size) {
    if (use_ == Use::ReadOnly) {
        return Result::Failed;
    }
    std::shared_ptr<ScopedHandle> file;
    Result result = Handle(entry, file);
    if (result != Result::Ok) {
        return result;
    }
    OVERLAPPED at = At(offset);
    DWORD written = 0;
    if (!WriteFile(file->Get(), data, static_cast<DWORD>(size), &written, &at) || written != size) {
        return LogFailure(L"chunk not written", PathOf(manifest_.entries[entry].path));
    }
    // Flushed now, on the writer's thread, while other chunks are on their way.
    return files_[entry].unwritten.fetch_sub(size) == size ? FlushEntry(entry, file->Get()) : Result::Ok;
}

GameFiles::Result GameFiles::Read(uint32_t entry, uint64_t offset, uint8_t* data, size_t size) {
    std::shared_ptr<ScopedHandle> file;
    Result result = Handle(entry, file);
    if (result != Result::Ok) {
        return result;
    }
    OVERLAPPED at = At(offset);
    DWORD read = 0;
    if (!ReadFile(file->Get(), data, static_cast<DWORD>(size), &read, &at) || read != size) {
        return Result::Failed;
    }
    return Result::Ok;
}

GameFiles::Result GameFiles::FlushEntry(uint32_t entry, HANDLE file) {
    if (!FlushFileBuffers(file)) {
        return LogFailure(L"file not flushed", PathOf(manifest_.entries[entry].path));
    }
    files_[entry].flushed = true;
    return Result::Ok;
}

GameFiles::Result GameFiles::Flush() {
    for (uint32_t i = 0; i < manifest_.entries.size(); ++i) {
        if (manifest_.entries[i].kind != chunkstore::EntryKind::File || manifest_.entries[i].size == 0 ||
            files_[i].flushed) {
            continue;
        }
        std::shared_ptr<ScopedHandle> file;
        Result result = Handle(i, file);
        if (result == Result::Ok) {
            result = FlushEntry(i, file->Get());
        }
        if (result != Result::Ok) {
            return result;
        }
    }
    std::lock_guard<std::mutex> hold(lock_);
    open_.clear();
    return Result::Ok;
}
