#include "InstallJournal.h"

#include "Digest.h"
#include "Paths.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

chunkstore::Digest DigestOf(uint8_t fill) {
    chunkstore::Digest digest;
    digest.fill(fill);
    return digest;
}

std::wstring JournalPath(const std::wstring& game) { return game + L"\\.korva\\install.journal"; }

}  // namespace

TEST(InstallJournal, RecordsChunksFromEveryThreadForItsManifestOnly) {
    const std::wstring game = testenv::MakeTempSubdir(L"threads");
    InstallJournal journal;
    ASSERT_TRUE(journal.Begin(game, DigestOf(1), "manifest one"));
    std::vector<std::thread> threads;
    for (uint32_t t = 0; t < 4; ++t) {
        threads.emplace_back([&journal, t] {
            for (uint32_t i = 0; i < 250; ++i) EXPECT_TRUE(journal.Record(t * 1000 + i));
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::string manifest;
    std::vector<uint32_t> chunks;
    ASSERT_TRUE(ReadPendingInstall(game, DigestOf(1), manifest, chunks));
    EXPECT_EQ("manifest one", manifest);
    ASSERT_EQ(1000u, chunks.size());
    std::vector<bool> seen(4000, false);
    for (uint32_t chunk : chunks) {
        ASSERT_LT(chunk, seen.size());
        EXPECT_FALSE(seen[chunk]) << chunk;
        seen[chunk] = true;
    }
    EXPECT_FALSE(ReadPendingInstall(game, DigestOf(2), manifest, chunks));
}

// A kill may cut the last line short; power loss may leave anything after a
// line. Neither may count a chunk that was not recorded whole.
TEST(InstallJournal, OnlyWholeLinesBeforeTheFirstDamageCount) {
    const struct {
        const char* name;
        std::string tail;
        std::vector<uint32_t> chunks;
    } cases[] = {
        {"whole", "7\n42\n", {7, 42}},
        {"cut last line", "7\n42\n1234", {7, 42}},
        {"damaged line", "7\nx2\n42\n", {7}},
        {"empty line", "7\n\n42\n", {7}},
        {"too large", "7\n4294967296\n42\n", {7}},
        {"largest", "4294967295\n", {4294967295u}},
    };
    const std::wstring game = testenv::MakeTempSubdir(L"damage");
    ASSERT_TRUE(InstallJournal().Begin(game, DigestOf(3), "manifest"));
    const std::string header = testenv::ReadFileBytes(JournalPath(game));
    ASSERT_EQ("korva-journal 1 " + chunkstore::DigestHex(DigestOf(3)) + "\n", header);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(testenv::WriteFileBytes(JournalPath(game), header + c.tail));
        std::string manifest;
        std::vector<uint32_t> chunks;
        ASSERT_TRUE(ReadPendingInstall(game, DigestOf(3), manifest, chunks));
        EXPECT_EQ(c.chunks, chunks);
    }
}

// A new install's journal starts empty, a resumed one goes on, and the end
// of the install removes every trace.
TEST(InstallJournal, BeginStartsOverResumeGoesOnRemoveLeavesNothing) {
    const std::wstring game = testenv::MakeTempSubdir(L"over");
    std::string manifest;
    std::vector<uint32_t> chunks;
    {
        InstallJournal journal;
        ASSERT_TRUE(journal.Begin(game, DigestOf(4), "old manifest"));
        ASSERT_TRUE(journal.Record(5));
        ASSERT_TRUE(journal.Begin(game, DigestOf(4), "new manifest"));
        ASSERT_TRUE(journal.Record(6));
    }
    InstallJournal resumed;
    ASSERT_TRUE(resumed.Resume(game));
    ASSERT_TRUE(resumed.Record(9));
    ASSERT_TRUE(ReadPendingInstall(game, DigestOf(4), manifest, chunks));
    EXPECT_EQ("new manifest", manifest);
    EXPECT_EQ((std::vector<uint32_t>{6, 9}), chunks);

    ASSERT_TRUE(resumed.Remove(game));
    EXPECT_FALSE(ReadPendingInstall(game, DigestOf(4), manifest, chunks));
    EXPECT_FALSE(PathExists(JournalPath(game)));
    EXPECT_FALSE(PathExists(game + L"\\.korva\\install.manifest"));
}
