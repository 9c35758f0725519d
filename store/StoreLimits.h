#pragma once
#include <cstddef>
#include <cstdint>

// Bounds of the store format (store/FORMAT.md). Readers refuse anything
// beyond them, so that a hostile manifest cannot make a 32-bit launcher
// allocate or write without limit.
namespace chunkstore {

constexpr uint32_t kMinChunkBytes = 16 * 1024;
constexpr uint32_t kAverageChunkBytes = 64 * 1024;
constexpr uint32_t kMaxChunkBytes = 256 * 1024;
// zstd's window never needs more than one whole chunk.
constexpr int kChunkWindowLog = 18;
static_assert((1u << kChunkWindowLog) == kMaxChunkBytes, "the window covers the largest chunk");

constexpr uint64_t kMaxManifestBytes = 64ull * 1024 * 1024;
constexpr size_t kMaxPointerBytes = 64 * 1024;
constexpr size_t kMaxPayloadBytes = 4 * 1024;
constexpr uint32_t kMaxChunks = 1u << 20;
constexpr uint32_t kMaxEntries = 1u << 20;
constexpr uint32_t kMaxChunkRefs = 1u << 22;
constexpr uint64_t kMaxFileBytes = 1ull << 40;
constexpr uint64_t kMaxGameBytes = 1ull << 40;
constexpr size_t kMaxPathBytes = 1024;
constexpr size_t kMaxComponentBytes = 255;
constexpr size_t kMaxVersionBytes = 64;

}  // namespace chunkstore
