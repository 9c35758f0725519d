#pragma once
#include "InstallPlan.h"
#include "Manifest.h"

#include <cstdint>
#include <vector>

namespace chunkstore {

// What bringing an installed version up to another one does.
struct UpdatePlan {
    // Entries of the new manifest, by whether their file on disk stays: an
    // entry is unchanged when the installed manifest has the same path
    // (byte for byte), kind, size and chunk sequence.
    std::vector<uint32_t> unchanged;
    std::vector<uint32_t> changed;
    // Entries of the installed manifest to delete: a file whose path, case
    // folded, is no file of the new one; a folder the new one neither lists
    // nor needs above an entry. A file renamed only in case is thus
    // rewritten, never deleted. Folders among them should go only when empty
    // (a player may keep files there).
    std::vector<uint32_t> removed;
    // What the changed entries need; a chunk with installed copies can be
    // read back instead of fetched.
    std::vector<PlannedChunk> chunks;
    // Stored bytes of the chunks without installed copies: what the update
    // fetches when every installed copy proves intact.
    uint64_t bytesToFetch = 0;
};

// Both manifests must be validated ones.
UpdatePlan PlanUpdate(const Manifest& installed, const Manifest& next);

}  // namespace chunkstore
