#include "ZipArchive.h"

#include "ZipEntryReader.h"
#include "ZipFormat.h"
#include "ZipPlatform.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace {

constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndSize = 22;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint16_t kUnicodePathExtraId = 0x7075;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr unsigned char kHostUnix = 3;
constexpr unsigned char kHostMac = 19;

bool DecodeName(const char* bytes, size_t size, UINT codePage, DWORD flags, std::wstring& out) {
    out.clear();
    if (size == 0) {
        return true;
    }
    int units = MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), nullptr, 0);
    if (units <= 0) {
        return false;
    }
    out.resize(static_cast<size_t>(units));
    return MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), &out[0], units) == units;
}

uint32_t Crc32(uint32_t crc, const unsigned char* data, size_t size) {
    while (size > 0) {
        uInt chunk = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        crc = static_cast<uint32_t>(crc32(crc, data, chunk));
        data += chunk;
        size -= chunk;
    }
    return crc;
}

// Info-ZIP's Unicode path field: preferred over the stored name while it
// still describes that name (its CRC-32 matches).
void ApplyUnicodePath(const unsigned char* data, size_t size, ZipEntry& entry) {
    if (size < 5 || data[0] != 1) {
        return;
    }
    uint32_t nameCrc = Crc32(static_cast<uint32_t>(crc32(0, nullptr, 0)),
                             reinterpret_cast<const unsigned char*>(entry.rawName.data()), entry.rawName.size());
    std::wstring name;
    if (Get32(data + 1) == nameCrc &&
        DecodeName(reinterpret_cast<const char*>(data + 5), size - 5, CP_UTF8, MB_ERR_INVALID_CHARS, name)) {
        entry.name = name;
    }
}

// Fills the fields the directory record marks with 0xFFFFFFFF from the Zip64 field.
bool ApplyZip64(const unsigned char* data, size_t size, bool wideUncompressed, bool wideCompressed, bool wideOffset,
                ZipEntry& entry) {
    size_t pos = 0;
    auto take = [&](uint64_t& field) {
        if (pos + 8 > size) {
            return false;
        }
        field = Get64(data + pos);
        pos += 8;
        return true;
    };
    return (!wideUncompressed || take(entry.uncompressedSize)) && (!wideCompressed || take(entry.compressedSize)) &&
           (!wideOffset || take(entry.localHeaderOffset));
}

// Judged from the decoded name: in GBK, Big5 and Shift-JIS the byte 0x5C is
// also a trail byte, so a raw name ending in it may well name a file. An
// entry without data that its attributes mark as a folder is one too.
bool IsFolderEntry(const ZipEntry& entry, unsigned char host) {
    constexpr uint32_t kDosDirectory = 0x10;
    constexpr uint32_t kUnixTypeMask = 0170000;
    constexpr uint32_t kUnixDirectory = 0040000;
    if (!entry.name.empty() && (entry.name.back() == L'/' || entry.name.back() == L'\\')) {
        return true;
    }
    if (entry.uncompressedSize != 0) {
        return false;
    }
    bool unixMade = host == kHostUnix || host == kHostMac;
    return (entry.externalAttributes & kDosDirectory) != 0 ||
           (unixMade && ((entry.externalAttributes >> 16) & kUnixTypeMask) == kUnixDirectory);
}

class VectorSink : public ZipSink {
public:
    explicit VectorSink(std::vector<unsigned char>& out) : out_(out) {}
    bool Write(const unsigned char* data, size_t size) override {
        out_.insert(out_.end(), data, data + size);
        return true;
    }

private:
    std::vector<unsigned char>& out_;
};

}  // namespace

ZipArchive::ZipArchive() = default;

ZipArchive::~ZipArchive() {
    Close();
}

bool ZipArchive::Open(const std::wstring& path) {
    Close();
    lastResult_ = ZipResult::Ok;
    if (path.empty()) {
        Fail(ZipResult::BadArgument);
        return false;
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Fail(ZipResult::OpenFailed);
        return false;
    }
    file_ = file;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        Fail(ZipResult::OpenFailed);
        Close();
        return false;
    }
    fileSize_ = static_cast<uint64_t>(size.QuadPart);
    ZipResult result;
    try {
        reader_.reset(new ZipEntryReader(file_, fileSize_));
        result = ReadCentralDirectory();
    } catch (const std::bad_alloc&) {
        result = ZipResult::OutOfMemory;
    }
    if (result != ZipResult::Ok) {
        Close();
        Fail(result);
        return false;
    }
    return true;
}

