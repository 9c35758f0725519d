#include "MiniUnzip.h"

#include "FileTree.h"
#include "Platform.h"
#include "TestEnv.h"
#include "TextHelpers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Loaded the way the launcher loads it: by full path, export looked up by name.
class MiniUnzipDll : public testing::Test {
protected:
    void SetUp() override {
        std::wstring path = testenv::BuildDir() + L"\\bin\\minizip.dll";
        module_ = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        ASSERT_NE(module_, nullptr) << "cannot load " << WideToAnsi(path);
        unzip_ = reinterpret_cast<MiniUnzipFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "mini_unzip_dll")));
        ASSERT_NE(unzip_, nullptr);
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    int Unzip(const std::wstring& archive, const std::wstring& folder) {
        return unzip_(WideToAnsi(archive).c_str(), WideToAnsi(folder).c_str());
    }

    HMODULE module_ = nullptr;
    MiniUnzipFunction unzip_ = nullptr;
};

std::wstring SourceTree() {
    return testenv::TempDir() + L"\\src";
}

TEST_F(MiniUnzipDll, ExtractsEveryToolsArchiveByteForByte) {
    const wchar_t* archives[] = {L"infozip_deflate", L"infozip_stored", L"infozip_zip64",
                                 L"infozip_streamed", L"sevenzip",       L"python_deflate",
                                 L"python_stored",   L"python_zip64",   L"python_streamed"};
    auto expected = testenv::ReadFileTree(SourceTree());
    ASSERT_EQ(expected.size(), 8u);
    for (const wchar_t* name : archives) {
        std::wstring folder = testenv::TempDir() + L"\\out\\" + name + L"\\nested\\target";
        EXPECT_EQ(Unzip(testenv::TempDir() + L"\\good\\" + name + L".zip", folder), MINI_UNZIP_OK)
            << WideToAnsi(name);
        auto extracted = testenv::ReadFileTree(folder);
        EXPECT_TRUE(extracted == expected) << WideToAnsi(name);
        auto tree = testenv::ListTree(folder);
        EXPECT_TRUE(tree.count(L"empty_dir") == 1 && tree[L"empty_dir"]) << WideToAnsi(name);
    }
}

// Bytes glued in front of an archive whose offsets were left alone, as by a
// self-extractor stub; the Zip64 one was streamed from standard input.
TEST_F(MiniUnzipDll, ExtractsArchivesWithDataGluedInFront) {
    auto expected = testenv::ReadFileTree(SourceTree());
    for (const wchar_t* name : {L"infozip_deflate_1", L"infozip_deflate_17", L"infozip_deflate_4096",
                                L"infozip_stored_1", L"infozip_stored_17", L"infozip_stored_4096"}) {
        std::wstring folder = testenv::TempDir() + L"\\out\\" + name;
        EXPECT_EQ(Unzip(testenv::TempDir() + L"\\prefixed\\" + name + L".zip", folder), MINI_UNZIP_OK)
            << WideToAnsi(name);
        EXPECT_TRUE(testenv::ReadFileTree(folder) == expected) << WideToAnsi(name);
    }
    std::wstring folder = testenv::TempDir() + L"\\out\\stdin_zip64";
    EXPECT_EQ(Unzip(testenv::TempDir() + L"\\prefixed\\infozip_stdin_zip64_33.zip", folder), MINI_UNZIP_OK);
    auto streamed = testenv::ReadFileTree(folder);
    ASSERT_EQ(streamed.size(), 1u);
    EXPECT_TRUE(streamed[L"-"] == expected[L"bin\\data\\level1.dat"]);
}

TEST_F(MiniUnzipDll, OverwritesExistingAndReadOnlyFiles) {
    std::wstring folder = testenv::MakeTempSubdir(L"overwrite");
    CreateDirectoryW((folder + L"\\bin").c_str(), nullptr);
    std::wstring stale = folder + L"\\readme.txt";
    std::wstring locked = folder + L"\\bin\\empty.cfg";
    ASSERT_TRUE(testenv::WriteFileBytes(stale, std::string(200000, 'x')));
    ASSERT_TRUE(testenv::WriteFileBytes(locked, "old settings"));
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(Unzip(testenv::TempDir() + L"\\good\\sevenzip.zip", folder), MINI_UNZIP_OK);
    EXPECT_TRUE(testenv::ReadFileTree(folder) == testenv::ReadFileTree(SourceTree()));
}

