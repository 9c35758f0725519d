#pragma once
#include "Manifest.h"
#include "StoreError.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace chunkstore {

// The manifest's bytes (store/FORMAT.md). `manifest` must be in the form
// ManifestBuilder gives.
std::string EncodeManifest(const Manifest& manifest);

// Reads manifest bytes as hostile input: every count, size, reference and
// path is checked against the format's rules and limits before use, and
// nothing is allocated beyond what the bytes can really hold. Ok with
// `manifest` filled, or the first rule broken (`manifest` then unchanged).
StoreError DecodeManifest(const uint8_t* data, size_t size, Manifest& manifest);

}  // namespace chunkstore
