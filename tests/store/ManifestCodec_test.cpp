#include "ManifestCodec.h"

#include "ByteWriter.h"
#include "ManifestBuilder.h"
#include "StoreLimits.h"

#include "StoreErrorPrinter.h"
#include "TestBytes.h"
#include "TestChunks.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using chunkstore::StoreError;

namespace {

// The manifest format written field by field from store/FORMAT.md, apart
// from the library's writer, so that tests can break any rule.
struct RawChunk {
    uint8_t idByte;  // the id is this byte 32 times
    uint64_t raw;
    uint64_t stored;
};
struct RawEntry {
    std::string path;
    uint64_t kind = 0;
    uint64_t size = 0;
    std::vector<int64_t> refs{};
    std::optional<uint64_t> shared{};  // else the true shared prefix
    std::optional<uint64_t> refCount{};
};
struct RawManifest {
    std::string magic = "KVMF";
    uint64_t format = 1;
    std::string version = "1.0";
    std::optional<uint64_t> chunkCount;
    std::vector<RawChunk> chunks;
    std::optional<uint64_t> entryCount;
    std::vector<RawEntry> entries;
    std::string trailing;
};

std::string Write(const RawManifest& m) {
    chunkstore::ByteWriter out;
    out.WriteBytes(m.magic);
    out.WriteVarint(m.format);
    out.WriteText(m.version);
    out.WriteVarint(m.chunkCount.value_or(m.chunks.size()));
    for (const RawChunk& chunk : m.chunks) {
        out.WriteBytes(std::string(32, static_cast<char>(chunk.idByte)));
        out.WriteVarint(chunk.raw);
        out.WriteVarint(chunk.stored);
    }
    out.WriteVarint(m.entryCount.value_or(m.entries.size()));
    std::string previous;
    int64_t previousRef = -1;
    for (const RawEntry& entry : m.entries) {
        size_t shared = 0;
        while (shared < previous.size() && shared < entry.path.size() && previous[shared] == entry.path[shared]) ++shared;
        shared = entry.shared.value_or(shared);
        out.WriteVarint(shared);
        out.WriteText(entry.path.substr(std::min(shared, entry.path.size())));
        out.WriteVarint(entry.kind);
        if (entry.kind == 0) {
            out.WriteVarint(entry.size);
            out.WriteVarint(entry.refCount.value_or(entry.refs.size()));
            for (int64_t ref : entry.refs) {
                int64_t step = ref - previousRef;
                out.WriteVarint(static_cast<uint64_t>(step < 0 ? -2 * step - 1 : 2 * step));
                previousRef = ref;
            }
        }
        previous = entry.path;
    }
    out.WriteBytes(m.trailing);
    return out.Take();
}

RawManifest Valid() {
    RawManifest m;
    m.chunks = {{0xA1, 100, 50}, {0xB2, 200, 201}};
    m.entries = {{"a.txt", 0, 300, {0, 1}}, {"data/b.bin", 0, 100, {0}}, {"data/empty", 0, 0, {}}, {"saves", 1}};
    return m;
}

StoreError Decode(const std::string& bytes, chunkstore::Manifest& manifest) {
    return chunkstore::DecodeManifest(testkit::BytesOf(bytes), bytes.size(), manifest);
}

StoreError Decode(const std::string& bytes) {
    chunkstore::Manifest manifest;
    return Decode(bytes, manifest);
}

}  // namespace

TEST(ManifestCodec, WriterFollowsTheDocumentedFormatAndReadsBack) {
    // Added out of order; the builder sorts and numbers chunks by first use.
    chunkstore::ManifestBuilder builder("1.0");
    builder.AddFolder("saves");
    builder.AddFile("data/empty", 0, {});
    builder.AddFile("data/b.bin", 100, {testkit::ChunkWithId(0xA1, 100, 50)});
    builder.AddFile("a.txt", 300, {testkit::ChunkWithId(0xA1, 100, 50), testkit::ChunkWithId(0xB2, 200, 201)});
    chunkstore::Manifest built = builder.Build();
    std::string bytes = chunkstore::EncodeManifest(built);
    EXPECT_EQ(Write(Valid()), bytes);

    chunkstore::Manifest read;
    ASSERT_EQ(StoreError::Ok, Decode(bytes, read));
    EXPECT_EQ("1.0", read.version);
    ASSERT_EQ(2u, read.chunks.size());
    EXPECT_EQ(50u, read.chunks[0].storedBytes);
    ASSERT_EQ(4u, read.entries.size());
    EXPECT_EQ("data/b.bin", read.entries[1].path);
    EXPECT_EQ(std::vector<uint32_t>({0}), read.entries[1].chunks);
    EXPECT_EQ(chunkstore::EntryKind::Folder, read.entries[3].kind);
    EXPECT_EQ(bytes, chunkstore::EncodeManifest(read));
}