TEST_F(MiniUnzipDll, RejectsBadArguments) {
    std::wstring folder = testenv::MakeTempSubdir(L"arguments");
    std::string archive = WideToAnsi(testenv::TempDir() + L"\\good\\python_deflate.zip");
    std::string target = WideToAnsi(folder);
    EXPECT_EQ(unzip_(nullptr, target.c_str()), MINI_UNZIP_BAD_ARGUMENT);
    EXPECT_EQ(unzip_(archive.c_str(), nullptr), MINI_UNZIP_BAD_ARGUMENT);
    EXPECT_EQ(unzip_("", target.c_str()), MINI_UNZIP_BAD_ARGUMENT);
    EXPECT_EQ(unzip_(archive.c_str(), ""), MINI_UNZIP_BAD_ARGUMENT);
    EXPECT_EQ(Unzip(testenv::TempDir() + L"\\good\\missing.zip", folder), MINI_UNZIP_OPEN_FAILED);
    EXPECT_TRUE(testenv::ListTree(folder).empty());
}

// A GBK name may end in the byte 0x5C: the entry is still the file it names,
// with its data, and a start file named so is a file the launcher can start.
TEST_F(MiniUnzipDll, NamesEndingInAGbkTrailByteStayFiles) {
    std::wstring folder = testenv::MakeTempSubdir(L"gbk");
    ASSERT_EQ(Unzip(testenv::TempDir() + L"\\good\\gbk_names.zip", folder), MINI_UNZIP_OK);
    const std::map<std::wstring, bool> expectedTree = {
        {L"资料", true},    {L"资料\\誠", false}, {L"運", false},           {L"old", true},
        {L"dos_dir", true}, {L"unix_dir", true},  {L"attr_with_data", false},
    };
    EXPECT_TRUE(testenv::ListTree(folder) == expectedTree);
    // The GBK bytes of 诚实的数据 and a line break.
    EXPECT_EQ(testenv::ReadFileBytes(folder + L"\\资料\\誠"), "\xB3\xCF\xCA\xB5\xB5\xC4\xCA\xFD\xBE\xDD\n");
    EXPECT_EQ(testenv::ReadFileBytes(folder + L"\\運"), "MZ start file");
}

struct HostileCase {
    const wchar_t* archive;
    int code;
    bool writesBeforeFailing;
};

