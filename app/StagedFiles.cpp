#include "StagedFiles.h"

#include "GameSwitch.h"
#include "UpdatePlan.h"

#include <unordered_map>

StagedFiles PlanStagedFiles(const chunkstore::Manifest& next, const SwitchJournal& journal) {
    std::unordered_map<std::string, uint32_t> files;
    for (uint32_t i = 0; i < next.entries.size(); ++i) {
        if (next.entries[i].kind == chunkstore::EntryKind::File) {
            files.emplace(next.entries[i].path, i);
        }
    }
    StagedFiles staged;
    staged.manifest.version = next.version;
    staged.manifest.chunks = next.chunks;
    for (size_t step = 0; step < journal.steps.size(); ++step) {
        const SwitchStep& s = journal.steps[step];
        auto file = files.find(s.path);
        if (s.kind != SwitchStep::Kind::Replace || file == files.end()) {
            continue;
        }
        chunkstore::ManifestEntry entry = next.entries[file->second];
        entry.path = GameSwitch::StagedName(step);
        staged.manifest.entries.push_back(std::move(entry));
        staged.steps.push_back(step);
    }
    return staged;
}

std::vector<chunkstore::PlannedChunk> PlanStagedChunks(const StagedFiles& staged, const chunkstore::UpdatePlan& plan) {
    std::unordered_map<uint32_t, const std::vector<chunkstore::ChunkPlacement>*> copies;
    for (const chunkstore::PlannedChunk& chunk : plan.chunks) {
        copies.emplace(chunk.chunk, &chunk.installedCopies);
    }
    std::vector<uint32_t> all(staged.manifest.entries.size());
    for (uint32_t i = 0; i < all.size(); ++i) {
        all[i] = i;
    }
    std::vector<chunkstore::PlannedChunk> chunks = chunkstore::PlaceChunks(staged.manifest, all);
    for (chunkstore::PlannedChunk& chunk : chunks) {
        auto found = copies.find(chunk.chunk);
        if (found != copies.end()) {
            chunk.installedCopies = *found->second;
        }
    }
    return chunks;
}
