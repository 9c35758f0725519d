#include "PackageExtraction.h"

#include "FakeTraceController.h"
#include "FileTree.h"
#include "GameFolder.h"
#include "Paths.h"
#include "TestEnv.h"
#include "TestWindow.h"
#include "TextHelpers.h"
#include "WindowMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t kDecompress[] = L"DownloadInstallManager::DecompressionGame";

// Stands in for the main window and counts the extraction's done message.
class UnzipDoneWindow {
public:
    UnzipDoneWindow()
        : window_([](UINT message, WPARAM wParam, LPARAM lParam) {
              if (message != WM_GAME_UNZIP_DONE || wParam != 0 || lParam != 0) return false;
              ++doneCount;
              return true;
          }),
          handle(window_.Handle()) {
        doneCount = 0;
    }

private:
    TestWindow window_;

public:
    HWND handle;
    static int doneCount;
};
int UnzipDoneWindow::doneCount = 0;

class PackageExtraction : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetModuleDir(), testenv::TempDir() + L"\\launcher");
        game_ = GetModuleDir() + L"\\Game";
        package_ = game_ + L"\\GameSetup.zip";
        SetFileAttributesW(package_.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveGameDir(game_);
        ASSERT_FALSE(PathExists(game_));
    }

    void PlacePackage(const std::wstring& source) {
        CreateDirs(game_);
        ASSERT_TRUE(CopyFileW(source.c_str(), package_.c_str(), FALSE));
    }

    // The messages of the lines logged under `function`.
    static std::vector<std::wstring> Messages(const TraceCapture& capture, const std::wstring& function) {
        std::vector<std::wstring> messages;
        for (const TraceRecord& record : capture.Records()) {
            if (TraceFunction(record.text) == function) {
                EXPECT_EQ(record.level, TRACE_LEVEL_ERROR) << TraceMessage(record.text).c_str();
                messages.push_back(TraceMessage(record.text));
            }
        }
        return messages;
    }

    std::wstring game_;
    std::wstring package_;
};

TEST_F(PackageExtraction, MissingPackageIsASilentFalseThatCreatesTheGameFolder) {
    UnzipDoneWindow window;
    TraceCapture capture;
    EXPECT_FALSE(DecompressGamePackage(window.handle));
    EXPECT_TRUE(PathExists(game_));
    EXPECT_TRUE(capture.Lines().empty());
    EXPECT_EQ(UnzipDoneWindow::doneCount, 0);
}

TEST_F(PackageExtraction, ExtractsTellsTheWindowAndDeletesThePackage) {
    PlacePackage(testenv::TempDir() + L"\\good\\infozip_deflate.zip");
    UnzipDoneWindow window;
    TraceCapture capture;
    EXPECT_TRUE(DecompressGamePackage(window.handle));
    EXPECT_EQ(UnzipDoneWindow::doneCount, 1);
    EXPECT_FALSE(PathExists(package_));
    EXPECT_TRUE(testenv::ReadFileTree(game_) == testenv::ReadFileTree(testenv::TempDir() + L"\\src"));
    EXPECT_EQ(Messages(capture, kDecompress), std::vector<std::wstring>{L"UnCompress successed!"});
    EXPECT_EQ(Messages(capture, L"DownloadInstallManager::RemoveFile"),
              (std::vector<std::wstring>{L"RemoveFile is start,file path:" + package_ + L"!",
                                         L"RemoveFile path: " + package_ + L"!", L"RemoveFile result: 1!"}));
}

TEST_F(PackageExtraction, FailedExtractionLogsTheCodeAndDeletesThePackage) {
    PlacePackage(testenv::TempDir() + L"\\hostile\\truncated.zip");
    UnzipDoneWindow window;
    TraceCapture capture;
    EXPECT_FALSE(DecompressGamePackage(window.handle));
    EXPECT_EQ(UnzipDoneWindow::doneCount, 0);
    EXPECT_FALSE(PathExists(package_));
    EXPECT_EQ(Messages(capture, kDecompress),
              (std::vector<std::wstring>{L"UnCompress Fail! unZipResult: 4", L"UnCompress Fail! dwErr: 0, msg: "}));
    EXPECT_TRUE(capture.HasMessage(L"RemoveFile result: 1!"));
}

