#include "DownloadInstallManager.h"

#include "ChunkedInstall.h"
#include "FailureReasons.h"
#include "GameConfig.h"
#include "GameDownloadManager.h"
#include "GameFolder.h"
#include "GameLaunch.h"
#include "GameState.h"
#include "GameSwitch.h"
#include "GameUpdate.h"
#include "HttpDownloadJob.h"
#include "HttpDownloader.h"
#include "LauncherSwitches.h"
#include "PackageExtraction.h"
#include "Paths.h"
#include "Sha256.h"
#include "TextHelpers.h"
#include "TraceLogger.h"
#include "WindowMessages.h"

#include <exception>
#include <thread>

namespace {
// Fixed text: logging a failed allocation must not allocate.
const wchar_t kWorkerFunction[] = L"DownloadInstallManager::RunGuarded";

void SendText(HWND window, UINT message, const std::wstring& text) {
    SendMessageW(window, message, reinterpret_cast<WPARAM>(text.c_str()), 0);
}

void SendProgress(HWND window, unsigned percent, uint64_t bytesPerSecond, uint64_t downloadedBytes) {
    SendMessageW(window, WM_GAME_PROGRESS, percent, 0);
    SendText(window, WM_GAME_SPEED, FormatByteSpeed(bytesPerSecond));
    SendText(window, WM_GAME_CURRENT_SIZE, FormatByteSize(downloadedBytes));
}

// A chunked install's progress, in the window's messages (from the install's
// thread: each send waits for the UI thread).
class WindowProgress : public ChunkedInstallListener {
public:
    explicit WindowProgress(HWND window) : window_(window) {}
    void OnInstallTotal(uint64_t totalBytes) override {
        SendText(window_, WM_GAME_TOTAL_SIZE, FormatByteSize(totalBytes));
    }
    void OnInstallProgress(unsigned percent, uint64_t bytesPerSecond, uint64_t downloadedBytes) override {
        SendProgress(window_, percent, bytesPerSecond, downloadedBytes);
    }

private:
    HWND window_;  // not owned
};

}  // namespace

DownloadInstallManager::DownloadInstallManager(HWND window, const std::wstring& commandLine)
    : downloadManager(std::make_shared<GameDownloadManager>()),
      mainWindow(window),
      launchParams(commandLine),
      receiveTimeoutMs(GameDownloadManager::kReceiveTimeoutMs),
      stallBudgetMs(HttpDownloadJob::kStallBudgetMs) {
    // The game never sees the launcher's own switch.
    verifyRequested = TakeLauncherSwitch(launchParams, kVerifySwitch);
}

DownloadInstallManager::~DownloadInstallManager() = default;

void DownloadInstallManager::SendText(UINT message, const std::wstring& text) {
    ::SendText(mainWindow, message, text);
}

