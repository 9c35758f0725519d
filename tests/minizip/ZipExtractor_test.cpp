#include "ZipExtractor.h"

#include "FileTree.h"
#include "Platform.h"
#include "TestEnv.h"
#include "TextHelpers.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>

namespace {

constexpr unsigned kManyWorkers = 4;

std::wstring Archive(const std::wstring& group, const std::wstring& name) {
    return testenv::TempDir() + L"\\" + group + L"\\" + name + L".zip";
}

std::wstring OutFolder(const std::wstring& name, unsigned workers) {
    return testenv::MakeTempSubdir(L"out_" + std::to_wstring(workers) + L"_" + name);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Everything in the temporary folder but what lies below `folder`.
std::map<std::wstring, bool> TreeOutside(const std::wstring& folder) {
    std::wstring below = folder.substr(testenv::TempDir().size() + 1) + L"\\";
    auto tree = testenv::ListTree(testenv::TempDir());
    for (auto item = tree.begin(); item != tree.end();) {
        item = item->first.compare(0, below.size(), below) == 0 ? tree.erase(item) : std::next(item);
    }
    return tree;
}

class EveryWorkerCount : public testing::TestWithParam<unsigned> {};

TEST_P(EveryWorkerCount, ToolArchivesUnpackByteForByte) {
    const wchar_t* archives[] = {L"infozip_deflate", L"infozip_stored", L"infozip_zip64", L"infozip_streamed",
                                 L"sevenzip",        L"python_deflate", L"python_stored", L"python_streamed"};
    auto expected = testenv::ReadFileTree(testenv::TempDir() + L"\\src");
    ASSERT_EQ(expected.size(), 8u);
    for (const wchar_t* name : archives) {
        std::wstring folder = OutFolder(name, GetParam());
        unsigned used = 0;
        EXPECT_EQ(ExtractArchive(Archive(L"good", name), folder, GetParam(), &used), ZipResult::Ok)
            << WideToAnsi(name);
        EXPECT_EQ(used, GetParam()) << WideToAnsi(name);
        EXPECT_TRUE(testenv::ReadFileTree(folder) == expected) << WideToAnsi(name);
        EXPECT_TRUE(testenv::ListTree(folder)[L"empty_dir"]) << WideToAnsi(name);
    }
}

// Entry 550 is large, so it is unpacked first and fails first; entry 499
// fails too and comes first in the directory, so its code is the outcome.
// Every entry before it is written, the two failed files are removed, and
// whatever else was written is complete.
TEST_P(EveryWorkerCount, TheFirstFailingEntryInTheDirectoryDecides) {
    std::wstring folder = OutFolder(L"late", GetParam());
    auto outside = TreeOutside(folder);
    EXPECT_EQ(ExtractArchive(Archive(L"late", L"corrupt"), folder, GetParam()), ZipResult::CrcMismatch);
    auto expected = testenv::ReadFileTree(testenv::TempDir() + L"\\late\\expected");
    auto written = testenv::ReadFileTree(folder);
    for (const auto& file : expected) {
        int index = std::stoi(file.first.substr(file.first.find(L"\\f") + 2));
        auto found = written.find(file.first);
        if (index < 499) {
            EXPECT_TRUE(found != written.end()) << "entry " << index << " missing";
        }
        if (found != written.end()) {
            EXPECT_TRUE(found->second == file.second) << "entry " << index << " incomplete";
            written.erase(found);
        }
    }
    EXPECT_FALSE(Exists(folder + L"\\d05\\f0499.bin"));
    EXPECT_FALSE(Exists(folder + L"\\d04\\f0550.bin"));
    for (const auto& extra : written) {
        ADD_FAILURE() << "unexpected file " << WideToAnsi(extra.first);
    }
    EXPECT_TRUE(TreeOutside(folder) == outside);
}

TEST_P(EveryWorkerCount, ALateUnsafeNameWritesNothingAtAll) {
    std::wstring folder = OutFolder(L"slip", GetParam());
    auto outside = TreeOutside(folder);
    EXPECT_EQ(ExtractArchive(Archive(L"late", L"slip"), folder, GetParam()), ZipResult::UnsafeName);
    EXPECT_TRUE(testenv::ListTree(folder).empty());
    EXPECT_TRUE(TreeOutside(folder) == outside);
}

struct OrderCase {
    const wchar_t* archive;
    ZipResult result;
    const wchar_t* file;  // what must be in that file afterwards
    const char* bytes;
};

// Outcomes that hang on the directory order are those of unpacking entry
// after entry, however many threads unpack.
TEST_P(EveryWorkerCount, OrderDependentOutcomesFollowTheDirectory) {
    const OrderCase cases[] = {
        {L"same_name", ZipResult::Ok, L"same.txt", "second\n"},
        {L"file_then_folder", ZipResult::CreateFolderFailed, L"a", "file a\n"},
        {L"folder_then_file", ZipResult::WriteFailed, L"b.txt", nullptr},
    };
    for (const OrderCase& c : cases) {
        std::wstring folder = OutFolder(c.archive, GetParam());
        EXPECT_EQ(ExtractArchive(Archive(L"order", c.archive), folder, GetParam()), c.result) << WideToAnsi(c.archive);
        std::string expected = c.bytes != nullptr ? c.bytes : std::string(5000, 'b');
        EXPECT_EQ(testenv::ReadFileBytes(folder + L"\\" + c.file), expected) << WideToAnsi(c.archive);
    }
}

struct DataFault {
    const wchar_t* archive;
    ZipResult result;
    const wchar_t* failedFile;
    const wchar_t* keptFile;  // holds "fine\n"
};

// A failed entry's file is removed, even one set to its full length before
// the data ran short; the sound file before it stays.
TEST_P(EveryWorkerCount, AFailedEntryLeavesNoFile) {
    const DataFault faults[] = {
        {L"bad_crc", ZipResult::CrcMismatch, L"crc.txt", L"fine.txt"},
        {L"size_lie", ZipResult::SizeMismatch, L"bomb.bin", nullptr},
        {L"size_short", ZipResult::SizeMismatch, L"short.bin", nullptr},
        {L"stored_size_lie", ZipResult::SizeMismatch, L"stored.bin", nullptr},
        {L"corrupt_deflate", ZipResult::BadData, L"corrupt.bin", nullptr},
    };
    for (const DataFault& fault : faults) {
        std::wstring folder = OutFolder(fault.archive, GetParam());
        EXPECT_EQ(ExtractArchive(Archive(L"hostile", fault.archive), folder, GetParam()), fault.result)
            << WideToAnsi(fault.archive);
        EXPECT_FALSE(Exists(folder + L"\\" + fault.failedFile)) << WideToAnsi(fault.archive);
        if (fault.keptFile != nullptr) {
            EXPECT_EQ(testenv::ReadFileBytes(folder + L"\\" + fault.keptFile), "fine\n");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Workers, EveryWorkerCount, testing::Values(1u, kManyWorkers));

TEST(ExtractWorkers, TheCountIsCappedAndNeverAboveTheFiles) {
    unsigned used = 0;
    std::wstring folder = OutFolder(L"capped", 64);
    EXPECT_EQ(ExtractArchive(Archive(L"late", L"corrupt"), folder, 64, &used), ZipResult::CrcMismatch);
    EXPECT_EQ(used, kMaxExtractWorkers);
    EXPECT_EQ(ExtractArchive(Archive(L"order", L"same_name"), OutFolder(L"few", 8), 8, &used), ZipResult::Ok);
    EXPECT_EQ(used, 2u);
}

}  // namespace
