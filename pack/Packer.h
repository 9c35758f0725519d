#pragma once
#include "ChunkDecoder.h"
#include "ChunkEncoder.h"
#include "Chunker.h"
#include "GameFolderScan.h"
#include "Manifest.h"
#include "ManifestBuilder.h"
#include "StoreFolder.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace korvapack {

struct PackOptions {
    std::string version;
    std::filesystem::path gameFolder;
    std::filesystem::path storeFolder;
    std::filesystem::path keyFile;  // empty: the pointer is not signed
};

struct PackSummary {
    uint64_t files = 0;
    uint64_t folders = 0;
    uint64_t gameBytes = 0;
    uint64_t chunks = 0;              // unique chunks of this version
    uint64_t storedBytes = 0;         // their stored bytes: a fresh install's download
    uint64_t newChunks = 0;           // chunks this run wrote
    uint64_t newStoredBytes = 0;
    std::string manifestName;
    uint64_t manifestBytes = 0;
    bool pointerWritten = false;
    std::string publicKeyBase64;      // set when signed: the launchers' publisher_key
    std::vector<std::string> warnings;
};

// Told how far packing has come, in bytes of game files read.
class PackProgress {
public:
    virtual ~PackProgress() = default;
    virtual void Advance(uint64_t doneBytes, uint64_t totalBytes) = 0;
};

// Packs one version of a game folder into a store folder: the chunks the
// store lacks, the manifest, and last the pointer, so that a store is never
// seen naming anything it does not hold. The same folder packed twice gives
// the same bytes (but for a signature, which ECDSA draws at random).
class Packer {
public:
    Packer(PackOptions options, PackProgress* progress);

    bool Run(PackSummary& summary, std::string& error);

private:
    struct CurrentVersion {
        bool exists = false;
        bool signedPointer = false;
        std::string version;
        std::string manifestName;
    };

    bool CheckFoldersApart(std::string& error) const;
    bool ReadCurrentVersion(CurrentVersion& current, std::string& error) const;
    bool PackItems(const std::vector<GameItem>& items, chunkstore::ManifestBuilder& builder, std::string& error);
    bool EncodeManifest(const chunkstore::Manifest& manifest, std::string& bytes, chunkstore::Digest& digest,
                        std::string& error);
    bool Publish(const CurrentVersion& current, const std::string& manifest, const chunkstore::Digest& digest,
                 std::string& error);
    bool PackFile(const GameItem& item, std::vector<chunkstore::ChunkInfo>& chunks, std::string& error);
    bool SettleChunk(const uint8_t* raw, size_t size, chunkstore::ChunkInfo& chunk, std::string& error);
    bool WriteManifest(const std::string& bytes, const std::string& name, std::string& error) const;
    bool WritePointer(const std::string& payload, std::string& error);

    PackOptions options_;
    PackProgress* progress_;  // not owned; may be null
    StoreFolder store_;
    chunkstore::Chunker chunker_;
    chunkstore::ChunkEncoder encoder_;
    chunkstore::ChunkDecoder decoder_;
    std::map<chunkstore::Digest, chunkstore::ChunkInfo> settled_;  // chunks already in the store
    std::vector<uint8_t> buffer_;
    std::string stored_;
    std::vector<uint8_t> decoded_;
    uint64_t doneBytes_ = 0;
    uint64_t totalBytes_ = 0;
    PackSummary summary_;
};

}  // namespace korvapack
