#include "Paths.h"

#include "Platform.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(GetModuleDir, IsTheFolderOfThisTestBinary) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir = GetModuleDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(L'\\', dir.back());
    EXPECT_EQ(std::wstring(self).substr(0, dir.size()), dir);
    EXPECT_EQ(L'\\', self[dir.size()]);
    EXPECT_TRUE(PathExists(dir));
}

TEST(CombinePath, InsertsOneSeparator) {
    EXPECT_EQ(L"C:\\a\\b.txt", CombinePath(L"C:\\a", L"b.txt"));
    EXPECT_EQ(L"C:\\a\\b.txt", CombinePath(L"C:\\a\\", L"b.txt"));
    EXPECT_EQ(L"C:\\a\\Game\\x\\y.exe", CombinePath(L"C:\\a\\Game", L"x\\y.exe"));
}

TEST(CombinePath, DotSegmentsNameTheSameFolder) {
    EXPECT_EQ(L"C:\\a\\config\\config.json", CombinePath(L"C:\\a", L".\\config\\config.json"));
    EXPECT_EQ(L"C:\\a\\Game\\GameSetup.zip", CombinePath(L"C:\\a", L".\\Game\\GameSetup.zip"));
    EXPECT_EQ(L"C:\\b", CombinePath(L"C:\\a", L"..\\b"));
}

TEST(CombinePath, AcceptsForwardSlashesAsTheConfigurationWritesThem) {
    std::wstring dir = testenv::MakeTempSubdir(L"combine");
    std::filesystem::create_directories(std::filesystem::path(dir) / L"config");
    testenv::WriteFileBytes(dir + L"\\config\\config.json", "{}");
    EXPECT_TRUE(PathExists(CombinePath(dir, L"./config/config.json")));
}

TEST(CombinePath, AnAbsolutePartReplacesTheFolder) {
    EXPECT_EQ(L"D:\\games\\run.exe", CombinePath(L"C:\\a", L"D:\\games\\run.exe"));
}

// PathCombineW refuses a path longer than MAX_PATH, far below the 2046 units
// at which CombinePath itself gives up, so only the platform's limit shows.
TEST(CombinePath, APathTooLongForThePlatformIsEmptyAndNamesNoFile) {
    const std::wstring dir = L"C:\\a";
    EXPECT_EQ(dir + L"\\" + std::wstring(200, L'x'), CombinePath(dir, std::wstring(200, L'x')));
    for (size_t length : {size_t{MAX_PATH}, size_t{2046}, size_t{5000}}) {
        std::wstring combined = CombinePath(dir, std::wstring(length, L'x'));
        EXPECT_TRUE(combined.empty()) << length;
        EXPECT_FALSE(PathExists(combined)) << length;
    }
}

TEST(CombinePath, EmptyParts) {
    EXPECT_EQ(L"C:\\a", CombinePath(L"C:\\a", L""));
    EXPECT_EQ(L"b.txt", CombinePath(L"", L"b.txt"));
}

TEST(PathExists, FilesFoldersAndMissingPaths) {
    std::wstring dir = testenv::MakeTempSubdir(L"exists");
    EXPECT_TRUE(PathExists(dir));
    EXPECT_FALSE(PathExists(dir + L"\\missing.txt"));
    ASSERT_TRUE(testenv::WriteFileBytes(dir + L"\\present.txt", "x"));
    EXPECT_TRUE(PathExists(dir + L"\\present.txt"));
    EXPECT_FALSE(PathExists(L""));
    EXPECT_FALSE(PathExists(std::wstring(40000, L'x')));
    EXPECT_FALSE(PathExists(L"\\\\?\\Q:\\<>|"));
}

TEST(CreateDirs, CreatesParentsAndReportsWhetherAnythingWasMade) {
    std::wstring dir = testenv::MakeTempSubdir(L"create");
    std::wstring nested = dir + L"\\a\\b\\游戏";
    EXPECT_TRUE(CreateDirs(nested));
    EXPECT_TRUE(PathExists(nested));
    EXPECT_FALSE(CreateDirs(nested));
}

TEST(CreateDirs, FailuresReturnFalse) {
    std::wstring dir = testenv::MakeTempSubdir(L"create-fail");
    ASSERT_TRUE(testenv::WriteFileBytes(dir + L"\\file", "x"));
    EXPECT_FALSE(CreateDirs(dir + L"\\file\\sub"));
    EXPECT_FALSE(CreateDirs(L""));
}
