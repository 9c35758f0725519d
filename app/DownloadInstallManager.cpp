#include "DownloadInstallManager.h"

#include "GameConfig.h"
#include "GameDownloadManager.h"
#include "GameLaunch.h"
#include "HttpDownloader.h"
#include "PackageExtraction.h"
#include "Paths.h"
#include "Sha256.h"
#include "TextHelpers.h"
#include "TraceLogger.h"
#include "WindowMessages.h"

#include <exception>
#include <thread>

namespace {
const wchar_t kGameFolder[] = L"Game";
const wchar_t kPackageFile[] = L".\\Game\\GameSetup.zip";
const wchar_t kDownloadFailedReason[] = L"游戏下载失败，请检查网络后重新打开启动器";
const wchar_t kInstallFailedReason[] = L"游戏安装失败，请重新打开启动器";
const wchar_t kChecksumFailedReason[] = L"游戏包校验失败，请重新打开启动器";
const wchar_t kDiskSpaceReason[] = L"磁盘空间不足，请清理磁盘后重新打开启动器";
// Fixed text: logging from a handler must not allocate.
const wchar_t kInstallFunction[] = L"DownloadInstallManager::RunInstall";
}  // namespace

DownloadInstallManager::DownloadInstallManager(HWND window, const std::wstring& commandLine)
    : downloadManager(std::make_shared<GameDownloadManager>()), mainWindow(window), launchParams(commandLine) {}

DownloadInstallManager::~DownloadInstallManager() = default;

void DownloadInstallManager::SendText(UINT message, const std::wstring& text) {
    SendMessageW(mainWindow, message, reinterpret_cast<WPARAM>(text.c_str()), 0);
}

void DownloadInstallManager::Start() {
    std::shared_ptr<DownloadInstallManager> self = shared_from_this();
    downloadManager->SetOwner(self);
    InitConfig();
    if (!backgroundPath.empty()) {
        SendText(WM_GAME_BACKGROUND, CombinePath(GetModuleDir(), backgroundPath));
    }
    std::wstring gameDir = CombinePath(GetModuleDir(), kGameFolder);
    if (!startPath.empty() && PathExists(CombinePath(gameDir, startPath))) {
        // A launcher stopped during extraction leaves a game that only looks installed.
        if (!IsInstallIncomplete(gameDir)) {
            StartGame();
            return;
        }
        TRACE_LOG(TRACE_LEVEL_INFORMATION, L"游戏未安装完成，重新安装！marker:%s",
                  CombinePath(gameDir, kInstallMarkerFile).c_str());
    }
    SendText(WM_GAME_TOTAL_SIZE, FormatByteSize(totalSize));
    SendMessageW(mainWindow, WM_SHOWWINDOW, 0, 0);
    DownloadGame();
}

void DownloadInstallManager::SetDownloadTimeoutForTesting(int milliseconds) {
    downloadManager->SetReceiveTimeout(milliseconds);
}

void DownloadInstallManager::SetFreeSpaceQueryForTesting(FreeSpaceQuery query) {
    freeSpaceQuery = query;
    downloadManager->SetFreeSpaceQuery(query);
}

void DownloadInstallManager::InitConfig() {
    GameConfig config;
    config.startPath = startPath;
    config.backgroundPath = backgroundPath;
    config.gameUrl = gameUrl;
    config.totalSize = totalSize;
    config.gameId = gameId;
    ReadGameConfig(CombinePath(GetModuleDir(), kGameConfigFile), config);
    startPath = config.startPath;
    backgroundPath = config.backgroundPath;
    gameUrl = config.gameUrl;
    totalSize = config.totalSize;
    gameId = config.gameId;
    packageSha256 = config.sha256;
}

void DownloadInstallManager::DownloadGame() {
    if (gameUrl.empty()) {
        TRACE_LOG(TRACE_LEVEL_INFORMATION, L"游戏链接为空！");
        return;
    }
    std::wstring dir = CombinePath(GetModuleDir(), L"./Game");
    if (PathExists(dir)) {
        RemoveDir(dir);
    }
    if (!PathExists(dir)) {
        CreateDirs(dir);
    }
    downloadManager->StartDownload(gameUrl, CombinePath(dir, L"GameSetup.zip"));
}

void DownloadInstallManager::OnGameDownloadProgress(unsigned percent, int bytesPerSecond, int /*userData*/) {
    SendMessageW(mainWindow, WM_GAME_PROGRESS, percent, 0);
    SendText(WM_GAME_SPEED, FormatByteSpeed(static_cast<uint32_t>(bytesPerSecond)));
    // The shown downloaded size follows the percentage rather than a byte count.
    uint64_t downloaded = static_cast<uint64_t>(static_cast<double>(totalSize) * (percent / 100.0));
    SendText(WM_GAME_CURRENT_SIZE, FormatByteSize(downloaded));
}

