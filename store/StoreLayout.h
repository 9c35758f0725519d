#pragma once
#include "Digest.h"

#include <string>
#include <string_view>

namespace chunkstore {

// Names of a store's objects, relative to the store's root (the folder of
// latest.json): what the packer writes and what a launcher fetches.
constexpr char kPointerName[] = "latest.json";

// "chunks/" + first two hex digits + "/" + all 64 + ".chunk": 256 shards
// keep folders small on servers that list them.
std::string ChunkObjectName(const Digest& id);
// "manifests/" + version + "-" + first 16 hex digits of the manifest's
// SHA-256 + ".manifest": each name is written once and never changes, so
// caches may keep it.
std::string ManifestObjectName(std::string_view version, const Digest& manifestSha256);

}  // namespace chunkstore
