#include "ZipArchive.h"

#include "FileTree.h"
#include "TestEnv.h"
#include "Platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring GoodArchive(const std::wstring& name) {
    return testenv::TempDir() + L"\\good\\" + name + L".zip";
}

std::wstring HostileArchive(const std::wstring& name) {
    return testenv::TempDir() + L"\\hostile\\" + name + L".zip";
}

std::string ToUtf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::string StoredName(std::wstring relative) {
    for (wchar_t& c : relative) {
        if (c == L'\\') {
            c = L'/';
        }
    }
    return ToUtf8(relative);
}

class CountingSink : public ZipSink {
public:
    explicit CountingSink(bool accept) : accept_(accept) {}
    bool Write(const unsigned char*, size_t size) override {
        written += size;
        ++calls;
        return accept_;
    }
    size_t written = 0;
    int calls = 0;

private:
    bool accept_;
};

class GoodArchives : public testing::TestWithParam<const wchar_t*> {};

// Every source file is found by its stored name and unpacks byte for byte,
// whichever tool wrote the archive.
TEST_P(GoodArchives, EveryFileUnpacksToItsSource) {
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(GoodArchive(GetParam())));
    auto sources = testenv::ReadFileTree(testenv::TempDir() + L"\\src");
    ASSERT_EQ(sources.size(), 8u);
    for (const auto& source : sources) {
        int index = archive.FindEntry(StoredName(source.first), false);
        ASSERT_GE(index, 0) << source.first;
        EXPECT_EQ(archive.UncompressedSize(index), source.second.size());
        std::vector<unsigned char> bytes{1, 2, 3};
        ASSERT_TRUE(archive.ExtractToMemory(index, bytes)) << static_cast<int>(archive.LastResult());
        EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == source.second) << source.first;
    }
}

// Decoded names (Chinese ones included) match the files they came from.
TEST_P(GoodArchives, NamesDecodeToTheSourcePaths) {
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(GoodArchive(GetParam())));
    auto tree = testenv::ListTree(testenv::TempDir() + L"\\src");
    size_t files = 0;
    for (size_t i = 0; i < archive.EntryCount(); ++i) {
        const ZipEntry* entry = archive.Entry(static_cast<int>(i));
        std::wstring path = entry->name;
        for (wchar_t& c : path) {
            c = c == L'/' ? L'\\' : c;
        }
        if (entry->isDirectory) {
            path.pop_back();
        }
        auto found = tree.find(path);
        ASSERT_NE(found, tree.end()) << entry->name;
        EXPECT_EQ(found->second, entry->isDirectory) << entry->name;
        files += entry->isDirectory ? 0 : 1;
    }
    EXPECT_EQ(files, 8u);
}

INSTANTIATE_TEST_SUITE_P(Tools, GoodArchives,
                         testing::Values(L"infozip_deflate", L"infozip_stored", L"infozip_zip64",
                                         L"infozip_streamed", L"sevenzip", L"python_deflate", L"python_stored",
                                         L"python_zip64", L"python_streamed"));

TEST(ZipArchiveLookup, FindsNamesWithOrWithoutCase) {
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(GoodArchive(L"python_deflate")));
    EXPECT_EQ(archive.EntryCount(), 9u);
    int exact = archive.FindEntry("bin/data/level1.dat", false);
    ASSERT_GE(exact, 0);
    EXPECT_EQ(archive.FindEntry("BIN/Data/LEVEL1.dat", true), exact);
    EXPECT_EQ(archive.FindEntry("BIN/Data/LEVEL1.dat", false), -1);
    EXPECT_EQ(archive.FindEntry("bin\\data\\level1.dat", true), -1);
    EXPECT_EQ(archive.FindEntry("level1.dat", true), -1);
    EXPECT_EQ(archive.UncompressedSize(-1), 0u);
    EXPECT_EQ(archive.UncompressedSize(9), 0u);
    std::vector<unsigned char> bytes;
    EXPECT_FALSE(archive.ExtractToMemory(9, bytes));
    EXPECT_EQ(archive.LastResult(), ZipResult::BadArgument);

    int empty = archive.FindEntry("empty.txt", false);
    ASSERT_GE(empty, 0);
    EXPECT_TRUE(archive.ExtractToMemory(empty, bytes));
    EXPECT_TRUE(bytes.empty());

    archive.Close();
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.EntryCount(), 0u);
    EXPECT_EQ(archive.FindEntry("bin/data/level1.dat", false), -1);
}

