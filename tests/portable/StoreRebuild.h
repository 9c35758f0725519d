#pragma once
#include "Manifest.h"
#include "StoreError.h"

#include <filesystem>

namespace testkit {

// Installs the version that latest.json names from a store folder into
// `target`, as a launcher does: pointer, pinned manifest, install plan,
// every chunk decoded and verified before its bytes are placed. Ok, or the
// first refusal. `manifest`, when given, receives the manifest.
chunkstore::StoreError RebuildFromStore(const std::filesystem::path& store, const std::filesystem::path& target,
                                        chunkstore::Manifest* manifest = nullptr);

}  // namespace testkit
