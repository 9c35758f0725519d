#include "ManifestCodec.h"

#include "ByteReader.h"
#include "ByteWriter.h"
#include "StoreLimits.h"
#include "StorePath.h"
#include "Version.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

namespace chunkstore {
namespace {

const char kMagic[4] = {'K', 'V', 'M', 'F'};
constexpr uint64_t kFormatVersion = 1;
// The smallest encodings of a chunk and an entry.
constexpr size_t kMinChunkRecordBytes = sizeof(Digest) + 2;
constexpr size_t kMinEntryRecordBytes = 3;

// Chunk references are written as signed steps from the previous one.
uint64_t ZigZag(int64_t value) { return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63); }
int64_t UnZigZag(uint64_t value) { return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1); }

size_t SharedPrefix(const std::string& a, const std::string& b) {
    size_t shared = 0;
    while (shared < a.size() && shared < b.size() && a[shared] == b[shared]) ++shared;
    return shared;
}

class ManifestReader {
public:
    ManifestReader(const uint8_t* data, size_t size) : in_(data, size) {}

    StoreError Read(Manifest& manifest) {
        if (!ReadHeader(manifest) || !ReadChunks(manifest) || !ReadEntries(manifest)) {
            return in_.Error();
        }
        if (highestRef_ + 1 != static_cast<int64_t>(manifest.chunks.size())) {
            return StoreError::ChunkTableOrder;  // a chunk nobody uses
        }
        if (!in_.AtEnd()) {
            return StoreError::TrailingBytes;
        }
        return CheckPathsApart(manifest);
    }

private:
    bool ReadHeader(Manifest& manifest) {
        std::string_view magic;
        if (!in_.ReadBytes(sizeof(kMagic), magic) || std::memcmp(magic.data(), kMagic, sizeof(kMagic)) != 0) {
            return in_.Fail(StoreError::NotAManifest);
        }
        uint64_t format = 0;
        if (!in_.ReadVarint(format)) return false;
        if (format != kFormatVersion) return in_.Fail(StoreError::UnsupportedFormat);
        uint64_t length = 0;
        std::string_view version;
        if (!in_.ReadBounded(kMaxVersionBytes, StoreError::BadVersionText, length) || !in_.ReadBytes(length, version)) {
            return false;
        }
        if (!IsValidVersion(version)) return in_.Fail(StoreError::BadVersionText);
        manifest.version.assign(version);
        return true;
    }

    // A count of records, refused before anything is allocated for it when
    // beyond its limit or beyond what the remaining bytes can hold.
    bool ReadCount(uint64_t limit, StoreError tooMany, size_t minRecordBytes, uint64_t& count) {
        if (!in_.ReadBounded(limit, tooMany, count)) return false;
        return count <= in_.Remaining() / minRecordBytes || in_.Fail(StoreError::Truncated);
    }

    bool ReadChunks(Manifest& manifest) {
        uint64_t count = 0;
        if (!ReadCount(kMaxChunks, StoreError::TooManyChunks, kMinChunkRecordBytes, count)) return false;
        manifest.chunks.resize(count);
        for (ChunkInfo& chunk : manifest.chunks) {
            std::string_view id;
            uint64_t raw = 0;
            uint64_t stored = 0;
            if (!in_.ReadBytes(chunk.id.size(), id) || !in_.ReadVarint(raw) || !in_.ReadVarint(stored)) return false;
            // Stored bytes are the encoding tag plus at most the raw bytes.
            if (raw == 0 || raw > kMaxChunkBytes || stored < 2 || stored > raw + 1) {
                return in_.Fail(StoreError::ChunkSizeOutOfBounds);
            }
            std::memcpy(chunk.id.data(), id.data(), chunk.id.size());
            chunk.rawBytes = static_cast<uint32_t>(raw);
            chunk.storedBytes = static_cast<uint32_t>(stored);
        }
        std::vector<Digest> ids;
        ids.reserve(manifest.chunks.size());
        for (const ChunkInfo& chunk : manifest.chunks) ids.push_back(chunk.id);
        std::sort(ids.begin(), ids.end());
        if (std::adjacent_find(ids.begin(), ids.end()) != ids.end()) return in_.Fail(StoreError::DuplicateChunk);
        return true;
    }

    bool ReadEntries(Manifest& manifest) {
        uint64_t count = 0;
        if (!ReadCount(kMaxEntries, StoreError::TooManyEntries, kMinEntryRecordBytes, count)) return false;
        manifest.entries.resize(count);
        const std::string* previous = nullptr;
        for (ManifestEntry& entry : manifest.entries) {
            if (!ReadPath(previous, entry.path)) return false;
            uint64_t kind = 0;
            if (!in_.ReadVarint(kind)) return false;
            if (kind == static_cast<uint64_t>(EntryKind::Folder)) {
                entry.kind = EntryKind::Folder;
            } else if (kind != static_cast<uint64_t>(EntryKind::File)) {
                return in_.Fail(StoreError::UnknownEntryKind);
            } else if (!ReadFile(manifest.chunks, entry)) {
                return false;
            }
            previous = &entry.path;
        }
        return true;
    }

