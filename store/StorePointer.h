#pragma once
#include "Digest.h"
#include "Manifest.h"
#include "StoreError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace chunkstore {

// What latest.json says: the current version and the manifest it pins.
// Every field comes from `payload`, the exact bytes a signature covers.
struct StorePointer {
    std::string version;
    std::string manifestName;
    uint64_t manifestBytes = 0;
    Digest manifestSha256{};
    std::string payload;
    std::string signature;  // DER; empty when the pointer is unsigned
};

// The payload for a version's manifest: compact JSON, members in a fixed order.
std::string MakePointerPayload(std::string_view version, uint64_t manifestBytes, const Digest& manifestSha256);
// latest.json around a payload, with its DER signature when not empty.
std::string EncodePointerFile(std::string_view payload, std::string_view signatureDer);

// Reads latest.json as hostile input: strict JSON, no unknown or repeated
// members, the payload's fields checked one by one.
StoreError DecodePointerFile(std::string_view text, StorePointer& pointer);

// Ok when the pointer carries a signature that `publisherKeyBase64` (base64
// of a DER SubjectPublicKeyInfo, P-256) verifies over the payload.
StoreError VerifyPointerSignature(const StorePointer& pointer, std::string_view publisherKeyBase64);

// Ok unless `candidate` is older than `installed`; an empty `installed`
// means nothing is installed. Both must be valid versions (Version.h).
StoreError CheckNoRollback(std::string_view installed, std::string_view candidate);

// Ok when `bytes` are the manifest the pointer pins (size, then SHA-256),
// decode as one, and name the pointer's version; `manifest` is then filled.
StoreError ReadPinnedManifest(const StorePointer& pointer, const uint8_t* bytes, size_t size, Manifest& manifest);

}  // namespace chunkstore
