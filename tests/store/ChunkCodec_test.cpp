#include "ChunkDecoder.h"
#include "ChunkEncoder.h"

#include "Sha256Hasher.h"
#include "StoreLimits.h"
#include "TestBytes.h"

#include "StoreErrorPrinter.h"

#include <gtest/gtest.h>

#include <zstd.h>

#include <string>
#include <vector>

using chunkstore::ChunkDecoder;
using chunkstore::ChunkEncoder;
using chunkstore::ChunkInfo;
using chunkstore::StoreError;

namespace {

ChunkInfo InfoOf(const std::string& raw, const std::string& stored) {
    ChunkInfo info;
    EXPECT_TRUE(chunkstore::Sha256Of(raw.data(), raw.size(), info.id));
    info.rawBytes = static_cast<uint32_t>(raw.size());
    info.storedBytes = static_cast<uint32_t>(stored.size());
    return info;
}

std::string Encode(const std::string& raw) {
    ChunkEncoder encoder;
    std::string stored;
    EXPECT_TRUE(encoder.Encode(testkit::BytesOf(raw), raw.size(), stored));
    return stored;
}

StoreError Decode(const ChunkInfo& info, const std::string& stored, std::vector<uint8_t>& raw) {
    ChunkDecoder decoder;
    return decoder.Decode(info, testkit::BytesOf(stored), stored.size(), raw);
}

// A zstd frame of `raw` with a tag byte in front, as a hostile store could craft it.
std::string ZstdChunk(const std::string& raw) {
    std::string frame(ZSTD_compressBound(raw.size()), '\0');
    frame.resize(ZSTD_compress(frame.data(), frame.size(), raw.data(), raw.size(), 3));
    return '\x01' + frame;
}

}  // namespace

TEST(ChunkCodec, RoundTripsStoringRawOnlyWhenZstdDoesNotShrink) {
    const struct {
        std::string raw;
        char tag;
    } kCases[] = {
        {testkit::TextLikeBytes(64 * 1024, 1), '\x01'},
        {std::string(chunkstore::kMaxChunkBytes, 'x'), '\x01'},
        {testkit::RandomBytes(40 * 1024, 2), '\x00'},
        {"a", '\x00'},
    };
    for (const auto& c : kCases) {
        std::string stored = Encode(c.raw);
        ASSERT_FALSE(stored.empty());
        EXPECT_EQ(c.tag, stored[0]);
        EXPECT_LE(stored.size(), c.raw.size() + 1);
        std::vector<uint8_t> raw;
        ASSERT_EQ(StoreError::Ok, Decode(InfoOf(c.raw, stored), stored, raw));
        EXPECT_EQ(c.raw, std::string(raw.begin(), raw.end()));
        EXPECT_EQ(stored, Encode(c.raw)) << "encoding is deterministic";
    }
}

// Every way a fetched chunk can differ from what the manifest names ends in
// its own refusal, and the output never exceeds the declared size.
TEST(ChunkCodec, DecoderRefusesChunksThatAreNotWhatTheManifestSays) {
    const std::string raw = testkit::TextLikeBytes(50000, 3);
    const std::string good = Encode(raw);
    const ChunkInfo info = InfoOf(raw, good);
    std::string flipped = good;
    flipped[flipped.size() / 2] ^= 0x40;
    std::string badTag = good;
    badTag[0] = '\x02';

    // The manifest's entry is `info` with the stored size of the bytes
    // fetched, unless a row declares other sizes.
    const struct {
        const char* name;
        std::string stored;
        StoreError expected;
        uint32_t declaredRaw = 0;
        uint32_t declaredStored = 0;
    } kCases[] = {
        {"stored size differs", good.substr(0, good.size() - 1), StoreError::ChunkStoredSizeMismatch, 0,
         info.storedBytes},
        {"truncated frame", good.substr(0, good.size() - 1), StoreError::ChunkBadEncoding},
        {"bytes after the frame", good + "x", StoreError::ChunkBadEncoding},
        {"two frames", good + good.substr(1), StoreError::ChunkBadEncoding},
        {"unknown tag", badTag, StoreError::ChunkBadEncoding},
        {"frame of more bytes", ZstdChunk(raw + "more"), StoreError::ChunkSizeMismatch},
        {"decompression bomb", ZstdChunk(std::string(chunkstore::kMaxChunkBytes, '\0')), StoreError::ChunkSizeMismatch,
         1000},
        {"raw of another size", '\0' + raw + "x", StoreError::ChunkSizeMismatch},
        {"other content", '\0' + testkit::TextLikeBytes(50000, 4), StoreError::ChunkHashMismatch},
        {"declared beyond the limit", good, StoreError::ChunkSizeOutOfBounds, chunkstore::kMaxChunkBytes + 1},
        {"tag alone", "\x01", StoreError::ChunkStoredSizeMismatch},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ChunkInfo declared = info;
        if (c.declaredRaw != 0) declared.rawBytes = c.declaredRaw;
        declared.storedBytes = c.declaredStored != 0 ? c.declaredStored : static_cast<uint32_t>(c.stored.size());
        std::vector<uint8_t> out;
        EXPECT_EQ(c.expected, Decode(declared, c.stored, out));
        EXPECT_LE(out.size(), chunkstore::kMaxChunkBytes);
    }
    // The frames carry no checksum of their own: a flipped byte may break
    // decoding or decode to other bytes, and the hash refuses those.
    std::vector<uint8_t> out;
    EXPECT_NE(StoreError::Ok, Decode(info, flipped, out));
}

// Chunks read back from installed files are checked as fetched ones are.
TEST(ChunkCodec, InstalledBytesAreReusedOnlyWhenTheyAreTheChunk) {
    const std::string raw = testkit::RandomBytes(20000, 20);
    const ChunkInfo info = InfoOf(raw, Encode(raw));
    std::string flipped = raw;
    flipped[123] ^= 1;
    const struct {
        std::string bytes;
        StoreError expected;
    } kCases[] = {
        {raw, StoreError::Ok},
        {raw.substr(1), StoreError::ChunkSizeMismatch},
        {raw + "x", StoreError::ChunkSizeMismatch},
        {flipped, StoreError::ChunkHashMismatch},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(c.expected, chunkstore::VerifyRawChunk(info, testkit::BytesOf(c.bytes), c.bytes.size()));
    }
}
