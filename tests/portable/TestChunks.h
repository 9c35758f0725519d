#pragma once
#include "Manifest.h"

#include <cstdint>

namespace testkit {

// A chunk whose id is `idByte` repeated, for manifests built by hand.
inline chunkstore::ChunkInfo ChunkWithId(uint8_t idByte, uint32_t raw, uint32_t stored) {
    chunkstore::ChunkInfo chunk;
    chunk.id.fill(idByte);
    chunk.rawBytes = raw;
    chunk.storedBytes = stored;
    return chunk;
}

}  // namespace testkit