void ZipArchive::Close() {
    if (file_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(file_));
        file_ = nullptr;
    }
    reader_.reset();
    fileSize_ = 0;
    entries_.clear();
}

bool ZipArchive::IsOpen() const {
    return file_ != nullptr;
}

int ZipArchive::FindEntry(const std::string& name, bool ignoreCase) const {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < entries_.size(); ++i) {
        const std::string& stored = entries_[i].rawName;
        if (stored.size() != name.size()) {
            continue;
        }
        bool same = ignoreCase ? std::equal(stored.begin(), stored.end(), name.begin(),
                                            [&](char a, char b) { return fold(a) == fold(b); })
                               : stored == name;
        if (same) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

size_t ZipArchive::EntryCount() const {
    return entries_.size();
}

const ZipEntry* ZipArchive::Entry(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) {
        return nullptr;
    }
    return &entries_[static_cast<size_t>(index)];
}

uint64_t ZipArchive::UncompressedSize(int index) const {
    const ZipEntry* entry = Entry(index);
    return entry != nullptr ? entry->uncompressedSize : 0;
}

bool ZipArchive::ExtractToMemory(int index, std::vector<unsigned char>& out) {
    out.clear();
    const ZipEntry* entry = Entry(index);
    if (entry == nullptr) {
        Fail(ZipResult::BadArgument);
        return false;
    }
    if (entry->uncompressedSize > kMaxMemoryEntryBytes) {
        Fail(ZipResult::TooLarge);
        return false;
    }
    try {
        out.reserve(static_cast<size_t>(entry->uncompressedSize));
    } catch (const std::bad_alloc&) {
        Fail(ZipResult::OutOfMemory);
        return false;
    }
    VectorSink sink(out);
    if (ReadEntry(index, sink) != ZipResult::Ok) {
        out.clear();
        return false;
    }
    return true;
}

ZipResult ZipArchive::CheckSupported(int index) const {
    const ZipEntry* entry = Entry(index);
    return entry != nullptr ? ZipEntryReader::CheckSupported(*entry) : ZipResult::BadArgument;
}

ZipResult ZipArchive::ReadEntry(int index, ZipSink& sink) {
    lastResult_ = ZipResult::Ok;
    const ZipEntry* entry = Entry(index);
    if (entry == nullptr || reader_ == nullptr) {
        return Fail(ZipResult::BadArgument);
    }
    return Fail(reader_->Read(*entry, sink));
}

std::unique_ptr<ZipEntryReader> ZipArchive::NewReader() const {
    if (file_ == nullptr) {
        return nullptr;
    }
    HANDLE file = ReOpenFile(static_cast<HANDLE>(file_), GENERIC_READ, FILE_SHARE_READ, FILE_FLAG_SEQUENTIAL_SCAN);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    try {
        return std::unique_ptr<ZipEntryReader>(new ZipEntryReader(file, fileSize_, true));
    } catch (const std::bad_alloc&) {
        CloseHandle(file);
        return nullptr;
    }
}

ZipResult ZipArchive::ReadCentralDirectory() {
    uint64_t directoryOffset = 0;
    uint64_t directorySize = 0;
    uint64_t entryCount = 0;
    uint64_t prefix = 0;
    ZipResult result = FindEndRecord(directoryOffset, directorySize, entryCount, prefix);
    if (result != ZipResult::Ok) {
        return result;
    }
    if (entryCount > kMaxEntries || directorySize > kMaxCentralDirectoryBytes) {
        return ZipResult::TooManyEntries;
    }
    if (entryCount * kCentralHeaderSize > directorySize) {
        return ZipResult::BadArchive;
    }
    std::vector<unsigned char> directory(static_cast<size_t>(directorySize));
    if (!ReadAt(directoryOffset, directory.data(), directory.size())) {
        return ZipResult::Truncated;
    }
    result = ParseDirectory(directory, entryCount);
    if (result != ZipResult::Ok) {
        return result;
    }
    for (ZipEntry& entry : entries_) {
        // An offset the prefix would wrap past 2^64 points in front of the archive.
        if (entry.localHeaderOffset > UINT64_MAX - prefix) {
            return ZipResult::OverlappingEntries;
        }
        entry.localHeaderOffset += prefix;
    }
    return CheckOverlaps(directoryOffset);
}