// Every hostile archive fails with its own code, and nothing is written
// outside the destination folder; name, encryption and method faults are
// found before anything is written at all.
TEST_F(MiniUnzipDll, HostileArchivesFailWithoutWritingOutside) {
    const HostileCase cases[] = {
        {L"slip_dotdot", MINI_UNZIP_UNSAFE_NAME, false},
        {L"slip_nested", MINI_UNZIP_UNSAFE_NAME, false},
        {L"slip_backslash", MINI_UNZIP_UNSAFE_NAME, false},
        {L"absolute", MINI_UNZIP_UNSAFE_NAME, false},
        {L"drive_letter", MINI_UNZIP_UNSAFE_NAME, false},
        {L"drive_relative", MINI_UNZIP_UNSAFE_NAME, false},
        {L"unc", MINI_UNZIP_UNSAFE_NAME, false},
        {L"nul_in_name", MINI_UNZIP_UNSAFE_NAME, false},
        {L"forbidden_char", MINI_UNZIP_UNSAFE_NAME, false},
        {L"device_name", MINI_UNZIP_UNSAFE_NAME, false},
        {L"trailing_dot", MINI_UNZIP_UNSAFE_NAME, false},
        {L"encrypted", MINI_UNZIP_ENCRYPTED, false},
        {L"unknown_method", MINI_UNZIP_UNSUPPORTED_METHOD, false},
        {L"not_a_zip", MINI_UNZIP_BAD_ARCHIVE, false},
        {L"empty_file", MINI_UNZIP_BAD_ARCHIVE, false},
        {L"bad_directory", MINI_UNZIP_BAD_ARCHIVE, false},
        {L"count_beyond_directory", MINI_UNZIP_BAD_ARCHIVE, false},
        {L"truncated", MINI_UNZIP_TRUNCATED, false},
        {L"overlapping", MINI_UNZIP_OVERLAPPING_ENTRIES, false},
        {L"too_many_entries", MINI_UNZIP_TOO_MANY_ENTRIES, false},
        {L"prefix_overlap", MINI_UNZIP_OVERLAPPING_ENTRIES, false},
        {L"prefix_wraps", MINI_UNZIP_OVERLAPPING_ENTRIES, false},
        {L"prefix_negative", MINI_UNZIP_BAD_ARCHIVE, false},
        {L"bad_crc", MINI_UNZIP_CRC_MISMATCH, true},
        {L"size_lie", MINI_UNZIP_SIZE_MISMATCH, true},
        {L"size_short", MINI_UNZIP_SIZE_MISMATCH, true},
        {L"stored_size_lie", MINI_UNZIP_SIZE_MISMATCH, true},
        {L"corrupt_deflate", MINI_UNZIP_BAD_DATA, true},
    };
    for (const HostileCase& c : cases) {
        std::wstring base = testenv::MakeTempSubdir(std::wstring(L"hostile_out\\") + c.archive);
        std::wstring folder = base + L"\\out";
        EXPECT_EQ(Unzip(testenv::TempDir() + L"\\hostile\\" + c.archive + L".zip", folder), c.code)
            << WideToAnsi(c.archive);
        for (const auto& item : testenv::ListTree(base)) {
            EXPECT_EQ(item.first.compare(0, 3, L"out"), 0) << WideToAnsi(c.archive) << ": "
                                                           << WideToAnsi(item.first);
        }
        if (!c.writesBeforeFailing) {
            EXPECT_TRUE(testenv::ListTree(folder).empty()) << WideToAnsi(c.archive);
        }
    }
    for (const auto& item : testenv::ListTree(testenv::TempDir())) {
        EXPECT_EQ(item.first.find(L"evil"), std::wstring::npos) << WideToAnsi(item.first);
    }
}

TEST_F(MiniUnzipDll, DataFaultsKeepEarlierFilesAndStopAtTheDeclaredSize) {
    std::wstring crcFolder = testenv::MakeTempSubdir(L"crc");
    EXPECT_EQ(Unzip(testenv::TempDir() + L"\\hostile\\bad_crc.zip", crcFolder), MINI_UNZIP_CRC_MISMATCH);
    EXPECT_EQ(testenv::ReadFileBytes(crcFolder + L"\\fine.txt"), "fine\n");

    std::wstring bombFolder = testenv::MakeTempSubdir(L"bomb");
    EXPECT_EQ(Unzip(testenv::TempDir() + L"\\hostile\\size_lie.zip", bombFolder), MINI_UNZIP_SIZE_MISMATCH);
    EXPECT_LE(testenv::ReadFileBytes(bombFolder + L"\\bomb.bin").size(), 1000u);
}

// The fixture leaves a Unix link in the destination, to a folder, a file or
// a missing file beside it; Wine follows it as Windows follows a junction or
// symbolic link.
TEST_F(MiniUnzipDll, EntriesAreNeverWrittenThroughALinkOutOfTheFolder) {
    for (const wchar_t* name : {L"folder", L"file", L"dangling", L"nested"}) {
        std::wstring base = testenv::TempDir() + L"\\links\\" + name;
        auto outsideFiles = testenv::ReadFileTree(base + L"\\outside");
        auto outsideTree = testenv::ListTree(base + L"\\outside");
        ASSERT_EQ(outsideFiles.size(), 1u);
        EXPECT_EQ(Unzip(base + L".zip", base + L"\\out"), MINI_UNZIP_UNSAFE_NAME) << WideToAnsi(name);
        EXPECT_TRUE(testenv::ReadFileTree(base + L"\\outside") == outsideFiles) << WideToAnsi(name);
        EXPECT_TRUE(testenv::ListTree(base + L"\\outside") == outsideTree) << WideToAnsi(name);
    }
}

}  // namespace
