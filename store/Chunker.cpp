#include "Chunker.h"

#include "StoreLimits.h"

#include <array>

namespace chunkstore {
namespace {

// The gear table: 256 pseudo-random words from splitmix64, fixed so that
// the same file always gets the same cuts.
constexpr std::array<uint64_t, 256> MakeGearTable() {
    std::array<uint64_t, 256> table{};
    uint64_t state = 0x6B6F7276612D6364ull;
    for (auto& entry : table) {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        entry = z ^ (z >> 31);
    }
    return table;
}

constexpr std::array<uint64_t, 256> kGear = MakeGearTable();

unsigned Log2(uint32_t value) {
    unsigned bits = 0;
    while (value > 1) {
        value >>= 1;
        ++bits;
    }
    return bits;
}

// The top `bits` bits: after 64 shifts a byte has left the hash, so the top
// bits depend on the last 64 bytes and the low ones on only a few.
uint64_t TopBitsMask(unsigned bits) { return ~0ull << (64 - bits); }

}  // namespace

Chunker::Chunker(uint32_t minBytes, uint32_t averageBytes, uint32_t maxBytes)
    : min_(minBytes),
      average_(averageBytes),
      max_(maxBytes),
      strictMask_(TopBitsMask(Log2(averageBytes) + 2)),
      looseMask_(TopBitsMask(Log2(averageBytes) - 2)) {}

Chunker::Chunker() : Chunker(kMinChunkBytes, kAverageChunkBytes, kMaxChunkBytes) {}

size_t Chunker::NextCut(const uint8_t* data, size_t size) const {
    if (size <= min_) {
        return size;
    }
    size_t end = size < max_ ? size : max_;
    size_t normal = end < average_ ? end : average_;
    uint64_t hash = 0;
    size_t i = min_;
    for (; i < normal; ++i) {
        hash = (hash << 1) + kGear[data[i]];
        if ((hash & strictMask_) == 0) return i + 1;
    }
    for (; i < end; ++i) {
        hash = (hash << 1) + kGear[data[i]];
        if ((hash & looseMask_) == 0) return i + 1;
    }
    return end;
}

}  // namespace chunkstore
