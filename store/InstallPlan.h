#pragma once
#include "Manifest.h"

#include <cstdint>
#include <vector>

namespace chunkstore {

// Where a chunk's raw bytes belong: entry index, byte offset in that file.
struct ChunkPlacement {
    uint32_t entry = 0;
    uint64_t offset = 0;
};

// One unique chunk to put in place, fetched once however often it is used.
struct PlannedChunk {
    uint32_t chunk = 0;                     // index into Manifest::chunks
    std::vector<ChunkPlacement> placements; // every place it goes, in entry order
    // Updates only: where the installed version already holds these bytes
    // (entries of the installed manifest), to be read back and verified by
    // hash before use; empty when the chunk must be fetched.
    std::vector<ChunkPlacement> installedCopies;
};

// What a fresh install of a validated manifest does.
struct InstallPlan {
    std::vector<uint32_t> files;    // entry indexes, in manifest order
    std::vector<uint32_t> folders;  // empty folders to create
    std::vector<PlannedChunk> chunks;
    uint64_t bytesToFetch = 0;      // stored bytes of every chunk
    uint64_t bytesToWrite = 0;      // the files' sizes
};

// The unique chunks that `entries` (file indexes of `manifest`) need, in
// order of first use, each with all its placements in those entries.
std::vector<PlannedChunk> PlaceChunks(const Manifest& manifest, const std::vector<uint32_t>& entries);

// `manifest` must have come from DecodeManifest (or ManifestBuilder).
InstallPlan PlanInstall(const Manifest& manifest);

}  // namespace chunkstore
