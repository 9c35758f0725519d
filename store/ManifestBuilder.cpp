#include "ManifestBuilder.h"

#include <algorithm>
#include <map>

namespace chunkstore {

void ManifestBuilder::AddFile(std::string path, uint64_t size, std::vector<ChunkInfo> chunks) {
    entries_.push_back({std::move(path), EntryKind::File, size, std::move(chunks)});
}

void ManifestBuilder::AddFolder(std::string path) {
    entries_.push_back({std::move(path), EntryKind::Folder, 0, {}});
}

Manifest ManifestBuilder::Build() const {
    std::vector<const Pending*> order;
    for (const Pending& entry : entries_) order.push_back(&entry);
    std::sort(order.begin(), order.end(), [](const Pending* a, const Pending* b) { return a->path < b->path; });

    Manifest manifest;
    manifest.version = version_;
    std::map<Digest, uint32_t> indexOf;
    for (const Pending* pending : order) {
        ManifestEntry entry{pending->path, pending->kind, pending->size, {}};
        for (const ChunkInfo& chunk : pending->chunks) {
            auto inserted = indexOf.emplace(chunk.id, static_cast<uint32_t>(manifest.chunks.size()));
            if (inserted.second) manifest.chunks.push_back(chunk);
            entry.chunks.push_back(inserted.first->second);
        }
        manifest.entries.push_back(std::move(entry));
    }
    return manifest;
}

}  // namespace chunkstore