    // Front-coded: how many bytes it shares with the previous path, then the rest.
    bool ReadPath(const std::string* previous, std::string& path) {
        uint64_t shared = 0;
        uint64_t length = 0;
        std::string_view suffix;
        if (!in_.ReadVarint(shared)) return false;
        if (shared > (previous == nullptr ? 0 : previous->size())) return in_.Fail(StoreError::EntriesUnsorted);
        if (!in_.ReadBounded(kMaxPathBytes - shared, StoreError::PathTooLong, length) ||
            !in_.ReadBytes(length, suffix)) {
            return false;
        }
        path.assign(previous == nullptr ? std::string() : previous->substr(0, shared));
        path.append(suffix);
        StoreError pathError = CheckStorePath(path);
        if (pathError != StoreError::Ok) return in_.Fail(pathError);
        if (previous != nullptr && path <= *previous) {
            return in_.Fail(path == *previous ? StoreError::DuplicatePath : StoreError::EntriesUnsorted);
        }
        return true;
    }

    bool ReadFile(const std::vector<ChunkInfo>& chunks, ManifestEntry& entry) {
        uint64_t refCount = 0;
        if (!in_.ReadBounded(kMaxFileBytes, StoreError::FileTooLarge, entry.size)) return false;
        totalBytes_ += entry.size;
        if (totalBytes_ > kMaxGameBytes) return in_.Fail(StoreError::GameTooLarge);
        if (!in_.ReadBounded(kMaxChunkRefs - totalRefs_, StoreError::TooManyChunkRefs, refCount)) return false;
        if (refCount > in_.Remaining()) return in_.Fail(StoreError::Truncated);
        totalRefs_ += refCount;
        entry.chunks.resize(refCount);
        uint64_t sum = 0;
        for (uint32_t& index : entry.chunks) {
            uint64_t delta = 0;
            if (!in_.ReadBounded(2ull * kMaxChunks + 1, StoreError::ChunkRefOutOfRange, delta)) return false;
            int64_t ref = previousRef_ + UnZigZag(delta);
            if (ref < 0 || ref >= static_cast<int64_t>(chunks.size())) return in_.Fail(StoreError::ChunkRefOutOfRange);
            if (ref > highestRef_ + 1) return in_.Fail(StoreError::ChunkTableOrder);
            highestRef_ = std::max(highestRef_, ref);
            previousRef_ = ref;
            index = static_cast<uint32_t>(ref);
            sum += chunks[index].rawBytes;
        }
        return sum == entry.size || in_.Fail(StoreError::FileSizeMismatch);
    }

    // Paths Windows would open as one file or folder: equal after case
    // folding, or a file that another path needs as a folder.
    static StoreError CheckPathsApart(const Manifest& manifest) {
        std::vector<std::string> folded;
        folded.reserve(manifest.entries.size());
        for (const ManifestEntry& entry : manifest.entries) folded.push_back(FoldPathCase(entry.path));
        std::unordered_set<std::string> files;
        for (size_t i = 0; i < folded.size(); ++i) {
            if (manifest.entries[i].kind == EntryKind::File) files.insert(folded[i]);
        }
        std::vector<std::string> sorted = folded;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return StoreError::CaseCollision;
        for (const std::string& path : folded) {
            for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
                if (files.count(path.substr(0, slash)) != 0) return StoreError::FileIsFolderPrefix;
            }
        }
        return StoreError::Ok;
    }

    ByteReader in_;
    uint64_t totalBytes_ = 0;
    uint64_t totalRefs_ = 0;
    int64_t previousRef_ = -1;
    int64_t highestRef_ = -1;
};

}  // namespace

std::string EncodeManifest(const Manifest& manifest) {
    ByteWriter out;
    out.WriteBytes(std::string_view(kMagic, sizeof(kMagic)));
    out.WriteVarint(kFormatVersion);
    out.WriteText(manifest.version);
    out.WriteVarint(manifest.chunks.size());
    for (const ChunkInfo& chunk : manifest.chunks) {
        out.WriteBytes(std::string_view(reinterpret_cast<const char*>(chunk.id.data()), chunk.id.size()));
        out.WriteVarint(chunk.rawBytes);
        out.WriteVarint(chunk.storedBytes);
    }
    out.WriteVarint(manifest.entries.size());
    static const std::string kNone;
    const std::string* previous = &kNone;
    int64_t previousRef = -1;
    for (const ManifestEntry& entry : manifest.entries) {
        size_t shared = SharedPrefix(*previous, entry.path);
        out.WriteVarint(shared);
        out.WriteText(std::string_view(entry.path).substr(shared));
        out.WriteVarint(static_cast<uint64_t>(entry.kind));
        if (entry.kind == EntryKind::File) {
            out.WriteVarint(entry.size);
            out.WriteVarint(entry.chunks.size());
            for (uint32_t index : entry.chunks) {
                out.WriteVarint(ZigZag(static_cast<int64_t>(index) - previousRef));
                previousRef = index;
            }
        }
        previous = &entry.path;
    }
    return out.Take();
}

StoreError DecodeManifest(const uint8_t* data, size_t size, Manifest& manifest) {
    if (size > kMaxManifestBytes) {
        return StoreError::ManifestTooLarge;
    }
    try {
        Manifest decoded;
        StoreError error = ManifestReader(data, size).Read(decoded);
        if (error == StoreError::Ok) manifest = std::move(decoded);
        return error;
    } catch (const std::bad_alloc&) {
        return StoreError::OutOfMemory;
    }
}

}  // namespace chunkstore