TEST_F(PackageExtraction, FilesWrittenBeforeADataFaultStay) {
    PlacePackage(testenv::TempDir() + L"\\hostile\\bad_crc.zip");
    UnzipDoneWindow window;
    TraceCapture capture;
    EXPECT_FALSE(DecompressGamePackage(window.handle));
    EXPECT_TRUE(capture.HasMessage(L"UnCompress Fail! unZipResult: 12"));
    EXPECT_EQ(testenv::ReadFileBytes(game_ + L"\\fine.txt"), "fine\n");
    EXPECT_FALSE(PathExists(package_));
}

TEST_F(PackageExtraction, ReadOnlyPackageExtractsButStays) {
    PlacePackage(testenv::TempDir() + L"\\good\\python_stored.zip");
    ASSERT_TRUE(SetFileAttributesW(package_.c_str(), FILE_ATTRIBUTE_READONLY));
    UnzipDoneWindow window;
    TraceCapture capture;
    EXPECT_TRUE(DecompressGamePackage(window.handle));
    EXPECT_EQ(UnzipDoneWindow::doneCount, 1);
    EXPECT_TRUE(capture.HasMessage(L"UnCompress successed!"));
    EXPECT_TRUE(capture.HasMessage(L"RemoveFile result: 0!"));
    EXPECT_TRUE(PathExists(package_));
    EXPECT_EQ(testenv::ReadFileBytes(game_ + L"\\readme.txt"),
              testenv::ReadFileBytes(testenv::TempDir() + L"\\src\\readme.txt"));
}

// The marker goes in before the first entry and out after the last; a failed
// extraction keeps it, so the next start installs again.
TEST_F(PackageExtraction, TheInstallMarkerOutlivesOnlyAFailedExtraction) {
    const struct {
        const wchar_t* package;  // below the temporary folder; null for none
        bool extracted;
    } cases[] = {
        {L"good\\infozip_deflate.zip", true},
        {L"hostile\\bad_crc.zip", false},
        {L"hostile\\truncated.zip", false},
        {nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.package ? c.package : L"none");
        RemoveGameDir(game_);
        if (c.package) PlacePackage(testenv::TempDir() + L"\\" + c.package);
        UnzipDoneWindow window;
        EXPECT_EQ(c.extracted, DecompressGamePackage(window.handle));
        EXPECT_EQ(c.package != nullptr && !c.extracted, IsInstallIncomplete(game_));
        EXPECT_EQ(c.package != nullptr && !c.extracted, PathExists(game_ + L"\\" + kInstallMarkerFile));
        EXPECT_FALSE(PathExists(package_));
    }
}

TEST_F(PackageExtraction, UnpackedSizeSumsTheCentralDirectory) {
    uint64_t sourceBytes = 0;
    for (const auto& file : testenv::ReadFileTree(testenv::TempDir() + L"\\src")) sourceBytes += file.second.size();
    for (const wchar_t* name : {L"infozip_deflate.zip", L"python_stored.zip"}) {
        SCOPED_TRACE(name);
        uint64_t bytes = 0;
        EXPECT_TRUE(UnpackedSize(testenv::TempDir() + L"\\good\\" + name, bytes));
        EXPECT_EQ(sourceBytes, bytes);
    }
    uint64_t bytes = 7;
    EXPECT_FALSE(UnpackedSize(testenv::TempDir() + L"\\hostile\\truncated.zip", bytes));
    EXPECT_FALSE(UnpackedSize(testenv::TempDir() + L"\\no-such.zip", bytes));
}

TEST_F(PackageExtraction, MissingLibraryIsAnExtractionFailure) {
    std::wstring library = GetModuleDir() + L"\\minizip.dll";
    std::wstring parked = library + L".parked";
    ASSERT_TRUE(MoveFileW(library.c_str(), parked.c_str()));
    PlacePackage(testenv::TempDir() + L"\\good\\python_deflate.zip");
    UnzipDoneWindow window;
    TraceCapture capture;
    bool extracted = DecompressGamePackage(window.handle);
    ASSERT_TRUE(MoveFileW(parked.c_str(), library.c_str()));
    EXPECT_FALSE(extracted);
    EXPECT_EQ(Messages(capture, kDecompress),
              (std::vector<std::wstring>{L"UnCompress Fail! unZipResult: -1", L"UnCompress Fail! dwErr: 0, msg: "}));
    EXPECT_FALSE(PathExists(package_));
}

