#include "GameFiles.h"

#include "FileTree.h"
#include "Paths.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

chunkstore::ManifestEntry File(const std::string& path, uint64_t size) {
    chunkstore::ManifestEntry entry;
    entry.path = path;
    entry.size = size;
    return entry;
}

chunkstore::ManifestEntry Folder(const std::string& path) {
    chunkstore::ManifestEntry entry;
    entry.path = path;
    entry.kind = chunkstore::EntryKind::Folder;
    return entry;
}

chunkstore::Manifest ManifestOf(std::vector<chunkstore::ManifestEntry> entries) {
    chunkstore::Manifest manifest;
    manifest.version = "1";
    manifest.entries = std::move(entries);
    return manifest;
}

}  // namespace

// Names outside the ANSI code page, folders made level by level, long paths
// past MAX_PATH; a second lay-out (a resumed install) keeps what was written.
TEST(GameFiles, LaysOutWritesAndReadsInPlace) {
    const std::wstring game = testenv::MakeTempSubdir(L"Game");
    const std::string deep = std::string("深/") + std::string(200, 'd') + "/" + std::string(200, 'e') + "/末.bin";
    chunkstore::Manifest manifest = ManifestOf({File("bin/游戏.exe", 100000), Folder("存档/槽位"), File(deep, 3),
                                                File("空.txt", 0), File("한국어/🎮.pak", 5)});
    GameFiles files(game, manifest);
    EXPECT_EQ(100008u, files.MissingBytes());
    ASSERT_EQ(GameFiles::Result::Ok, files.LayOut());
    const uint8_t tail[] = {'e', 'n', 'd'};
    ASSERT_EQ(GameFiles::Result::Ok, files.Write(0, 99997, tail, 3));
    ASSERT_EQ(GameFiles::Result::Ok, files.Write(4, 0, reinterpret_cast<const uint8_t*>("hello"), 5));
    EXPECT_EQ(3u, files.MissingBytes()) << "the large file is made at its whole size";
    ASSERT_EQ(GameFiles::Result::Ok, files.Write(2, 0, tail, 3));
    ASSERT_EQ(GameFiles::Result::Ok, files.Flush());
    EXPECT_EQ(0u, files.MissingBytes());

    GameFiles again(game, manifest);
    ASSERT_EQ(GameFiles::Result::Ok, again.LayOut());
    uint8_t read[3] = {};
    ASSERT_EQ(GameFiles::Result::Ok, again.Read(0, 99997, read, 3));
    EXPECT_EQ(0, memcmp(read, tail, 3));
    EXPECT_EQ(GameFiles::Result::Failed, again.Read(0, 99998, read, 3)) << "past the end";
    auto tree = testenv::ReadFileTree(game);
    EXPECT_EQ(4u, tree.size());
    EXPECT_EQ("hello", tree[L"한국어\\🎮.pak"]);
    EXPECT_EQ("end", tree[L"深\\" + std::wstring(200, L'd') + L"\\" + std::wstring(200, L'e') + L"\\末.bin"]);
    EXPECT_EQ("", tree[L"空.txt"]);
    EXPECT_EQ(100000u, tree[L"bin\\游戏.exe"].size());
    EXPECT_TRUE(PathExists(game + L"\\存档\\槽位"));
}

// Each Game folder laid out by the fixture holds a link (a Unix link under
// Wine, shown as a junction-like folder or as a plain file) or a hard link
// to something beside Game. Laying out, writing or flushing through it is
// refused, and nothing outside Game is created or changed.
TEST(GameFiles, LinksInsideGameAreRefusedNotWrittenThrough) {
    const struct {
        const wchar_t* name;
        std::vector<chunkstore::ManifestEntry> entries;
    } cases[] = {
        {L"folder", {File("data/x.bin", 10)}},
        {L"nested", {File("a/b/c/d.bin", 10)}},
        {L"file", {File("a.bin", 10)}},
        {L"dangling", {File("new.bin", 10)}},
        {L"hard", {File("h.bin", 10)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring base = testenv::TempDir() + L"\\links\\" + c.name;
        const auto outsideBefore = testenv::ListTree(base + L"\\outside");
        const std::string kept = testenv::ReadFileBytes(base + L"\\outside\\kept.txt");
        chunkstore::Manifest manifest = ManifestOf(c.entries);
        GameFiles files(base + L"\\Game", manifest);
        GameFiles::Result result = files.LayOut();
        if (result == GameFiles::Result::Ok) {
            result = files.Write(0, 0, reinterpret_cast<const uint8_t*>("overwrite!"), 10);
        }
        EXPECT_EQ(GameFiles::Result::Unsafe, result);
        EXPECT_EQ(GameFiles::Result::Unsafe, files.Flush());
        EXPECT_EQ(outsideBefore, testenv::ListTree(base + L"\\outside"));
        EXPECT_EQ("player's own file\n", kept);
        EXPECT_EQ(kept, testenv::ReadFileBytes(base + L"\\outside\\kept.txt"));
    }
}

// The installed game read for chunks to reuse or verify is left as it
// stands: a damaged file shorter than its entry reads short, a missing one
// stays missing, and an entry whose size was marked unknown still reads.
TEST(GameFiles, ReadingTheInstalledGameChangesNoFile) {
    const std::wstring game = testenv::MakeTempSubdir(L"Installed");
    chunkstore::Manifest manifest = ManifestOf({File("short.pak", 100000), File("gone.pak", 10), File("ok.pak", 4)});
    testenv::WriteFileBytes(game + L"\\short.pak", std::string(1000, 's'));
    testenv::WriteFileBytes(game + L"\\ok.pak", "good");
    manifest.entries[2].size = UINT64_MAX;  // marked damaged by a verification

    GameFiles files(game, manifest, GameFiles::Use::ReadOnly);
    uint8_t read[4] = {};
    EXPECT_EQ(GameFiles::Result::Ok, files.Read(0, 996, read, 4));
    EXPECT_EQ(GameFiles::Result::Failed, files.Read(0, 99996, read, 4));
    EXPECT_NE(GameFiles::Result::Ok, files.Read(1, 0, read, 4));
    ASSERT_EQ(GameFiles::Result::Ok, files.Read(2, 0, read, 4));
    EXPECT_EQ(0, memcmp(read, "good", 4));
    EXPECT_NE(GameFiles::Result::Ok, files.Write(2, 0, read, 4));
    EXPECT_EQ(GameFiles::Result::Ok, files.Flush());

    auto tree = testenv::ReadFileTree(game);
    EXPECT_EQ(2u, tree.size());
    EXPECT_EQ(std::string(1000, 's'), tree[L"short.pak"]);
    EXPECT_EQ("good", tree[L"ok.pak"]);
}