// 0x5C is a trail byte in GBK (and Big5, Shift-JIS): whether an entry is a
// folder is read from its decoded name and its attributes, never its last byte.
TEST(ZipArchiveNames, FoldersAreToldByTheDecodedNameOrTheAttributes) {
    struct Case {
        const wchar_t* name;
        bool folder;
        size_t size;
    } cases[] = {
        {L"资料/", true, 0},         {L"资料/誠", false, 11},   {L"運", false, 13},
        {L"old\\", true, 0},        {L"dos_dir", true, 0},     {L"unix_dir", true, 0},
        {L"attr_with_data", false, 4},
    };
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(GoodArchive(L"gbk_names")));
    ASSERT_EQ(archive.EntryCount(), sizeof(cases) / sizeof(cases[0]));
    for (size_t i = 0; i < archive.EntryCount(); ++i) {
        const ZipEntry* entry = archive.Entry(static_cast<int>(i));
        EXPECT_EQ(entry->name, cases[i].name);
        EXPECT_EQ(entry->isDirectory, cases[i].folder) << i;
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(archive.ExtractToMemory(static_cast<int>(i), bytes)) << i;
        EXPECT_EQ(bytes.size(), cases[i].size) << i;
    }
    EXPECT_EQ(archive.Entry(1)->rawName.back(), '\\');
}

TEST(ZipArchiveSink, StreamsInLargeChunksAndStopsWhenTheSinkRefuses) {
    ZipArchive archive;
    ASSERT_TRUE(archive.Open(GoodArchive(L"infozip_deflate")));
    int index = archive.FindEntry("bin/data/deep/zero.bin", false);
    ASSERT_GE(index, 0);
    CountingSink all(true);
    EXPECT_EQ(archive.ReadEntry(index, all), ZipResult::Ok);
    EXPECT_EQ(all.written, 2u * 1024 * 1024 + 17);
    EXPECT_EQ(all.calls, 3);

    CountingSink refusing(false);
    EXPECT_EQ(archive.ReadEntry(index, refusing), ZipResult::WriteFailed);
    EXPECT_EQ(refusing.calls, 1);
    // The archive stays usable after a failed read.
    EXPECT_EQ(archive.ReadEntry(index, all), ZipResult::Ok);
}

TEST(ZipArchiveOpen, RejectsWhatIsNotAWholeArchive) {
    struct Case {
        const wchar_t* name;
        ZipResult result;
    } cases[] = {
        {L"not_a_zip", ZipResult::BadArchive},
        {L"empty_file", ZipResult::BadArchive},
        {L"truncated", ZipResult::Truncated},
        {L"bad_directory", ZipResult::BadArchive},
        {L"count_beyond_directory", ZipResult::BadArchive},
        {L"overlapping", ZipResult::OverlappingEntries},
        {L"too_many_entries", ZipResult::TooManyEntries},
    };
    for (const Case& c : cases) {
        ZipArchive archive;
        EXPECT_FALSE(archive.Open(HostileArchive(c.name))) << c.name;
        EXPECT_EQ(archive.LastResult(), c.result) << c.name;
        EXPECT_FALSE(archive.IsOpen()) << c.name;
        EXPECT_EQ(archive.EntryCount(), 0u) << c.name;
    }
    ZipArchive archive;
    EXPECT_FALSE(archive.Open(testenv::TempDir() + L"\\no such.zip"));
    EXPECT_EQ(archive.LastResult(), ZipResult::OpenFailed);
    EXPECT_FALSE(archive.Open(L""));
    EXPECT_EQ(archive.LastResult(), ZipResult::BadArgument);
}

TEST(ZipArchiveRead, RefusesBadEntriesWithoutPassingOnExtraBytes) {
    struct Case {
        const wchar_t* archive;
        const char* entry;
        ZipResult result;
    } cases[] = {
        {L"bad_crc", "crc.txt", ZipResult::CrcMismatch},
        {L"size_lie", "bomb.bin", ZipResult::SizeMismatch},
        {L"size_short", "short.bin", ZipResult::SizeMismatch},
        {L"stored_size_lie", "stored.bin", ZipResult::SizeMismatch},
        {L"encrypted", "secret.txt", ZipResult::Encrypted},
        {L"unknown_method", "bz.txt", ZipResult::UnsupportedMethod},
        {L"corrupt_deflate", "corrupt.bin", ZipResult::BadData},
    };
    for (const Case& c : cases) {
        ZipArchive archive;
        ASSERT_TRUE(archive.Open(HostileArchive(c.archive))) << c.archive;
        int index = archive.FindEntry(c.entry, false);
        ASSERT_GE(index, 0) << c.archive;
        CountingSink sink(true);
        EXPECT_EQ(archive.ReadEntry(index, sink), c.result) << c.archive;
        EXPECT_LE(sink.written, archive.UncompressedSize(index)) << c.archive;
        std::vector<unsigned char> bytes;
        EXPECT_FALSE(archive.ExtractToMemory(index, bytes)) << c.archive;
        EXPECT_EQ(archive.LastResult(), c.result) << c.archive;
        EXPECT_TRUE(bytes.empty()) << c.archive;
    }
}

}  // namespace
