#include "InstallPlan.h"

#include <unordered_map>

namespace chunkstore {

std::vector<PlannedChunk> PlaceChunks(const Manifest& manifest, const std::vector<uint32_t>& entries) {
    std::vector<PlannedChunk> planned;
    std::unordered_map<uint32_t, size_t> slotOf;
    for (uint32_t index : entries) {
        const ManifestEntry& entry = manifest.entries[index];
        uint64_t offset = 0;
        for (uint32_t chunk : entry.chunks) {
            auto slot = slotOf.emplace(chunk, planned.size());
            if (slot.second) planned.push_back({chunk, {}, {}});
            planned[slot.first->second].placements.push_back({index, offset});
            offset += manifest.chunks[chunk].rawBytes;
        }
    }
    return planned;
}

InstallPlan PlanInstall(const Manifest& manifest) {
    InstallPlan plan;
    for (uint32_t i = 0; i < manifest.entries.size(); ++i) {
        const ManifestEntry& entry = manifest.entries[i];
        (entry.kind == EntryKind::File ? plan.files : plan.folders).push_back(i);
        plan.bytesToWrite += entry.size;
    }
    plan.chunks = PlaceChunks(manifest, plan.files);
    for (const PlannedChunk& chunk : plan.chunks) plan.bytesToFetch += manifest.chunks[chunk.chunk].storedBytes;
    return plan;
}

}  // namespace chunkstore
