#include "UpdatePlan.h"

#include "StorePath.h"

#include <map>
#include <unordered_map>
#include <unordered_set>

namespace chunkstore {
namespace {

bool SameContent(const Manifest& a, const ManifestEntry& x, const Manifest& b, const ManifestEntry& y) {
    if (x.kind != y.kind || x.size != y.size || x.chunks.size() != y.chunks.size()) return false;
    for (size_t i = 0; i < x.chunks.size(); ++i) {
        if (a.chunks[x.chunks[i]].id != b.chunks[y.chunks[i]].id) return false;
    }
    return true;
}

// The case-folded paths where `manifest` has files, and where it needs
// folders: its folder entries and every folder above an entry.
void FoldedFilesAndFolders(const Manifest& manifest, std::unordered_set<std::string>& files,
                           std::unordered_set<std::string>& folders) {
    for (const ManifestEntry& entry : manifest.entries) {
        std::string folded = FoldPathCase(entry.path);
        for (size_t slash = folded.find('/'); slash != std::string::npos; slash = folded.find('/', slash + 1)) {
            folders.insert(folded.substr(0, slash));
        }
        (entry.kind == EntryKind::File ? files : folders).insert(std::move(folded));
    }
}

}  // namespace

UpdatePlan PlanUpdate(const Manifest& installed, const Manifest& next) {
    UpdatePlan plan;
    std::unordered_map<std::string, uint32_t> installedByPath;
    for (uint32_t i = 0; i < installed.entries.size(); ++i) installedByPath.emplace(installed.entries[i].path, i);

    std::vector<uint32_t> changedFiles;
    for (uint32_t i = 0; i < next.entries.size(); ++i) {
        const ManifestEntry& entry = next.entries[i];
        auto old = installedByPath.find(entry.path);
        bool same = old != installedByPath.end() && SameContent(installed, installed.entries[old->second], next, entry);
        (same ? plan.unchanged : plan.changed).push_back(i);
        if (!same && entry.kind == EntryKind::File) changedFiles.push_back(i);
    }

    std::unordered_set<std::string> files;
    std::unordered_set<std::string> folders;
    FoldedFilesAndFolders(next, files, folders);
    for (uint32_t i = 0; i < installed.entries.size(); ++i) {
        const ManifestEntry& entry = installed.entries[i];
        const auto& kept = entry.kind == EntryKind::File ? files : folders;
        if (kept.count(FoldPathCase(entry.path)) == 0) plan.removed.push_back(i);
    }

    std::map<Digest, std::vector<ChunkPlacement>> copiesOf;
    for (PlannedChunk& chunk : PlanInstall(installed).chunks) {
        copiesOf.emplace(installed.chunks[chunk.chunk].id, std::move(chunk.placements));
    }

    plan.chunks = PlaceChunks(next, changedFiles);
    for (PlannedChunk& chunk : plan.chunks) {
        auto copies = copiesOf.find(next.chunks[chunk.chunk].id);
        if (copies != copiesOf.end()) {
            chunk.installedCopies = copies->second;
        } else {
            plan.bytesToFetch += next.chunks[chunk.chunk].storedBytes;
        }
    }
    return plan;
}

}  // namespace chunkstore
