#include "FolderTree.h"

#include "FileTree.h"
#include "Paths.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void MakeFolderWithFiles(const std::wstring& folder) {
    ASSERT_TRUE(CreateDirs(folder + L"\\sub"));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\a.txt", "a"));
    ASSERT_TRUE(testenv::WriteFileBytes(folder + L"\\sub\\b.bin", "b"));
}

}  // namespace

// Between the listing of a folder and the opening of its entries the hook
// puts something else in an entry's place, as a program racing the removal
// could (a junction, on Windows). What the entry is must be read from the
// handle opened then: the listing's word for it is stale.
TEST(FolderTree, WhatAnEntryIsComesFromTheHandleOpenedNotFromTheListing) {
    const struct {
        const wchar_t* name;
        bool folderBecomesFile;
    } cases[] = {{L"folder to file", true}, {L"file to folder", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring root = testenv::MakeTempSubdir(c.name);
        const std::wstring tree = FullPath(root + L"\\tree");
        const std::wstring entry = tree + L"\\entry";
        const std::wstring replacement = root + L"\\replacement";
        const std::wstring parked = root + L"\\parked";
        ASSERT_TRUE(CreateDirs(tree));
        ASSERT_TRUE(testenv::WriteFileBytes(tree + L"\\other.txt", "other"));
        if (c.folderBecomesFile) {
            MakeFolderWithFiles(entry);
            ASSERT_TRUE(testenv::WriteFileBytes(replacement, "replacement"));
        } else {
            ASSERT_TRUE(testenv::WriteFileBytes(entry, "entry"));
            MakeFolderWithFiles(replacement);
        }
        const auto parkedBefore = c.folderBecomesFile ? testenv::ReadFileTree(entry) : std::map<std::wstring, std::string>();

        int swaps = 0;
        bool removed = RemoveFolderTree(tree, [&](const std::wstring& folder) {
            if (folder != tree || swaps++ > 0) return;
            EXPECT_TRUE(MoveFileW(entry.c_str(), parked.c_str()));
            EXPECT_TRUE(MoveFileW(replacement.c_str(), entry.c_str()));
        });

        EXPECT_EQ(1, swaps);
        EXPECT_TRUE(removed);
        EXPECT_FALSE(PathExists(tree));
        EXPECT_TRUE(PathExists(parked)) << "moved out before its turn, it is no longer the tree's";
        if (c.folderBecomesFile) {
            EXPECT_TRUE(testenv::ReadFileTree(parked) == parkedBefore);
        }
    }
}