TEST(ManifestCodec, EveryBrokenRuleEndsInItsRefusal) {
    using Edit = std::function<void(RawManifest&)>;
    const struct {
        const char* name;
        Edit edit;
        StoreError expected;
    } kCases[] = {
        {"valid", [](RawManifest&) {}, StoreError::Ok},
        {"other magic", [](RawManifest& m) { m.magic = "KVMG"; }, StoreError::NotAManifest},
        {"future format", [](RawManifest& m) { m.format = 2; }, StoreError::UnsupportedFormat},
        {"bad version", [](RawManifest& m) { m.version = "1.0-rc"; }, StoreError::BadVersionText},
        {"long version", [](RawManifest& m) { m.version = std::string(65, '1'); }, StoreError::BadVersionText},
        {"too many chunks", [](RawManifest& m) { m.chunkCount = chunkstore::kMaxChunks + 1; }, StoreError::TooManyChunks},
        {"more chunks than bytes", [](RawManifest& m) { m.chunkCount = 100000; }, StoreError::Truncated},
        {"empty chunk", [](RawManifest& m) { m.chunks[0].raw = 0; }, StoreError::ChunkSizeOutOfBounds},
        {"chunk beyond the maximum", [](RawManifest& m) { m.chunks[0].raw = chunkstore::kMaxChunkBytes + 1; },
         StoreError::ChunkSizeOutOfBounds},
        {"stored larger than raw and tag", [](RawManifest& m) { m.chunks[1].stored = 202; },
         StoreError::ChunkSizeOutOfBounds},
        {"stored of one byte", [](RawManifest& m) { m.chunks[0].stored = 1; }, StoreError::ChunkSizeOutOfBounds},
        {"chunk listed twice", [](RawManifest& m) { m.chunks[1].idByte = 0xA1; }, StoreError::DuplicateChunk},
        {"too many entries", [](RawManifest& m) { m.entryCount = chunkstore::kMaxEntries + 1; },
         StoreError::TooManyEntries},
        {"more entries than bytes", [](RawManifest& m) { m.entryCount = 1000; }, StoreError::Truncated},
        {"fewer entries than written", [](RawManifest& m) { m.entryCount = 3; }, StoreError::TrailingBytes},
        {"unknown kind", [](RawManifest& m) { m.entries[3].kind = 2; }, StoreError::UnknownEntryKind},
        {"reference out of range", [](RawManifest& m) { m.entries[1].refs = {2}; }, StoreError::ChunkRefOutOfRange},
        {"negative reference", [](RawManifest& m) { m.entries[0].refs = {-1, 1}; }, StoreError::ChunkRefOutOfRange},
        {"chunks not in order of use", [](RawManifest& m) { m.entries[0].refs = {1, 0}; }, StoreError::ChunkTableOrder},
        {"chunk nobody uses", [](RawManifest& m) { m.chunks.push_back({0xC3, 10, 11}); }, StoreError::ChunkTableOrder},
        {"size above its chunks", [](RawManifest& m) { m.entries[0].size = 301; }, StoreError::FileSizeMismatch},
        {"size below its chunks", [](RawManifest& m) { m.entries[2].size = 1; }, StoreError::FileSizeMismatch},
        {"file beyond the limit", [](RawManifest& m) { m.entries[0].size = chunkstore::kMaxFileBytes + 1; },
         StoreError::FileTooLarge},
        {"more references than bytes", [](RawManifest& m) { m.entries[2].refCount = 50; }, StoreError::Truncated},
        {"hostile path", [](RawManifest& m) { m.entries[1].path = "../b.bin"; m.entries.erase(m.entries.begin()); },
         StoreError::PathDotComponent},
        {"absolute path", [](RawManifest& m) { m.entries[0].path = "C:/a.txt"; }, StoreError::PathAbsolute},
        {"stream name", [](RawManifest& m) { m.entries[3].path = "saves:hidden"; }, StoreError::PathBadCharacter},
        {"device name", [](RawManifest& m) { m.entries[3].path = "saves/CON.txt"; m.entries[3].kind = 1; },
         StoreError::PathReservedName},
        {"unsorted", [](RawManifest& m) { std::swap(m.entries[0], m.entries[1]); }, StoreError::EntriesUnsorted},
        {"duplicate path", [](RawManifest& m) { m.entries[2].path = "data/b.bin"; }, StoreError::DuplicatePath},
        {"shared prefix beyond the previous path", [](RawManifest& m) { m.entries[1].shared = 6; },
         StoreError::EntriesUnsorted},
        {"path beyond the limit", [](RawManifest& m) { m.entries[3].path = "saves/" + std::string(1020, 'x'); },
         StoreError::PathTooLong},
        {"paths differing in case", [](RawManifest& m) { m.entries[0].path = "Data/B.BIN"; },
         StoreError::CaseCollision},
        {"file as folder", [](RawManifest& m) { m.entries[2].path = "data/b.bin/x"; }, StoreError::FileIsFolderPrefix},
        {"file as folder in other case",
         [](RawManifest& m) {
             m.entries[0].path = "A.txt";
             m.entries.insert(m.entries.begin() + 1, RawEntry{"a.txt/x", 1});
         },
         StoreError::FileIsFolderPrefix},
        {"launcher's own file", [](RawManifest& m) { m.entries[0].path = ".korva-install-incomplete"; },
         StoreError::PathReservedForLauncher},
        {"trailing bytes", [](RawManifest& m) { m.trailing = "x"; }, StoreError::TrailingBytes},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        RawManifest m = Valid();
        c.edit(m);
        chunkstore::Manifest manifest;
        manifest.version = "untouched";
        StoreError error = Decode(Write(m), manifest);
        EXPECT_EQ(c.expected, error) << chunkstore::StoreErrorText(error);
        EXPECT_EQ(error == StoreError::Ok ? "1.0" : "untouched", manifest.version);
    }
}

