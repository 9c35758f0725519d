#include "ZipExtractor.h"

#include "ZipEntryPath.h"
#include "ZipEntryReader.h"
#include "ZipPlatform.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

// Deflate makes at most 1032 bytes of one.
constexpr uint64_t kMaxDeflateRatio = 1032;

// Writes one entry's bytes to its file, and gives up as soon as an entry
// before it in the directory has failed: from then on its outcome no longer
// matters.
class FileSink : public ZipSink {
public:
    FileSink(HANDLE file, const std::atomic<size_t>& firstFailure, size_t index)
        : file_(file), firstFailure_(firstFailure), index_(index) {}
    bool Write(const unsigned char* data, size_t size) override {
        if (firstFailure_.load(std::memory_order_relaxed) < index_) {
            return false;
        }
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
    const std::atomic<size_t>& firstFailure_;
    const size_t index_;
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

HANDLE CreateOutputFile(const std::wstring& path, DWORD disposition) {
    return CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
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
// an entry out. A folder this run made is known to be a real one inside and
// to hold no link, and so is a new folder made in it: only what existed
// before needs a look.
class FolderMaker {
public:
    explicit FolderMaker(const std::wstring& base) : base_(base), realBase_(RealPath(base)) {}

    ZipResult Make(const std::wstring& path) {
        if (known_.count(path) != 0) {
            return ZipResult::Ok;
        }
        size_t cut = path.find_last_of(L'\\');
        if ((cut <= base_.size() || known_.count(path.substr(0, cut)) != 0) && CreateDirectoryW(path.c_str(), nullptr)) {
            known_.emplace(path, true);
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
        for (std::wstring made = path; made.size() >= existing.size() && made.size() > base_.size();
             made.resize(made.find_last_of(L'\\'))) {
            known_.emplace(made, made.size() > existing.size());
        }
        return ZipResult::Ok;
    }

    // True for a folder this run made, which no link can be in. Safe to call
    // from several threads once no folder is being made any more.
    bool IsMadeByThisRun(const std::wstring& folder) const {
        auto found = known_.find(folder);
        return found != known_.end() && found->second;
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
    std::unordered_map<std::wstring, bool> known_;  // real folders inside, checked or (true) made by this run
};

unsigned DefaultWorkers() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::max(1u, std::min<unsigned>(info.dwNumberOfProcessors, kMaxExtractWorkers));
}

// How file names compare on Windows volumes.
std::wstring FoldCase(const std::wstring& path) {
    std::wstring folded = path;
    int units = static_cast<int>(path.size());
    if (units > 0 && LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, path.c_str(), units, &folded[0], units) != units) {
        folded = path;
    }
    return folded;
}

// Setting the length before the first write lets the file system lay the file
// out once instead of growing it write by write; a file written in one go
// needs none. Only for a size the packed data can really produce, so that a
// lying directory reserves nothing.
void SetFinalLength(HANDLE file, const ZipEntry& entry) {
    uint64_t size = entry.uncompressedSize;
    if (size <= ZipEntryReader::kWriteBlock || size > static_cast<uint64_t>(INT64_MAX) ||
        size / kMaxDeflateRatio > entry.compressedSize) {
        return;
    }
    FILE_END_OF_FILE_INFO end;
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof(end));
}

// Removes a file whose entry failed or was stopped: pre-sized, it would even
// have its full length and look complete.
void Discard(FileHandle& file, const std::wstring& path) {
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    bool marked = SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof(disposition));
    file.Close();
    if (!marked) {
        DeleteFileW(path.c_str());
    }
}

// The entries written to one file, in directory order: a later entry of the
// same name overwrites an earlier one, as it would unpacked one by one.
struct OutputFile {
    std::wstring path;
    std::vector<size_t> entries;
    uint64_t bytes = 0;
};

// One extraction: where every entry goes is settled and every folder made on
// the calling thread, in directory order; then the files are spread over the
// workers, largest first. The outcome is always the one of unpacking entry
// after entry: the first entry in directory order that fails decides it, so
// the entries before it are still written while the ones after it stop.
class Extraction {
public:
    Extraction(ZipArchive& archive, const std::wstring& base)
        : archive_(archive), base_(base), folders_(base), results_(archive.EntryCount(), ZipResult::Ok),
          firstFailure_(archive.EntryCount()) {}