ZipResult ZipArchive::FindEndRecord(uint64_t& directoryOffset, uint64_t& directorySize, uint64_t& entryCount,
                                    uint64_t& prefix) {
    if (fileSize_ < kEndSize) {
        return ZipResult::BadArchive;
    }
    size_t tailSize = static_cast<size_t>(std::min<uint64_t>(fileSize_, kEndSize + kMaxCommentSize));
    uint64_t tailStart = fileSize_ - tailSize;
    std::vector<unsigned char> tail(tailSize);
    if (!ReadAt(tailStart, tail.data(), tail.size())) {
        return ZipResult::OpenFailed;
    }
    // The last signature whose comment fits in the file is the end record;
    // an earlier one may sit inside the comment.
    size_t pos = tailSize - kEndSize + 1;
    const unsigned char* end = nullptr;
    while (pos-- > 0) {
        const unsigned char* p = tail.data() + pos;
        if (Get32(p) == kEndSignature && pos + kEndSize + Get16(p + 20) <= tailSize) {
            end = p;
            break;
        }
    }
    if (end == nullptr) {
        // A file that starts like a zip but has no end record was cut short.
        unsigned char head[4];
        bool zipStart = ReadAt(0, head, sizeof(head)) && Get32(head) == kLocalHeaderSignature;
        return zipStart ? ZipResult::Truncated : ZipResult::BadArchive;
    }
    uint64_t endOffset = tailStart + pos;
    uint16_t disk = Get16(end + 4);
    uint16_t directoryDisk = Get16(end + 6);
    uint16_t diskEntries = Get16(end + 8);
    entryCount = Get16(end + 10);
    directorySize = Get32(end + 12);
    directoryOffset = Get32(end + 16);
    uint64_t directoryEnd = endOffset;

    unsigned char locator[kZip64LocatorSize];
    if (endOffset >= kZip64LocatorSize && ReadAt(endOffset - kZip64LocatorSize, locator, sizeof(locator)) &&
        Get32(locator) == kZip64LocatorSignature) {
        const uint64_t locatorOffset = endOffset - kZip64LocatorSize;
        uint64_t zip64EndOffset = Get64(locator + 8);
        unsigned char record[kZip64EndSize];
        auto recordAt = [&](uint64_t offset) {
            return offset <= locatorOffset && locatorOffset - offset >= kZip64EndSize &&
                   ReadAt(offset, record, sizeof(record)) && Get32(record) == kZip64EndSignature;
        };
        if (Get32(locator + 4) != 0) {
            return ZipResult::BadArchive;
        }
        // Behind a prefix the record is not where the locator says; Info-ZIP
        // then looks right before the locator, where writers put it.
        if (!recordAt(zip64EndOffset)) {
            uint64_t guess = locatorOffset - kZip64EndSize;
            if (locatorOffset < kZip64EndSize || guess <= zip64EndOffset || !recordAt(guess)) {
                return ZipResult::BadArchive;
            }
            zip64EndOffset = guess;
        }
        if (Get32(record + 16) != 0 || Get32(record + 20) != 0 || Get64(record + 24) != Get64(record + 32)) {
            return ZipResult::BadArchive;
        }
        entryCount = Get64(record + 32);
        directorySize = Get64(record + 40);
        directoryOffset = Get64(record + 48);
        directoryEnd = zip64EndOffset;
    } else if ((disk != 0 && disk != 0xFFFF) || (directoryDisk != 0 && directoryDisk != 0xFFFF) ||
               diskEntries != entryCount) {
        return ZipResult::BadArchive;
    }
    // Data glued in front of a finished archive (a self-extractor stub, a
    // signature) leaves every recorded offset short by its size. As Info-ZIP
    // and Python do, take that size from where the directory really ends, and
    // believe it only when a directory record starts at the shifted place.
    prefix = 0;
    unsigned char signature[4];
    auto directoryAt = [&](uint64_t offset) {
        return ReadAt(offset, signature, sizeof(signature)) && Get32(signature) == kCentralHeaderSignature;
    };
    if (entryCount != 0 && directorySize < directoryEnd && directoryOffset < directoryEnd - directorySize &&
        !directoryAt(directoryOffset) && directoryAt(directoryEnd - directorySize)) {
        prefix = directoryEnd - directorySize - directoryOffset;
        directoryOffset += prefix;
    }
    if (directoryOffset > directoryEnd || directorySize > directoryEnd - directoryOffset) {
        return directoryOffset + directorySize > fileSize_ ? ZipResult::Truncated : ZipResult::BadArchive;
    }
    return ZipResult::Ok;
}