void DownloadInstallManager::Start() {
    std::shared_ptr<DownloadInstallManager> self = shared_from_this();
    downloadManager->SetOwner(self);
    InitConfig();
    if (!backgroundPath.empty()) {
        SendText(WM_GAME_BACKGROUND, CombinePath(GetModuleDir(), backgroundPath));
    }
    std::wstring gameDir = GameDir();
    if (!manifestUrl.empty() && !FinishInterruptedSwitch(gameDir)) {
        return;
    }
    if (!startPath.empty() && PathExists(GameFilePath(startPath))) {
        // A launcher stopped during extraction leaves a game that only looks installed.
        if (!IsInstallIncomplete(gameDir)) {
            if (!manifestUrl.empty() && StartStoreUpdate(gameDir)) {
                return;
            }
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

// A half-switched game must never start: the switch a killed update left
// is finished or undone first.
bool DownloadInstallManager::FinishInterruptedSwitch(const std::wstring& gameDir) {
    if (GameSwitch(gameDir).Recover() != GameSwitch::Outcome::Pending) {
        return true;
    }
    SendMessageW(mainWindow, WM_SHOWWINDOW, 0, 0);
    FailInstall(kOldInstallKeptReason);
    return false;
}

bool DownloadInstallManager::StartStoreUpdate(const std::wstring& gameDir) {
    InstalledVersion installed;
    if (storeKeyMalformed || !ReadInstalledVersion(gameDir, installed)) {
        return false;
    }
    updateCheck = CheckForUpdate(manifestUrl, gameDir, installed, publisherKey);
    if (updateCheck.outcome != UpdateCheckOutcome::NewVersion && !verifyRequested) {
        return false;
    }
    SendMessageW(mainWindow, WM_GAME_UPDATING, 0, 0);
    SendMessageW(mainWindow, WM_SHOWWINDOW, 0, 0);
    StartWorker(&DownloadInstallManager::RunGameUpdate);
    return true;
}

void DownloadInstallManager::SetDownloadTimeoutForTesting(int milliseconds) {
    receiveTimeoutMs = milliseconds;
    downloadManager->SetReceiveTimeout(milliseconds);
}

void DownloadInstallManager::SetStallBudgetForTesting(DWORD milliseconds) {
    stallBudgetMs = milliseconds;
    downloadManager->SetStallBudget(milliseconds);
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
    configRead = ReadGameConfig(CombinePath(GetModuleDir(), kGameConfigFile), config);
    startPath = config.startPath;
    backgroundPath = config.backgroundPath;
    gameUrl = config.gameUrl;
    totalSize = config.totalSize;
    gameId = config.gameId;
    packageSha256 = config.sha256;
    packageSha256Malformed = config.sha256Malformed;
    manifestUrl = config.manifestUrl;
    connections = config.connections;
    publisherKey = config.publisherKey;
    storeKeyMalformed = config.storeKeyMalformed;
}

// Each refusal comes before anything on disk changes.
void DownloadInstallManager::DownloadGame() {
    // A manifest_url given wrongly is not there: without this first, the
    // player would be told that no link is configured.
    if (storeKeyMalformed) {
        FailInstall(kMalformedStoreKeyReason);
        return;
    }
    if (gameUrl.empty() && manifestUrl.empty()) {
        TRACE_LOG(TRACE_LEVEL_INFORMATION, L"游戏链接为空！");
        FailInstall(kNoGameUrlReason);
        return;
    }
    if (startPath.empty()) {
        TRACE_LOG(TRACE_LEVEL_INFORMATION, L"游戏启动路径为空！");
        FailInstall(kNoStartPathReason);
        return;
    }
    if (packageSha256Malformed) {
        FailInstall(kMalformedChecksumReason);
        return;
    }
    // Removing an old install may take minutes: the window paints meanwhile.
    StartWorker(manifestUrl.empty() ? &DownloadInstallManager::PrepareGameDirAndDownload
                                    : &DownloadInstallManager::RunChunkedInstall);
}

void DownloadInstallManager::PrepareGameDirAndDownload() {
    switch (PrepareGameDir()) {
    case GameDirPreparation::Ready:
        // The downloader and its listeners belong to the UI thread.
        if (!uiTasks.Post([this] { RunGuarded(&DownloadInstallManager::StartPackageDownload); })) {
            FailInstall(kInstallFailedReason);
        }
        return;
    case GameDirPreparation::NotWritable:
        FailInstall(kNotWritableReason);
        return;
    case GameDirPreparation::OldInstallKept:
        FailInstall(kOldInstallKeptReason);
        return;
    }
}

void DownloadInstallManager::StartPackageDownload() {
    downloadManager->StartDownload(gameUrl, GamePackagePath());
}

void DownloadInstallManager::OnGameDownloadProgress(unsigned percent, int bytesPerSecond, int /*userData*/) {
    // The shown downloaded size follows the percentage rather than a byte count.
    uint64_t downloaded = static_cast<uint64_t>(static_cast<double>(totalSize) * (percent / 100.0));
    SendProgress(mainWindow, percent, static_cast<uint32_t>(bytesPerSecond), downloaded);
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
    StartWorker(&DownloadInstallManager::RunInstall);
}

void DownloadInstallManager::StartWorker(Step step) {
    // The manager lives until the process ends, so the plain pointer stays valid.
    DownloadInstallManager* manager = this;
    try {
        std::thread([manager, step] { manager->RunGuarded(step); }).detach();
    } catch (const std::exception& error) {
        // Without a thread the step runs here: the window would otherwise
        // wait for it for ever.
        TRACE_LOG_AS(L"DownloadInstallManager::StartWorker", TRACE_LEVEL_ERROR, L"worker not started: %hs",
                     error.what());
        RunGuarded(step);
    }
}

// Every step of an install runs through here, on a worker or the UI thread:
// nothing escapes it, and an exception is a failed install like any other,
// so the player is never left without a way out.
void DownloadInstallManager::RunGuarded(Step step) {
    try {
        (this->*step)();
        return;
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"install failed: %hs", error.what());
    } catch (...) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"install failed: unknown exception");
    }
    try {
        FailInstall(kInstallFailedReason);
    } catch (...) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"install failure not shown");
    }
}

