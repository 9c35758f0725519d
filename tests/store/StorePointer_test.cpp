#include "StorePointer.h"

#include "Base64.h"
#include "ManifestBuilder.h"
#include "ManifestCodec.h"
#include "Sha256Hasher.h"
#include "TestBytes.h"
#include "TestKeys.h"

#include "StoreErrorPrinter.h"

#include <gtest/gtest.h>

#include <string>

using chunkstore::StoreError;
using chunkstore::StorePointer;

namespace {

const char kHelloSha[] = "b94d27b9934d3e08a52e52d7da7dabfac484efe37a5380ee9088f7ace2efcde9";

// latest.json around a payload given as JSON text (escaped here).
std::string PointerWithPayload(const std::string& payload, const std::string& extra = "") {
    std::string escaped;
    for (char c : payload) escaped += c == '"' ? std::string("\\\"") : std::string(1, c);
    return "{\"payload\": \"" + escaped + "\"" + extra + "}";
}

std::string Payload(const std::string& members) { return "{" + members + "}"; }

const std::string kGoodMembers = "\"format\":1,\"version\":\"1.2.0\",\"manifest\":\"manifests/1.2.0-b94d27b9934d3e08"
                                 ".manifest\",\"size\":4096,\"sha256\":\"" + std::string(kHelloSha) + "\"";

// The pointer a publisher writes around `payload`; it must read back.
StorePointer Published(const std::string& payload, const std::string& signatureDer) {
    StorePointer pointer;
    EXPECT_EQ(StoreError::Ok,
              chunkstore::DecodePointerFile(chunkstore::EncodePointerFile(payload, signatureDer), pointer));
    return pointer;
}

}  // namespace

TEST(StorePointer, WrittenPointerReadsBackFieldForField) {
    chunkstore::Digest digest;
    ASSERT_TRUE(chunkstore::ParseDigestHex(kHelloSha, digest));
    std::string payload = chunkstore::MakePointerPayload("1.2.0", 4096, digest);
    EXPECT_EQ(testkeys::kSignedPayload, payload);
    for (std::string signature : {std::string(), testkeys::DerOf(testkeys::kPayloadSignatures[0])}) {
        StorePointer pointer = Published(payload, signature);
        EXPECT_EQ("1.2.0", pointer.version);
        EXPECT_EQ("manifests/1.2.0-b94d27b9934d3e08.manifest", pointer.manifestName);
        EXPECT_EQ(4096u, pointer.manifestBytes);
        EXPECT_EQ(digest, pointer.manifestSha256);
        EXPECT_EQ(payload, pointer.payload);
        EXPECT_EQ(signature, pointer.signature);
    }
}

TEST(StorePointer, HostilePointersEndInTheirRefusal) {
    auto payloadWith = [](const std::string& from, const std::string& to) {
        std::string members = kGoodMembers;
        members.replace(members.find(from), from.size(), to);
        return PointerWithPayload(Payload(members));
    };
    const std::string goodPayload = Payload(kGoodMembers);
    auto goodWith = [&](const std::string& extra) { return PointerWithPayload(goodPayload, extra); };
    const std::string good = goodWith("");
    const struct {
        const char* name;
        std::string text;
        StoreError expected;
    } kCases[] = {
        {"good", good, StoreError::Ok},
        {"not JSON", "latest", StoreError::PointerNotJson},
        {"array", "[]", StoreError::PointerNotJson},
        {"text after the object", good + "x", StoreError::PointerNotJson},
        {"too large", std::string(70000, ' ') + good, StoreError::PointerTooLarge},
        {"no payload", "{\"signature\": \"MEUC\"}", StoreError::PointerBadField},
        {"payload not a string", "{\"payload\": {}}", StoreError::PointerBadField},
        {"unknown member", goodWith(", \"mirror\": \"x\""), StoreError::PointerBadField},
        {"payload twice", goodWith(", \"payload\": \"{}\""), StoreError::PointerBadField},
        {"signature not base64", goodWith(", \"signature\": \"M E\""), StoreError::SignatureMalformed},
        {"signature empty", goodWith(", \"signature\": \"\""), StoreError::SignatureMalformed},
        {"payload not JSON", PointerWithPayload("version 1.2.0"), StoreError::PointerNotJson},
        {"payload with a control character", PointerWithPayload(goodPayload + "\\n"), StoreError::PointerNotJson},
        {"payload member missing", payloadWith(",\"size\":4096", ""), StoreError::PointerBadField},
        {"payload member unknown", payloadWith("\"format\":1", "\"format\":1,\"expires\":0"), StoreError::PointerBadField},
        {"payload member twice", payloadWith("\"format\":1", "\"format\":1,\"format\":1"), StoreError::PointerBadField},
        {"future format", payloadWith("\"format\":1", "\"format\":2"), StoreError::UnsupportedFormat},
        {"format as text", payloadWith("\"format\":1", "\"format\":\"1\""), StoreError::PointerBadField},
        {"bad version", payloadWith("\"1.2.0\"", "\"1.2.0-rc\""), StoreError::BadVersionText},
        {"size negative", payloadWith("4096", "-1"), StoreError::PointerBadField},
        {"size zero", payloadWith("4096", "0"), StoreError::PointerBadField},
        {"size beyond the limit", payloadWith("4096", "68719476736"), StoreError::ManifestTooLarge},
        {"size as a fraction", payloadWith("4096", "4096.5"), StoreError::PointerBadField},
        {"digest in capitals", payloadWith("b94d27b9934d3e08a52e", "B94D27B9934D3E08A52E"), StoreError::PointerBadField},
        {"digest short", payloadWith("efcde9\"", "efcde\""), StoreError::PointerBadField},
        {"manifest elsewhere", payloadWith("manifests/1.2.0", "../../1.2.0"), StoreError::PointerBadManifestName},
        {"manifest on another host", payloadWith("manifests/1.2.0-b94d27b9934d3e08.manifest",
                                                 "https://evil.example/m"), StoreError::PointerBadManifestName},
        {"manifest of another version", payloadWith("manifests/1.2.0", "manifests/1.1.0"),
         StoreError::PointerBadManifestName},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        StorePointer pointer;
        pointer.version = "untouched";
        StoreError error = chunkstore::DecodePointerFile(c.text, pointer);
        EXPECT_EQ(c.expected, error) << chunkstore::StoreErrorText(error);
        if (error != StoreError::Ok) {
            EXPECT_EQ("untouched", pointer.version);
        }
    }
}

