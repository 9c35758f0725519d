#pragma once
#include "Manifest.h"
#include "StoreError.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct ZSTD_DCtx_s;

namespace chunkstore {

// Turns a fetched chunk back into its raw bytes and proves it is the chunk
// the manifest names. The output never grows past the manifest's raw size
// (itself at most kMaxChunkBytes), whatever the stored bytes claim. One
// decoder per thread; it keeps its zstd context between chunks.
class ChunkDecoder {
public:
    ChunkDecoder();
    ~ChunkDecoder();
    ChunkDecoder(const ChunkDecoder&) = delete;
    ChunkDecoder& operator=(const ChunkDecoder&) = delete;

    // Ok with `raw` holding exactly info.rawBytes bytes whose SHA-256 is
    // info.id; otherwise the reason, and `raw` must not be used.
    StoreError Decode(const ChunkInfo& info, const uint8_t* stored, size_t storedSize, std::vector<uint8_t>& raw);

private:
    StoreError DecodeFrame(const uint8_t* frame, size_t size, std::vector<uint8_t>& raw);

    ZSTD_DCtx_s* context_;  // owned
};

// Ok when `raw` is exactly the chunk `info` names: its size and SHA-256.
// For chunks read back from installed files before they are reused.
StoreError VerifyRawChunk(const ChunkInfo& info, const uint8_t* raw, size_t size);

}  // namespace chunkstore