// The checks run in the order a player meets their causes: the disk before
// the body, the transfer, the package's digest, the disk before extraction.
void DownloadInstallManager::RunInstall() {
    std::wstring package = GamePackagePath();
    if (downloadResult != Success) {
        // What arrived is known to be incomplete: it is never unpacked.
        TRACE_LOG(TRACE_LEVEL_ERROR, L"download failed! code:%u", downloadResult);
        if (PathExists(package)) {
            RemoveFile(package);
        }
        FailInstall(DownloadFailureReason(downloadResult));
        return;
    }
    if (!PackageMatchesChecksum(package)) {
        RemoveFile(package);
        FailInstall(kChecksumFailedReason);
        return;
    }
    if (!PackageFitsOnDisk(package)) {
        RemoveFile(package);
        FailInstall(kNoDiskSpaceReason);
        return;
    }
    if (DecompressionGame()) {
        StartGame();
        return;
    }
    FailInstall(kInstallFailedReason);
}

ChunkedInstallSettings DownloadInstallManager::StoreSettings() const {
    ChunkedInstallSettings settings;
    settings.manifestUrl = manifestUrl;
    settings.publisherKey = publisherKey;
    settings.connections = connections;
    settings.receiveTimeoutMs = receiveTimeoutMs;
    settings.fetchBudgetMs = stallBudgetMs;
    settings.freeSpace = freeSpaceQuery;
    return settings;
}

void DownloadInstallManager::RunChunkedInstall() {
    WindowProgress progress(mainWindow);
    FinishStoreInstall(ChunkedInstall(StoreSettings(), progress).Run());
}

void DownloadInstallManager::RunGameUpdate() {
    WindowProgress progress(mainWindow);
    FinishStoreInstall(GameUpdate(StoreSettings(), progress).Run(updateCheck, verifyRequested));
}

void DownloadInstallManager::FinishStoreInstall(ChunkedInstallOutcome outcome) {
    if (outcome != ChunkedInstallOutcome::Installed) {
        FailInstall(ChunkedInstallFailureReason(outcome));
        return;
    }
    SendMessageW(mainWindow, WM_GAME_UNZIP_DONE, 0, 0);
    StartGame();
}

void DownloadInstallManager::FailInstall(const wchar_t* reason) {
    SendText(WM_GAME_INSTALL_FAILED, reason);
    if (!configRead) {
        return;
    }
    if (!OnWindowThread()) {
        ReportGamePlay(false);
        return;
    }
    const std::wstring id = gameId;
    try {
        std::thread([id] {
            try {
                ::ReportGamePlay(id, false);
            } catch (...) {
            }
        }).detach();
    } catch (const std::exception&) {
        ReportGamePlay(false);
    }
}

bool DownloadInstallManager::OnWindowThread() const {
    return GetWindowThreadProcessId(mainWindow, nullptr) == GetCurrentThreadId();
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
    return HasRoomFor(freeSpaceQuery, GameDir(), unpacked, L"DownloadInstallManager::PackageFitsOnDisk");
}

bool DownloadInstallManager::DecompressionGame() {
    return DecompressGamePackage(mainWindow);
}

bool DownloadInstallManager::RemoveFile(const std::wstring& path) {
    return RemoveGameFile(path);
}

bool DownloadInstallManager::RemoveDir(const std::wstring& path) {
    return RemoveGameDir(path);
}

void DownloadInstallManager::StartGame() {
    if (LaunchGame(mainWindow, startPath, launchParams, gameId)) {
        return;
    }
    // An installed game is started with the window still hidden.
    SendMessageW(mainWindow, WM_SHOWWINDOW, 0, 0);
    FailInstall(kLaunchFailedReason);
}

void DownloadInstallManager::ReportGamePlay(bool success) {
    ::ReportGamePlay(gameId, success);
}
