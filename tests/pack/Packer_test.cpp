#include "Packer.h"

#include "ManifestCodec.h"
#include "ScratchFolder.h"
#include "StoreErrorPrinter.h"
#include "StoreLayout.h"
#include "StorePointer.h"
#include "StoreRebuild.h"
#include "TestBytes.h"
#include "TestKeys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;
using chunkstore::StoreError;
using korvapack::PackSummary;

namespace {

// Relative UTF-8 path -> bytes, for every file under `root`.
std::map<std::string, std::string> FilesUnder(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(root).generic_u8string()] = testkit::ReadFileBytes(entry.path());
        }
    }
    return files;
}

bool Pack(const fs::path& game, const fs::path& store, const std::string& version, PackSummary& summary,
          std::string& error, const fs::path& key = {}) {
    korvapack::Packer packer({version, game, store, key}, nullptr);
    return packer.Run(summary, error);
}

// A small game of mixed content, with names outside any ANSI code page,
// in a scratch folder beside the stores the tests pack it into.
class PackerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string art = testkit::RandomBytes(1536 * 1024, 1);
        const std::pair<std::string, std::string> kFiles[] = {
            {"Game.exe", testkit::RandomBytes(300 * 1024, 2)},
            {"data/关卡/地图.pak", art + testkit::TextLikeBytes(512 * 1024, 3)},
            {"data/art-copy.pak", art},
            {"data/한국어/🎮 save.cfg", "volume=7\n"},
            {"data/empty.txt", ""},
            {"scripts/main.lua", testkit::TextLikeBytes(90000, 4)},
        };
        for (const auto& [path, bytes] : kFiles) ASSERT_TRUE(testkit::WriteFileBytes(game_ / path, bytes));
        fs::create_directories(game_ / "saves");
    }

    void ExpectPacks(const std::string& store, const std::string& version) {
        std::string error;
        ASSERT_TRUE(Pack(game_.Path(), folder_ / store, version, summary_, error)) << error;
    }

    void ExpectRebuildsTheGame(chunkstore::Manifest* manifest = nullptr) {
        ASSERT_EQ(StoreError::Ok, testkit::RebuildFromStore(folder_ / "store", folder_ / "installed", manifest));
        EXPECT_EQ(FilesUnder(game_.Path()), FilesUnder(folder_ / "installed"));
    }

    testkit::ScratchFolder folder_;
    testkit::ScratchFolder game_;
    PackSummary summary_;
};

}  // namespace

TEST_F(PackerTest, StoreRebuildsTheGameByteForByte) {
    ExpectPacks("store", "1.0.0");
    EXPECT_EQ(6u, summary_.files);
    EXPECT_EQ(1u, summary_.folders);
    EXPECT_EQ(summary_.chunks, summary_.newChunks);
    EXPECT_TRUE(summary_.pointerWritten);
    // The copied art shares every chunk with the level pack.
    EXPECT_LT(summary_.storedBytes, summary_.gameBytes - 1536 * 1024);

    chunkstore::Manifest manifest;
    ExpectRebuildsTheGame(&manifest);
    EXPECT_EQ("1.0.0", manifest.version);
    EXPECT_TRUE(fs::is_directory(folder_ / "installed/saves"));
}

TEST_F(PackerTest, SameInputGivesTheSameStoreBytes) {
    ExpectPacks("first", "2.1");
    ExpectPacks("second", "2.1");
    auto first = FilesUnder(folder_ / "first");
    EXPECT_EQ(first, FilesUnder(folder_ / "second"));
    EXPECT_EQ(summary_.chunks + 2, first.size()) << "chunks, one manifest, the pointer";
}

TEST_F(PackerTest, NextVersionAddsOnlyItsNewChunks) {
    ExpectPacks("store", "1.0");
    // 1 KB into the middle of the level pack, a new file, a removed one.
    std::string level = testkit::ReadFileBytes(game_ / "data/关卡/地图.pak");
    level.insert(level.size() / 2, testkit::RandomBytes(1024, 9));
    ASSERT_TRUE(testkit::WriteFileBytes(game_ / "data/关卡/地图.pak", level));
    ASSERT_TRUE(testkit::WriteFileBytes(game_ / "patch.txt", "fixed\n"));
    fs::remove(game_ / "scripts/main.lua");
    auto before = FilesUnder(folder_ / "store");

    ExpectPacks("store", "1.1");
    EXPECT_GE(summary_.newChunks, 2u);
    EXPECT_LE(summary_.newChunks, 4u);
    auto after = FilesUnder(folder_ / "store");
    for (const auto& [name, bytes] : before) {
        if (name != chunkstore::kPointerName) {
            EXPECT_EQ(bytes, after[name]) << name << " was rewritten";
        }
    }
    EXPECT_EQ(before.size() + summary_.newChunks + 1, after.size());
    ExpectRebuildsTheGame();
}

TEST_F(PackerTest, DamagedChunkInTheStoreIsWrittenAgain) {
    ExpectPacks("store", "1.0");
    std::string pointer = testkit::ReadFileBytes(folder_ / "store/latest.json");
    chunkstore::Manifest manifest;
    ExpectRebuildsTheGame(&manifest);
    fs::path chunk = folder_ / ("store/" + chunkstore::ChunkObjectName(manifest.chunks[0].id));
    std::string good = testkit::ReadFileBytes(chunk);
    ASSERT_TRUE(testkit::WriteFileBytes(chunk, good.substr(0, good.size() / 2)));
    ASSERT_NE(StoreError::Ok, testkit::RebuildFromStore(folder_ / "store", folder_ / "again"));

    ExpectPacks("store", "1.0");
    EXPECT_EQ(1u, summary_.newChunks);
    EXPECT_FALSE(summary_.pointerWritten);
    EXPECT_EQ(good, testkit::ReadFileBytes(chunk));
    EXPECT_EQ(pointer, testkit::ReadFileBytes(folder_ / "store/latest.json"));
}

