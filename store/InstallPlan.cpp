#include "InstallPlan.h"

namespace chunkstore {

std::vector<PlannedChunk> PlaceChunks(const Manifest& manifest, const std::vector<uint32_t>& entries) {
    constexpr size_t kUnplanned = ~size_t{0};
    std::vector<PlannedChunk> planned;
    std::vector<size_t> slotOf(manifest.chunks.size(), kUnplanned);
    for (uint32_t index : entries) {
        const ManifestEntry& entry = manifest.entries[index];
        uint64_t offset = 0;
        for (uint32_t chunk : entry.chunks) {
            if (slotOf[chunk] == kUnplanned) {
                slotOf[chunk] = planned.size();
                planned.push_back({chunk, {}, {}});
            }
            planned[slotOf[chunk]].placements.push_back({index, offset});
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
