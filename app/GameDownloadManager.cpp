#include "GameDownloadManager.h"

#include "DownloadInstallManager.h"
#include "HttpDownloader.h"
#include "Paths.h"

GameDownloadManager::GameDownloadManager() : downloader(new CHttpDownloader()) {
    downloader->AddListener(this);
}

GameDownloadManager::~GameDownloadManager() {
    delete downloader;
}

void GameDownloadManager::SetOwner(const std::shared_ptr<DownloadInstallManager>& manager) {
    owner = manager;
}

void GameDownloadManager::SetFreeSpaceQuery(FreeSpaceQuery query) {
    downloader->SetFreeSpaceQuery(query);
}

void GameDownloadManager::SetStallBudget(unsigned long milliseconds) {
    downloader->SetStallBudget(milliseconds);
}

void GameDownloadManager::StartDownload(const std::wstring& downloadUrl, const std::wstring& packagePath) {
    url = downloadUrl;
    filePath = packagePath;
    if (url.empty() || filePath.empty()) {
        return;
    }
    if (PathExists(filePath)) {
        DeleteFileW(filePath.c_str());
    }
    // With the platform's defaults a read on a silent connection may wait for
    // ever; the downloader keeps the connect time-out shorter.
    downloader->BeginDownload(url.c_str(), filePath.c_str(), receiveTimeoutMs, 0);
}

int GameDownloadManager::OnDownloadBegin(int /*userData*/) {
    return 0;
}

int GameDownloadManager::OnDownloadProgressChanged(unsigned percent, int bytesPerSecond, int userData) {
    if (std::shared_ptr<DownloadInstallManager> manager = owner.lock()) {
        manager->OnGameDownloadProgress(percent, bytesPerSecond, userData);
    }
    return 0;
}

int GameDownloadManager::OnDownloadFinish(unsigned resultCode, void* /*data*/, int /*userData*/) {
    if (std::shared_ptr<DownloadInstallManager> manager = owner.lock()) {
        manager->OnGameDownloadFinish(&filePath, resultCode);
    }
    return 0;
}

int GameDownloadManager::OnDownloadFileTotalSize(int totalBytes) {
    if (std::shared_ptr<DownloadInstallManager> manager = owner.lock()) {
        manager->OnGameTotalSize(totalBytes);
    }
    return 0;
}