TEST_F(PackerTest, VersionRulesKeepLaunchersMovingForward) {
    ASSERT_TRUE(testkit::WriteFileBytes(folder_ / "other/only.txt", "other"));
    ASSERT_TRUE(testkit::WriteFileBytes(folder_ / "junk/latest.json", "{}"));
    fs::create_directories(folder_ / "nothing/empty");
    ExpectPacks("store", "2.0");
    const fs::path store = folder_ / "store";
    const struct {
        const char* name;
        std::string version;
        fs::path game;
        fs::path store;
        const char* message;  // empty: packs
    } kCases[] = {
        {"older", "1.9.9", game_.Path(), store, "older than the store's current version 2.0"},
        {"same content again", "2.0", game_.Path(), store, ""},
        {"same version, other content", "2.0", folder_ / "other", store, "already published with other content"},
        {"newer", "2.0.1", folder_ / "other", store, ""},
        {"not a version", "2.1-beta", folder_ / "other", store, "is not a version"},
        {"pointer of something else", "1.0", game_.Path(), folder_ / "junk", "is not a store pointer"},
        {"no game folder", "3.0", folder_ / "missing", store, "is not a folder"},
        {"no file in the game", "3.0", folder_ / "nothing", store, "holds no file"},
        {"store inside the game", "3.0", game_.Path(), game_ / "data/store", "must lie apart"},
        {"game inside the store", "3.0", folder_ / "other", folder_.Path(), "must lie apart"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::string error;
        bool packed = Pack(c.game, c.store, c.version, summary_, error);
        EXPECT_EQ(std::string(c.message).empty(), packed) << error;
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
    }
}

#ifndef _WIN32
// Names a Windows launcher could not write as they are; only a file system
// other than Windows' can hold them.
TEST(Packer, RefusesGamesWithNamesWindowsCannotHold) {
    const struct {
        const char* file;
        const char* message;
    } kCases[] = {
        {"bad:name", "character not allowed"},
        {"data/CON.txt", "reserved device name"},
        {"dots./x", "ends with a dot or space"},
        {"Data/A.txt", "differs only in case"},
        {"data/A.TXT/inside", "would open the file 'data/a.txt' as its folder"},
        {".korva-state", "reserved for the launcher"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.file);
        testkit::ScratchFolder folder;
        ASSERT_TRUE(testkit::WriteFileBytes(folder / "game/data/a.txt", "a"));
        ASSERT_TRUE(testkit::WriteFileBytes(folder / ("game/" + std::string(c.file)), "b"));
        PackSummary summary;
        std::string error;
        EXPECT_FALSE(Pack(folder / "game", folder / "store", "1.0", summary, error));
        EXPECT_NE(std::string::npos, error.find(c.message)) << error;
        EXPECT_FALSE(fs::exists(folder / "store/latest.json"));
    }
}
#endif

TEST(Packer, SignedPointerVerifiesWithThePrintedKey) {
    testkit::ScratchFolder folder;
    ASSERT_TRUE(testkit::WriteFileBytes(folder / "game/a.txt", "signed content"));
    ASSERT_TRUE(testkit::WriteFileBytes(folder / "publisher.pem", testkeys::kPrivateKeyPem));
    ASSERT_TRUE(testkit::WriteFileBytes(folder / "public.pem", "-----BEGIN PUBLIC KEY-----\n"));
    PackSummary summary;
    std::string error;
    bool packed = Pack(folder / "game", folder / "store", "1.0", summary, error, folder / "publisher.pem");
#ifdef _WIN32
    EXPECT_FALSE(packed);
    EXPECT_NE(std::string::npos, error.find("cannot sign")) << error;
    EXPECT_FALSE(fs::exists(folder / "store/latest.json"));
#else
    ASSERT_TRUE(packed) << error;
    EXPECT_EQ(testkeys::kPublicKey, summary.publicKeyBase64);
    chunkstore::StorePointer pointer;
    ASSERT_EQ(StoreError::Ok,
              chunkstore::DecodePointerFile(testkit::ReadFileBytes(folder / "store/latest.json"), pointer));
    EXPECT_EQ(StoreError::Ok, chunkstore::VerifyPointerSignature(pointer, testkeys::kPublicKey));
    EXPECT_EQ(StoreError::SignatureMismatch, chunkstore::VerifyPointerSignature(pointer, testkeys::kOtherPublicKey));

    // The same content again leaves the signed pointer alone, without a word;
    // an unsigned pack of a new version warns; a key that is none fails.
    std::string signedPointer = testkit::ReadFileBytes(folder / "store/latest.json");
    ASSERT_TRUE(Pack(folder / "game", folder / "store", "1.0", summary, error)) << error;
    EXPECT_TRUE(summary.warnings.empty());
    EXPECT_EQ(signedPointer, testkit::ReadFileBytes(folder / "store/latest.json"));
    ASSERT_TRUE(testkit::WriteFileBytes(folder / "game/b.txt", "more"));
    ASSERT_TRUE(Pack(folder / "game", folder / "store", "1.1", summary, error)) << error;
    ASSERT_EQ(1u, summary.warnings.size());
    EXPECT_NE(std::string::npos, summary.warnings[0].find("without --sign"));
    EXPECT_FALSE(Pack(folder / "game", folder / "store", "1.2", summary, error, folder / "public.pem"));
    EXPECT_NE(std::string::npos, error.find("is not an unencrypted PEM P-256 private key")) << error;
#endif
}
