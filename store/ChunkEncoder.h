#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct ZSTD_CCtx_s;

namespace chunkstore {

// zstd level of the store's chunks. On mixed game content, levels above it
// shrink a store by 1 to 2 % more at a third or less of the packing speed
// (bench/chunkstore).
constexpr int kChunkCompressionLevel = 9;

// Turns raw chunks into their stored form: the Zstd tag and one zstd frame,
// or the Raw tag and the bytes as they are when zstd does not shrink them.
// The same bytes and level give the same output (single-threaded zstd,
// content size in the frame, no checksum, no dictionary).
class ChunkEncoder {
public:
    explicit ChunkEncoder(int level = kChunkCompressionLevel);
    ~ChunkEncoder();
    ChunkEncoder(const ChunkEncoder&) = delete;
    ChunkEncoder& operator=(const ChunkEncoder&) = delete;

    // False only when zstd itself fails (out of memory).
    bool Encode(const uint8_t* raw, size_t size, std::string& stored);

private:
    ZSTD_CCtx_s* context_;  // owned
    int level_;
};

}  // namespace chunkstore
