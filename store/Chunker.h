#pragma once
#include <cstddef>
#include <cstdint>

namespace chunkstore {

// Content-defined chunking (FastCDC with normalised chunking): a cut falls
// where a gear hash of the last 64 bytes hits a mask, so inserting bytes
// moves only the cuts near the insertion. Chunks are between `minBytes` and
// `maxBytes` long (the last one of a file may be shorter) and average about
// `averageBytes`: before that length a stricter mask makes cuts rarer,
// after it a looser one makes them likelier.
// The cuts are the packer's choice, not part of the format: a reader never
// needs to find them again.
class Chunker {
public:
    Chunker(uint32_t minBytes, uint32_t averageBytes, uint32_t maxBytes);
    // The store's sizes (StoreLimits.h).
    Chunker();

    // The length of the next chunk of `data`, which holds either the rest of
    // the file or at least MaxBytes() bytes of it.
    size_t NextCut(const uint8_t* data, size_t size) const;

    uint32_t MaxBytes() const { return max_; }

private:
    uint32_t min_;
    uint32_t average_;
    uint32_t max_;
    uint64_t strictMask_;
    uint64_t looseMask_;
};

}  // namespace chunkstore
