#pragma once
#include "Digest.h"

#include <cstdint>
#include <string>
#include <vector>

namespace chunkstore {

// One unique chunk of a version: named by the SHA-256 of its raw bytes,
// stored as `storedBytes` bytes (encoding tag included).
struct ChunkInfo {
    Digest id{};
    uint32_t rawBytes = 0;
    uint32_t storedBytes = 0;
};

enum class EntryKind : uint8_t { File = 0, Folder = 1 };

// A file, as its chunks in order, or an empty folder.
struct ManifestEntry {
    std::string path;  // UTF-8, '/' between components
    EntryKind kind = EntryKind::File;
    uint64_t size = 0;
    std::vector<uint32_t> chunks;  // indexes into Manifest::chunks
};

// One version of a game. A decoded manifest (ManifestCodec.h) holds every
// rule of the format: entries sorted by path bytes, chunks in order of first
// reference, each chunk used, sizes that add up.
struct Manifest {
    std::string version;
    std::vector<ChunkInfo> chunks;
    std::vector<ManifestEntry> entries;
};

// The leading byte of every stored chunk.
enum class ChunkEncoding : uint8_t { Raw = 0, Zstd = 1 };

}  // namespace chunkstore