TEST_F(PackageExtraction, RemoveGameFileLogsEachStep) {
    std::wstring missing = GetModuleDir() + L"\\nothing.txt";
    TraceCapture capture;
    EXPECT_FALSE(RemoveGameFile(missing));
    EXPECT_EQ(Messages(capture, L"DownloadInstallManager::RemoveFile"),
              (std::vector<std::wstring>{L"RemoveFile is start,file path:" + missing + L"!",
                                         L"RemoveFile file is not exist path: " + missing + L"!"}));
    capture.Clear();
    std::wstring present = GetModuleDir() + L"\\present.txt";
    ASSERT_TRUE(testenv::WriteFileBytes(present, "x"));
    EXPECT_TRUE(RemoveGameFile(present));
    EXPECT_FALSE(PathExists(present));
    EXPECT_TRUE(capture.HasMessage(L"RemoveFile result: 1!"));
}

TEST_F(PackageExtraction, RemoveGameDirRemovesTheTreeOrLogsTheError) {
    CreateDirs(game_ + L"\\a\\b");
    ASSERT_TRUE(testenv::WriteFileBytes(game_ + L"\\a\\b\\file.bin", "data"));
    ASSERT_TRUE(testenv::WriteFileBytes(game_ + L"\\a\\locked.bin", "data"));
    ASSERT_TRUE(SetFileAttributesW((game_ + L"\\a\\locked.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesW((game_ + L"\\a\\b").c_str(), FILE_ATTRIBUTE_READONLY));
    TraceCapture capture;
    RemoveGameDir(game_);
    EXPECT_FALSE(PathExists(game_));
    EXPECT_EQ(Messages(capture, L"DownloadInstallManager::RemoveDir"),
              (std::vector<std::wstring>{L"remove_all file start!", L"remove_all file end!"}));

    // A file held open without delete sharing cannot go.
    CreateDirs(game_);
    std::wstring held = game_ + L"\\held.bin";
    ASSERT_TRUE(testenv::WriteFileBytes(held, "data"));
    HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    capture.Clear();
    RemoveGameDir(game_);
    CloseHandle(file);
    EXPECT_EQ(Messages(capture, L"DownloadInstallManager::RemoveDir"),
              (std::vector<std::wstring>{L"remove_all file start!", L"remove all file error!"}));
    EXPECT_TRUE(PathExists(held));
}

// Each Game folder laid out by the fixture holds a Unix link to a folder or
// file beside it. Wine shows the link to a folder as a reparse point and the
// link to a file as a plain file, and it opens, deletes or renames either
// only as its target.
TEST_F(PackageExtraction, RemoveGameDirNeverFollowsALinkOutOfTheFolder) {
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"folder", L"link"}, {L"nested", L"a\\b\\link"}, {L"file", L"link.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        std::wstring base = testenv::TempDir() + L"\\linked\\" + c.first;
        std::wstring game = base + L"\\Game";
        auto outside = testenv::ReadFileTree(base + L"\\outside");
        ASSERT_EQ(outside.size(), 2u);
        ASSERT_TRUE(PathExists(game + L"\\" + c.second));
        ASSERT_TRUE(SetFileAttributesW((game + L"\\data\\locked.bin").c_str(), FILE_ATTRIBUTE_READONLY));

        TraceCapture capture;
        RemoveGameDir(game);

        EXPECT_TRUE(testenv::ReadFileTree(base + L"\\outside") == outside);
        EXPECT_EQ(testenv::ListTree(base + L"\\outside").size(), 3u);
        // Windows removes every link. Wine can reach a link to a folder only
        // through its target, so that link and the folders holding it stay, and nothing else.
        const std::wstring link = c.second + L"\\";
        for (const auto& item : testenv::ListTree(game)) {
            std::wstring entry = item.first + L"\\";
            EXPECT_TRUE(link.compare(0, entry.size(), entry) == 0 || entry.compare(0, link.size(), link) == 0)
                << WideToAnsi(item.first);
        }
        if (std::wstring(c.first) == L"file") {
            EXPECT_FALSE(PathExists(game));
        }
        EXPECT_EQ(Messages(capture, L"DownloadInstallManager::RemoveDir"),
                  (std::vector<std::wstring>{L"remove_all file start!", PathExists(game) ? L"remove all file error!"
                                                                                         : L"remove_all file end!"}));
    }
}

}  // namespace