TEST(ManifestCodec, EveryTruncationAndOverlongNumberIsRefused) {
    const std::string bytes = Write(Valid());
    for (size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_NE(StoreError::Ok, Decode(bytes.substr(0, length))) << length;
    }
    std::string overlong = bytes;
    overlong.replace(4, 1, std::string("\x81\x00", 2));  // format 1 in two bytes
    EXPECT_EQ(StoreError::BadVarint, Decode(overlong));
    std::string beyond64Bits = bytes.substr(0, 4) + std::string(10, '\xFF') + '\x01';
    EXPECT_EQ(StoreError::BadVarint, Decode(beyond64Bits));
    EXPECT_EQ(StoreError::ManifestTooLarge, Decode(std::string(chunkstore::kMaxManifestBytes + 1, '\0')));
}

// The whole-game limits, reached with a real file of 2^22 references to
// one largest chunk: exactly 1 TiB.
TEST(ManifestCodec, GameAndReferenceLimitsHold) {
    RawManifest base;
    base.chunks = {{0xA1, chunkstore::kMaxChunkBytes, 2}};
    base.entries = {{"huge.bin", 0, chunkstore::kMaxGameBytes,
                     std::vector<int64_t>(chunkstore::kMaxChunkRefs, 0)}};
    EXPECT_EQ(StoreError::Ok, Decode(Write(base)));
    RawManifest oneByteMore = base;
    oneByteMore.entries.push_back({"more.bin", 0, 1, {0}});
    EXPECT_EQ(StoreError::GameTooLarge, Decode(Write(oneByteMore)));
    RawManifest oneRefMore = base;
    oneRefMore.entries.push_back({"more.bin", 0, 0, {0}});
    EXPECT_EQ(StoreError::TooManyChunkRefs, Decode(Write(oneRefMore)));
}
