#pragma once
#include "ZipArchive.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Unpacks the entries of an archive read by ZipArchive through one file
// handle and buffers of its own: checks each local header against the
// directory, then streams stored or deflate data to a sink, checking size
// and CRC-32 as it goes. Not thread-safe; threads reading one archive at once
// each use a reader of their own (ZipArchive::NewReader).
// Holds at most one read buffer, one write buffer and, while inflating,
// zlib's state with its 32 KiB window.
class ZipEntryReader {
public:
    // A sink is handed at most this many bytes at a time.
    static constexpr size_t kWriteBlock = 1024 * 1024;

    // `file` is a HANDLE on an archive of `fileSize` bytes, closed by the
    // reader when `ownsFile`.
    ZipEntryReader(void* file, uint64_t fileSize, bool ownsFile = false)
        : file_(file), fileSize_(fileSize), ownsFile_(ownsFile) {}
    ~ZipEntryReader();
    ZipEntryReader(const ZipEntryReader&) = delete;
    ZipEntryReader& operator=(const ZipEntryReader&) = delete;

    // Ok when the entry is neither encrypted nor packed with an unknown method.
    static ZipResult CheckSupported(const ZipEntry& entry);
    // Streams the entry to `sink`. Never throws.
    ZipResult Read(const ZipEntry& entry, ZipSink& sink);

    bool ReadAt(uint64_t offset, void* buffer, size_t size);
    // Reads on from where the last read ended.
    bool ReadNext(void* buffer, size_t size);

private:
    ZipResult LocateData(const ZipEntry& entry, uint64_t& dataOffset);
    ZipResult CopyStored(const ZipEntry& entry, ZipSink& sink, uint32_t& crc);
    ZipResult Inflate(const ZipEntry& entry, ZipSink& sink, uint32_t& crc);

    void* file_;  // owned when ownsFile_
    uint64_t fileSize_;
    bool ownsFile_;
    std::vector<unsigned char> inBuffer_;
    std::vector<unsigned char> outBuffer_;
};