// Signatures OpenSSL made, checked by this platform's verifier (CNG in the
// Windows builds).
TEST(StorePointer, SignatureHoldsOnlyForItsPayloadAndKey) {
    const std::string payload = testkeys::kSignedPayload;
    const std::string paddedS = testkeys::DerOf(testkeys::kPayloadSignatures[0]);
    const StorePointer signedPointer = Published(payload, paddedS);
    std::string tampered = payload;
    tampered.replace(tampered.find("4096"), 4, "4097");
    std::string longForm = testkeys::DerOf(testkeys::kPayloadSignatures[1]);
    longForm.insert(1, "\x81");
    std::string offCurveKey = testkeys::DerOf(testkeys::kPublicKey);
    offCurveKey.back() ^= 1;

    const struct {
        const char* name;
        StorePointer pointer;
        StoreError expected;
        std::string key = testkeys::kPublicKey;
    } kCases[] = {
        {"signature with a padded s", signedPointer, StoreError::Ok},
        {"signature of full-length r and s", Published(payload, testkeys::DerOf(testkeys::kPayloadSignatures[1])),
         StoreError::Ok},
        {"signature with a short r", Published(payload, testkeys::DerOf(testkeys::kPayloadSignatures[2])),
         StoreError::Ok},
        {"another publisher's key", signedPointer, StoreError::SignatureMismatch, testkeys::kOtherPublicKey},
        {"tampered payload", Published(tampered, paddedS), StoreError::SignatureMismatch},
        {"unsigned", Published(payload, ""), StoreError::PointerUnsigned},
        {"signature not DER", Published(payload, longForm), StoreError::SignatureMalformed},
        {"key not base64", signedPointer, StoreError::PublisherKeyInvalid, "not a key"},
        {"key of another shape", signedPointer, StoreError::PublisherKeyInvalid,
         chunkstore::Base64Encode(testkeys::DerOf(testkeys::kPublicKey).substr(0, 60))},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, chunkstore::VerifyPointerSignature(c.pointer, c.key));
    }
    // A point off the curve never verifies, whichever step notices.
    EXPECT_NE(StoreError::Ok, chunkstore::VerifyPointerSignature(signedPointer, chunkstore::Base64Encode(offCurveKey)));
}

TEST(StorePointer, NoRollbackBelowTheInstalledVersion) {
    const struct {
        const char* installed;
        const char* candidate;
        StoreError expected;
    } kCases[] = {
        {"", "1.0", StoreError::Ok},           {"1.0", "1.0", StoreError::Ok},
        {"1.0", "1.0.0", StoreError::Ok},      {"1.9", "1.10", StoreError::Ok},
        {"1.10", "1.9", StoreError::VersionRollback}, {"2.0", "1.99.99", StoreError::VersionRollback},
        {"1.0", "1.0-beta", StoreError::BadVersionText}, {"garbage", "1.0", StoreError::BadVersionText},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.installed) + " -> " + c.candidate);
        EXPECT_EQ(c.expected, chunkstore::CheckNoRollback(c.installed, c.candidate));
    }
}

TEST(StorePointer, ManifestMustBeTheOneThePointerPins) {
    chunkstore::ManifestBuilder builder("2.0");
    builder.AddFolder("saves");
    const std::string bytes = chunkstore::EncodeManifest(builder.Build());
    chunkstore::Digest digest;
    ASSERT_TRUE(chunkstore::Sha256Of(bytes.data(), bytes.size(), digest));
    std::string flipped = bytes;
    flipped.back() ^= 1;
    // Each pointer pins the size and digest of `bytes`.
    const struct {
        const char* name;
        const char* pointerVersion;
        std::string bytes;
        StoreError expected;
    } kCases[] = {
        {"pinned", "2.0", bytes, StoreError::Ok},
        {"shorter", "2.0", bytes.substr(1), StoreError::ManifestSizeMismatch},
        {"other bytes", "2.0", flipped, StoreError::ManifestHashMismatch},
        {"other version", "2.0.0", bytes, StoreError::ManifestVersionMismatch},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        StorePointer pointer = Published(chunkstore::MakePointerPayload(c.pointerVersion, bytes.size(), digest), "");
        chunkstore::Manifest manifest;
        EXPECT_EQ(c.expected,
                  chunkstore::ReadPinnedManifest(pointer, testkit::BytesOf(c.bytes), c.bytes.size(), manifest));
        EXPECT_EQ(c.expected == StoreError::Ok ? "2.0" : "", manifest.version);
    }
}
