#pragma once
#include "Manifest.h"
#include "Platform.h"
#include "ScopedHandle.h"

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

    GameFiles(const std::wstring& gameDir, const chunkstore::Manifest& manifest);
    GameFiles(const GameFiles&) = delete;
    GameFiles& operator=(const GameFiles&) = delete;

    // The bytes the files still need on disk beyond what they already hold.
    uint64_t MissingBytes() const;
    // Makes every folder of the manifest and every file at its size, keeping
    // what an earlier run wrote into files that are already there.
    Result LayOut();
    // From any thread: `size` bytes at `offset` of file entry `entry`.
    Result Write(uint32_t entry, uint64_t offset, const uint8_t* data, size_t size);
    Result Read(uint32_t entry, uint64_t offset, uint8_t* data, size_t size);
    // Every file's data on the disk, not only in the system's cache.
    Result Flush();

private:
    struct OpenFile {
        uint32_t entry;
        std::shared_ptr<ScopedHandle> handle;
    };

    std::wstring PathOf(const std::string& relative) const;
    // What the handle of `relative` must name; "" when that cannot be told.
    std::wstring ExpectedPath(const std::string& relative) const;
    Result MakeFolder(const std::string& relative);
    Result MakeFolders(const std::string& path, bool includingLast);
    Result MakeFile(const chunkstore::ManifestEntry& entry);
    // The checked handle of a file entry, from the cache or opened now.
    Result Handle(uint32_t entry, std::shared_ptr<ScopedHandle>& handle);
    // `missing`, when given, is set instead of a failure being logged when
    // there is no such file to open.
    Result OpenChecked(const std::string& relative, DWORD disposition, ScopedHandle& file, bool* missing) const;

    const chunkstore::Manifest& manifest_;  // not owned
    std::wstring root_;                    // where Game really is, as FinalPath names it; Game itself if unknown
    bool rootKnown_ = false;
    std::unordered_set<std::string> madeFolders_;  // checked already: UTF-8 paths
    std::mutex lock_;
    std::deque<OpenFile> open_;  // guarded by lock_; most recently used last
};
