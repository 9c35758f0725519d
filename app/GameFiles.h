#pragma once
#include "Manifest.h"
#include "Platform.h"
#include "ScopedHandle.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

// The files of a chunked install, written in place inside the Game folder.
// Every name comes from a manifest and is treated as hostile even though the
// store's reader checked it: folders are made one level at a time, and each
// folder and file is opened without following links and then checked from
// its handle, so that a junction, a symbolic link or a hard link found
// inside Game (planted, or left by something else) is refused instead of
// written through. Game itself is followed wherever it leads. Names are
// UTF-8 in the manifest and wide in every call.
class GameFiles {
public:
    enum class Result {
        Ok,
        Unsafe,    // an entry or a folder on its way is a link, or not where its name says
        DiskFull,
        Failed,    // any other refusal of the file system
    };

    enum class Use {
        Write,     // files are made at their first use and sized
        ReadOnly,  // files are opened as they stand and never made, sized or written
    };

    GameFiles(const std::wstring& gameDir, const chunkstore::Manifest& manifest, Use use = Use::Write);
    GameFiles(const GameFiles&) = delete;
    GameFiles& operator=(const GameFiles&) = delete;

    // The bytes the files still need on disk beyond what they already hold.
    uint64_t MissingBytes() const;
    // Makes every folder of the manifest and every empty file. A file with
    // content is made at its first use, at its size (or kept, with what an
    // earlier run wrote into it, when it is there already).
    Result LayOut();
    // From any thread: `size` bytes at `offset` of file entry `entry`. The
    // write that completes a file flushes it to the disk.
    Result Write(uint32_t entry, uint64_t offset, const uint8_t* data, size_t size);
    Result Read(uint32_t entry, uint64_t offset, uint8_t* data, size_t size);
    // Every file's data on the disk, not only in the system's cache: those
    // not yet flushed by their last write.
    Result Flush();

private:
    struct FileId {
        DWORD volume = 0;
        DWORD high = 0;
        DWORD low = 0;
        bool operator==(const FileId& other) const {
            return volume == other.volume && high == other.high && low == other.low;
        }
    };
    // What making a file entry learned of it, and how far its writes are.
    struct FileState {
        bool made = false;        // guarded by its stripe of makeLocks_
        bool identified = false;  // guarded by its stripe of makeLocks_; `id` is known
        FileId id;
        std::atomic<uint64_t> unwritten{0};
        std::atomic<bool> flushed{false};
    };
    struct OpenFile {
        uint32_t entry = 0;
        std::shared_ptr<ScopedHandle> handle;
    };

    std::wstring PathOf(const std::string& relative) const;
    // What the handle of `relative` must name; "" when that cannot be told.
    std::wstring ExpectedPath(const std::string& relative) const;
    Result MakeFolder(const std::string& relative);
    Result MakeFolders(const std::string& path, bool includingLast);
    // Makes a file entry at its size, or opens it as it stands, checked;
    // `file` then holds it.
    Result MakeFile(uint32_t entry, ScopedHandle& file);
    // The handle of a file entry, from the cache, made now, or opened again
    // and proved to be the very file that was made.
    Result Handle(uint32_t entry, std::shared_ptr<ScopedHandle>& handle);
    // True when the cache holds a handle of `entry`, now its most recently used.
    bool Cached(uint32_t entry, std::shared_ptr<ScopedHandle>& handle);
    Result Reopen(uint32_t entry, ScopedHandle& file);
    // Opens a file entry as it stands, checked as MakeFile checks one it finds.
    Result OpenAsFound(uint32_t entry, ScopedHandle& file);
    // A handle leaving the cache.
    Result Retire(const OpenFile& file);
    // Opens a file without following a link; `missing`, when given, is set
    // instead of a failure being logged when there is no such file.
    Result OpenExisting(const std::string& relative, ScopedHandle& file, bool* missing) const;
    Result FlushEntry(uint32_t entry, HANDLE file);
    // Neither a folder nor a link, and its data is nobody else's; `id` then
    // tells it from any other file.
    static bool IdentifyPlainFile(HANDLE file, FileId& id);
    // The same for a file this object made, which can be no link.
    static bool Identify(HANDLE file, FileId& id);

    static constexpr size_t kMakeLocks = 64;

    const chunkstore::Manifest& manifest_;  // not owned
    const Use use_;
    std::wstring root_;                    // where Game really is, as FinalPath names it; Game itself if unknown
    bool rootKnown_ = false;
    std::mutex foldersLock_;
    std::unordered_set<std::string> madeFolders_;  // guarded by foldersLock_; checked already
    std::unique_ptr<FileState[]> files_;           // one per manifest entry
    std::mutex makeLocks_[kMakeLocks];
    std::mutex lock_;
    std::deque<OpenFile> open_;  // guarded by lock_; most recently used last
};