void DownloadInstallManager::OnGameTotalSize(int totalBytes) {
    const uint32_t bytes = static_cast<uint32_t>(totalBytes);
    if (bytes != 0) {
        totalSize = bytes;
    }
    SendText(WM_GAME_TOTAL_SIZE, FormatByteSize(bytes));
}

bool DownloadInstallManager::OnGameBackground(const std::wstring& imagePath) {
    if (!PathExists(imagePath)) {
        return false;
    }
    return SendMessageW(mainWindow, WM_GAME_BACKGROUND, reinterpret_cast<WPARAM>(imagePath.c_str()), 0) != 0;
}

void DownloadInstallManager::OnGameDownloadFinish(const std::wstring* /*packagePath*/, unsigned resultCode) {
    downloadResult = resultCode;
    // The manager lives until the process ends, so the plain pointer stays valid.
    DownloadInstallManager* manager = this;
    try {
        std::thread([manager] { manager->RunInstallGuarded(); }).detach();
    } catch (const std::exception& error) {
        // Without a thread the install runs here: the window would otherwise
        // wait for it for ever, with closing disabled.
        TRACE_LOG_AS(L"DownloadInstallManager::OnGameDownloadFinish", TRACE_LEVEL_ERROR,
                     L"install thread not started: %hs", error.what());
        RunInstallGuarded();
    }
}

void DownloadInstallManager::RunInstallGuarded() {
    try {
        RunInstall();
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kInstallFunction, TRACE_LEVEL_ERROR, L"install failed: %hs", error.what());
    } catch (...) {
        TRACE_LOG_AS(kInstallFunction, TRACE_LEVEL_ERROR, L"install failed: unknown exception");
    }
}

// The checks run in the order a player meets their causes: the disk before
// the body, the transfer, the package's digest, the disk before extraction.
void DownloadInstallManager::RunInstall() {
    std::wstring package = CombinePath(GetModuleDir(), kPackageFile);
    if (downloadResult != Success) {
        // What arrived is known to be incomplete: it is never unpacked.
        TRACE_LOG(TRACE_LEVEL_ERROR, L"download failed! code:%u", downloadResult);
        if (PathExists(package)) {
            RemoveFile(package);
        }
        FailInstall(downloadResult == NoDiskSpace ? kDiskSpaceReason : kDownloadFailedReason);
        return;
    }
    if (!PackageMatchesChecksum(package)) {
        RemoveFile(package);
        FailInstall(kChecksumFailedReason);
        return;
    }
    if (!PackageFitsOnDisk(package)) {
        RemoveFile(package);
        FailInstall(kDiskSpaceReason);
        return;
    }
    if (DecompressionGame()) {
        StartGame();
        return;
    }
    FailInstall(kInstallFailedReason);
}

void DownloadInstallManager::FailInstall(const wchar_t* reason) {
    ReportGamePlay(false);
    SendText(WM_GAME_INSTALL_FAILED, reason);
}

bool DownloadInstallManager::PackageMatchesChecksum(const std::wstring& package) {
    if (packageSha256.empty()) {
        return true;
    }
    std::string actual;
    if (!Sha256OfFile(package, actual)) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"package sha256 not computed! file:%s", package.c_str());
        return false;
    }
    if (actual != packageSha256) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"package sha256 mismatch! expected:%hs, actual:%hs", packageSha256.c_str(),
                  actual.c_str());
        return false;
    }
    return true;
}

// An archive that cannot be read is left for the extraction to report.
bool DownloadInstallManager::PackageFitsOnDisk(const std::wstring& package) {
    uint64_t unpacked = 0;
    if (!UnpackedSize(package, unpacked)) {
        return true;
    }
    return HasRoomFor(freeSpaceQuery, CombinePath(GetModuleDir(), kGameFolder), unpacked,
                      L"DownloadInstallManager::PackageFitsOnDisk");
}

bool DownloadInstallManager::DecompressionGame() {
    return DecompressGamePackage(mainWindow);
}

bool DownloadInstallManager::RemoveFile(const std::wstring& path) {
    return RemoveGameFile(path);
}

void DownloadInstallManager::RemoveDir(const std::wstring& path) {
    RemoveGameDir(path);
}

void DownloadInstallManager::StartGame() {
    LaunchGame(mainWindow, startPath, launchParams, gameId);
}

void DownloadInstallManager::ReportGamePlay(bool success) {
    ::ReportGamePlay(gameId, success);
}
