#pragma once
#include "DiskSpace.h"
#include "IHttpDownloadEvent.h"

#include <memory>
#include <string>

class CHttpDownloader;
class DownloadInstallManager;

// The program's one download event receiver: owns the downloader and
// forwards its events to the manager without keeping the manager alive.
class GameDownloadManager : public IHttpDownloadEvent {
public:
    GameDownloadManager();
    virtual ~GameDownloadManager();
    GameDownloadManager(const GameDownloadManager&) = delete;
    GameDownloadManager& operator=(const GameDownloadManager&) = delete;

    int OnDownloadBegin(int userData) override;
    int OnDownloadProgressChanged(unsigned percent, int bytesPerSecond, int userData) override;
    int OnDownloadFinish(unsigned resultCode, void* data, int userData) override;
    int OnDownloadFileTotalSize(int totalBytes) override;

    // How long a download waits on a silent connection before a read fails.
    static constexpr int kReceiveTimeoutMs = 30000;

    void SetOwner(const std::shared_ptr<DownloadInstallManager>& manager);
    void StartDownload(const std::wstring& downloadUrl, const std::wstring& packagePath);
    // Lets a test wait less than kReceiveTimeoutMs.
    void SetReceiveTimeout(int milliseconds) { receiveTimeoutMs = milliseconds; }
    // How the downloader learns the package volume's free space.
    void SetFreeSpaceQuery(FreeSpaceQuery query);
    // Lets a test shorten the downloader's stall budget.
    void SetStallBudget(unsigned long milliseconds);

private:
    std::weak_ptr<DownloadInstallManager> owner;
    CHttpDownloader* downloader;  // owned
    std::wstring url;
    std::wstring filePath;
    int receiveTimeoutMs = kReceiveTimeoutMs;
};
