#include "DownloadInstallManager.h"

#include "GameConfig.h"
#include "GameDownloadManager.h"
#include "GameLaunch.h"
#include "HttpDownloader.h"
#include "PackageExtraction.h"
#include "Paths.h"
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
    if (!startPath.empty() && PathExists(CombinePath(CombinePath(GetModuleDir(), kGameFolder), startPath))) {
        StartGame();
        return;
    }
    SendText(WM_GAME_TOTAL_SIZE, FormatByteSize(totalSize));
    SendMessageW(mainWindow, WM_SHOWWINDOW, 0, 0);
    DownloadGame();
}

void DownloadInstallManager::SetDownloadTimeoutForTesting(int milliseconds) {
    downloadManager->SetReceiveTimeout(milliseconds);
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

void DownloadInstallManager::RunInstall() {
    if (downloadResult != Success) {
        // What arrived is known to be incomplete: it is never unpacked.
        TRACE_LOG(TRACE_LEVEL_ERROR, L"download failed! code:%u", downloadResult);
        std::wstring package = CombinePath(GetModuleDir(), kPackageFile);
        if (PathExists(package)) {
            RemoveFile(package);
        }
        ReportGamePlay(false);
        SendText(WM_GAME_INSTALL_FAILED, kDownloadFailedReason);
        return;
    }
    if (DecompressionGame()) {
        StartGame();
        return;
    }
    ReportGamePlay(false);
    SendText(WM_GAME_INSTALL_FAILED, kInstallFailedReason);
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
