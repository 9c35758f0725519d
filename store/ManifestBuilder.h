#pragma once
#include "Manifest.h"

#include <string>
#include <vector>

namespace chunkstore {

// Collects a version's files in any order and gives the manifest in the one
// form the format allows: entries sorted by path bytes, unique chunks in
// order of first reference. The packer's paths must already pass
// CheckStorePath; the codec's reader is the final judge.
class ManifestBuilder {
public:
    explicit ManifestBuilder(std::string version) : version_(std::move(version)) {}

    void AddFile(std::string path, uint64_t size, std::vector<ChunkInfo> chunks);
    void AddFolder(std::string path);
    Manifest Build() const;

private:
    struct Pending {
        std::string path;
        EntryKind kind;
        uint64_t size;
        std::vector<ChunkInfo> chunks;
    };

    std::string version_;
    std::vector<Pending> entries_;
};

}  // namespace chunkstore