    void Plan(const std::vector<std::wstring>& paths);
    // Returns how many threads ran, the calling one included.
    unsigned Run(unsigned workers);
    ZipResult Result() const {
        size_t first = firstFailure_.load();
        return first < results_.size() ? results_[first] : ZipResult::Ok;
    }

private:
    bool IsFileOnPath(const std::unordered_map<std::wstring, size_t>& files, const std::wstring& folder) const;
    void Work(ZipEntryReader* reader) noexcept;
    ZipResult WriteEntry(ZipEntryReader* reader, size_t index, const std::wstring& path);
    enum class Opened { New, Emptied, LinkOut, Failed };
    // `file` is left INVALID_HANDLE_VALUE unless the result is New or Emptied.
    Opened CreateEntryFile(const std::wstring& path, HANDLE& file) const;
    void Fail(size_t index, ZipResult result);

    ZipArchive& archive_;
    const std::wstring& base_;
    FolderMaker folders_;
    std::vector<OutputFile> files_;
    std::vector<ZipResult> results_;  // each written by the one thread unpacking that entry
    std::atomic<size_t> firstFailure_;
    std::atomic<size_t> nextFile_{0};
};

void Extraction::Plan(const std::vector<std::wstring>& paths) {
    std::unordered_map<std::wstring, size_t> filesByName;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) {
            continue;
        }
        const ZipEntry& entry = *archive_.Entry(static_cast<int>(i));
        std::wstring path = base_ + L"\\" + paths[i];
        if (!IsInside(base_, path)) {
            Fail(i, ZipResult::UnsafeName);
            return;
        }
        std::wstring folder = entry.isDirectory ? path : path.substr(0, path.find_last_of(L'\\'));
        if (folder.size() > base_.size()) {
            // One by one, an earlier entry would have written a file there.
            if (IsFileOnPath(filesByName, folder)) {
                Fail(i, ZipResult::CreateFolderFailed);
                return;
            }
            ZipResult made = folders_.Make(folder);
            if (made != ZipResult::Ok) {
                Fail(i, made);
                return;
            }
        }
        if (!entry.isDirectory) {
            auto named = filesByName.emplace(FoldCase(path), files_.size());
            if (named.second) {
                files_.push_back(OutputFile{path, {}, 0});
            }
            OutputFile& file = files_[named.first->second];
            file.entries.push_back(i);
            file.bytes += entry.uncompressedSize;
        }
    }
    std::sort(files_.begin(), files_.end(), [](const OutputFile& a, const OutputFile& b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.entries[0] < b.entries[0];
    });
}

bool Extraction::IsFileOnPath(const std::unordered_map<std::wstring, size_t>& files,
                              const std::wstring& folder) const {
    std::wstring name = FoldCase(folder);
    while (name.size() > base_.size()) {
        if (files.count(name) != 0) {
            return true;
        }
        name.resize(name.find_last_of(L'\\'));
    }
    return false;
}

unsigned Extraction::Run(unsigned workers) {
    size_t wanted = std::min<size_t>(workers, files_.size());
    std::vector<std::thread> threads;
    struct Joiner {
        std::vector<std::thread>& threads;
        ~Joiner() {
            for (std::thread& thread : threads) {
                thread.join();
            }
        }
    } joiner{threads};
    threads.reserve(wanted);
    // Each helper reads through a handle of its own; a helper that cannot
    // have one or cannot start leaves its share to the others.
    for (size_t i = 1; i < wanted; ++i) {
        std::unique_ptr<ZipEntryReader> reader = archive_.NewReader();
        if (reader == nullptr) {
            break;
        }
        try {
            threads.emplace_back([this](std::unique_ptr<ZipEntryReader> own) { Work(own.get()); },
                                 std::move(reader));
        } catch (...) {
            break;
        }
    }
    Work(nullptr);
    return static_cast<unsigned>(threads.size() + 1);
}

