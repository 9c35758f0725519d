#include "StoreRebuild.h"

#include "ChunkDecoder.h"
#include "InstallPlan.h"
#include "ScratchFolder.h"
#include "StoreLayout.h"
#include "StorePointer.h"
#include "TestBytes.h"

#include <cstring>
#include <vector>

namespace fs = std::filesystem;
using chunkstore::StoreError;

namespace testkit {

StoreError RebuildFromStore(const fs::path& store, const fs::path& target, chunkstore::Manifest* manifest) {
    chunkstore::StorePointer pointer;
    StoreError error = chunkstore::DecodePointerFile(ReadFileBytes(store / chunkstore::kPointerName), pointer);
    if (error != StoreError::Ok) return error;
    std::string bytes = ReadFileBytes(store / fs::u8path(pointer.manifestName));
    chunkstore::Manifest read;
    error = chunkstore::ReadPinnedManifest(pointer, BytesOf(bytes), bytes.size(), read);
    if (error != StoreError::Ok) return error;

    chunkstore::InstallPlan plan = chunkstore::PlanInstall(read);
    std::vector<std::string> files(read.entries.size());
    for (uint32_t index : plan.files) files[index].resize(read.entries[index].size);
    chunkstore::ChunkDecoder decoder;
    std::vector<uint8_t> raw;
    for (const chunkstore::PlannedChunk& planned : plan.chunks) {
        const chunkstore::ChunkInfo& info = read.chunks[planned.chunk];
        std::string stored = ReadFileBytes(store / fs::u8path(chunkstore::ChunkObjectName(info.id)));
        error = decoder.Decode(info, BytesOf(stored), stored.size(), raw);
        if (error != StoreError::Ok) return error;
        for (const chunkstore::ChunkPlacement& placement : planned.placements) {
            std::memcpy(&files[placement.entry][placement.offset], raw.data(), raw.size());
        }
    }
    for (uint32_t index : plan.folders) fs::create_directories(target / fs::u8path(read.entries[index].path));
    for (uint32_t index : plan.files) WriteFileBytes(target / fs::u8path(read.entries[index].path), files[index]);
    if (manifest != nullptr) *manifest = std::move(read);
    return StoreError::Ok;
}

}  // namespace testkit
