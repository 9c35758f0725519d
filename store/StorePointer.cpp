#include "StorePointer.h"

#include "Base64.h"
#include "EcdsaP256.h"
#include "ManifestCodec.h"
#include "Sha256Hasher.h"
#include "SignatureVerifier.h"
#include "StoreLayout.h"
#include "StoreLimits.h"
#include "Version.h"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <initializer_list>
#include <new>

namespace chunkstore {
namespace {

constexpr uint64_t kPointerFormat = 1;

using JsonValue = rapidjson::Value;

std::string_view StringOf(const JsonValue& value) { return std::string_view(value.GetString(), value.GetStringLength()); }

bool ParseObject(std::string_view text, rapidjson::Document& document) {
    document.Parse<rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
    return !document.HasParseError() && document.IsObject();
}

// True when `object` has every required member once, optional ones at most
// once, and nothing else: a member a reader ignores could mean something to
// another reader.
bool HasExactMembers(const JsonValue& object, std::initializer_list<const char*> required,
                     std::initializer_list<const char*> optional = {}) {
    size_t requiredSeen = 0;
    for (auto member = object.MemberBegin(); member != object.MemberEnd(); ++member) {
        auto named = [&](const char* name) { return StringOf(member->name) == name; };
        bool isRequired = false;
        for (const char* name : required) isRequired = isRequired || named(name);
        bool isOptional = false;
        for (const char* name : optional) isOptional = isOptional || named(name);
        if (!isRequired && !isOptional) return false;
        size_t times = 0;
        for (auto other = object.MemberBegin(); other != object.MemberEnd(); ++other) {
            if (other->name == member->name) ++times;
        }
        if (times != 1) return false;
        if (isRequired) ++requiredSeen;
    }
    return requiredSeen == required.size();
}

bool IsPrintableAscii(std::string_view text) {
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

StoreError ReadPayload(std::string_view payload, StorePointer& pointer) {
    rapidjson::Document document;
    if (payload.size() > kMaxPayloadBytes || !IsPrintableAscii(payload) || !ParseObject(payload, document)) {
        return StoreError::PointerNotJson;
    }
    if (!HasExactMembers(document, {"format", "version", "manifest", "size", "sha256"})) {
        return StoreError::PointerBadField;
    }
    const JsonValue& format = document["format"];
    if (!format.IsUint64()) return StoreError::PointerBadField;
    if (format.GetUint64() != kPointerFormat) return StoreError::UnsupportedFormat;
    const JsonValue& version = document["version"];
    const JsonValue& manifest = document["manifest"];
    const JsonValue& size = document["size"];
    const JsonValue& sha256 = document["sha256"];
    if (!version.IsString() || !manifest.IsString() || !size.IsUint64() || !sha256.IsString()) {
        return StoreError::PointerBadField;
    }
    if (!IsValidVersion(StringOf(version))) return StoreError::BadVersionText;
    if (size.GetUint64() == 0) return StoreError::PointerBadField;
    if (size.GetUint64() > kMaxManifestBytes) return StoreError::ManifestTooLarge;
    if (!ParseDigestHex(StringOf(sha256), pointer.manifestSha256)) return StoreError::PointerBadField;
    pointer.version.assign(StringOf(version));
    pointer.manifestBytes = size.GetUint64();
    pointer.manifestName.assign(StringOf(manifest));
    // The name is derived, so a pointer cannot send a reader anywhere else.
    if (pointer.manifestName != ManifestObjectName(pointer.version, pointer.manifestSha256)) {
        return StoreError::PointerBadManifestName;
    }
    pointer.payload.assign(payload);
    return StoreError::Ok;
}

}  // namespace

std::string MakePointerPayload(std::string_view version, uint64_t manifestBytes, const Digest& manifestSha256) {
    return "{\"format\":" + std::to_string(kPointerFormat) + ",\"version\":\"" + std::string(version) +
           "\",\"manifest\":\"" + ManifestObjectName(version, manifestSha256) +
           "\",\"size\":" + std::to_string(manifestBytes) + ",\"sha256\":\"" + DigestHex(manifestSha256) + "\"}";
}

std::string EncodePointerFile(std::string_view payload, std::string_view signatureDer) {
    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.SetIndent(' ', 2);
    writer.StartObject();
    writer.Key("payload");
    writer.String(payload.data(), static_cast<rapidjson::SizeType>(payload.size()));
    if (!signatureDer.empty()) {
        std::string signature = Base64Encode(signatureDer);
        writer.Key("signature");
        writer.String(signature.data(), static_cast<rapidjson::SizeType>(signature.size()));
    }
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

StoreError DecodePointerFile(std::string_view text, StorePointer& pointer) {
    if (text.size() > kMaxPointerBytes) {
        return StoreError::PointerTooLarge;
    }
    try {
        rapidjson::Document document;
        if (!ParseObject(text, document)) return StoreError::PointerNotJson;
        if (!HasExactMembers(document, {"payload"}, {"signature"}) || !document["payload"].IsString()) {
            return StoreError::PointerBadField;
        }
        StorePointer decoded;
        auto signature = document.FindMember("signature");
        if (signature != document.MemberEnd() &&
            (!signature->value.IsString() || !Base64Decode(StringOf(signature->value), decoded.signature) ||
             decoded.signature.empty())) {
            return StoreError::SignatureMalformed;
        }
        StoreError error = ReadPayload(StringOf(document["payload"]), decoded);
        if (error == StoreError::Ok) pointer = std::move(decoded);
        return error;
    } catch (const std::bad_alloc&) {
        return StoreError::OutOfMemory;
    }
}

StoreError VerifyPointerSignature(const StorePointer& pointer, std::string_view publisherKeyBase64) {
    std::string keyDer;
    P256PublicKey key;
    if (!Base64Decode(publisherKeyBase64, keyDer) || !ParseP256PublicKeyDer(keyDer, key)) {
        return StoreError::PublisherKeyInvalid;
    }
    if (pointer.signature.empty()) {
        return StoreError::PointerUnsigned;
    }
    P256Signature signature;
    if (!ParseP256SignatureDer(pointer.signature, signature)) {
        return StoreError::SignatureMalformed;
    }
    return VerifyP256Sha256(key, pointer.payload, signature);
}

StoreError CheckNoRollback(std::string_view installed, std::string_view candidate) {
    if (!IsValidVersion(candidate) || (!installed.empty() && !IsValidVersion(installed))) {
        return StoreError::BadVersionText;
    }
    return installed.empty() || CompareVersions(candidate, installed) >= 0 ? StoreError::Ok
                                                                           : StoreError::VersionRollback;
}

StoreError ReadPinnedManifest(const StorePointer& pointer, const uint8_t* bytes, size_t size, Manifest& manifest) {
    if (size != pointer.manifestBytes) {
        return StoreError::ManifestSizeMismatch;
    }
    Digest digest;
    if (!Sha256Of(bytes, size, digest)) {
        return StoreError::HashUnavailable;
    }
    if (digest != pointer.manifestSha256) {
        return StoreError::ManifestHashMismatch;
    }
    Manifest decoded;
    StoreError error = DecodeManifest(bytes, size, decoded);
    if (error != StoreError::Ok) {
        return error;
    }
    if (decoded.version != pointer.version) {
        return StoreError::ManifestVersionMismatch;
    }
    manifest = std::move(decoded);
    return StoreError::Ok;
}

}  // namespace chunkstore
