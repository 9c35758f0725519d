#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ZipEntryReader;

// Outcome of an archive operation. The numbers are also the failure codes of
// mini_unzip_dll (MiniUnzip.h), so they never change meaning.
enum class ZipResult : int {
    Ok = 0,
    BadArgument = 1,          // null or empty path, index out of range
    OpenFailed = 2,           // the archive file cannot be opened or read
    BadArchive = 3,           // no end record, bad or inconsistent central directory
    Truncated = 4,            // data or headers run past the end of the file
    OverlappingEntries = 5,   // two entries share bytes, or an entry runs into the directory
    TooManyEntries = 6,       // more entries or a larger directory than the reader accepts
    UnsafeName = 7,           // absolute, drive, UNC, "..", forbidden characters, NUL, device names,
                              // or a path through a link that leads out of the destination
    Encrypted = 8,
    UnsupportedMethod = 9,    // neither stored nor deflate
    BadData = 10,             // the deflate stream is corrupt
    SizeMismatch = 11,        // the data inflates to more or less than declared
    CrcMismatch = 12,
    BadLocalHeader = 13,      // local header missing or disagreeing with the directory
    CreateFolderFailed = 14,
    WriteFailed = 15,
    OutOfMemory = 16,
    TooLarge = 17,            // entry too large to unpack into memory
};

// Receives an entry's bytes in order as they are unpacked.
class ZipSink {
public:
    virtual ~ZipSink() = default;
    // False stops the unpacking with ZipResult::WriteFailed.
    virtual bool Write(const unsigned char* data, size_t size) = 0;
};

struct ZipEntry {
    std::string rawName;     // the name's bytes as stored
    std::wstring name;       // decoded: UTF-8 when flagged or valid from a Unix tool, else OEM code page
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint64_t localHeaderOffset = 0;
    uint64_t limit = 0;      // where the next entry or the central directory starts
    uint32_t externalAttributes = 0;
    bool isDirectory = false;
};

// Reads a zip archive from a file: stored and deflate entries, data
// descriptors, Zip64 records. Every size and offset in the file is checked
// before use, so a hostile archive fails cleanly. Not thread-safe, but while
// it stays open other threads may look at its entries and unpack them, each
// through a reader of its own (NewReader).
class ZipArchive {
public:
    static constexpr size_t kMaxEntries = 262144;
    static constexpr size_t kMaxNameBytes = 1024;
    static constexpr uint64_t kMaxCentralDirectoryBytes = 64ull << 20;
    static constexpr uint64_t kMaxMemoryEntryBytes = 256ull << 20;

    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Opens the file for shared reading and reads its central directory;
    // closes what was open before. False on failure (see LastResult()).
    bool Open(const std::wstring& path);
    void Close();
    bool IsOpen() const;

    // Index of the entry whose stored name ('/' separators) equals `name`,
    // ASCII letters compared without case when asked; -1 when absent.
    int FindEntry(const std::string& name, bool ignoreCase) const;
    size_t EntryCount() const;
    // 0 for an index out of range.
    uint64_t UncompressedSize(int index) const;
    // Null for an index out of range.
    const ZipEntry* Entry(int index) const;

    // Unpacks the whole entry into `out` (replaced). Refuses entries above
    // kMaxMemoryEntryBytes. False on failure (see LastResult()).
    bool ExtractToMemory(int index, std::vector<unsigned char>& out);
    // Ok when the entry is neither encrypted nor packed with an unknown method.
    ZipResult CheckSupported(int index) const;
    // Streams the entry to `sink`, checking its size and CRC-32 as it goes.
    ZipResult ReadEntry(int index, ZipSink& sink);
    // For unpacking on another thread while this archive stays open: a
    // reader with a handle and file position of its own; null when closed or
    // when the file cannot be opened again.
    std::unique_ptr<ZipEntryReader> NewReader() const;

    ZipResult LastResult() const { return lastResult_; }

private:
    ZipResult ReadCentralDirectory();
    // `prefix`: bytes glued in front of the archive after it was written,
    // which every recorded offset is short by.
    ZipResult FindEndRecord(uint64_t& directoryOffset, uint64_t& directorySize, uint64_t& entryCount,
                            uint64_t& prefix);
    ZipResult ParseDirectory(const std::vector<unsigned char>& directory, uint64_t entryCount);
    ZipResult CheckOverlaps(uint64_t directoryOffset);
    bool ReadAt(uint64_t offset, void* buffer, size_t size);
    bool ReadNext(void* buffer, size_t size);
    ZipResult Fail(ZipResult result);

    void* file_ = nullptr;  // owned HANDLE; null when closed
    uint64_t fileSize_ = 0;
    std::vector<ZipEntry> entries_;
    std::unique_ptr<ZipEntryReader> reader_;  // on file_
    ZipResult lastResult_ = ZipResult::Ok;
};