ZipResult ZipArchive::ParseDirectory(const std::vector<unsigned char>& directory, uint64_t entryCount) {
    entries_.reserve(static_cast<size_t>(entryCount));
    size_t pos = 0;
    for (uint64_t i = 0; i < entryCount; ++i) {
        if (directory.size() - pos < kCentralHeaderSize) {
            return ZipResult::BadArchive;
        }
        const unsigned char* h = directory.data() + pos;
        if (Get32(h) != kCentralHeaderSignature) {
            return ZipResult::BadArchive;
        }
        size_t nameSize = Get16(h + 28);
        size_t extraSize = Get16(h + 30);
        size_t commentSize = Get16(h + 32);
        if (directory.size() - pos - kCentralHeaderSize < nameSize + extraSize + commentSize) {
            return ZipResult::BadArchive;
        }
        if (nameSize > kMaxNameBytes) {
            return ZipResult::UnsafeName;
        }
        ZipEntry entry;
        entry.flags = Get16(h + 8);
        entry.method = Get16(h + 10);
        entry.crc = Get32(h + 16);
        entry.compressedSize = Get32(h + 20);
        entry.uncompressedSize = Get32(h + 24);
        entry.externalAttributes = Get32(h + 38);
        entry.localHeaderOffset = Get32(h + 42);
        entry.rawName.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameSize);
        bool utf8 = (entry.flags & kFlagUtf8) != 0;
        // Windows tools write unflagged names in the OEM code page; Unix tools
        // (Info-ZIP among them) write the bytes of a UTF-8 locale unflagged.
        bool unixMade = h[5] == kHostUnix || h[5] == kHostMac;
        bool decoded = (utf8 || unixMade) && DecodeName(entry.rawName.data(), entry.rawName.size(), CP_UTF8,
                                                        MB_ERR_INVALID_CHARS, entry.name);
        // An undecodable name stays empty, which no extraction accepts.
        if (!decoded && !utf8) {
            DecodeName(entry.rawName.data(), entry.rawName.size(), CP_OEMCP, 0, entry.name);
        }

        const unsigned char* extra = h + kCentralHeaderSize + nameSize;
        bool wideUncompressed = entry.uncompressedSize == 0xFFFFFFFFu;
        bool wideCompressed = entry.compressedSize == 0xFFFFFFFFu;
        bool wideOffset = entry.localHeaderOffset == 0xFFFFFFFFu;
        bool zip64Seen = false;
        for (size_t e = 0; e + 4 <= extraSize;) {
            uint16_t id = Get16(extra + e);
            size_t size = Get16(extra + e + 2);
            if (e + 4 + size > extraSize) {
                break;
            }
            if (id == kZip64ExtraId && !zip64Seen) {
                zip64Seen = true;
                if (!ApplyZip64(extra + e + 4, size, wideUncompressed, wideCompressed, wideOffset, entry)) {
                    return ZipResult::BadArchive;
                }
            } else if (id == kUnicodePathExtraId && !utf8) {
                ApplyUnicodePath(extra + e + 4, size, entry);
            }
            e += 4 + size;
        }
        if (!zip64Seen && (wideUncompressed || wideCompressed || wideOffset)) {
            return ZipResult::BadArchive;
        }
        entry.isDirectory = IsFolderEntry(entry, h[5]);
        entries_.push_back(std::move(entry));
        pos += kCentralHeaderSize + nameSize + extraSize + commentSize;
    }
    return ZipResult::Ok;
}

// No two entries may share bytes: that is how "overlapping" zip bombs
// multiply a small file into a huge output.
ZipResult ZipArchive::CheckOverlaps(uint64_t directoryOffset) {
    std::vector<size_t> order(entries_.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return entries_[a].localHeaderOffset < entries_[b].localHeaderOffset;
    });
    for (size_t i = 0; i < order.size(); ++i) {
        ZipEntry& entry = entries_[order[i]];
        uint64_t limit = i + 1 < order.size() ? entries_[order[i + 1]].localHeaderOffset : directoryOffset;
        uint64_t minimumSize = kLocalHeaderSize + entry.rawName.size();
        if (entry.localHeaderOffset > limit || limit - entry.localHeaderOffset < minimumSize ||
            limit - entry.localHeaderOffset - minimumSize < entry.compressedSize) {
            return ZipResult::OverlappingEntries;
        }
        entry.limit = limit;
    }
    return ZipResult::Ok;
}

bool ZipArchive::ReadAt(uint64_t offset, void* buffer, size_t size) {
    return reader_ != nullptr && reader_->ReadAt(offset, buffer, size);
}

bool ZipArchive::ReadNext(void* buffer, size_t size) {
    return reader_ != nullptr && reader_->ReadNext(buffer, size);
}

ZipResult ZipArchive::Fail(ZipResult result) {
    lastResult_ = result;
    return result;
}