void Extraction::Work(ZipEntryReader* reader) noexcept {
    for (;;) {
        size_t next = nextFile_.fetch_add(1);
        if (next >= files_.size()) {
            return;
        }
        const OutputFile& file = files_[next];
        for (size_t index : file.entries) {
            if (firstFailure_.load() < index) {
                break;
            }
            ZipResult result;
            try {
                result = WriteEntry(reader, index, file.path);
            } catch (...) {
                result = ZipResult::OutOfMemory;
            }
            if (result != ZipResult::Ok) {
                Fail(index, result);
                break;
            }
        }
    }
}

// `reader` is null on the calling thread, which reads through the archive itself.
ZipResult Extraction::WriteEntry(ZipEntryReader* reader, size_t index, const std::wstring& path) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    Opened opened = CreateEntryFile(path, handle);
    FileHandle file(handle);
    if (opened == Opened::LinkOut) {
        return ZipResult::UnsafeName;
    }
    if (opened == Opened::Failed) {
        return ZipResult::WriteFailed;
    }
    // Elsewhere a link to nothing looks like no file at all, and creating it made its target.
    bool linkless = opened == Opened::New && folders_.IsMadeByThisRun(path.substr(0, path.find_last_of(L'\\')));
    if (!linkless && !folders_.LeadsInside(file.Get())) {
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
    const ZipEntry& entry = *archive_.Entry(static_cast<int>(index));
    SetFinalLength(file.Get(), entry);
    FileSink sink(file.Get(), firstFailure_, index);
    ZipResult result = reader != nullptr ? reader->Read(entry, sink) : archive_.ReadEntry(static_cast<int>(index), sink);
    if (result != ZipResult::Ok) {
        Discard(file, path);
        return result;
    }
    if (!file.Close()) {
        DeleteFileW(path.c_str());
        return ZipResult::WriteFailed;
    }
    return ZipResult::Ok;
}

// Into a fresh folder, as the launcher extracts, every file is new and needs
// no look before it is made.
Extraction::Opened Extraction::CreateEntryFile(const std::wstring& path, HANDLE& file) const {
    file = CreateOutputFile(path, CREATE_NEW);
    if (file != INVALID_HANDLE_VALUE) {
        return Opened::New;
    }
    // An existing file may be a link to one elsewhere, which emptying would truncate.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !folders_.LeadsInside(path)) {
        return Opened::LinkOut;
    }
    file = CreateOutputFile(path, CREATE_ALWAYS);
    // Read-only, hidden or system files refuse CREATE_ALWAYS until their attributes are cleared.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        file = CreateOutputFile(path, CREATE_ALWAYS);
    }
    return file != INVALID_HANDLE_VALUE ? Opened::Emptied : Opened::Failed;
}

void Extraction::Fail(size_t index, ZipResult result) {
    results_[index] = result;
    size_t first = firstFailure_.load();
    while (index < first && !firstFailure_.compare_exchange_weak(first, index)) {
    }
}

ZipResult ExtractAll(const std::wstring& archivePath, const std::wstring& folder, unsigned workers,
                     unsigned* workersUsed) {
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
    Extraction extraction(archive, base);
    extraction.Plan(paths);
    unsigned ran = extraction.Run(workers == 0 ? DefaultWorkers() : std::min(workers, kMaxExtractWorkers));
    if (workersUsed != nullptr) {
        *workersUsed = ran;
    }
    return extraction.Result();
}

}  // namespace

ZipResult ExtractArchive(const std::wstring& archivePath, const std::wstring& folder, unsigned workers,
                         unsigned* workersUsed) {
    if (workersUsed != nullptr) {
        *workersUsed = 0;
    }
    try {
        return ExtractAll(archivePath, folder, workers, workersUsed);
    } catch (const std::bad_alloc&) {
        return ZipResult::OutOfMemory;
    } catch (...) {
        return ZipResult::OutOfMemory;
    }
}
