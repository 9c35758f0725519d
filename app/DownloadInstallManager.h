#pragma once
#include "ChunkedInstall.h"
#include "DiskSpace.h"
#include "Platform.h"
#include "UiThreadTasks.h"
#include "UpdateCheck.h"

#include <cstdint>
#include <memory>
#include <string>

class GameDownloadManager;

// The launcher's controller: reads the configuration, launches an installed
// game or has the package downloaded, extracted and launched. It never
// touches controls; it drives the main window with the messages of
// WindowMessages.h. Must be owned by a shared_ptr (it hands out weak
// references to itself).
class DownloadInstallManager : public std::enable_shared_from_this<DownloadInstallManager> {
public:
    // Creates the download manager and, with it, the downloader's message
    // window on the calling (UI) thread.
    DownloadInstallManager(HWND mainWindow, const std::wstring& commandLine);
    virtual ~DownloadInstallManager();
    DownloadInstallManager(const DownloadInstallManager&) = delete;
    DownloadInstallManager& operator=(const DownloadInstallManager&) = delete;

    virtual void OnGameDownloadProgress(unsigned percent, int bytesPerSecond, int userData);
    // resultCode: the downloader's HttpDownloadError; anything but Success
    // means the package is missing or incomplete and is never extracted.
    virtual void OnGameDownloadFinish(const std::wstring* packagePath, unsigned resultCode);
    virtual bool OnGameBackground(const std::wstring& imagePath);
    virtual void OnGameTotalSize(int totalBytes);

    // The whole flow, on the UI thread; returns once the download has been
    // started or found impossible.
    void Start();
    // Lets a test wait less for a silent download connection; before Start().
    void SetDownloadTimeoutForTesting(int milliseconds);
    // Lets a test see a stalled download give up in seconds; before Start().
    void SetStallBudgetForTesting(DWORD milliseconds);
    // Lets a test say how much room the disk has; before Start().
    void SetFreeSpaceQueryForTesting(FreeSpaceQuery query);
    void InitConfig();
    // Ends in the failure path when the configuration cannot serve an
    // install; otherwise clears the Game folder on a worker and then starts
    // the download on the UI thread.
    void DownloadGame();

    bool DecompressionGame();
    bool RemoveFile(const std::wstring& path);
    bool RemoveDir(const std::wstring& path);
    // Launches the installed game; a game that does not start ends in the
    // failure path, with the window shown.
    void StartGame();
    void ReportGamePlay(bool success);

private:
    using Step = void (DownloadInstallManager::*)();
    // Runs `step` on a detached worker (or here when no thread can be
    // started); an exception from it ends in the failure path.
    void StartWorker(Step step);
    // Runs `step` here; an exception from it ends in the failure path.
    void RunGuarded(Step step);
    // On a worker: clears the Game folder, then hands the download to the UI thread.
    void PrepareGameDirAndDownload();
    void StartPackageDownload();
    void RunInstall();
    // On a worker: the install from the chunk store, then the launch.
    void RunChunkedInstall();
    // False (with the reason shown) when a switch a killed update left can
    // be neither finished nor undone now.
    bool FinishInterruptedSwitch(const std::wstring& gameDir);
    // For a game installed from the store: the update check, and when it
    // finds a newer version (or the command line asks for a verification)
    // the window and the update on a worker; true then.
    bool StartStoreUpdate(const std::wstring& gameDir);
    // On a worker: the update or repair, then the launch.
    void RunGameUpdate();
    ChunkedInstallSettings StoreSettings() const;
    // The launch after a store install or update, or its failure.
    void FinishStoreInstall(ChunkedInstallOutcome outcome);
    // The one end of every failure, on any thread: the reason in the window
    // and closing allowed first, then the play event "0" (when a
    // configuration named the game), sent off the UI thread so the window
    // keeps painting meanwhile.
    void FailInstall(const wchar_t* reason);
    bool OnWindowThread() const;
    // False when the package's digest is not the configured one.
    bool PackageMatchesChecksum(const std::wstring& package);
    // False when the unpacked game is known not to fit beside the package.
    bool PackageFitsOnDisk(const std::wstring& package);
    void SendText(UINT message, const std::wstring& text);

    std::shared_ptr<GameDownloadManager> downloadManager;
    HWND mainWindow;  // not owned
    std::wstring startPath;
    std::wstring gameUrl;
    std::wstring backgroundPath;
    std::wstring launchParams;
    std::wstring gameId;
    std::string packageSha256;  // lower-case hex; "" when the configuration gives none
    bool packageSha256Malformed = false;
    std::wstring manifestUrl;   // "" installs the package of gameUrl
    unsigned connections = 0;
    std::string publisherKey;
    bool storeKeyMalformed = false;
    int receiveTimeoutMs;
    DWORD stallBudgetMs;
    bool configRead = false;
    bool verifyRequested = false;  // the command line asked to verify and repair the installed game
    UpdateCheck updateCheck;       // written on the UI thread before the update's worker starts
    uint64_t totalSize = 0;
    FreeSpaceQuery freeSpaceQuery = &QueryFreeDiskSpace;
    // Written on the UI thread before the install thread that reads it starts.
    unsigned downloadResult = 0;
    UiThreadTasks uiTasks;  // of the thread that creates the manager
};
